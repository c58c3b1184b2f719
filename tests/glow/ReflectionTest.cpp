// Planar reflections on a real device: a floor that receives reflections shows the unit
// standing above it mirrored below; a shared reflection texture is drawn once a frame,
// an own one per receiver; receivers without a usable texture, or that are no geometry,
// are warned and the frame goes on with targets and states given back.

#include "tests/glow/EffectsFixture.h"

#include "core/Graphics.h"
#include "engine/TexContainer.h"

namespace effects {
namespace {

constexpr D3DCOLOR RED = 0xFFFF0000;
constexpr D3DCOLOR BLUE = 0xFF0000FF;
constexpr D3DCOLOR GREY = 0xFF808080;
constexpr D3DCOLOR GREEN = 0xFF00FF00;
constexpr D3DCOLOR YELLOW = 0xFFFFFF00;
constexpr D3DCOLOR WHITE = 0xFFFFFFFF;
constexpr int TEXTURE_SIZE = 256;

class ReflectionTest : public EffectsTest {
protected:
    void SetUp() override
    {
        EffectsTest::SetUp();
        LookFrom(D3DXVECTOR3(0, 4, -10));
        floorClass = gUnitInspector->GetClassTemplate("Floor");
        ASSERT_NE(nullptr, floorClass);
        floorClass->reflectionTexture = RenderTargetTexture();
        ASSERT_NE(0, floorClass->reflectionTexture);
        caster = AddUnit("Caster", D3DXVECTOR4(0, 2, 0, 1), RED);
        floor = AddUnit("Floor", D3DXVECTOR4(0, 0, 0, 1), GREY, 5.0f, true);
        ASSERT_TRUE(caster && floor);
    }
    static uint16_t RenderTargetTexture()
    {
        return gTexContainer->CreateTexture(TEXTURE_SIZE, TEXTURE_SIZE, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                            D3DPOOL_DEFAULT, 0);
    }
    // How many of the frame's receivers drew a reflection (the caster's draw calls).
    int ReflectionsOfOneFrame()
    {
        gRenderer->ResetFrame();
        gUnitInspector->ProcessUnits();
        gRenderer->UpdateSkeletons();
        gGraphics.BeginScene();
        int drawn = 0;
        for (CGeometry* receiver : {floor, second}) {
            const int before = gGraphics.counters.drawCalls;
            gRenderer->RenderReflections(receiver);
            if (gGraphics.counters.drawCalls > before) ++drawn;
        }
        gGraphics.EndScene();
        return drawn;
    }

    // The reflection texture's texel where a world point lands on the screen.
    D3DCOLOR ReflectionTexel(const D3DXVECTOR3& point)
    {
        const POINT p = Project(point);
        const int x = p.x * TEXTURE_SIZE / VIEW_WIDTH, y = p.y * TEXTURE_SIZE / VIEW_HEIGHT;
        IDirect3DSurface9* copy = nullptr;
        D3DCOLOR texel = 0;
        if (FAILED(Device3D->CreateOffscreenPlainSurface(TEXTURE_SIZE, TEXTURE_SIZE, D3DFMT_A8R8G8B8,
                                                         D3DPOOL_SYSTEMMEM, &copy, nullptr)))
            return texel;
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(Device3D->GetRenderTargetData(gTexContainer->GetSurface(floorClass->reflectionTexture), copy)) &&
            SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            texel = static_cast<const D3DCOLOR*>(locked.pBits)[y * locked.Pitch / 4 + x];
            copy->UnlockRect();
        }
        copy->Release();
        return texel;
    }

