#include "tests/support/TestDevice.h"

#include "core/Core.h"
#include "tests/support/Harness.h"

namespace test {

namespace {

const char WINDOW_CLASS[] = "GraphicsTestWindow";

void RegisterClassOnce()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = WINDOW_CLASS;
    RegisterClassExA(&wc);
    registered = true;
}

} // namespace

std::string TestDevice::DataDir()
{
    static std::string dir;
    if (dir.empty()) {
        dir = TempDir("graphics_data");
        CopySpriteFiles(dir);
    }
    return dir;
}

TestDevice::TestDevice(DWORD style, int width, int height)
{
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    oldDir_ = cwd;
    SetCurrentDirectoryA(DataDir().c_str());
    RegisterClassOnce();
    window_ = CreateWindowExA(0, WINDOW_CLASS, "", style, 0, 0, width, height, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    ResetCoreSettings();
    gGraphics.ResetSettings();
    AppWindowConfig.windowed = 1;
    AppWindowConfig.winStyle = style;
    AppWindowConfig.width = width;
    AppWindowConfig.height = height;
    AppWindowConfig.hWnd = window_;
}

TestDevice::~TestDevice()
{
    gGraphics.Release();
    DestroyWindow(window_);
    ResetCoreSettings();
    gGraphics.ResetSettings();
    SetCurrentDirectoryA(oldDir_.c_str());
}

int TestDevice::Init()
{
    return gGraphics.Init(window_);
}

void CopySpriteFiles(const std::string& dir)
{
    for (const char* name : {"SpriteShader.hls", "SpriteMesh.msh", "SpriteMesh2.msh"})
        WriteFile(dir + "\\System\\" + name, ReadFile(RunDir() + "\\System\\" + name));
}

DWORD RenderState(D3DRENDERSTATETYPE state)
{
    DWORD v = 0xDEADBEEF;
    Device3D->GetRenderState(state, &v);
    return v;
}

DWORD StageState(int stage, D3DTEXTURESTAGESTATETYPE type)
{
    DWORD v = 0xDEADBEEF;
    Device3D->GetTextureStageState(stage, type, &v);
    return v;
}

D3DSURFACE_DESC BackBufferDesc()
{
    D3DSURFACE_DESC desc = {};
    IDirect3DSurface9* back = nullptr;
    if (SUCCEEDED(Device3D->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
        back->GetDesc(&desc);
        back->Release();
    }
    return desc;
}

} // namespace test
