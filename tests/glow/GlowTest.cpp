// The glow pass on a real device: a glowing unit's light spreads into the pixels around
// it and a plain unit's does not; the pass is skipped without glowing or glowing units,
// adds the glow unblurred with no blur passes, gives targets and states back, and goes
// on without a missing shader or glow target.

#include "tests/glow/EffectsFixture.h"

#include "core/Graphics.h"

namespace effects {
namespace {

constexpr D3DCOLOR WHITE = 0xFFFFFFFF;
constexpr D3DCOLOR BLACK = 0xFF000000;
constexpr float HALF = 0.3f;
constexpr int NEAR_PIXELS = 5;  // how far outside a unit's edge the glow is looked for

int Red(const test::Image& image, POINT p)
{
    return int((image.At(p.x, p.y) >> 16) & 0xFF);
}

class GlowTest : public EffectsTest {
protected:
    void SetUp() override
    {
        EffectsTest::SetUp();
        glower = AddUnit("Glower", D3DXVECTOR4(-3, 0, 0, 1), WHITE, HALF);
        plain = AddUnit("Plain", D3DXVECTOR4(3, 0, 0, 1), WHITE, HALF);
    }
    // A point NEAR_PIXELS to the right of the unit's right edge, on its middle row.
    POINT Beside(const CGeometry* unit) const
    {
        POINT p = Project(D3DXVECTOR3(unit->Pos.x + HALF, unit->Pos.y, 0));
        p.x += NEAR_PIXELS;
        return p;
    }
    POINT Centre(const CGeometry* unit) const { return Project(D3DXVECTOR3(unit->Pos.x, unit->Pos.y, 0)); }

