// The shadow pass: a shadow camera's map cleared to its clear colour with the frame's
// casters drawn into it (read back from the map), directly or through a multisampled
// target resolved into it, and nothing touched without receivers.

#include "tests/lights/LightsFixture.h"

#include "engine/ClassTemplate.h"
#include "engine/TexContainer.h"

namespace lights {
namespace {

constexpr int MAP_SIZE = 64;
constexpr D3DCOLOR UNTOUCHED = 0xFF00FF00;
constexpr D3DCOLOR CLEAR = 0xFF0000FF;

class ShadowTest : public LightTest {
protected:
    void SetUp() override
    {
        LightTest::SetUp();
        camera.shadowMap = gTexContainer->CreateTexture(MAP_SIZE, MAP_SIZE, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                                      D3DPOOL_DEFAULT, 0);
        ASSERT_NE(0, camera.shadowMap);
        Device3D->ColorFill(gTexContainer->GetSurface(camera.shadowMap), nullptr, UNTOUCHED);
        camera.clearColor = CLEAR;
        camera.Pos = D3DXVECTOR4(0, 0, -10, 1);
        camera.target = D3DXVECTOR4(0, 0, 0, 1);
        caster = AddLit("Plain3D");
    }
    void TearDown() override
    {
        gRenderer->ResetFrame();
        LightTest::TearDown();
    }
    // The map's texel, copied to system memory.
    D3DCOLOR MapTexel(int x, int y) { return Texel(camera.shadowMap, MAP_SIZE, x, y); }
    // A texel of a render-target texture of the container.
    static D3DCOLOR Texel(uint16_t texture, int size, int x, int y)
    {
        IDirect3DSurface9* copy = nullptr;
        D3DCOLOR texel = 0;
        if (FAILED(Device3D->CreateOffscreenPlainSurface(UINT(size), UINT(size), D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                         &copy, nullptr)))
            return texel;
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(Device3D->GetRenderTargetData(gTexContainer->GetSurface(texture), copy)) &&
            SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            texel = static_cast<const D3DCOLOR*>(locked.pBits)[y * locked.Pitch / 4 + x];
            copy->UnlockRect();
        }
        copy->Release();
        return texel;
    }
    void RenderShadows(bool receiver)
    {
        gRenderer->ResetFrame();
        gUnitInspector->ProcessUnits();
        gRenderer->UpdateSkeletons();
        gRenderer->PutShadowCamera(&camera);
        gRenderer->PutShadowCaster(caster);
        if (receiver) gRenderer->PutShadowReceiver(caster);
        gGraphics.BeginScene();
        gRenderer->RenderShadows();
        gGraphics.EndScene();
    }

    CShadowCamera camera;
    CGeometry* caster = nullptr;
};

TEST_F(ShadowTest, TheCastersAreDrawnIntoTheClearedMap)
{
    ASSERT_NE(nullptr, caster);
    IDirect3DSurface9* before = nullptr;
    Device3D->GetRenderTarget(0, &before);
    const D3DXMATRIX viewProj = gRenderer->viewProj;
    RenderShadows(true);
    EXPECT_EQ(0xFFFFFFFFu, MapTexel(MAP_SIZE / 2, MAP_SIZE / 2)) << "the caster";
    EXPECT_EQ(CLEAR, MapTexel(1, 1)) << "cleared around it";
    // The camera's view-projection is kept for the scene; the scene's own is back.
    EXPECT_NE(viewProj, gRenderer->shadowViewProj[0]);
    EXPECT_EQ(viewProj, gRenderer->viewProj);
    IDirect3DSurface9* after = nullptr;
    Device3D->GetRenderTarget(0, &after);
    EXPECT_EQ(before, after);
    EXPECT_EQ(0, gRenderer->shadowPass);
    if (before) before->Release();
    if (after) after->Release();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ShadowTest, TheFillColourIsTheCastersOwnElseTheCamerasAndZIsGivenBack)
{
    ASSERT_NE(nullptr, caster);
    camera.fillColor = 0xFF404040;
    caster->classTemplate->ShadowFillColor = 0xFF102030;
    gGraphics.SetZEnable(true);
    gGraphics.SetZWrite(true);
    RenderShadows(true);
    EXPECT_EQ(D3DXCOLOR(D3DCOLOR(0xFF102030)), gRenderer->ShadowColor) << "the caster's own";
    EXPECT_EQ(D3DXCOLOR(D3DCOLOR(CLEAR)), gRenderer->ShadowClearColor);
    EXPECT_EQ(DWORD(D3DZB_TRUE), test::RenderState(D3DRS_ZENABLE)) << "a map without depth drew without Z";
    EXPECT_EQ(DWORD(TRUE), test::RenderState(D3DRS_ZWRITEENABLE));

    caster->classTemplate->ShadowFillColor = 0;
    RenderShadows(true);
    EXPECT_EQ(D3DXCOLOR(D3DCOLOR(0xFF404040)), gRenderer->ShadowColor) << "the camera's";
}

TEST_F(ShadowTest, WithoutAReceiverNoMapIsTouched)
{
    ASSERT_NE(nullptr, caster);
    RenderShadows(false);
    EXPECT_EQ(UNTOUCHED, MapTexel(MAP_SIZE / 2, MAP_SIZE / 2));
    EXPECT_EQ(UNTOUCHED, MapTexel(1, 1));
}

TEST_F(ShadowTest, ACameraWithoutAMapIsSkippedSilently)
{
    ASSERT_NE(nullptr, caster);
    const uint16_t map = camera.shadowMap;
    camera.shadowMap = 0;
    RenderShadows(true);
    camera.shadowMap = map;
    EXPECT_EQ(UNTOUCHED, MapTexel(1, 1));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ShadowTest, AMultisampledTargetIsResolvedIntoTheMap)
{
    ASSERT_NE(nullptr, caster);
    IDirect3DSurface9* samples = gGraphics.CreateRenderTarget(MAP_SIZE, MAP_SIZE, D3DFMT_A8R8G8B8,
                                                              D3DMULTISAMPLE_4_SAMPLES);
    ASSERT_NE(nullptr, samples) << "4x is the one level this platform offers";
    // A render-surface record: the multisampled surface beside a texture of the same size.
    camera.preShadowMap = gTexContainer->CreateTexture(MAP_SIZE, MAP_SIZE, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                                       D3DPOOL_DEFAULT, 0);
    ASSERT_NE(0, camera.preShadowMap);
    gTexContainer->GetTex(camera.preShadowMap)->surface = samples;
    camera.preShadowMapBacker = gTexContainer->CreateTexture(MAP_SIZE / 2, MAP_SIZE / 2, D3DUSAGE_RENDERTARGET,
                                                             D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, 0);
    ASSERT_NE(0, camera.preShadowMapBacker);
    RenderShadows(true);
    EXPECT_EQ(0xFFFFFFFFu, MapTexel(MAP_SIZE / 2, MAP_SIZE / 2)) << "the caster, through the half-size backer";
    EXPECT_EQ(CLEAR, MapTexel(1, 1) | 0xFF000000);
    EXPECT_EQ(0xFFFFFFFFu, Texel(camera.preShadowMapBacker, MAP_SIZE / 2, MAP_SIZE / 4, MAP_SIZE / 4))
        << "the multisampled picture copied into the backer";
    EXPECT_EQ(CLEAR, Texel(camera.preShadowMapBacker, MAP_SIZE / 2, 0, 0) | 0xFF000000);
    EXPECT_EQ(DWORD(FALSE), test::RenderState(D3DRS_MULTISAMPLEANTIALIAS)) << "antialiasing only for the pass";
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace lights
