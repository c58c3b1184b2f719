// CAtom's running animations: instances borrowed from the animation container, linked
// into the unit's list, and the base pose that relative animations add their values to.

#include "scene/Atom.h"

#include "core/Messages.h"
#include "engine/AnimContainer.h"
#include "scene/Camera.h"

#include <new>

namespace {

// The record of a file that can play, else null with the warning.
CEngineAnimFile* PlayableRecord(uint16_t file)
{
    CEngineAnimFile* record = gIAnimContainer ? gIAnimContainer->GetAnimFile(file) : nullptr;
    if (!record || record->data.frameCount <= 0) {
        WarningBox(&gWarningBudget, "CAtom::AddAnimation Error: null animation file.", nullptr);
        return nullptr;
    }
    return record;
}

CAnimInstance* NewInstance()
{
    CAnimInstance* instance = gAnimContainer ? gAnimContainer->AllocAnimInstance() : nullptr;
    if (!instance) WarningBox(&gWarningBudget, "AnimContainer: animations limit is exceed.", nullptr);
    return instance;
}

} // namespace

// The pose when the first relative animation began.
void CAtom::KeepAnimBase()
{
    if (animBase) return;
    animBase = new (std::nothrow) SAnimBaseValues;
    if (!animBase) return;
    animBase->orient = Orient;
    animBase->pos = Pos;
    if (type == 11)
        if (const CCamera* camera = dynamic_cast<const CCamera*>(this)) animBase->target = camera->target;
}

CAnimInstance* CAtom::AddAnimation(uint16_t file, uint32_t tag)
{
    CEngineAnimFile* record = PlayableRecord(file);
    if (!record) return nullptr;
    if (CAnimInstance* running = animations.Find([record](const CAnimInstance* i) { return i->file == record; }))
        return running;
    CAnimInstance* instance = NewInstance();
    if (!instance) return nullptr;
    if (record->data.flags & ANIM_RELATIVE) KeepAnimBase();
    instance->file = record;
    if (tag) instance->tag = tag;
    instance->currentResource = record->firstResource;
    animations.PushBack(instance);
    instance->player.Start(&record->data, record->playFlags, nameHash);
    return instance;
}

CAnimInstance* CAtom::AddAnimationTimed(uint16_t file, void (*callback)(CAtom*), float delay)
{
    CAnimInstance* instance = AddAnimation(file, 0);
    if (!instance) return nullptr;
    instance->endCallback = callback;
    instance->startDelay = delay;
    return instance;
}

bool CAtom::StartRequestedAnimation(const SPlayRequest& request, const std::vector<uint16_t>& frames)
{
    CEngineAnimFile* record = PlayableRecord(request.animation);
    if (!record) return false;
    CAnimInstance* instance = NewInstance();
    if (!instance) return false;
    if (!frames.empty()) {
        instance->frameTable = new (std::nothrow) uint16_t[frames.size()];
        if (instance->frameTable)
            for (size_t i = 0; i < frames.size(); ++i) instance->frameTable[i] = frames[i];
        instance->currentResource = frames[0];
    } else {
        instance->currentResource = record->firstResource;
    }
    if (record->data.flags & ANIM_RELATIVE) KeepAnimBase();
    instance->file = record;
    animations.PushBack(instance);
    instance->player.SetFile(&record->data);
    int count = request.frameCount ? request.frameCount : record->data.frameCount;
    // The player never runs past the frame table.
    if (!frames.empty() && count > int(frames.size())) count = int(frames.size());
    const float seconds = request.duration != 0.0f ? request.duration : record->data.duration;
    instance->player.StartAt(count, seconds, uint16_t(record->playFlags | request.playFlags), nameHash);
    return true;
}

void CAtom::RemoveAnimation(CAnimInstance*& instance)
{
    if (!instance) return;
    if (animations.Remove(instance) && gAnimContainer) gAnimContainer->FreeAnimInstance(instance);
    instance = nullptr;
    if (animations.Empty()) {
        delete animBase;
        animBase = nullptr;
    }
}

int CAtom::RestartAnimation(uint16_t file)
{
    CAnimInstance* instance = animations.Find([file](const CAnimInstance* i) { return i->file && i->file->index == file; });
    if (!instance) return -1;
    instance->Restart(0);
    return 0;
}

int CAtom::StopAnimation(uint16_t file)
{
    CAnimInstance* instance = animations.Find([file](const CAnimInstance* i) { return i->file && i->file->index == file; });
    if (!instance) return -1;
    instance->player.SetPlayFlags(0);
    return 0;
}

// Without the container (it is deleted after the registry) its pool is gone already.
void CAtom::RemoveAllAnimations()
{
    animations.ForEach([](CAnimInstance* instance) {
        if (gAnimContainer) gAnimContainer->FreeAnimInstance(instance);
    });
    animations.Clear();
    delete animBase;
    animBase = nullptr;
}
