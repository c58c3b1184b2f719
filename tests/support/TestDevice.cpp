#include "tests/support/TestDevice.h"

#include "core/Core.h"
#include "engine/TexContainer.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

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

uint16_t ColourTexture(D3DCOLOR argb)
{
    const uint16_t index = gTexContainer->CreateTexture(2, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0);
    IDirect3DTexture9* texture = gTexContainer->GetTexture(index);
    D3DLOCKED_RECT locked;
    if (texture && SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
        for (int row = 0; row < 2; ++row) {
            auto* texels = reinterpret_cast<D3DCOLOR*>(static_cast<char*>(locked.pBits) + row * locked.Pitch);
            texels[0] = texels[1] = argb;
        }
        texture->UnlockRect(0);
    }
    return index;
}

void UseClipSpace()
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (D3DTRANSFORMSTATETYPE transform : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION})
        Device3D->SetTransform(transform, &identity);
    gGraphics.SetVertexShader(nullptr);
    gGraphics.SetPixelShader(nullptr);
    gGraphics.SetLighting(false);
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

std::vector<float> VertexConstants(int first, int count)
{
    std::vector<float> values(size_t(count) * 4, -12345.0f);
    EXPECT_EQ(D3D_OK, Device3D->GetVertexShaderConstantF(UINT(first), values.data(), UINT(count)));
    return values;
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
