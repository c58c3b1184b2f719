#include "tests/support/BareDevice.h"

#include "core/Graphics.h"

#include <windows.h>

namespace test {

namespace {
HWND gBareWindow = nullptr;
}

bool EnsureBareDevice()
{
    if (Device3D)
        return true;
    if (!gBareWindow)
        gBareWindow = CreateWindowA("STATIC", "test device", WS_POPUP, 0, 0, 64, 64, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!Direct3D)
        Direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!gBareWindow || !Direct3D)
        return false;
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.BackBufferWidth = 64;
    pp.BackBufferHeight = 64;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.hDeviceWindow = gBareWindow;
    HRESULT hr = Direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, gBareWindow,
                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &Device3D);
    return SUCCEEDED(hr) && Device3D;
}

void ReleaseBareDevice()
{
    if (Device3D)
        Device3D->Release();
    if (Direct3D)
        Direct3D->Release();
    Device3D = nullptr;
    Direct3D = nullptr;
    if (gBareWindow)
        DestroyWindow(gBareWindow);
    gBareWindow = nullptr;
}

} // namespace test
