// CAtom's start actions (a class's "StartActions:" block and a presentation unit's
// "start_actions:"), the master/slave attach relation, the animation and smooth-mover
// bookkeeping and the matrices that take a unit's points into the world.

#include "scene/Atom.h"

#include "core/Messages.h"
#include "core/Paths.h"
#include "core/VecMath.h"
#include "engine/AnimContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Geometry.h"

#include <iterator>
#include <vector>

namespace {

constexpr float NO_SPEED = 0.0f;
// Play flags of the "flags:" list.
struct SPlayFlag {
    const char* word;
    uint32_t flag;
};
const SPlayFlag PLAY_FLAGS[] = {
    {"cyclic", PLAY_CYCLIC},
    {"random_frame", PLAY_RANDOM_FRAME},
    {"reverse", PLAY_REVERSE},
    {"jump_frame_0", PLAY_JUMP_FRAME0},
};
static_assert(std::size(PLAY_FLAGS) == 4, "four play flags");

struct SAttachWord {
    const char* word;
    uint32_t bits;
};
const SAttachWord ATTACH_WORDS[] = {
    {"Pos", SYS_ATTACH_POS},       {"pos", SYS_ATTACH_POS},       {"Full", SYS_ATTACH_FULL},
    {"full", SYS_ATTACH_FULL},     {"Simple", SYS_ATTACH_SIMPLE}, {"simple", SYS_ATTACH_SIMPLE},
};
static_assert(std::size(ATTACH_WORDS) == 6, "three modes, two spellings");

bool IsWord(const char* word, const char* text)
{
    return strcmp(word, text) == 0;
}

// The end of a list or of the enclosing block: a reader never reads past it.
bool EndsList(const char* word, const char* closing)
{
    return !word[0] || IsWord(word, closing) || IsWord(word, "};");
}

// A presentation's attached unit may carry start actions that attach the next one inside its
// block; each level is a reader on the stack, so the nesting has the bound of a class's start
// actions (a file of thousands of levels overflowed the stack).
int gAttachNesting = 0;

// The messages of the two ways into an attach.
struct SAttachTexts {
    const char* already;
    const char* limit;
    const char* refused;
};
const SAttachTexts ATTACH_UNIT_TEXTS = {
    "CAtom::AttachUnit:  For unit '",
    "CAtom::AttachUnit:  For UnitInspector UnitAttaches limit is exceeded.",
    "CAtom::AttachUnit:  Unit '",
};
const SAttachTexts ASSIGN_MASTER_TEXTS = {
    "CAtom::AssignMaster Warning.\nFor master unit '",
    "CAtom::AssignMaster:  For UnitInspector UnitAttaches limit is exceeded.",
    "CAtom::AssignMaster:  Unit '",
};

// Slave on master; refuses a slave that is the master itself or one of its masters (the
// chain would never end), and warns about a slave already in the list before anything
// changes, so a refused attach leaves both units as they were.
int Attach(CAtom* master, CAtom* slave, uint8_t mode, const SAttachTexts& texts)
{
    if (!master || !slave) return -1;
    for (const CAtom* up = master; up; up = up->master) {
        if (up != slave) continue;
        WarningBox(&gWarningBudget, texts.refused, slave->name, "' can not be attached to itself or to its own slave '",
                   master->name, "'.", nullptr);
        return -1;
    }
    if (master->slaves.Find([slave](const SUnitAttach* r) { return r->unit == slave; })) {
        slave->attachMode = mode;
        WarningBox(&gWarningBudget, texts.already, master->name, "' slave unit'", slave->name, "' already attached.",
                   nullptr);
        return 0;
    }
    SUnitAttach* record = gUnitInspector ? gUnitInspector->AllocUnitAttach() : nullptr;
    if (!record) {
        WarningBox(&gWarningBudget, texts.limit, nullptr);
        return -1;
    }
    if (slave->master) slave->master->DetachSlave(slave);
    slave->master = master;
    slave->attachMode = mode;
    record->unit = slave;
    master->slaves.PushBack(record);
    return 0;
}

void PlayAnimationError(const char* a, const char* b = nullptr, const char* c = nullptr)
{
    WarningBox(&gWarningBudget, "CAtom::PlayAnimationInMission Error.\n\n   ", a, b, c, nullptr);
}

} // namespace

