// The renderer's frame lists: filled by the unit walk during the process step, read by
// the render step, emptied by the next ResetFrame. A deleted unit leaves a null slot.

#include "scene/Renderer.h"

#include "core/Graphics.h"
#include "core/Messages.h"
#include "engine/ClassTemplate.h"
#include "engine/Controls3D.h"
#include "engine/ShaderContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Geometry.h"
#include "scene/Tree.h"

#include <algorithm>

namespace {

void ClearQueues(std::vector<SRenderQueue>& queues)
{
    for (SRenderQueue& queue : queues) queue.count = 0;
}

template <typename T>
void NullEntries(std::vector<T*>& list, const CAtom* unit)
{
    std::replace(list.begin(), list.end(), const_cast<CAtom*>(unit), static_cast<CAtom*>(nullptr));
}

} // namespace

bool CRenderer::IsGeometry(const CAtom* unit)
{
    return unit->SysControls & SYS_GEOMETRY;
}

void CRenderer::ClearQueuedBits()
{
    for (SRenderQueue& queue : queues)
        for (int i = 0; i < queue.count; ++i)
            if (CAtom* unit = queue.units[size_t(i)]) unit->state &= ~uint32_t(UNIT_QUEUED);
}

void CRenderer::ResetFrame()
{
    ClearQueuedBits();
    ClearQueues(queues);
    ClearQueues(reflectionQueues);
    ClearQueues(controlQueues);
    lights.clear();
    ClearLightArrays();
    shadowCasters.clear();
    shadowCameras.clear();
    shadowReceivers = 0;
    renderObjects = 0;
    paletteOffset = PALETTE_START;
    mWorld = nullptr;
    mBones = nullptr;
    mWorlds = instanceMatrices.data();
    Colors = instanceColors.data();
    currentMesh = nullptr;
    deferredSkeletons.clear();
    if (gControls3D) gControls3D->ClearFrameControls();
    glowingUnits = 0;
    if (gShaderContainer) gShaderContainer->ResetFlowRegisters();
    for (CSelectPlane* plane : selectPlanes) plane->carrierCount = 0;
}

void CRenderer::AddSelectPlane(CSelectPlane* plane)
{
    if (plane && std::find(selectPlanes.begin(), selectPlanes.end(), plane) == selectPlanes.end())
        selectPlanes.push_back(plane);
}

void CRenderer::RemoveSelectPlane(const CSelectPlane* plane)
{
    selectPlanes.erase(std::remove(selectPlanes.begin(), selectPlanes.end(), plane), selectPlanes.end());
}

// The units may be gone already (engine reset): their bits are not touched.
void CRenderer::ResetQueues()
{
    ClearQueues(queues);
    ClearQueues(reflectionQueues);
    ClearQueues(controlQueues);
    shadowCameras.clear();
    shadowCasters.clear();
    shadowReceivers = 0;
    deferredSkeletons.clear();
    ClearColor = D3DXCOLOR(gGraphics.clearColor);
    lights.clear();
    ClearLightArrays();
}

bool CRenderer::QueueIndexValid(const CAtom* unit) const
{
    return unit->RenderQueue > 0 && unit->RenderQueue < QueueCount;
}

void CRenderer::PutInRenderQueue(CAtom* unit)
{
    if (!unit || (unit->state & UNIT_QUEUED)) return;
    if (renderObjects >= MaxRenderObjects) {
        WarningBox(&warningBudget, "CRenderer::PutInRenderQueue  Warning:  MaxRenderObjects limit is exceed.",
                   nullptr);
        return;
    }
    if (!QueueIndexValid(unit)) {
        WarningBox(&warningBudget, "CRenderer::PutInRenderQueue  Error:  unit '", unit->name,
                   "' have improper RenderQueue", nullptr);
        return;
    }
    SRenderQueue& queue = queues[unit->RenderQueue];
    if (queue.count >= InQueueCount) {
        WarningBox(&warningBudget, "CRenderer::PutInRenderQueue  Warning:  GeneralQueues list is overflow.",
                   nullptr);
        return;
    }
    if (IsGeometry(unit)) PrepareGeometry(static_cast<CGeometry*>(unit));
    unit->state |= UNIT_QUEUED;
    queue.units[size_t(queue.count++)] = unit;
    if (unit->state & UNIT_VISIBLE) return;
    unit->state |= UNIT_VISIBLE;
    unit->OnShow();
}