    CClassTemplate* floorClass = nullptr;
    CGeometry* caster = nullptr;
    CGeometry* floor = nullptr;
    CGeometry* second = nullptr;
};

TEST_F(ReflectionTest, TheFloorShowsTheUnitAboveItMirroredBelow)
{
    RunFrame();
    const test::Image image = Picture();
    const POINT direct = Project(D3DXVECTOR3(0, 2, 0));
    const POINT mirrored = Project(D3DXVECTOR3(0, -2, 0));
    const POINT bare = Project(D3DXVECTOR3(3, 0, -3));
    EXPECT_TRUE(Near(image, direct, RED)) << std::hex << image.At(direct.x, direct.y);
    EXPECT_TRUE(Near(image, mirrored, RED)) << std::hex << image.At(mirrored.x, mirrored.y);
    EXPECT_TRUE(Near(image, bare, BLUE)) << "the reflection's clear colour " << std::hex << image.At(bare.x, bare.y);
    // Just beside the mirrored unit, on the floor, the clear colour again.
    const POINT beside = Project(D3DXVECTOR3(1.6f, -2, 0));
    EXPECT_TRUE(Near(image, beside, BLUE)) << std::hex << image.At(beside.x, beside.y);
    EXPECT_EQ(floorClass->reflectionTexture, floor->textures[0]) << "the reflection stage";
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ReflectionTest, OnlyWhatStandsAboveThePlaneIsReflectedWithShadersOrWithout)
{
    ReadScript("GEOMETRY PlainCaster { ReflectionCaster: { }; };\n");
    CGeometry* shadedBelow = AddUnit("Caster", D3DXVECTOR4(-2.5f, -2, 0, 1), GREEN);
    CGeometry* plainAbove = AddUnit("PlainCaster", D3DXVECTOR4(2.5f, 2, 0, 1), YELLOW);
    CGeometry* plainBelow = AddUnit("PlainCaster", D3DXVECTOR4(2.5f, -5, 0, 1), WHITE);
    ASSERT_TRUE(shadedBelow && plainAbove && plainBelow);
    // The fixed pipeline takes its matrices from the device.
    Device3D->SetTransform(D3DTS_VIEW, &view);
    Device3D->SetTransform(D3DTS_PROJECTION, &proj);
    RunFrame();
    EXPECT_TRUE(Near(Picture(), Project(D3DXVECTOR3(2.5f, -2, 0)), YELLOW)) << "mirrored by the device's view";
    // In the texture, where the mirror images of the units below the plane would be.
    EXPECT_EQ(RED, ReflectionTexel(D3DXVECTOR3(0, -2, 0)) | 0xFF000000);
    EXPECT_EQ(BLUE, ReflectionTexel(D3DXVECTOR3(-2.5f, 2, 0)) | 0xFF000000) << "clipped in clip space";
    EXPECT_EQ(BLUE, ReflectionTexel(D3DXVECTOR3(2.5f, 5, 0)) | 0xFF000000) << "clipped in world space";
    EXPECT_EQ(YELLOW, ReflectionTexel(D3DXVECTOR3(2.5f, -2, 0)) | 0xFF000000);
}

TEST_F(ReflectionTest, TheMirrorPlaneFollowsTheReceiverAndStatesAreGivenBack)
{
    IDirect3DSurface9* before = nullptr;
    Device3D->GetRenderTarget(0, &before);
    const D3DXMATRIX viewProj = gRenderer->viewProj;
    RunFrame();
    EXPECT_NEAR(0.0f, gRenderer->MirrorPlane.a, 1e-5f);
    EXPECT_NEAR(1.0f, gRenderer->MirrorPlane.b, 1e-5f);
    EXPECT_NEAR(0.0f, gRenderer->MirrorPlane.d, 1e-5f);
    EXPECT_EQ(viewProj, gRenderer->viewProj);
    IDirect3DSurface9* after = nullptr;
    Device3D->GetRenderTarget(0, &after);
    EXPECT_EQ(before, after);
    EXPECT_EQ(DWORD(0), test::RenderState(D3DRS_CLIPPLANEENABLE));
    EXPECT_EQ(DWORD(D3DCULL_CCW), test::RenderState(D3DRS_CULLMODE));
    EXPECT_EQ(0, gRenderer->shadowPass);
    if (before) before->Release();
    if (after) after->Release();

    // A receiver raised to y = 1 mirrors in the plane y = 1.
    floor->SetPos(D3DXVECTOR4(0, 1, 0, 1));
    RunFrame();
    EXPECT_NEAR(-1.0f, gRenderer->MirrorPlane.d, 1e-5f);
}

TEST_F(ReflectionTest, ASharedTextureIsDrawnOncePerFrameAnOwnOnePerReceiver)
{
    second = AddUnit("Floor", D3DXVECTOR4(0, -1, 0, 1), GREY, 1.0f, true);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(2, ReflectionsOfOneFrame());
    floorClass->effectFlags |= EFFECT_SHARING_REFLECTION;
    EXPECT_EQ(1, ReflectionsOfOneFrame());
    EXPECT_EQ(1, ReflectionsOfOneFrame()) << "the unit walk clears the drawn flag every frame";
}

TEST_F(ReflectionTest, ReceiversWithoutAUsableTextureAreWarned)
{
    gRenderer->warningBudget = 8;
    const uint16_t own = floor->textures[0];
    gGraphics.BeginScene();
    floorClass->reflectionTexture = 0;
    gRenderer->RenderReflections(floor);
    floorClass->reflectionTexture = test::ColourTexture(GREY);
    gRenderer->RenderReflections(floor);
    CAtom atom;
    atom.SetName("Atom1");
    atom.classTemplate = floorClass;
    floorClass->reflectionTexture = RenderTargetTexture();
    gRenderer->RenderReflections(&atom);
    gGraphics.EndScene();
    atom.classTemplate = nullptr;
    const std::string head = "CRenderer::RenderReflections.  Error for reflection receiver.\n\n";
    const std::string name = floor->name;
    ASSERT_EQ(3u, messages.Count()) << messages.Joined();
    EXPECT_EQ(head + "Unit '" + name + "' don`t have a reflection texture.", messages.Texts()[0]);
    EXPECT_EQ(head + "Reflection texture for unit '" + name + "' must be render target.", messages.Texts()[1]);
    EXPECT_EQ(head + "Reflection for non geometry unit 'Atom1'.", messages.Texts()[2]);
    EXPECT_EQ(own, floor->textures[0]) << "the stage keeps its texture";
    // The next frame draws as before.
    RunFrame();
    EXPECT_TRUE(Near(Picture(), Project(D3DXVECTOR3(0, -2, 0)), RED));
}

} // namespace
} // namespace effects