CAtom::~CAtom()
{
    if (owner && owner->billboard == this) owner->billboard = nullptr;
    UnlinkAttaches();
    StopSmoothMovers();
    RemoveAllAnimations();
}

// ---- Start acts of a class ----

int CAtom::ScanStartActions(FILE* file)
{
    if (!classTemplate) return SCAN_UNKNOWN;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    for (;;) {
        if (!word[0]) return SCAN_DONE;
        if (gExitCode) return SCAN_UNKNOWN;
        if (IsWord(word, "};")) return SCAN_BLOCK_END;
        if (IsWord(word, "PlayAnimation"))
            ScanStartAnimation(file, word);
        else if (IsWord(word, "CreateAttach"))
            ScanStartAttach(file, word);
        else {
            WarningBox(&gWarningBudget, "CAtom::ScanStartActions Error: for UNIT '", name, "' undefined string '", word,
                       "'.", nullptr);
            Core::fscan_word(file, word);
        }
    }
}

// "PlayAnimation" "{" name "[" options "]" "}": leaves the next keyword in word.
void CAtom::ScanStartAnimation(FILE* file, char (&word)[Core::WORD_BUFFER_SIZE])
{
    char animation[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, animation, 2);
    const uint16_t index = gIAnimContainer ? gIAnimContainer->FindAnimFileIndex(animation) : 0;
    if (!index)
        WarningBox(&gWarningBudget, "CAtom::ScanStartActions Error: for UNIT '", name, "' not found animation '",
                   animation, "'.", nullptr);
    float delay = 0.0f;
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); !EndsList(word, "]"); Core::fscan_word(file, word))
        if (IsWord(word, "delay:")) Core::fscan_float(file, &delay);
    if (!IsWord(word, "]")) return;  // the block ended inside the list: its "};" is next
    SStartAct* act = index ? classTemplate->AddStartAct(START_ACT_ANIMATION, index, 0, nullptr, nullptr) : nullptr;
    if (act) act->startDelay = delay;
    Core::fscan_skip(file, word, 2);
}

// "CreateAttach" "(" class keywords ")": leaves the next keyword in word. The keywords of
// a class that is not found are read over all the same.
void CAtom::ScanStartAttach(FILE* file, char (&word)[Core::WORD_BUFFER_SIZE])
{
    char className[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, className, 2);
    CClassTemplate* attached = gIUnitInspector ? gIUnitInspector->GetClassTemplate(className) : nullptr;
    if (!attached)
        WarningBox(&gWarningBudget, "CAtom::ScanStartActions Error: for UNIT '", name, "' not found class '",
                   className, "'.", nullptr);
    D3DXVECTOR4 position(0.0f, 0.0f, 0.0f, 1.0f);
    uint32_t flags = 0;
    Core::fscan_word(file, word);
    while (!EndsList(word, ")")) {
        if (IsWord(word, "Pos:")) {
            Core::fscan_fvec3(file, &position.x);
            Core::fscan_word(file, word);
        } else if (IsWord(word, "Attaches:")) {
            Core::fscan_skip(file, word, 2);
            flags |= ScanAttachMode(word);
            Core::fscan_skip(file, word, 2);
        } else {
            Core::fscan_word(file, word);
        }
    }
    if (!IsWord(word, ")")) return;
    if (attached) classTemplate->AddStartAct(START_ACT_ATTACH, 0, flags, attached, &position);
    Core::fscan_word(file, word);
}

uint32_t CAtom::ScanAttachMode(const char* word)
{
    for (const SAttachWord& mode : ATTACH_WORDS)
        if (IsWord(word, mode.word)) return mode.bits;
    return 0;
}

void CAtom::FirstInit()
{
    if (classTemplate) classTemplate->ApplyStartActs(this);
}

// ---- Start actions of a presentation unit ----

int CAtom::StartActionsInMission(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "{"
    int result = 0;
    for (;;) {
        Core::fscan_word(file, word);
        if (!word[0]) return result;
        if (IsWord(word, "};")) return 0;
        if (IsWord(word, "play_animation:"))
            result |= PlayAnimationInMission(file);
        else if (IsWord(word, "create_attach:"))
            result |= CreateAttachInMission(file);
        else
            WarningBox(&gWarningBudget, "CAtom::StartActionsInMission Warning:\n\n   undefined string '", word, "'.",
                       nullptr);
    }
}

