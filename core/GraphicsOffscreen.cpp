// The render-target stack, off-screen passes into textures and clearing rectangles of the
// current target. Device results are combined and returned, never reported.

#include "core/Graphics.h"
#include "core/Textures.h"

namespace {

// Results of the device are OR-ed, so any failure leaves error bits in the combined value.
int Combine(HRESULT a, HRESULT b, HRESULT c)
{
    return int(a) | int(b) | int(c);
}

D3DVIEWPORT9 WholeSurface(IDirect3DSurface9* surface)
{
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    return {0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
}

// Clears depth and stencil only when a depth surface is set: the device refuses the flag
// without one.
DWORD DepthFlags()
{
    IDirect3DSurface9* depth = nullptr;
    if (FAILED(Device3D->GetDepthStencilSurface(&depth)) || !depth)
        return 0;
    depth->Release();
    return D3DCLEAR_ZBUFFER;
}

} // namespace

int CGraphics::PushRenderTarget()
{
    if (renderTargetDepth >= RENDER_TARGET_STACK_SIZE)
        return -1;
    SRenderTargetRecord& r = renderTargets[renderTargetDepth];
    const HRESULT a = Device3D->GetViewport(&r.viewport);
    const HRESULT b = Device3D->GetRenderTarget(0, &r.target);
    const HRESULT c = Device3D->GetDepthStencilSurface(&r.depth);
    ++renderTargetDepth;
    return Combine(a, b, c);
}

IDirect3DSurface9* CGraphics::SetRenderTarget(IDirect3DTexture9* texture,
                                              IDirect3DSurface9* depth, const RECT* rect)
{
    IDirect3DSurface9* surface = SetRenderTargetDepth(texture, depth);
    if (rect) {
        SetViewportRect(*rect);
    } else if (surface) {
        // The device already set the whole surface as viewport with the target.
        viewport = WholeSurface(surface);
        ++viewportPushCount;
    }
    return surface;
}

int CGraphics::PopRenderTarget()
{
    if (renderTargetDepth <= 0)
        return -1;
    SRenderTargetRecord& r = renderTargets[--renderTargetDepth];
    const HRESULT a = Device3D->SetRenderTarget(0, r.target);
    ReleaseAndClear(r.target);
    const HRESULT b = Device3D->SetDepthStencilSurface(r.depth);
    ReleaseAndClear(r.depth);
    viewport = r.viewport;
    const HRESULT c = Device3D->SetViewport(&viewport);
    --viewportPushCount;
    return Combine(a, b, c);
}

IDirect3DSurface9* CGraphics::SetRenderTargetTexture(IDirect3DTexture9* texture)
{
    IDirect3DSurface9* surface = GetSurface(texture);
    if (!surface)
        return nullptr;
    Device3D->SetRenderTarget(0, surface);
    // The texture keeps the surface alive; the caller gets it without a reference.
    surface->Release();
    return surface;
}

IDirect3DSurface9* CGraphics::SetRenderTargetDepth(IDirect3DTexture9* texture,
                                                   IDirect3DSurface9* depth)
{
    IDirect3DSurface9* surface = SetRenderTargetTexture(texture);
    Device3D->SetDepthStencilSurface(depth);
    return surface;
}

void CGraphics::BeginOffscreen(IDirect3DTexture9* texture, IDirect3DSurface9* depth,
                               bool useDepth)
{
    EndSprites();
    if (onBackBuffer) {
        ReleaseAndClear(savedBackBuffer);
        ReleaseAndClear(savedDepth);
        Device3D->GetRenderTarget(0, &savedBackBuffer);
        if (depth)
            Device3D->GetDepthStencilSurface(&savedDepth);
    }
    if (texture != offscreenTexture) {
        offscreenTexture = texture;
        if (IDirect3DSurface9* surface = SetRenderTargetTexture(texture))
            viewport = WholeSurface(surface);
    }
    if (!useDepth) {
        // A pass without depth never keeps the back buffer's, whose size may not match.
        if (!savedDepth)
            Device3D->GetDepthStencilSurface(&savedDepth);
        Device3D->SetDepthStencilSurface(nullptr);
    } else if (depth != offscreenDepth) {
        offscreenDepth = depth;
        Device3D->SetDepthStencilSurface(depth);
    }
    onBackBuffer = 0;
    ++offscreenBeginCount;
}

void CGraphics::EndOffscreen()
{
    if (onBackBuffer)
        return;
    if (savedBackBuffer) {
        Device3D->SetRenderTarget(0, savedBackBuffer);
        viewport = WholeSurface(savedBackBuffer);
        ReleaseAndClear(savedBackBuffer);
    }
    if (savedDepth) {
        Device3D->SetDepthStencilSurface(savedDepth);
        ReleaseAndClear(savedDepth);
    }
    offscreenTexture = nullptr;
    offscreenDepth = nullptr;
    onBackBuffer = 1;
}

HRESULT CGraphics::FillTexture(IDirect3DTexture9* texture, D3DCOLOR colour)
{
    IDirect3DSurface9* surface = GetSurface(texture);
    if (!surface)
        return -1;
    const HRESULT hr = Device3D->ColorFill(surface, nullptr, colour);
    surface->Release();
    return hr;
}

void CGraphics::ClearRect(int left, int top, int right, int bottom, D3DCOLOR colour)
{
    if (!Device3D || right <= left || bottom <= top)
        return;
    const D3DRECT rect = {left, top, right, bottom};
    Device3D->Clear(1, &rect, D3DCLEAR_TARGET, colour, 1.0f, 0);
}

void CGraphics::ClearRectPtr(const RECT& rect, D3DCOLOR colour)
{
    ClearRect(rect.left, rect.top, rect.right, rect.bottom, colour);
}

void CGraphics::ClearRectZ(int left, int top, int right, int bottom, D3DCOLOR colour)
{
    if (!Device3D || right <= left || bottom <= top)
        return;
    const D3DRECT rect = {left, top, right, bottom};
    Device3D->Clear(1, &rect, D3DCLEAR_TARGET | DepthFlags(), colour, 1.0f, 0);
}

void CGraphics::Clear(D3DCOLOR colour)
{
    if (Device3D)
        Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | DepthFlags(), colour, 1.0f, 0);
}
