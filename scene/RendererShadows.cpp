// The shadow pass: the frame's shadow casters drawn from each shadow camera into its
// shadow map before the scene. Cameras without a usable map are skipped silently; a map
// without a depth surface is drawn without Z. Targets, viewport, matrices and the shared
// view point are restored afterwards.

#include "scene/Renderer.h"

#include "core/Graphics.h"
#include "engine/ClassTemplate.h"
#include "engine/TexContainer.h"
#include "scene/Camera.h"
#include "scene/Geometry.h"

#include <algorithm>

namespace {

// What a pass into an off-screen target changes and must give back.
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
};

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
}

void RestoreTargets(CRenderer& r, SSavedTargets* s)
{
    Device3D->SetRenderTarget(0, s->colour);
    Device3D->SetDepthStencilSurface(s->depth);
    if (s->colour) s->colour->Release();
    if (s->depth) s->depth->Release();
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
}

D3DXCOLOR ArgbColour(uint32_t argb)
{
    return D3DXCOLOR(D3DCOLOR(argb));
}

} // namespace

bool CRenderer::BindShadowTarget(const CShadowCamera& camera)
{
    IDirect3DSurface9* map = gITexContainer ? gITexContainer->GetSurface(camera.shadowMap) : nullptr;
    if (!map) return false;
    D3DSURFACE_DESC desc;
    map->GetDesc(&desc);
    Device3D->SetRenderTarget(0, map);
    IDirect3DSurface9* depth = camera.depthBuffer ? gITexContainer->GetSurface(camera.depthBuffer) : nullptr;
    Device3D->SetDepthStencilSurface(depth);
    shadowPass = depth ? 1 : 0;
    gGraphics.SetZEnable(depth != nullptr);
    gGraphics.SetZWrite(depth != nullptr);
    gGraphics.SetViewport(0, 0, int(desc.Width), int(desc.Height));
    gGraphics.SetColorWrite(0xF);
    Device3D->Clear(0, nullptr, depth ? D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER : D3DCLEAR_TARGET,
                    D3DCOLOR(camera.clearColor), 1.0f, 0);
    return true;
}

void CRenderer::DrawShadowCasters(const CShadowCamera& camera)
{
    uint32_t loaded = camera.fillColor;
    for (CAtom* caster : shadowCasters) {
        if (!caster || !caster->id) continue;
        const uint32_t own = caster->classTemplate ? caster->classTemplate->ShadowFillColor : 0;
        const uint32_t fill = own ? own : camera.fillColor;
        if (fill != loaded) {
            ShadowColor = ArgbColour(fill);
            loaded = fill;
        }
        GatherDataFromAnimations(caster);
        SetUnitConstants(caster, PASS_SHADOW);
        auto* geometry = static_cast<CGeometry*>(caster);
        if (!geometry->mesh) continue;
        if (caster->classTemplate) ApplyRenderStates(caster->classTemplate->renderStates, PASS_SHADOW);
        caster->Render(PASS_SHADOW);
    }
}

void CRenderer::RenderShadows()
{
    shadowPass = 0;
    if (!Device3D || shadowCameras.empty() || shadowCasters.empty() || !shadowReceivers) return;
    SSavedTargets saved;
    SaveTargets(*this, &saved);
    for (int i = 0; i < ShadowCameraCount(); ++i) {
        auto* camera = dynamic_cast<CShadowCamera*>(shadowCameras[size_t(i)]);
        if (!camera || !BindShadowTarget(*camera)) continue;
        if (camera->fillColor) {
            ShadowColor = ArgbColour(camera->fillColor);
            ShadowClearColor = ArgbColour(camera->clearColor);
        }
        SetUnitConstants(camera, PASS_SHADOW);
        camera->Render(PASS_SHADOW);
        shadowViewProj[i] = viewProj;
        DrawShadowCasters(*camera);
    }
    RestoreTargets(*this, &saved);
    shadowPass = 0;
}