// The whole block is read before anything is taken, so a failed action leaves no
// instance behind and the reader always stands after the block's "};".
int CAtom::PlayAnimationInMission(FILE* file)
{
    SPlayRequest request;
    ScanPlayRequest(file, request);
    // Without a count of its own the animation runs the record's frames, textures included.
    if (!request.frameCount && request.animation && gIAnimContainer)
        if (const CEngineAnimFile* record = gIAnimContainer->GetAnimFile(request.animation))
            request.frameCount = uint16_t(record->data.frameCount);
    std::vector<uint16_t> frames;
    if (request.firstTexture) LoadTextureFrames(request, frames);
    if (!request.animation) return -1;
    return StartRequestedAnimation(request, frames) ? 0 : -1;
}

void CAtom::ScanPlayRequest(FILE* file, SPlayRequest& request)
{
    char word[Core::WORD_BUFFER_SIZE];
    char value[Core::STRING_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); word[0] && !IsWord(word, "};"); Core::fscan_word(file, word)) {
        if (IsWord(word, "animation_template:")) {
            Core::fscan_word(file, value, sizeof value);
            request.animation = gIAnimContainer ? gIAnimContainer->FindAnimFileIndex(value) : 0;
            if (!request.animation) PlayAnimationError("Animation template '", value, "' not found.");
        } else if (IsWord(word, "flags:")) {
            if (!ScanPlayFlags(file, request)) return;
        } else if (IsWord(word, "animation_file:")) {
            Core::fscan_string(file, value);
            request.animation = gIAnimContainer ? gIAnimContainer->LoadAnimFile(value, request.loadFlags, 1) : 0;
        } else if (IsWord(word, "animation:")) {
            Core::fscan_word(file, value, sizeof value);
            request.animation = gIAnimContainer ? gIAnimContainer->FindAnimFileIndex(value) : 0;
        } else if (IsWord(word, "first_texture:")) {
            Core::fscan_string(file, request.firstPath);
            ScanFirstTexture(request);
        } else if (IsWord(word, "frame_count:")) {
            Core::fscan_u16(file, &request.frameCount);
        } else if (IsWord(word, "duration:")) {
            Core::fscan_float(file, &request.duration);
        } else {
            PlayAnimationError("Undefined string '", word, "'.");
        }
    }
}

// "[" words "]"; false when the enclosing block ended inside the list.
bool CAtom::ScanPlayFlags(FILE* file, SPlayRequest& request)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); !EndsList(word, "]"); Core::fscan_word(file, word)) {
        const SPlayFlag* known = nullptr;
        for (const SPlayFlag& flag : PLAY_FLAGS)
            if (IsWord(word, flag.word)) known = &flag;
        if (known) {
            request.playFlags |= known->flag;
        } else if (IsWord(word, "store_values")) {
            request.loadFlags |= ANIM_LOAD_STORE_VALUES;
        } else {
            PlayAnimationError("In flags undefined string '", word, "'.");
            // The word after an unknown one is passed over too, but never the list's end.
            Core::fscan_word(file, word);
            if (EndsList(word, "]")) break;
        }
    }
    return IsWord(word, "]");
}

void CAtom::ScanFirstTexture(SPlayRequest& request)
{
    request.firstTexture = gITexContainer ? gITexContainer->LoadTexture(request.firstPath, TEX_PRESENTATION) : 0;
    if (!request.firstTexture) {
        PlayAnimationError("texture file '", request.firstPath, "' not loaded.");
        return;
    }
    if (!(SysControls & SYS_GEOMETRY)) {
        request.firstTexture = 0;
        PlayAnimationError("You try to play texture animation for non geometry object '", name, "'.");
    }
}

