// The render-target stack and off-screen passes on a real device: what each target
// received, what is restored afterwards, and the limits of the stack.

#include "tests/offscreen/OffscreenSupport.h"

namespace {

using Targets = offscreen::DeviceTest;
using offscreen::CountOther;
using offscreen::ReadTexture;

constexpr D3DCOLOR RED = 0xFFFF0000, GREEN = 0xFF00FF00, BLUE = 0xFF0000FF;
constexpr D3DCOLOR BLACK = 0xFF000000, GREY = 0xFF404040;

IDirect3DSurface9* CurrentTarget()
{
    IDirect3DSurface9* s = nullptr;
    Device3D->GetRenderTarget(0, &s);
    if (s)
        s->Release();
    return s;
}

IDirect3DSurface9* CurrentDepth()
{
    IDirect3DSurface9* s = nullptr;
    Device3D->GetDepthStencilSurface(&s);
    if (s)
        s->Release();
    return s;
}

D3DVIEWPORT9 DeviceViewport()
{
    D3DVIEWPORT9 vp = {};
    Device3D->GetViewport(&vp);
    return vp;
}

void ExpectViewport(const D3DVIEWPORT9& vp, DWORD x, DWORD y, DWORD w, DWORD h)
{
    EXPECT_EQ(x, vp.X);
    EXPECT_EQ(y, vp.Y);
    EXPECT_EQ(w, vp.Width);
    EXPECT_EQ(h, vp.Height);
}

TEST_F(Targets, NestedPushesDrawIntoEachTargetAndPopsRestoreTheBackBuffer)
{
    IDirect3DTexture9* outer = Target(64, 64);
    IDirect3DTexture9* inner = Target(32, 32);
    ASSERT_TRUE(outer && inner);
    IDirect3DSurface9* backBuffer = CurrentTarget();
    IDirect3DSurface9* depth = CurrentDepth();
    const D3DVIEWPORT9 before = DeviceViewport();
    ASSERT_EQ(D3D_OK, gGraphics.FillTexture(inner, BLACK));

    gGraphics.BeginScene();
    ASSERT_EQ(0, gGraphics.PushRenderTarget());
    IDirect3DSurface9* outerSurface = gGraphics.SetRenderTarget(outer, depth, nullptr);
    ASSERT_NE(nullptr, outerSurface);
    EXPECT_EQ(outerSurface, CurrentTarget());
    ExpectViewport(gGraphics.viewport, 0, 0, 64, 64);
    EXPECT_EQ(1, gGraphics.viewportPushCount);
    gGraphics.Clear(RED);

    ASSERT_EQ(0, gGraphics.PushRenderTarget());
    const RECT corner = {8, 8, 23, 23};
    gGraphics.SetRenderTarget(inner, nullptr, &corner);
    EXPECT_EQ(nullptr, CurrentDepth());
    ExpectViewport(DeviceViewport(), 8, 8, 16, 16);
    gGraphics.Clear(GREEN);  // the viewport only
    ASSERT_EQ(0, gGraphics.PopRenderTarget());

    ExpectViewport(DeviceViewport(), 0, 0, 64, 64);
    EXPECT_EQ(outerSurface, CurrentTarget());
    EXPECT_EQ(depth, CurrentDepth());
    gGraphics.ClearRect(0, 0, 4, 4, BLUE);
    ASSERT_EQ(0, gGraphics.PopRenderTarget());
    gGraphics.EndScene();

    EXPECT_EQ(backBuffer, CurrentTarget());
    EXPECT_EQ(depth, CurrentDepth());
    ExpectViewport(DeviceViewport(), before.X, before.Y, before.Width, before.Height);
    ExpectViewport(gGraphics.viewport, before.X, before.Y, before.Width, before.Height);
    EXPECT_EQ(0, gGraphics.viewportPushCount);
    EXPECT_EQ(0, gGraphics.renderTargetDepth);

    test::Image image;
    ASSERT_TRUE(ReadTexture(outer, image));
    EXPECT_EQ(0, CountOther(image, RECT{0, 0, 3, 3}, BLUE));
    EXPECT_EQ(0, CountOther(image, RECT{4, 4, 63, 63}, RED));
    ASSERT_TRUE(ReadTexture(inner, image));
    EXPECT_EQ(0, CountOther(image, corner, GREEN));
    EXPECT_EQ(0, CountOther(image, RECT{0, 0, 31, 7}, BLACK));
    EXPECT_EQ(0, CountOther(image, RECT{24, 8, 31, 31}, BLACK));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(Targets, APushWithoutADepthSurfaceReturnsTheDeviceError)
{
    gGraphics.SetRenderTargetDepth(nullptr, nullptr);
    EXPECT_NE(0, gGraphics.PushRenderTarget());
    EXPECT_EQ(1, gGraphics.renderTargetDepth);
    EXPECT_EQ(0, gGraphics.PopRenderTarget());
    EXPECT_EQ(0, gGraphics.renderTargetDepth);
    gGraphics.RestoreViewport();
}

TEST_F(Targets, TheStackHoldsThirtyTwoRecordsAndRefusesBeyondWithoutAMessage)
{
    for (int i = 0; i < RENDER_TARGET_STACK_SIZE; ++i)
        ASSERT_EQ(0, gGraphics.PushRenderTarget()) << i;
    EXPECT_EQ(-1, gGraphics.PushRenderTarget());
    EXPECT_EQ(RENDER_TARGET_STACK_SIZE, gGraphics.renderTargetDepth);
    for (int i = 0; i < RENDER_TARGET_STACK_SIZE; ++i)
        ASSERT_EQ(0, gGraphics.PopRenderTarget()) << i;
    EXPECT_EQ(-1, gGraphics.PopRenderTarget());
    EXPECT_EQ(0, gGraphics.renderTargetDepth);
    gGraphics.RestoreViewport();
    for (const SRenderTargetRecord& r : gGraphics.renderTargets) {
        EXPECT_EQ(nullptr, r.target);
        EXPECT_EQ(nullptr, r.depth);
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(Targets, OffscreenPassDrawsIntoTheTextureAndPutsTargetAndDepthBack)
{
    IDirect3DTexture9* panel = Target(64, 32);
    ASSERT_NE(nullptr, panel);
    IDirect3DSurface9* backBuffer = CurrentTarget();
    IDirect3DSurface9* depth = CurrentDepth();
    ASSERT_NE(nullptr, depth);

    gGraphics.BeginScene();
    gGraphics.BeginOffscreen(panel, nullptr, false);
    IDirect3DSurface9* surface = CurrentTarget();
    EXPECT_NE(backBuffer, surface);
    EXPECT_EQ(nullptr, CurrentDepth());
    ExpectViewport(gGraphics.viewport, 0, 0, 64, 32);
    gGraphics.Clear(GREEN);
    // The same texture again keeps the pass as it is.
    gGraphics.BeginOffscreen(panel, nullptr, false);
    EXPECT_EQ(surface, CurrentTarget());
    EXPECT_EQ(2, gGraphics.offscreenBeginCount);
    EXPECT_EQ(0, gGraphics.onBackBuffer);
    gGraphics.EndOffscreen();
    gGraphics.RestoreViewport();
    gGraphics.Clear(GREY);
    gGraphics.EndScene();

    EXPECT_EQ(backBuffer, CurrentTarget());
    EXPECT_EQ(depth, CurrentDepth());
    EXPECT_EQ(1, gGraphics.onBackBuffer);
    test::Image image;
    ASSERT_TRUE(ReadTexture(panel, image));
    EXPECT_EQ(0, CountOther(image, RECT{0, 0, 63, 31}, GREEN));
    ASSERT_TRUE(test::ReadBackBuffer(image));
    EXPECT_EQ(0, CountOther(image, RECT{0, 0, image.width - 1, image.height - 1}, GREY));
}

TEST_F(Targets, APassWithoutDepthSetsNoneEvenWhenADepthSurfaceIsGiven)
{
    IDirect3DTexture9* panel = Target(512, 512);  // larger than the back buffer's depth
    IDirect3DSurface9* depth = CurrentDepth();
    gGraphics.BeginOffscreen(panel, depth, false);
    EXPECT_EQ(nullptr, CurrentDepth());
    gGraphics.EndOffscreen();
    EXPECT_EQ(depth, CurrentDepth());
    gGraphics.RestoreViewport();
}

TEST_F(Targets, ADepthPassSetsTheGivenSurfaceAndEndPutsTheOldOneBack)
{
    IDirect3DTexture9* panel = Target(64, 64);
    IDirect3DSurface9* depth = CurrentDepth();
    IDirect3DSurface9* own = gGraphics.CreateDepthSurface(64, 64, D3DFMT_D16,
                                                          D3DMULTISAMPLE_NONE);
    ASSERT_NE(nullptr, own);
    gGraphics.BeginOffscreen(panel, own, true);
    EXPECT_EQ(own, CurrentDepth());
    EXPECT_EQ(own, gGraphics.offscreenDepth);
    gGraphics.EndOffscreen();
    EXPECT_EQ(depth, CurrentDepth());
    EXPECT_EQ(nullptr, gGraphics.offscreenDepth);
    gGraphics.RestoreViewport();
    own->Release();
}

TEST_F(Targets, AnOffscreenPassLeftOpenIsClosedAndReportedByTheNextFrame)
{
    IDirect3DTexture9* panel = Target(16, 16);
    IDirect3DSurface9* backBuffer = CurrentTarget();
    gGraphics.BeginOffscreen(panel, nullptr, false);
    EXPECT_EQ(-2, gGraphics.BeginFrame());
    gGraphics.EndScene();
    EXPECT_TRUE(messages.Contains("Render target is not restored.")) << messages.Joined();
    EXPECT_EQ(backBuffer, CurrentTarget());
}

TEST_F(Targets, FillTextureOfNothingIsRefused)
{
    EXPECT_EQ(-1, gGraphics.FillTexture(nullptr, RED));
    EXPECT_EQ(nullptr, gGraphics.SetRenderTargetTexture(nullptr));
}

} // namespace
