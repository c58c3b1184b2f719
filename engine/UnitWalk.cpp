// The unit registry's frame walk: idle steps, animations, smooth movers, render queues, the shadow and
// reflection lists, and the slaves that follow their master's visibility. After every call
// into a unit the walk checks that the unit still holds its slot before touching it again.

#include "engine/UnitInspector.h"

#include "core/Messages.h"
#include "engine/ClassTemplate.h"
#include "engine/Controls3D.h"
#include "engine/Engine.h"
#include "engine/Engineer.h"
#include "engine/TexContainer.h"
#include "scene/Renderer.h"

namespace {

void Queue(CAtom* unit)
{
    if (gRenderer) gRenderer->PutInRenderQueue(unit);
}

void Hide(CAtom* unit)
{
    if (!(unit->state & UNIT_VISIBLE)) return;
    unit->state &= ~uint32_t(UNIT_VISIBLE);
    unit->OnHide();
}

} // namespace

void CUnitInspector::ProcessUnits()
{
    const bool paused = gEngine && gEngine->paused;
    if (gEngineer) gEngineer->ClearUnitNames();
    for (int i = 1; i <= UnitBound(); ++i) {
        CAtom* unit = UnitAt(i);
        if (!unit || !unit->id) continue;
        if (gEngineer) gEngineer->AddUnitName(unit->name);
        if (unit->state & UNIT_DISABLED) continue;
        if (!paused && !StepUnit(i, unit)) continue;
        if (unit->SysControls & SYS_RENDER_ALWAYS) {
            DrawUnit(i, unit);
        } else if (unit->master) {
            if (!frameList.Alloc(SFrameEntry{unit, unit->id}))
                WarningBox(&warningBudget, "PROGRAMMER LIMIT: CUnitInspector frame list is full.", nullptr);
        } else {
            Hide(unit);
        }
    }
    currentUnit = nullptr;
    frameList.ForEach(this, &CUnitInspector::ProcessFrameEntry);
}

// Animations, movers and the idle step; false when the unit is done for this frame.
bool CUnitInspector::StepUnit(int index, CAtom* unit)
{
    currentUnit = unit;
    if (!PlayAnimations(index, unit)) return false;
    if (!StepSmoothMovers(index, unit)) return false;
    if (unit->SysControls & SYS_ENABLE_IDLE) {
        const uint32_t result = unit->DoIdle();
        if (!Registered(index, unit) || (result & 1)) return false;
    }
    if (!(unit->SysControls & SYS_FOR_CONTROLS3D)) return true;
    if (gControls3D) gControls3D->AddFrameControl(unit);
    if (gRenderer) gRenderer->GiveRenderObject(unit);
    return false;
}

// A mover's done callback may delete the unit or change its list: the list is searched
// afresh after each arrival.
bool CUnitInspector::StepSmoothMovers(int index, CAtom* unit)
{
    const float dt = gEngine ? gEngine->frameTime : 0.0f;
    int position = 0;
    while (CSmoothMover* mover = unit->smoothMovers.At(position)) {
        if (!mover->Step(dt, unit)) {
            ++position;
            continue;
        }
        if (!Registered(index, unit)) return false;
        if (unit->smoothMovers.Remove(mover)) FreeSmoothMover(mover);
    }
    return true;
}

void CUnitInspector::DrawUnit(int index, CAtom* unit)
{
    Queue(unit);
    if (!Registered(index, unit)) return;
    if (gRenderer) {
        if (unit->type == 2) gRenderer->PutShadowCamera(unit);
        if (CClassTemplate* tmpl = unit->classTemplate) {
            if (tmpl->shadowCaster) gRenderer->PutShadowCaster(unit);
            if (tmpl->shadowTexture) gRenderer->PutShadowReceiver(unit);
            if (tmpl->effectFlags & EFFECT_REFLECTION_CASTER) gRenderer->PutReflectionCaster(unit);
        }
    }
    if (CClassTemplate* tmpl = unit->classTemplate) {
        if (tmpl->effectFlags & EFFECT_SHARING_REFLECTION) tmpl->effectFlags &= ~uint16_t(EFFECT_REFLECTION_DRAWN);
        if ((tmpl->effectFlags & EFFECT_REFLECTION_RECEIVER) && !ReflectionTextureUsable(unit)) return;
    }
    unit->Process();
}

bool CUnitInspector::ReflectionTextureUsable(const CAtom* unit)
{
    IDirect3DTexture9* texture =
        gITexContainer ? gITexContainer->GetTexture(unit->classTemplate->reflectionTexture) : nullptr;
    if (!texture) {
        WarningBox(&warningBudget, "CUnitInspector::ProcessUnits.  Error for reflection receiver.",
                   "\n\nUnit '", unit->name, "' don`t have a reflection texture.", nullptr);
        return false;
    }
    D3DSURFACE_DESC desc{};
    if (SUCCEEDED(texture->GetLevelDesc(0, &desc)) && (desc.Usage & D3DUSAGE_RENDERTARGET)) return true;
    WarningBox(&warningBudget, "CUnitInspector::ProcessUnits.  Error for reflection receiver.",
               "\n\nReflection texture for unit '", unit->name, "' must be render target.", nullptr);
    return false;
}

// A slave is drawn with its master: queued and processed when the master was queued this
// frame, else hidden.
void CUnitInspector::ProcessFrameEntry(SFrameEntry& entry)
{
    const int index = int(entry.id);
    CAtom* unit = entry.unit;
    if (!Registered(index, unit)) return;
    if (!unit->master || !(unit->master->state & UNIT_QUEUED)) {
        Hide(unit);
        return;
    }
    Queue(unit);
    if (Registered(index, unit)) unit->Process();
}
