// The render step: the queues in ascending order, each unit in the order it was queued,
// then the 3D controls over the scene. Any call into a unit may delete units; the slot is
// read again after each call, so a deleted unit is never touched.

#include "scene/Renderer.h"

#include "core/Graphics.h"
#include "core/Messages.h"
#include "engine/ClassTemplate.h"
#include "engine/Controls3D.h"
#include "engine/MeshContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Control3D.h"
#include "scene/Geometry.h"
#include "scene/ParticleSystems.h"
#include "scene/Tree.h"
#include "core/Meshes/Mesh.h"

#include <algorithm>

namespace {

// Texture space from clip space, for mirror and shadow lookups.
const D3DXMATRIX TEXTURE_BIAS(0.5f, 0, 0, 0, 0, -0.5f, 0, 0, 0, 0, 0.5f, 0, 0.5f, 0.5f, 0.5f, 1);
const D3DXMATRIX SHADOW_BIAS(0.5f, 0, 0, 0, 0, -0.5f, 0, 0, 0, 0, 1, 0, 0.5009765625f, 0.5009765625f, -0.001f,
                             1);

const CRenderStatesBlock DEFAULT_STATES;
const char WORLD_44_WARNING[] = "CRenderer::RenderUnits  Warning:  mWorld._44!=1 \n for unit '";

} // namespace

const CRenderStatesBlock& CRenderer::StatesOf(const CAtom* unit)
{
    return unit->classTemplate ? unit->classTemplate->renderStates : DEFAULT_STATES;
}

void CRenderer::CheckWorld44(const CAtom* unit, const char* warning)
{
    if (unit->world._44 != 1.0f) WarningBox(&warningBudget, warning, unit->name, "'.", nullptr);
}

int CRenderer::ShadowCameraCount() const
{
    return std::min(int(shadowCameras.size()), MAX_SHADOW_CAMERAS);
}

void CRenderer::RenderUnits(int pass)
{
    if (!Device3D) return;
    gGraphics.SetViewportEx(viewport);
    if (const CViewPoint* camera = gGraphics.camera) {
        cameraDir = camera->target - camera->eye;
        cameraDir.w = 0;
    }
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &gGraphics.viewProjection, &TEXTURE_BIAS);
    D3DXMatrixTranspose(&mMirror, &product);
    for (int i = 0; i < ShadowCameraCount(); ++i) {
        D3DXMatrixMultiply(&shadowMatrix[i], &shadowViewProj[i], &SHADOW_BIAS);
        D3DXMatrixTranspose(&mShadow[i], &shadowMatrix[i]);
    }
    for (int q = 0; q < QueueCount; ++q) {
        const SRenderQueue& queue = queues[size_t(q)];
        for (int slot = 0; slot < queue.count; ++slot) {
            CAtom* unit = queue.units[size_t(slot)];
            if (unit && unit->id) DrawUnit(unit, queue, slot, pass);
        }
        RenderSelectPlanes(q);
        RenderParticles(q);
    }
    if (gControls3D && !gControls3D->frameControls.empty()) {
        lights.clear();
        RenderControls();
    }
    gGraphics.RestoreViewport();
}

void CRenderer::RenderSelectPlanes(int queue)
{
    for (size_t i = 0; i < selectPlanes.size(); ++i) {
        CSelectPlane* plane = selectPlanes[i];
        CMesh* mesh = plane->PassMesh(PASS_NORMAL);
        if (plane->RenderQueue != queue || !plane->carrierCount || !mesh) continue;
        plane->FillInstances(instanceMatrices.data(), instanceColors.data());
        ApplyRenderStates(StatesOf(plane), PASS_NORMAL);
        mesh->BindBuffers();
        plane->SetTextures();
        const CClassTemplate* tmpl = plane->classTemplate;
        if (tmpl && tmpl->vertexShader)
            DrawSelectPlane(plane, mesh);
        else
            DrawCarriersFixed(plane, mesh);
    }
    mWorlds = instanceMatrices.data();
    Colors = instanceColors.data();
}

// Batches of the mesh's clones; the shader reads each batch through mWorlds and Colors.
void CRenderer::DrawSelectPlane(CSelectPlane* plane, CMesh* mesh)
{
    const uint32_t k = uint32_t(std::max(mesh->cloneCount, 1));
    mWorlds = instanceMatrices.data();
    Colors = instanceColors.data();
    for (uint32_t done = 0; done < plane->carrierCount;) {
        const uint32_t n = std::min(k, plane->carrierCount - done);
        numWorlds = int(n) * INSTANCE_MATRIX_VECTORS;
        SetUnitConstants(plane, PASS_NORMAL);
        mesh->RenderPrimitivesClones(int(n));
        mWorlds += n * INSTANCE_MATRIX_VECTORS;
        Colors += n;
        done += n;
    }
}

