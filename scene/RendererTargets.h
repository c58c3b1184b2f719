#pragma once
// What a renderer pass into an off-screen target changes and must give back: colour
// target, depth surface, viewport, the renderer's and the device's view matrices, the
// shared view point, the Z states and the antialias state. Save holds references to the
// targets until Restore.

#include "core/GraphicsTypes.h"
#include "core/ViewPoint.h"

class CRenderer;

struct SSavedTargets {
    IDirect3DSurface9* colour = nullptr;
    IDirect3DSurface9* depth = nullptr;
    D3DVIEWPORT9 viewport{};
    D3DXMATRIX mView, mProj, mViewProj, view, viewProj;
    CViewPoint cameraView;
    CViewPoint* graphicsCamera = nullptr;
    D3DXMATRIX graphicsView, graphicsProjection, graphicsViewProjection, graphicsInverseView;
    SFrustum frustum{};
    DWORD zEnable = TRUE, zWrite = TRUE;
    DWORD antialias = FALSE;
};

void SaveTargets(const CRenderer& r, SSavedTargets* s);
void RestoreTargets(CRenderer& r, SSavedTargets* s);
