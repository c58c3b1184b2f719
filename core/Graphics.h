#pragma once
// CGraphics: the program's one Direct3D 9 device (gGraphics), with Direct3D and Device3D
// as the raw interfaces every layer draws through. Owns device creation from the
// configuration, the frame bracket and presentation. Creation failures are reported by
// message box and end start-up; a failed present is reported once.

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>

extern IDirect3D9* Direct3D;
extern IDirect3DDevice9* Device3D;

struct CGraphics {
    D3DPRESENT_PARAMETERS presentParams;
    D3DCOLOR clearColor = 0;
    uint32_t clearFlags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER;
    uint32_t colorWrite = 15;
    uint32_t zFunc = D3DCMP_LESSEQUAL;
    int inScene = 0;
    int presentBudget = 1;
    D3DCOLOR textureColorKey = 0;
    D3DMULTISAMPLE_TYPE maxMultiSample = D3DMULTISAMPLE_NONE;

    CGraphics();
    int Init(HWND window);
    int BeginFrame();
    void BeginScene();
    void EndScene();
    void Present(HWND window);
    void Release();

    void SetColorWrite(uint32_t mask);
    void BlendOff();
    void SetZFunc(uint32_t func);
    void DrawCursor();
    void DrawText(int font, const char* text, const RECT& rect, D3DCOLOR color);

    // --- Render-target textures and surfaces (core/Textures.cpp) ---
    // 1 level, render-target usage, default pool; null on failure.
    IDirect3DTexture9* CreateTargetTexture(int width, int height, D3DFORMAT format);
    // Quality 0, not lockable, no discard; null on failure.
    IDirect3DSurface9* CreateRenderTarget(int width, int height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE samples);
    IDirect3DSurface9* CreateDepthSurface(int width, int height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE samples);
    // --- end of render-target textures and surfaces ---
};
extern CGraphics gGraphics;