// Frame i of a texture animation is the first file's name with its last digit run set to
// the frame number (counting from the first file's own number, 0 or 1); a frame that does
// not load keeps 0 in its slot.
void CAtom::LoadTextureFrames(const SPlayRequest& request, std::vector<uint16_t>& frames)
{
    frames.assign(request.frameCount ? request.frameCount : 1, 0);
    frames[0] = request.firstTexture;
    // The name's last character before its extension (folder names may hold dots too).
    const char* path = request.firstPath;
    const char* name = path;
    for (const char* c = path; *c; ++c)
        if (*c == '\\' || *c == '/') name = c + 1;
    const char* dot = strrchr(name, '.');
    const char* end = dot ? dot : name + strlen(name);
    const int firstNumber = end > name && end[-1] == '0' ? 0 : 1;
    for (size_t i = 1; i < frames.size(); ++i) {
        char frame[Core::STRING_BUFFER_SIZE];
        if (MakeNumberedFileName(frame, path, int(i) + firstNumber) != 0) return;
        frames[i] = gITexContainer ? gITexContainer->LoadTexture(frame, TEX_PRESENTATION) : 0;
        if (!frames[i]) PlayAnimationError("resource file '", frame, "' not loaded.");
    }
}

// "{" class, then optionally the new unit's own "{" ... "};" and "attaches: [ mode ]",
// then "};". The block of a unit that is not made (its class unknown, a pool full, nested
// too deep) is read through with everything nested in it, as nothing of it is made; a made
// unit's block is read as a placed unit's, so a word it does not know loses only the rest
// of its block.
int CAtom::CreateAttachInMission(FILE* file)
{
    char className[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, className, 2);
    CClassTemplate* cls = gIUnitInspector ? gIUnitInspector->GetClassTemplate(className) : nullptr;
    const bool tooDeep = gAttachNesting >= MAX_START_ACT_DEPTH;
    if (!cls)
        WarningBox(&gWarningBudget, "CAtom::CreateAttachInMission Error.\n\n   Not found class template '", className,
                   "'.", nullptr);
    else if (tooDeep)
        WarningBox(&gWarningBudget, "CAtom::CreateAttachInMission Error.\n\n   Attached units nest more than 16 deep "
                   "at class '", className, "': its block is skipped.", nullptr);
    static_assert(MAX_START_ACT_DEPTH == 16, "the message names the limit");
    CAtom* unit = cls && !tooDeep ? CreateAttachedUnit(cls, nullptr, 0) : nullptr;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    if (IsWord(word, "{")) {
        if (unit) {
            ++gAttachNesting;
            unit->ReadMissionBlock(file, &gWarningBudget, "CAtom::CreateAttachInMission");
            --gAttachNesting;
        } else {
            Core::fscan_skip_nested_block(file);
        }
        Core::fscan_word(file, word);
    }
    if (IsWord(word, "attaches:")) {
        Core::fscan_skip(file, word, 2);
        if (unit) {
            unit->SysControls |= ScanAttachMode(word);
            if (unit->SysControls & SYS_GEOMETRY) unit->UpdateWorldMatrix();
        }
        Core::fscan_skip(file, word, 2);
    }
    return unit ? 0 : -1;
}

// ---- Attaches ----

// A unit the attach pool has no record for is not made: it would only go again with what
// its start actions made, and the full pool would be said twice, by them and by the attach.
CAtom* CAtom::CreateAttachedUnit(CClassTemplate* cls, const D3DXVECTOR4* position, uint32_t flags)
{
    if (!gIUnitInspector || !cls) return nullptr;
    if (!gUnitInspector || gUnitInspector->FreeAttachCount() < 1) {
        WarningBox(&gWarningBudget, ATTACH_UNIT_TEXTS.limit, nullptr);
        return nullptr;
    }
    const CMadeToAttach attached;
    CAtom* unit = gIUnitInspector->CreateUnitFromTemplate(cls, map);
    if (!unit) return nullptr;
    if (position) unit->Pos = *position;
    unit->SysControls |= flags;
    if (unit->SysControls & SYS_GEOMETRY) unit->UpdateWorldMatrix();
    if (AttachUnit(unit, NOT_ATTACHED) != 0) {
        gIUnitInspector->DeleteUnit(unit);
        return nullptr;
    }
    return unit;
}

int CAtom::AttachUnit(CAtom* slave, uint8_t mode)
{
    return Attach(this, slave, mode, ATTACH_UNIT_TEXTS);
}

int CAtom::AssignMaster(CAtom* newMaster, uint8_t mode)
{
    return Attach(newMaster, this, mode, ASSIGN_MASTER_TEXTS);
}

