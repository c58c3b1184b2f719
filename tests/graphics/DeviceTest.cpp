// Device creation from the configured parameters, the objects made with it, and the frame
// bracket: clearing, warnings about what a frame left open, presentation.

#include "tests/support/TestDevice.h"

#include "core/Core.h"
#include "engine/Engine.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using test::BackBufferDesc;
using test::RenderState;
using test::TestDevice;

// The largest multisample type not above the request that the adapter offers, measured
// with an interface of the test's own; *levels gets its quality levels.
D3DMULTISAMPLE_TYPE ExpectedMultisample(int requested, DWORD* levels)
{
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DMULTISAMPLE_TYPE found = D3DMULTISAMPLE_NONE;
    *levels = 1;
    for (int t = requested; t >= 2 && found == D3DMULTISAMPLE_NONE; --t) {
        DWORD color = 0, depth = 0;
        auto type = D3DMULTISAMPLE_TYPE(t);
        if (SUCCEEDED(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                                      type, &color)) &&
            SUCCEEDED(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_D16, TRUE, type,
                                                      &depth))) {
            found = type;
            *levels = color < depth ? color : depth;
        }
    }
    d3d->Release();
    return found;
}

TEST(Device, UnsupportedMultisamplingIsLoweredNotFatal)
{
    for (int requested : {2, 16}) {
        test::MessageRecorder messages;
        TestDevice device;
        gGraphics.presentParams.MultiSampleType = D3DMULTISAMPLE_TYPE(requested);
        gGraphics.presentParams.MultiSampleQuality = 3;
        DWORD levels = 0;
        D3DMULTISAMPLE_TYPE expected = ExpectedMultisample(requested, &levels);
        ASSERT_EQ(0, device.Init()) << requested << messages.Joined();
        EXPECT_EQ(expected, gGraphics.presentParams.MultiSampleType) << requested;
        EXPECT_EQ(expected, BackBufferDesc().MultiSampleType) << requested;
        EXPECT_LE(gGraphics.presentParams.MultiSampleQuality, levels - 1);
        EXPECT_EQ(DWORD(expected != D3DMULTISAMPLE_NONE),
                  RenderState(D3DRS_MULTISAMPLEANTIALIAS));
        EXPECT_GE(gGraphics.maxMultisample, expected);
        EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    }
}

TEST(Device, PresentIntervalTheDeviceLacksBecomesTheDefault)
{
    TestDevice device;
    gGraphics.presentParams.PresentationInterval = D3DPRESENT_INTERVAL_FOUR;
    ASSERT_EQ(0, device.Init());
    bool offered = gGraphics.caps.PresentationIntervals & D3DPRESENT_INTERVAL_FOUR;
    EXPECT_EQ(offered ? D3DPRESENT_INTERVAL_FOUR : D3DPRESENT_INTERVAL_DEFAULT,
              gGraphics.presentParams.PresentationInterval);
}

TEST(Device, UnsupportedDepthFormatIsLoweredWithOneMessage)
{
    test::MessageRecorder messages;
    TestDevice device;
    gGraphics.presentParams.AutoDepthStencilFormat = D3DFMT_D32;
    ASSERT_EQ(0, device.Init()) << messages.Joined();
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(D3D_OK, Device3D->GetDepthStencilSurface(&depth));
    D3DSURFACE_DESC desc;
    depth->GetDesc(&desc);
    depth->Release();
    EXPECT_EQ(gGraphics.presentParams.AutoDepthStencilFormat, desc.Format);
    if (desc.Format == D3DFMT_D32) {
        EXPECT_EQ(0u, messages.Count());
    } else {
        ASSERT_EQ(1u, messages.Count());
        EXPECT_EQ("DEPTH_FORMAT of 'Application.cfg' is not supported by the device, "
                  "D3DFMT_D24X8 is used instead.",
                  messages.Texts()[0]);
    }
}

TEST(Device, FramedWindowTakesTheBackBufferFromItsClientArea)
{
    TestDevice device(WS_OVERLAPPEDWINDOW, 500, 400);
    AppWindowConfig.width = 300;
    AppWindowConfig.height = 200;
    ASSERT_EQ(0, device.Init());
    RECT client;
    GetClientRect(device.Window(), &client);
    D3DSURFACE_DESC desc = BackBufferDesc();
    EXPECT_EQ(UINT(client.right), desc.Width);
    EXPECT_EQ(UINT(client.bottom), desc.Height);
    EXPECT_NE(300u, desc.Width);
}

TEST(Device, UnframedWindowTakesTheConfiguredSize)
{
    TestDevice device(WS_POPUP, 320, 240);
    AppWindowConfig.width = 256;
    AppWindowConfig.height = 128;
    ASSERT_EQ(0, device.Init());
    D3DSURFACE_DESC desc = BackBufferDesc();
    EXPECT_EQ(256u, desc.Width);
    EXPECT_EQ(128u, desc.Height);
    EXPECT_EQ(256u, gGraphics.defaultViewport.Width);
    EXPECT_EQ(128u, gGraphics.viewport.Height);
}

