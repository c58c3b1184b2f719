// The shadow pass: the frame's shadow casters drawn from each shadow camera into its
// shadow map before the scene, or into its multisampled target, which is then resolved
// into the map. Cameras without a usable map are skipped silently; a map without a depth
// surface is drawn without Z, a missing resolve target skips the copy. Targets, viewport,
// matrices, the shared view point and the antialias state are restored afterwards.
// With the developer panel's blank-shadows check the maps are only filled with its colour.

#include "scene/Renderer.h"

#include "core/Graphics.h"
#include "engine/ClassTemplate.h"
#include "engine/Engineer.h"
#include "engine/ShaderContainer.h"
#include "engine/TexContainer.h"
#include "scene/Camera.h"
#include "scene/Geometry.h"
#include "scene/RendererTargets.h"

#include <algorithm>

namespace {

D3DXCOLOR ArgbColour(uint32_t argb)
{
    return D3DXCOLOR(D3DCOLOR(argb));
}

bool ShadowMapsBlanked()
{
    return gEngineer && gEngineer->blankShadowMaps;
}

// The map the receivers read, filled with the blank colour; nothing is drawn into it.
void BlankShadowMap(const CShadowCamera& camera)
{
    IDirect3DSurface9* map = camera.shadowMap && gITexContainer ? gITexContainer->GetSurface(camera.shadowMap) : nullptr;
    if (!map) return;
    D3DSURFACE_DESC desc;
    map->GetDesc(&desc);
    Device3D->SetRenderTarget(0, map);
    Device3D->SetDepthStencilSurface(nullptr);
    gGraphics.SetViewport(0, 0, int(desc.Width), int(desc.Height));
    gGraphics.SetColorWrite(0xF);
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET, BLANK_SHADOW_COLOUR, 1.0f, 0);
}

} // namespace

IDirect3DSurface9* CRenderer::ShadowDrawTarget(const CShadowCamera& camera, bool* multisampled) const
{
    IDirect3DSurface9* pre = camera.preShadowMap ? gITexContainer->GetSurface(camera.preShadowMap) : nullptr;
    D3DSURFACE_DESC desc{};
    if (pre) pre->GetDesc(&desc);
    *multisampled = pre && desc.MultiSampleType != D3DMULTISAMPLE_NONE;
    if (*multisampled) return pre;
    return camera.shadowMap ? gITexContainer->GetSurface(camera.shadowMap) : nullptr;
}

bool CRenderer::BindShadowTarget(const CShadowCamera& camera, bool* multisampled)
{
    IDirect3DSurface9* map = gITexContainer ? ShadowDrawTarget(camera, multisampled) : nullptr;
    if (!map) return false;
    if (*multisampled) Device3D->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
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

// The multisampled picture copied into the resolve target, which is then drawn over the
// whole shadow map through the camera's resolve shader (or the sprite's own shading).
void CRenderer::ResolveShadowMap(const CShadowCamera& camera)
{
    Device3D->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, FALSE);
    IDirect3DTexture9* source = gITexContainer->GetTexture(camera.preShadowMapBacker);
    if (source)
        Device3D->StretchRect(gITexContainer->GetSurface(camera.preShadowMap), nullptr,
                              gITexContainer->GetSurface(camera.preShadowMapBacker), nullptr, D3DTEXF_LINEAR);
    else
        source = gITexContainer->GetTexture(camera.preShadowMap);
    IDirect3DSurface9* map = gITexContainer->GetSurface(camera.shadowMap);
    if (!source || !map) return;
    D3DSURFACE_DESC mapDesc, sourceDesc;
    map->GetDesc(&mapDesc);
    source->GetLevelDesc(0, &sourceDesc);
    Device3D->SetRenderTarget(0, map);
    Device3D->SetDepthStencilSurface(nullptr);
    gGraphics.SetViewport(0, 0, int(mapDesc.Width), int(mapDesc.Height));
    const CShader* shader = camera.preShadowPixelShader && gShaderContainer
                                ? gShaderContainer->GetShaderVariant(camera.preShadowPixelShader, 0)
                                : nullptr;
    const bool own = shader && shader->pixelShader.ps;
    if (own) gGraphics.SetPixelShader(&shader->pixelShader);
    gGraphics.DrawSprite(0, 0, source, nullptr, float(mapDesc.Width) / float(sourceDesc.Width),
                         float(mapDesc.Height) / float(sourceDesc.Height), 0xFFFFFFFF, own ? uint32_t(SPRITE_KEEP_PIXEL) : 0u);
}

// Drawing calls into units, and a unit may delete others (the camera too): every slot is
// read again after each call.
CShadowCamera* CRenderer::ShadowCameraAt(int slot) const
{
    return dynamic_cast<CShadowCamera*>(shadowCameras[size_t(slot)]);
}

void CRenderer::DrawShadowCasters(int cameraSlot)
{
    const CShadowCamera* camera = ShadowCameraAt(cameraSlot);
    uint32_t loaded = camera ? camera->fillColor : 0;
    for (size_t c = 0; c < shadowCasters.size() && camera; ++c, camera = ShadowCameraAt(cameraSlot)) {
        CAtom* caster = shadowCasters[c];
        if (!caster || !caster->id || !HasRenderObject(caster)) continue;
        const uint32_t own = caster->classTemplate ? caster->classTemplate->ShadowFillColor : 0;
        const uint32_t fill = own ? own : camera->fillColor;
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
        CShadowCamera* camera = ShadowCameraAt(i);
        if (camera && ShadowMapsBlanked()) {
            BlankShadowMap(*camera);
            continue;
        }
        bool multisampled = false;
        if (!camera || !BindShadowTarget(*camera, &multisampled)) continue;
        if (camera->fillColor) {
            ShadowColor = ArgbColour(camera->fillColor);
            ShadowClearColor = ArgbColour(camera->clearColor);
        }
        SetUnitConstants(camera, PASS_SHADOW);
        camera->Render(PASS_SHADOW);
        shadowViewProj[i] = viewProj;
        DrawShadowCasters(i);
        camera = ShadowCameraAt(i);
        if (multisampled && camera)
            ResolveShadowMap(*camera);
        else if (multisampled)
            Device3D->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, FALSE);
    }
    RestoreTargets(*this, &saved);
    shadowPass = 0;
}