void CAtom::DetachSlave(CAtom* slave)
{
    SUnitAttach* record = slaves.Find([slave](const SUnitAttach* r) { return r->unit == slave; });
    if (record) {
        slaves.Remove(record);
        if (gUnitInspector) gUnitInspector->FreeUnitAttach(record);
    }
    if (slave && slave->master == this) {
        slave->master = nullptr;
        slave->attachMode = NOT_ATTACHED;
    }
}

CAtom* CAtom::FindSlaveByClass(const char* className) const
{
    const SUnitAttach* record = slaves.Find([className](const SUnitAttach* r) {
        return r->unit->classTemplate && IsWord(r->unit->classTemplate->name, className);
    });
    return record ? record->unit : nullptr;
}

CAtom* CAtom::GetSlave(int position) const
{
    const SUnitAttach* record = slaves.At(position);
    return record ? record->unit : nullptr;
}

// The list is emptied first, so the registry's deletion of each slave finds nothing of
// this master to detach from.
void CAtom::DeleteSlaves()
{
    TLinkedList<SUnitAttach> list = slaves;
    slaves.Clear();
    list.ForEach([](SUnitAttach* record) {
        CAtom* slave = record->unit;
        if (gUnitInspector) gUnitInspector->FreeUnitAttach(record);
        slave->master = nullptr;
        slave->attachMode = NOT_ATTACHED;
        if (gIUnitInspector) gIUnitInspector->DeleteUnit(slave);
    });
}

// Whatever order units go in, nobody keeps pointing at a deleted one: a unit leaves its
// master's list and its slaves lose their master.
void CAtom::UnlinkAttaches()
{
    if (master) master->DetachSlave(this);
    slaves.ForEach([](SUnitAttach* record) {
        record->unit->master = nullptr;
        record->unit->attachMode = NOT_ATTACHED;
        if (gUnitInspector) gUnitInspector->FreeUnitAttach(record);
    });
    slaves.Clear();
}

void CAtom::Disable()
{
    state |= UNIT_DISABLED;
    slaves.ForEach([](SUnitAttach* record) { record->unit->Disable(); });
}

void CAtom::Enable()
{
    state &= ~UNIT_DISABLED;
    slaves.ForEach([](SUnitAttach* record) { record->unit->Enable(); });
}

// ---- Smooth movers ----

CSmoothMover* CAtom::StartSmoothMover(D3DXVECTOR4* destination, const D3DXVECTOR4& target, float speed,
                                      float ramp, SmoothMoverDone done)
{
    // Only a mover that never moves ends inside its start; one with no distance to go
    // arrives at its first step like any other.
    if (speed == NO_SPEED) {
        if (done) done(this);
        return nullptr;
    }
    CSmoothMover* mover = gUnitInspector ? gUnitInspector->AllocSmoothMover() : nullptr;
    if (!mover) {
        WarningBox(&gWarningBudget, "CAtom::StartSmoothMover:  For UnitInspector SmoothMovers limit is exceeded.",
                   nullptr);
        return nullptr;
    }
    mover->Start(destination, target, speed, ramp, done);
    smoothMovers.PushBack(mover);
    return mover;
}

void CAtom::StopSmoothMovers()
{
    smoothMovers.ForEach([](CSmoothMover* mover) {
        if (gUnitInspector) gUnitInspector->FreeSmoothMover(mover);
    });
    smoothMovers.Clear();
}

// ---- Matrices ----

void CAtom::CalcMatrix(D3DXMATRIX* out) const
{
    D3DXMatrixRotationYawPitchRoll(out, Orient.y, Orient.x, Orient.z);
    out->_41 = Pos.x;
    out->_42 = Pos.y;
    out->_43 = Pos.z;
    out->_44 = Pos.w;
}

// Units with their own world matrix pitch the other way round from CalcMatrix.
void CAtom::UpdateWorldMatrix()
{
    MatrixFromAnglesPos(&world, Pos, Orient);
}

// The master's own transform already goes on up its chain.
void CAtom::TransformToWorld(D3DXVECTOR4* out, const D3DXVECTOR4& in) const
{
    D3DXMATRIX own;
    CalcMatrix(&own);
    D3DXVec4Transform(out, &in, &own);
    if (master) master->TransformToWorld(out, *out);
}

void CAtom::GetWorldPos(D3DXVECTOR4* out) const
{
    *out = Pos;
    if (master) master->TransformToWorld(out, *out);
}