    CGeometry* glower = nullptr;
    CGeometry* plain = nullptr;
};

TEST_F(GlowTest, AGlowingUnitLightsTheNeighbouringPixelsAndAPlainOneDoesNot)
{
    ASSERT_TRUE(glower && plain);
    ASSERT_EQ(1, gRenderer->glowing) << messages.Joined();
    RunFrame();
    EXPECT_EQ(1, gRenderer->glowingUnits);
    const test::Image image = Picture();
    EXPECT_TRUE(Near(image, Centre(glower), WHITE));
    EXPECT_TRUE(Near(image, Centre(plain), WHITE));
    EXPECT_GT(Red(image, Beside(glower)), 30) << std::hex << image.At(Beside(glower).x, Beside(glower).y);
    EXPECT_LT(Red(image, Beside(plain)), 8) << std::hex << image.At(Beside(plain).x, Beside(plain).y);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(GlowTest, APlainUnitInFrontHidesTheGlowBehindIt)
{
    ASSERT_TRUE(glower && plain);
    // The screen is queued first, so only the glow pass's depth keeps the glow hidden.
    gUnitInspector->DeleteUnit(glower);
    CGeometry* screen = AddUnit("Plain", D3DXVECTOR4(-3, 0, -2, 1), WHITE, 0.8f);
    glower = AddUnit("Glower", D3DXVECTOR4(-3, 0, 0, 1), WHITE, HALF);
    ASSERT_TRUE(screen && glower);
    RunFrame();
    EXPECT_EQ(1, gRenderer->glowingUnits);
    POINT beside = Project(D3DXVECTOR3(-3 + 0.8f, 0, -2));
    beside.x += NEAR_PIXELS;
    const test::Image image = Picture();
    EXPECT_LT(Red(image, beside), 8) << "neither the hidden glower nor the plain screen glows";
}

TEST_F(GlowTest, GlowingOffLeavesThePictureAsTheSceneDrewIt)
{
    ASSERT_TRUE(glower && plain);
    EXPECT_EQ(0, gRenderer->EnableGlowing(0));
    RunFrame();
    EXPECT_LT(Red(Picture(), Beside(glower)), 8);
    EXPECT_EQ(0, gRenderer->EnableGlowing(1)) << "the targets are still there";
}

TEST_F(GlowTest, WithoutAGlowingUnitInTheFrameTheGlowTargetIsNotTouched)
{
    ASSERT_TRUE(glower && plain);
    gUnitInspector->DeleteUnit(glower);
    ASSERT_EQ(D3D_OK, gGraphics.FillTexture(gRenderer->glowTextureA, 0xFF00FF00));
    RunFrame();
    EXPECT_EQ(0, gRenderer->glowingUnits);
    const test::Image image = Picture();
    EXPECT_TRUE(Near(image, POINT{10, 10}, BLACK)) << "no green added";
    IDirect3DSurface9* copy = nullptr;
    ASSERT_EQ(D3D_OK, Device3D->CreateOffscreenPlainSurface(UINT(gRenderer->glowWidth), UINT(gRenderer->glowHeight),
                                                            D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr));
    IDirect3DSurface9* surface = nullptr;
    gRenderer->glowTextureA->GetSurfaceLevel(0, &surface);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(D3D_OK, Device3D->GetRenderTargetData(surface, copy));
    ASSERT_EQ(D3D_OK, copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    EXPECT_EQ(0xFF00FF00u, static_cast<const D3DCOLOR*>(locked.pBits)[0]);
    copy->UnlockRect();
    copy->Release();
    surface->Release();
}

TEST_F(GlowTest, NoBlurPassAddsTheGlowUnblurred)
{
    ASSERT_TRUE(glower && plain);
    gRenderer->Passes = 0;
    RunFrame();
    const test::Image image = Picture();
    EXPECT_TRUE(Near(image, Centre(glower), WHITE));
    EXPECT_LT(Red(image, Beside(glower)), 8) << "nothing spreads without a blur";
}

TEST_F(GlowTest, TargetsViewportAndAntialiasStateAreGivenBack)
{
    ASSERT_TRUE(glower && plain);
    IDirect3DSurface9* before = nullptr;
    Device3D->GetRenderTarget(0, &before);
    Device3D->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
    RunFrame();
    EXPECT_EQ(DWORD(TRUE), test::RenderState(D3DRS_MULTISAMPLEANTIALIAS));
    IDirect3DSurface9* after = nullptr;
    Device3D->GetRenderTarget(0, &after);
    EXPECT_EQ(before, after);
    EXPECT_EQ(0, gGraphics.renderTargetDepth);
    EXPECT_EQ(0, gGraphics.viewportPushCount) << "the next frame starts without 'ViewPort is not restored.'";
    EXPECT_EQ(DWORD(FALSE), test::RenderState(D3DRS_ALPHABLENDENABLE));
    if (before) before->Release();
    if (after) after->Release();
}

TEST_F(GlowTest, AMissingBlurShaderIsReportedAndTheGlowIsAddedUnblurred)
{
    ASSERT_TRUE(glower && plain);
    ReadScript("Renderer [ QueueCount: 4 InQueueCount: 8 MaxRenderObjects: 16\n"
               "    Glowing: [ BufferRatio: 1/2 BlurPixelShader: \"Shaders/Missing.psh\" ] ]\n");
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Can`t find shader file.. Shaders/Missing.psh", messages.Texts()[0]);
    EXPECT_EQ(nullptr, gRenderer->blurPixelShader.ps);
    RunFrame();
    const test::Image image = Picture();
    EXPECT_TRUE(Near(image, Centre(glower), WHITE));
    EXPECT_LT(Red(image, Beside(glower)), 8);
}

TEST_F(GlowTest, WithoutGlowTargetsGlowingStaysOffAndTheFrameIsDrawn)
{
    ASSERT_TRUE(glower && plain);
    // A depth format cannot be a colour target: the glow textures are not made.
    ReadScript("Renderer [ QueueCount: 4 InQueueCount: 8 MaxRenderObjects: 16\n"
               "    Glowing: [ ColorFormat: D16 ] ]\n");
    EXPECT_EQ(nullptr, gRenderer->glowTextureA);
    EXPECT_EQ(0, gRenderer->glowing);
    EXPECT_EQ(-1, gRenderer->EnableGlowing(1));
    EXPECT_EQ(0, gRenderer->glowing);
    RunFrame();
    const test::Image image = Picture();
    EXPECT_TRUE(Near(image, Centre(glower), WHITE));
    EXPECT_LT(Red(image, Beside(glower)), 8);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace effects