TEST(Device, InitMakesTheDrawingObjects)
{
    test::MessageRecorder messages;
    TestDevice device;
    ASSERT_EQ(0, device.Init());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_NE(nullptr, gGraphics.sprite);
    EXPECT_NE(nullptr, gGraphics.line);
    for (IDirect3DVertexDeclaration9* d : gGraphics.declarations)
        EXPECT_NE(nullptr, d);
    UINT count = 0;
    gGraphics.declarations[4]->GetDeclaration(nullptr, &count);
    EXPECT_EQ(4u, count);  // position, colour, texture coordinate, end
    EXPECT_EQ(30, gGraphics.vsLevel);
    EXPECT_EQ(30, gGraphics.psLevel);
    EXPECT_EQ(11, gGraphics.spriteShader11.level);
    EXPECT_NE(nullptr, gGraphics.spriteShader11.vs);
    EXPECT_EQ(30, gGraphics.spriteShader30.level);
    EXPECT_NE(nullptr, gGraphics.spriteShader30.vs);
    EXPECT_STREQ("vs_3_0", gGraphics.vsProfiles[30]);
    EXPECT_STREQ("ps_1_4", gGraphics.psProfiles[14]);
    EXPECT_STREQ("", gGraphics.vsProfiles[10]);
    for (uint32_t f : gGraphics.filters)
        EXPECT_EQ(uint32_t(D3DTEXF_LINEAR), f);

    ASSERT_NE(nullptr, gGraphics.whiteTexture);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(D3D_OK, gGraphics.whiteTexture->LockRect(0, &lr, nullptr, D3DLOCK_READONLY));
    EXPECT_EQ(0xFFFFFFFFu, *static_cast<DWORD*>(lr.pBits));
    gGraphics.whiteTexture->UnlockRect(0);
}

IDirect3DVertexDeclaration9** gRefused = nullptr;
void* gCreateDeclaration = nullptr;

HRESULT WINAPI RefuseDeclaration(IDirect3DDevice9* device, const D3DVERTEXELEMENT9* elements,
                                 IDirect3DVertexDeclaration9** out)
{
    auto create = reinterpret_cast<decltype(&RefuseDeclaration)>(gCreateDeclaration);
    if (out != gRefused)
        return create(device, elements, out);
    *out = nullptr;
    return E_OUTOFMEMORY;
}

void PutEntry(void** entry, void* function)
{
    DWORD old = 0;
    VirtualProtect(entry, sizeof function, PAGE_READWRITE, &old);
    *entry = function;
    VirtualProtect(entry, sizeof function, old, &old);
}

// A declaration the device refuses leaves the others made and shows nothing; the last
// one's result is Init's. The devices' shared operation table is patched to refuse it.
TEST(Device, EveryVertexDeclarationIsTriedAndTheLastGivesTheResult)
{
    void** entry = nullptr;
    {
        TestDevice probe;
        ASSERT_EQ(0, probe.Init());
        auto member = &IDirect3DDevice9::CreateVertexDeclaration;
        ptrdiff_t raw;  // this compiler's member pointer: 1 + the entry's byte offset
        memcpy(&raw, &member, sizeof raw);
        entry = *reinterpret_cast<void***>(Device3D) + (raw - 1) / ptrdiff_t(sizeof(void*));
    }
    gCreateDeclaration = *entry;
    PutEntry(entry, reinterpret_cast<void*>(&RefuseDeclaration));
    for (int refused : {1, VERTEX_DECLARATION_COUNT - 1}) {
        test::MessageRecorder messages;
        TestDevice device;
        gRefused = &gGraphics.declarations[refused];
        EXPECT_EQ(refused == VERTEX_DECLARATION_COUNT - 1 ? E_OUTOFMEMORY : 0, device.Init());
        for (int i = 0; i < VERTEX_DECLARATION_COUNT; ++i)
            EXPECT_EQ(i == refused, gGraphics.declarations[i] == nullptr) << refused << " " << i;
        EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    }
    PutEntry(entry, gCreateDeclaration);
}

