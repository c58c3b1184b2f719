#include "scene/RendererTargets.h"

#include "core/Graphics.h"
#include "scene/Camera.h"
#include "scene/Renderer.h"

void SaveTargets(const CRenderer& r, SSavedTargets* s)
{
    Device3D->GetRenderTarget(0, &s->colour);
    Device3D->GetDepthStencilSurface(&s->depth);
    s->viewport = gGraphics.viewport;
    s->mView = r.mView;
    s->mProj = r.mProj;
    s->mViewProj = r.mViewProj;
    s->view = r.view;
    s->viewProj = r.viewProj;
    s->cameraView = gCameraView;
    s->graphicsCamera = gGraphics.camera;
    s->graphicsView = gGraphics.view;
    s->graphicsProjection = gGraphics.projection;
    s->graphicsViewProjection = gGraphics.viewProjection;
    s->graphicsInverseView = gGraphics.inverseView;
    s->frustum = gGraphics.frustum;
    Device3D->GetRenderState(D3DRS_ZENABLE, &s->zEnable);
    Device3D->GetRenderState(D3DRS_ZWRITEENABLE, &s->zWrite);
    Device3D->GetRenderState(D3DRS_MULTISAMPLEANTIALIAS, &s->antialias);
}

void RestoreTargets(CRenderer& r, SSavedTargets* s)
{
    Device3D->SetRenderTarget(0, s->colour);
    Device3D->SetDepthStencilSurface(s->depth);
    ReleaseAndClear(s->colour);
    ReleaseAndClear(s->depth);
    gGraphics.SetViewportEx(s->viewport);
    r.mView = s->mView;
    r.mProj = s->mProj;
    r.mViewProj = s->mViewProj;
    r.view = s->view;
    r.viewProj = s->viewProj;
    gCameraView = s->cameraView;
    gGraphics.camera = s->graphicsCamera;
    gGraphics.view = s->graphicsView;
    gGraphics.projection = s->graphicsProjection;
    gGraphics.viewProjection = s->graphicsViewProjection;
    gGraphics.inverseView = s->graphicsInverseView;
    gGraphics.frustum = s->frustum;
    Device3D->SetTransform(D3DTS_VIEW, &gGraphics.view);
    Device3D->SetTransform(D3DTS_PROJECTION, &gGraphics.projection);
    gGraphics.SetZEnable(s->zEnable != FALSE);
    gGraphics.SetZWrite(s->zWrite != FALSE);
    Device3D->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, s->antialias);
}
