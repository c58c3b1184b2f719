// Planar reflections: before a reflection receiver is drawn, the reflection casters are
// drawn into its class's reflection texture through the view mirrored in the receiver's
// plane, clipped to the side its normal faces. A receiver whose reflection texture is
// missing or no render target, or that is no geometry, is a counted warning. A class
// without its own reflection depth buffer draws its reflection without Z: the scene's
// depth surface holds the Z of what is already drawn and may be smaller than the texture.

#include "scene/Renderer.h"

#include "core/Graphics.h"
#include "engine/ClassTemplate.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Camera.h"
#include "scene/Geometry.h"
#include "scene/RendererTargets.h"

namespace {

const char RECEIVER_ERROR[] = "CRenderer::RenderReflections.  Error for reflection receiver.";

// The clip plane of a draw: in clip space for vertex shaders, in world space for the
// fixed pipeline.
void SetClipPlane(const D3DXPLANE& clipSpace, const D3DXPLANE& world)
{
    Device3D->SetClipPlane(0, gGraphics.vertexShader ? &clipSpace.a : &world.a);
    Device3D->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0);
}

} // namespace

IDirect3DTexture9* CRenderer::ReflectionTexture(CAtom* unit)
{
    const CClassTemplate& t = *unit->classTemplate;
    CEngineTex* record = t.reflectionTexture && gITexContainer ? gITexContainer->GetTex(t.reflectionTexture) : nullptr;
    IDirect3DTexture9* texture = record ? record->Texture2D() : nullptr;
    const char* lead = nullptr;
    const char* tail = "'.";
    if (!texture) {
        lead = "\n\nUnit '";
        tail = "' don`t have a reflection texture.";
    } else if (!(record->desc.Usage & D3DUSAGE_RENDERTARGET)) {
        lead = "\n\nReflection texture for unit '";
        tail = "' must be render target.";
    } else if (!IsGeometry(unit)) {
        lead = "\n\nReflection for non geometry unit '";
    } else {
        return texture;
    }
    WarningBox(&warningBudget, RECEIVER_ERROR, lead, unit->name, tail, nullptr);
    return nullptr;
}

void CRenderer::RenderReflections(CAtom* unit)
{
    if (!Device3D || !unit || !unit->classTemplate) return;
    IDirect3DTexture9* texture = ReflectionTexture(unit);
    if (!texture) return;
    CClassTemplate& t = *unit->classTemplate;
    if (t.reflectionTextureNumber < GEOMETRY_TEXTURE_STAGES)
        static_cast<CGeometry*>(unit)->textures[t.reflectionTextureNumber] = t.reflectionTexture;
    if (t.effectFlags & EFFECT_SHARING_REFLECTION) {
        if (t.effectFlags & EFFECT_REFLECTION_DRAWN) return;
        t.effectFlags |= EFFECT_REFLECTION_DRAWN;
    }
    SSavedTargets saved;
    SaveTargets(*this, &saved);
    BindReflectionTarget(t, texture);
    MirrorView(*unit);
    DrawReflectionCasters();
    RestoreTargets(*this, &saved);
    shadowPass = 0;
    gGraphics.CullCCW();
    Device3D->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
}

void CRenderer::BindReflectionTarget(const CClassTemplate& t, IDirect3DTexture9* texture)
{
    IDirect3DSurface9* depth =
        t.reflectionDepthBuffer ? gITexContainer->GetSurface(t.reflectionDepthBuffer) : nullptr;
    gGraphics.SetRenderTargetDepth(texture, depth);
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    gGraphics.SetViewport(0, 0, int(desc.Width), int(desc.Height));
    // The pass's Z follows the depth surface (the render states keep Z off without one).
    shadowPass = depth ? 1 : 0;
    gGraphics.SetZEnable(depth != nullptr);
    gGraphics.SetZWrite(depth != nullptr);
    gGraphics.SetColorWrite(0xF);
    Device3D->Clear(0, nullptr, depth ? D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER : D3DCLEAR_TARGET,
                    D3DCOLOR(t.ReflectionClearColor), 1.0f, 0);
}

void CRenderer::MirrorView(const CAtom& receiver)
{
    gGraphics.CullCW();
    const D3DXVECTOR4& n = receiver.classTemplate->InitNormal;
    D3DXVECTOR3 normal(n.x, n.y, n.z);
    D3DXVec3TransformNormal(&normal, &normal, &receiver.world);
    D3DXVec3Normalize(&normal, &normal);
    const D3DXVECTOR3 point(receiver.world._41, receiver.world._42, receiver.world._43);
    D3DXPlaneFromPointNormal(&MirrorPlane, &point, &normal);
    D3DXMATRIX reflect, proj, mirroredView;
    D3DXMatrixReflect(&reflect, &MirrorPlane);
    D3DXMatrixTranspose(&proj, &mProj);
    D3DXMatrixMultiply(&mirroredView, &reflect, &view);
    SetViewProj(mirroredView, proj);
    Device3D->SetTransform(D3DTS_VIEW, &mirroredView);
}

void CRenderer::DrawReflectionCasters()
{
    D3DXMATRIX inverse;
    D3DXMatrixInverse(&inverse, nullptr, &viewProj);
    D3DXMatrixTranspose(&inverse, &inverse);
    D3DXPLANE clipSpace;
    D3DXPlaneTransform(&clipSpace, &MirrorPlane, &inverse);
    if (CAtom* camera = gUnitInspector ? gUnitInspector->GetCamera() : nullptr)
        SetUnitConstants(camera, PASS_REFLECTION);
    for (const SRenderQueue& queue : reflectionQueues) {
        for (int slot = 0; slot < queue.count; ++slot) {
            CAtom* caster = queue.units[size_t(slot)];
            if (!caster || !caster->id || (IsGeometry(caster) && !HasRenderObject(caster))) continue;
            GatherDataFromAnimations(caster);
            SetUnitConstants(caster, PASS_REFLECTION);
            if (!IsGeometry(caster) || !static_cast<CGeometry*>(caster)->mesh) continue;
            ApplyRenderStates(StatesOf(caster), PASS_REFLECTION);
            SetClipPlane(clipSpace, MirrorPlane);
            caster->Render(PASS_REFLECTION);
        }
    }
}
