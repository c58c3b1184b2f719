// The end of an off-screen pass: back to the saved back buffer and depth surface.

#include "core/Graphics.h"

void CGraphics::EndOffscreen()
{
    if (onBackBuffer)
        return;
    if (savedBackBuffer) {
        Device3D->SetRenderTarget(0, savedBackBuffer);
        D3DSURFACE_DESC desc;
        savedBackBuffer->GetDesc(&desc);
        viewport = {0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
        savedBackBuffer->Release();
        savedBackBuffer = nullptr;
    }
    if (savedDepth) {
        Device3D->SetDepthStencilSurface(savedDepth);
        savedDepth->Release();
        savedDepth = nullptr;
    }
    offscreenTexture = nullptr;
    offscreenDepth = nullptr;
    onBackBuffer = 1;
}