// A queued geometry unit's frame data: its render object and palette offset, and the
// auxiliary billboard its class asks for, made once and never of a class on its chain.
void CRenderer::PrepareGeometry(CGeometry* unit)
{
    GiveRenderObject(unit);
    CClassTemplate* tmpl = unit->classTemplate;
    if (tmpl && tmpl->billboardClass && !unit->billboard && gIUnitInspector &&
        !ClassOnOwnerChain(unit, tmpl->billboardClass, &tmpl->billboardLoopTold, "CRenderer::PutInRenderQueue",
                           "billboard")) {
        unit->billboard = gIUnitInspector->CreateUnitFromTemplate(tmpl->billboardClass, unit->map);
        if (unit->billboard) unit->billboard->owner = unit;
    }
    if (unit->state & UNIT_SELECTED)
        if (CSelectPlane* plane = SelectPlaneOf(unit)) plane->AddCarrier(unit);
}

// A control beyond the per-frame arrays is warned and loses last frame's index and palette:
// they belong to other units now.
void CRenderer::GiveRenderObject(CAtom* unit)
{
    if (!unit || !IsGeometry(unit)) return;
    auto* geometry = static_cast<CGeometry*>(unit);
    geometry->bonePaletteOffset = 0;
    if (renderObjects >= MaxRenderObjects) {
        geometry->renderObject = NO_RENDER_OBJECT;
        WarningBox(&warningBudget, "CRenderer::PutInRenderQueue  Warning:  MaxRenderObjects limit is exceed.",
                   nullptr);
        return;
    }
    renderObjectOwners[size_t(renderObjects)] = unit;
    geometry->renderObject = uint16_t(renderObjects++);
}

bool CRenderer::HasRenderObject(const CAtom* unit) const
{
    if (!unit || !IsGeometry(unit)) return false;
    const int object = static_cast<const CGeometry*>(unit)->renderObject;
    return object < renderObjects && renderObjectOwners[size_t(object)] == unit;
}

void CRenderer::PutReflectionCaster(CAtom* unit)
{
    if (!unit) return;
    if (!QueueIndexValid(unit)) {
        WarningBox(&warningBudget, "CRenderer::PutReflectionCaster  Error:  unit '", unit->name,
                   "' have improper RenderQueue", nullptr);
        return;
    }
    SRenderQueue& queue = reflectionQueues[unit->RenderQueue];
    if (queue.count >= InQueueCount) {
        WarningBox(&warningBudget, "CRenderer::PutReflectionCaster  Warning:  ReflCasterQueues list is overflow.",
                   nullptr);
        return;
    }
    queue.units[size_t(queue.count++)] = unit;
}

void CRenderer::PutShadowCamera(CAtom* camera)
{
    if (camera) shadowCameras.push_back(camera);
}

void CRenderer::PutShadowCaster(CAtom* unit)
{
    if (!unit) return;
    if (!IsGeometry(unit) || unit->type < 4) {
        WarningBox(&warningBudget, "CRenderer::PutShadowCaster  Error:  unit '", unit->name, "' is not geometry",
                   nullptr);
        return;
    }
    shadowCasters.push_back(unit);
}

void CRenderer::PutShadowReceiver(CAtom* unit)
{
    if (!unit) return;
    if (!IsGeometry(unit) || unit->type < 4) {
        WarningBox(&warningBudget, "CRenderer::PutShadowReceiver  Error:  unit '", unit->name,
                   "' is not geometry", nullptr);
        return;
    }
    ++shadowReceivers;
}

void CRenderer::ForgetUnit(const CAtom* unit)
{
    if (!unit) return;
    for (std::vector<SRenderQueue>* list : {&queues, &reflectionQueues, &controlQueues})
        for (SRenderQueue& queue : *list) NullEntries(queue.units, unit);
    NullEntries(shadowCasters, unit);
    NullEntries(shadowCameras, unit);
    NullEntries(lights, unit);
    NullEntries(deferredSkeletons, unit);
    NullEntries(renderObjectOwners, unit);
    for (CSelectPlane* plane : selectPlanes) plane->ForgetCarrier(unit);
}

float* CRenderer::TakeBonePalette(const CAtom* unit, int* boneCount)
{
    if (*boneCount > MAX_BONES_PER_OBJECT) {
        char count[16];
        snprintf(count, sizeof count, "%d", *boneCount);
        WarningBox(&warningBudget, "CRenderer  Warning:  unit '", unit->name, "' has ", count,
                   " bones; only 64 are drawn.", nullptr);
        *boneCount = MAX_BONES_PER_OBJECT;
    }
    const size_t floats = size_t(*boneCount) * BONE_FLOATS;
    if (size_t(paletteOffset) + floats > bonePalette.size()) return nullptr;
    float* room = bonePalette.data() + paletteOffset;
    paletteOffset += int(floats);
    return room;
}