TEST(Device, MissingSpriteFilesAreReportedButNotFatal)
{
    test::MessageRecorder messages;
    TestDevice device;
    std::string dir = test::TempDir("graphics_noshader");
    SetCurrentDirectoryA(dir.c_str());
    EXPECT_EQ(0, device.Init());
    ASSERT_EQ(4u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Can`t find shader file.. System/SpriteShader.hls", messages.Texts()[1]);
    EXPECT_EQ("CORE:  LoadMesh error: Can't find file... System/SpriteMesh.msh",
              messages.Texts()[2]);
    EXPECT_EQ("CORE:  LoadMesh error: Can't find file... System/SpriteMesh2.msh",
              messages.Texts()[3]);
    EXPECT_EQ(nullptr, gGraphics.spriteShader11.vs);
    EXPECT_EQ(0, gGraphics.spriteShader11.level);
    EXPECT_EQ(nullptr, gGraphics.SpriteMesh.vertexBuffer);
    EXPECT_EQ(0, gGraphics.SpriteMesh.vertexCount);
    EXPECT_NE(nullptr, gGraphics.whiteTexture);  // start-up went on
}

TEST(Device, ReleaseForgetsTheDeviceAndPresentThenDoesNothing)
{
    test::MessageRecorder messages;
    {
        TestDevice device;
        ASSERT_EQ(0, device.Init());
        gGraphics.BeginScene();
        gGraphics.CullCW();
        gGraphics.EndScene();
        gGraphics.Release();
        EXPECT_EQ(nullptr, Device3D);
        EXPECT_EQ(nullptr, Direct3D);
        EXPECT_EQ(0u, gGraphics.RenderStates);
        EXPECT_EQ(nullptr, gGraphics.whiteTexture);
        gGraphics.Present(nullptr);
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(Device, SceneOnceNestsInsideAnOpenScene)
{
    TestDevice device;
    ASSERT_EQ(0, device.Init());
    gGraphics.BeginSceneOnce();
    EXPECT_EQ(1, gGraphics.inScene);
    gGraphics.EndSceneOnce();
    EXPECT_EQ(0, gGraphics.inScene);

    gGraphics.BeginScene();
    gGraphics.BeginSceneOnce();
    gGraphics.EndSceneOnce();
    EXPECT_EQ(1, gGraphics.inScene);  // not begun by the Once pair, not ended by it
    gGraphics.EndScene();
    gGraphics.EndScene();
    EXPECT_EQ(0, gGraphics.inScene);
}

TEST(Device, ViewportSettersCountPushesAndRestoreClears)
{
    TestDevice device;
    ASSERT_EQ(0, device.Init());
    gGraphics.SetViewport(1, 2, 30, 40);
    RECT r = {10, 20, 19, 39};
    gGraphics.SetViewportRect(r);
    D3DVIEWPORT9 vp;
    Device3D->GetViewport(&vp);
    EXPECT_EQ(10u, vp.X);
    EXPECT_EQ(10u, vp.Width);
    EXPECT_EQ(20u, vp.Height);
    gGraphics.SetViewportEx({5, 6, 7, 8, 0.3f, 0.4f});
    Device3D->GetViewport(&vp);
    EXPECT_EQ(0.0f, vp.MinZ);
    EXPECT_EQ(1.0f, vp.MaxZ);
    EXPECT_EQ(3, gGraphics.viewportPushCount);
    gGraphics.RestoreViewport();
    EXPECT_EQ(0, gGraphics.viewportPushCount);
    Device3D->GetViewport(&vp);
    EXPECT_EQ(320u, vp.Width);
}

TEST(Device, VersionsMapToShaderLevels)
{
    EXPECT_EQ(10, VertexShaderLevel(0xFFFE0100));
    EXPECT_EQ(11, VertexShaderLevel(0xFFFE0101));
    EXPECT_EQ(11, VertexShaderLevel(0xFFFE0104));
    EXPECT_EQ(20, VertexShaderLevel(0xFFFE0201));
    EXPECT_EQ(30, VertexShaderLevel(0xFFFE0300));
    EXPECT_EQ(0, VertexShaderLevel(0));
    EXPECT_EQ(0, PixelShaderLevel(0xFFFF0100));
    EXPECT_EQ(11, PixelShaderLevel(0xFFFF0101));
    EXPECT_EQ(13, PixelShaderLevel(0xFFFF0103));
    EXPECT_EQ(14, PixelShaderLevel(0xFFFF0104));
    EXPECT_EQ(20, PixelShaderLevel(0xFFFF0200));
    EXPECT_EQ(30, PixelShaderLevel(0xFFFF0300));
}

// The program itself on a data folder of the test's own.
class FrameTest : public ::testing::Test {
protected:
    static constexpr D3DCOLOR CLEAR = 0xFF204060;

    void SetUp() override
    {
        dir = test::TempDir("graphics_frame");
        test::WriteFile(dir + "\\System\\Application.cfg",
                        "WINDOWED true\nWIDTH 320\nHEIGHT 240\nCLEAR_COLOR FF204060\n");
        test::CopySpriteFiles(dir);
        test::WriteFile(dir + "\\System\\WinElems.tga",  // the window skin
                        test::ReadFile(test::RunDir() + "\\System\\WinElems.tga"));
        test::WriteFile(dir + "\\System\\HintTexture.bmp",  // the tooltip target
                        test::ReadFile(test::RunDir() + "\\System\\HintTexture.bmp"));
        test::WriteFile(dir + "\\Developer\\MainPanel.tga",  // the developer panel
                        test::ReadFile(test::RunDir() + "\\Developer\\MainPanel.tga"));
        test::WriteFile(dir + "\\Scripts\\Start.txt", "");  // the engine's start script
        ASSERT_EQ(1, program.Start(dir)) << messages.Joined();
        // The engine stays out of these frames (no presentation starts, so none sets its
        // clear colour): only the device's clearing is looked at.
        gIEngine->Stop();
        gGraphics.viewportWarningBudget = 2;
        gGraphics.renderTargetWarningBudget = 2;
    }

    // One frame of the program without its present, so that the back buffer read back is
    // the one this frame drew (presenting rotates the swap chain's buffers).
    void RenderFrame() { gCore.RenderFrame(); }

    // The colour in the middle of the 3D view (left of the 250-pixel control column) and
    // whether the whole view has it.
    D3DCOLOR Picture(bool* uniform)
    {
        test::Image image;
        EXPECT_TRUE(test::ReadBackBuffer(image));
        const int viewWidth = image.width - 250;
        D3DCOLOR mid = image.At(viewWidth / 2, image.height / 2);
        *uniform = true;
        for (int y = 0; y < image.height; y += 7)
            for (int x = 0; x < viewWidth; x += 7)
                *uniform = *uniform && test::ColorNear(image.At(x, y), mid, 0);
        return mid;
    }

    size_t CountMessages(const std::string& text)
    {
        size_t n = 0;
        for (const std::string& t : messages.Texts())
            n += t.find(text) == 0;
        return n;
    }

    test::MessageRecorder messages;
    test::Program program;
    std::string dir;
};

TEST_F(FrameTest, AFrameClearsToTheConfiguredColour)
{
    ASSERT_TRUE(program.RunFrames(2));
    RenderFrame();
    bool uniform = false;
    D3DCOLOR mid = Picture(&uniform);
    EXPECT_TRUE(test::ColorNear(CLEAR, mid, 0)) << std::hex << mid;
    EXPECT_TRUE(uniform);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(FrameTest, ViewportLeftSetWarnsTwiceAndTheFrameStillClears)
{
    const D3DCOLOR colours[] = {0xFF102030, 0xFF405060, 0xFF708090};
    ASSERT_TRUE(program.RunFrames(1));
    for (D3DCOLOR c : colours) {
        gGraphics.SetViewport(0, 0, 8, 8);
        gGraphics.clearColor = c;
        RenderFrame();
        bool uniform = false;
        EXPECT_TRUE(test::ColorNear(c, Picture(&uniform), 0));
        EXPECT_TRUE(uniform);
        EXPECT_EQ(0, gGraphics.viewportPushCount);
        EXPECT_EQ(gGraphics.defaultViewport.Width, gGraphics.viewport.Width);
    }
    gGraphics.SetViewport(0, 0, 8, 8);
    EXPECT_EQ(-1, gGraphics.BeginFrame());
    gGraphics.EndScene();
    EXPECT_EQ(2u, CountMessages("ViewPort is not restored.")) << messages.Joined();
    EXPECT_EQ(2u, messages.Count()) << messages.Joined();
}

TEST_F(FrameTest, OffscreenPassLeftOpenIsEndedAndTheFrameStillClears)
{
    ASSERT_TRUE(program.RunFrames(1));
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, Device3D->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET,
                                              D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &texture,
                                              nullptr));
    IDirect3DSurface9 *back = nullptr, *surface = nullptr;
    Device3D->GetRenderTarget(0, &back);
    texture->GetSurfaceLevel(0, &surface);
    // What an off-screen pass leaves behind when nobody ends it.
    gGraphics.savedBackBuffer = back;
    gGraphics.offscreenTexture = texture;
    gGraphics.onBackBuffer = 0;
    Device3D->SetRenderTarget(0, surface);
    surface->Release();

    gGraphics.clearColor = 0xFF00FF00;
    RenderFrame();
    EXPECT_EQ(1u, CountMessages("Render target is not restored.")) << messages.Joined();
    EXPECT_EQ(1, gGraphics.onBackBuffer);
    EXPECT_EQ(nullptr, gGraphics.savedBackBuffer);
    bool uniform = false;
    EXPECT_TRUE(test::ColorNear(0xFF00FF00, Picture(&uniform), 0));
    EXPECT_TRUE(uniform);
    IDirect3DSurface9* current = nullptr;
    Device3D->GetRenderTarget(0, &current);
    IDirect3DSurface9* backBuffer = nullptr;
    Device3D->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    EXPECT_EQ(backBuffer, current);
    current->Release();
    backBuffer->Release();
    texture->Release();
}

} // namespace
