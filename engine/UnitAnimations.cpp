// The unit registry's animation step: each running animation of a unit advances by the
// engine frame time and moves, turns, scales, colours or textures the unit.

#include "engine/UnitInspector.h"

#include "core/Messages.h"
#include "engine/AnimContainer.h"
#include "engine/Engine.h"
#include "scene/Geometry.h"

namespace {

constexpr uint32_t FIRST_GEOMETRY_TYPE = 4;
// What a delay counted down in frame steps may keep from rounding: 0.5 s at 0.1 s per frame
// waits five frames, not six.
constexpr float DELAY_ROUNDING = 1e-5f;

// Sampled values into the unit; a relative file adds them to the unit's base pose.
void ApplyValues(CAtom* unit, const CAnimFile& data, const CAnimValues& v)
{
    bool moved = false;
    if (data.skeleton.boneCount == 0) {
        const SAnimBaseValues* base = (data.flags & ANIM_RELATIVE) ? unit->animBase : nullptr;
        if (data.flags & ANIM_POS) {
            unit->Pos = base ? base->pos + v.position : v.position;
            moved = true;
        }
        if (data.flags & ANIM_ANGLE) {
            const D3DXVECTOR4 from = base ? base->orient : D3DXVECTOR4(0, 0, 0, 0);
            unit->Orient.x = from.x + v.angles.x;
            unit->Orient.y = from.y + v.angles.y;
            unit->Orient.z = from.z + v.angles.z;
            moved = true;
        }
        if (data.flags & ANIM_SCALE) unit->Size = v.scale;
    }
    if (data.flags & ANIM_ALPHA) unit->Color.a = v.color.w;
    if (data.flags & ANIM_RGB) {
        unit->Color.r = v.color.x;
        unit->Color.g = v.color.y;
        unit->Color.b = v.color.z;
    }
    if (moved && (unit->SysControls & SYS_GEOMETRY)) unit->UpdateWorldMatrix();
}

// The frame's texture into the stage the animation binds; false for a unit that has none.
bool BindTexture(CAtom* unit, CAnimInstance* instance, int* budget)
{
    if (unit->type < FIRST_GEOMETRY_TYPE) {
        WarningBox(budget, "CUnitInspector::PlayAnimations Error:\n\n       Texture animation playing for unit class ",
                   "that is not a geometry.\n       Unit '", unit->name, "'.", nullptr);
        return false;
    }
    const uint8_t stage = instance->file->bindSlot1;
    CGeometry* geometry = dynamic_cast<CGeometry*>(unit);
    if (!geometry || stage >= GEOMETRY_TEXTURE_STAGES) return true;
    int frame = 0;
    instance->player.GetFrames(&frame, nullptr, nullptr);
    geometry->textures[stage] = instance->FrameResource(frame);
    return true;
}

void CountDownBlend(CAnimInstance* instance, float dt)
{
    if (instance->blendLeft <= 0.0f) return;
    instance->blendLeft -= dt;
    if (instance->blendLeft > 0.0f) return;
    instance->blendLeft = 0.0f;
    if (instance->blendSource) instance->blendSource->player.Stop();
}

} // namespace

bool CUnitInspector::StepAnimation(CAtom* unit, CAnimInstance* instance, float dt)
{
    if (instance->startDelay > 0.0f) {
        instance->startDelay -= dt;
        if (instance->startDelay < DELAY_ROUNDING) instance->startDelay = 0.0f;
        return false;
    }
    if (!instance->file) return true;
    int result = PLAYER_RUNNING;
    if (instance->holdTime == 0.0f) {
        result = instance->player.Advance(dt);
    } else {
        instance->holdTime -= dt;
        if (instance->holdTime < 0.0f) {
            instance->holdTime = 0.0f;
            instance->player.Stop();
            return true;
        }
    }
    CountDownBlend(instance, dt);
    const CAnimFile& data = instance->file->data;
    if (data.flags & ANIM_VALUES) {
        if (const CAnimValues* values = instance->player.SampleColorUv()) ApplyValues(unit, data, *values);
    } else if ((data.flags & ANIM_MATRICES_3X3) && (unit->SysControls & SYS_GEOMETRY)) {
        instance->player.SampleChannels(&unit->world, 0);
    }
    if ((instance->file->usage & ANIM_USE_BIND1_TEXTURE) && instance->currentResource && !BindTexture(unit, instance, &warningBudget))
        return false;
    return result == PLAYER_FINISHED;
}

bool CUnitInspector::PlayAnimations(int index, CAtom* unit)
{
    const float dt = gEngine ? gEngine->frameTime : 0.0f;
    int position = 0;
    while (CAnimInstance* instance = unit->animations.At(position)) {
        if (!StepAnimation(unit, instance, dt)) {
            ++position;
            continue;
        }
        // The callback sees the unit with the instance still running; it may delete the
        // unit or change its list.
        if (instance->endCallback) instance->endCallback(unit);
        if (!Registered(index, unit)) return false;
        if (unit->animations.Find([instance](const CAnimInstance* i) { return i == instance; }))
            unit->RemoveAnimation(instance);
    }
    return true;
}
