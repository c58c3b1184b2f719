#include "core/Graphics.h"

#include "core/Core.h"
#include "core/Messages.h"

IDirect3D9* Direct3D;
IDirect3DDevice9* Device3D;
CGraphics gGraphics;

CGraphics::CGraphics()
{
    presentParams = D3DPRESENT_PARAMETERS{};
    presentParams.BackBufferWidth = 1024;
    presentParams.BackBufferHeight = 768;
    presentParams.BackBufferFormat = D3DFMT_X8R8G8B8;
    presentParams.BackBufferCount = 3;
    presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParams.EnableAutoDepthStencil = TRUE;
    presentParams.AutoDepthStencilFormat = D3DFMT_D16;
    presentParams.FullScreen_RefreshRateInHz = 75;
    presentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
}

int CGraphics::Init(HWND window)
{
    Direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!Direct3D) {
        MsgBox("Can`t create Direct3D of DX9 version");
        return -1;
    }
    const SAppWindowConfig& cfg = AppWindowConfig;
    D3DPRESENT_PARAMETERS& pp = presentParams;
    pp.hDeviceWindow = window;
    if (cfg.windowed) {
        pp.Windowed = TRUE;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.FullScreen_RefreshRateInHz = 0;
        bool framed = (cfg.winStyle & WS_OVERLAPPEDWINDOW) != 0;
        pp.BackBufferWidth = framed ? 0 : cfg.width;
        pp.BackBufferHeight = framed ? 0 : cfg.height;
    } else {
        pp.Windowed = FALSE;
        pp.BackBufferWidth = cfg.width;
        pp.BackBufferHeight = cfg.height;
    }
    HRESULT hr = Direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                        D3DCREATE_MIXED_VERTEXPROCESSING, &pp, &Device3D);
    if (FAILED(hr))
        hr = Direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                    D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &Device3D);
    if (FAILED(hr) || !Device3D) {
        MsgBox("Can`t create 3D device (of DirectX9 version: October2006)");
        return -10;
    }
    return 0;
}

void CGraphics::BeginScene()
{
    inScene = 1;
    Device3D->BeginScene();
}

void CGraphics::EndScene()
{
    if (!inScene)
        return;
    Device3D->EndScene();
    inScene = 0;
}

int CGraphics::BeginFrame()
{
    BeginScene();
    if (clearFlags)
        Device3D->Clear(0, nullptr, clearFlags, clearColor, 1.0f, 0);
    return 0;
}

void CGraphics::Present(HWND window)
{
    if (!Device3D)
        return;
    HWND target = window ? window : AppWindowConfig.hWnd;
    if (FAILED(Device3D->Present(nullptr, nullptr, target, nullptr)))
        WarningBox(&presentBudget, "Error in Device3D->Present().", nullptr);
}

void CGraphics::Release()
{
    if (Device3D) {
        Device3D->Release();
        Device3D = nullptr;
    }
    if (Direct3D) {
        Direct3D->Release();
        Direct3D = nullptr;
    }
}

void CGraphics::SetColorWrite(uint32_t mask)
{
    if (mask != colorWrite) {
        colorWrite = mask;
        Device3D->SetRenderState(D3DRS_COLORWRITEENABLE, mask);
    }
}

void CGraphics::BlendOff()
{
    Device3D->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void CGraphics::SetZFunc(uint32_t func)
{
    if (func != zFunc) {
        zFunc = func;
        Device3D->SetRenderState(D3DRS_ZFUNC, func);
    }
}

void CGraphics::DrawCursor() {}

void CGraphics::DrawText(int, const char*, const RECT&, D3DCOLOR) {}