// One carrier per draw, its matrix as the world matrix (the nation colours need a shader).
void CRenderer::DrawCarriersFixed(CSelectPlane* plane, CMesh* mesh)
{
    SetUnitConstants(plane, PASS_NORMAL);
    for (uint32_t i = 0; i < plane->carrierCount; ++i) {
        const D3DXVECTOR4* rows = &instanceMatrices[size_t(i) * INSTANCE_MATRIX_VECTORS];
        D3DXMATRIX world;
        D3DXMatrixIdentity(&world);
        for (int column = 0; column < INSTANCE_MATRIX_VECTORS; ++column)
            for (int row = 0; row < 4; ++row) world(row, column) = rows[column][row];
        Device3D->SetTransform(D3DTS_WORLD, &world);
        mesh->RenderPrimitives(0);
    }
}

void CRenderer::RenderParticles(int queue)
{
    if (gParticleSystems) gParticleSystems->Render(queue);
}

void CRenderer::DrawUnit(CAtom* unit, const SRenderQueue& queue, int slot, int pass)
{
    auto alive = [&] { return queue.units[size_t(slot)] == unit && unit->id; };
    CGeometry* geometry = IsGeometry(unit) ? static_cast<CGeometry*>(unit) : nullptr;
    if (geometry) UvMulAdd[0] = geometry->UvMulAdd;
    if (unit->SysControls & SYS_ENABLE_PRE_RENDER) {
        const uint32_t skip = unit->PreRender() & 3;
        if (skip || !alive()) return;
    }
    const CClassTemplate* tmpl = unit->classTemplate;
    if (tmpl && (tmpl->effectFlags & EFFECT_REFLECTION_RECEIVER)) {
        RenderReflections(unit);
        if (!alive()) return;
    }
    GatherDataFromAnimations(unit);
    if (tmpl && tmpl->shadowTexture) {
        for (int i = 0; i < ShadowCameraCount(); ++i) {
            D3DXMATRIX product;
            D3DXMatrixMultiply(&product, &unit->world, &shadowMatrix[i]);
            D3DXMatrixTranspose(&mWorldShadow[i], &product);
        }
    }
    SetUnitConstants(unit, PASS_NORMAL);
    if (!geometry) return;
    if (tmpl && tmpl->glowing) ++glowingUnits;
    if (tmpl && tmpl->shadowTexture && tmpl->shadowTextureNumber < GEOMETRY_TEXTURE_STAGES)
        geometry->textures[tmpl->shadowTextureNumber] = tmpl->shadowTexture;
    CheckWorld44(unit, WORLD_44_WARNING);
    ApplyRenderStates(StatesOf(unit), PASS_NORMAL);
    unit->Render(uint32_t(pass));
    if (alive() && (unit->SysControls & SYS_ENABLE_POST_RENDER)) unit->PostRender();
}

// Sorts this frame's controls into the control queues by their RenderQueue (queue 0 is
// theirs); a control whose queue does not exist is warned and not drawn.
void CRenderer::SortControls()
{
    for (SRenderQueue& queue : controlQueues) queue.count = 0;
    for (CAtom* control : gControls3D->frameControls) {
        if (!control) continue;
        if (control->RenderQueue >= QueueCount) {
            WarningBox(&warningBudget, "CRenderer::RenderControls  Error:  unit '", control->name,
                       "' have improper RenderQueue", nullptr);
            continue;
        }
        SRenderQueue& queue = controlQueues[control->RenderQueue];
        if (queue.count >= InQueueCount) {
            WarningBox(&warningBudget, "CRenderer::RenderControls  Warning:  RenderQueue list is overflow.",
                       nullptr);
            continue;
        }
        queue.units[size_t(queue.count++)] = control;
    }
}

void CRenderer::RenderControls()
{
    Device3D->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    if (gUnitInspector && gUnitInspector->controlsCamera) gUnitInspector->controlsCamera->PreRender();
    SortControls();
    for (const SRenderQueue& queue : controlQueues) {
        for (int slot = 0; slot < queue.count; ++slot) {
            CAtom* control = queue.units[size_t(slot)];
            if (control && control->id) DrawControl(control);
        }
    }
}

void CRenderer::DrawControl(CAtom* control)
{
    if (IsGeometry(control) && !HasRenderObject(control)) return;
    if (control->type == 10) AddLight(control);
    CControl3D* ownDrawn = control->type != 11 && control->type != 2 ? dynamic_cast<CControl3D*>(control) : nullptr;
    if (ownDrawn && (ownDrawn->controlState & CTRL_REDRAW)) {
        ownDrawn->Redraw();
        ownDrawn->controlState &= uint16_t(~CTRL_REDRAW);
    }
    GatherDataFromAnimations(control);
    SetUnitConstants(control, PASS_NORMAL);
    if (!IsGeometry(control) || !static_cast<CGeometry*>(control)->mesh) return;
    CheckWorld44(control, WORLD_44_WARNING);
    ApplyRenderStates(StatesOf(control), PASS_NORMAL);
    control->Render(PASS_NORMAL);
}
