#pragma once
// CAtom: the base of every scene object ("unit"). It holds what every unit has, defines
// the fixed order of virtual operations through which the unit registry, the presentation
// loader, the scenes and the renderer drive every unit class, and implements the
// property-scanning protocol that reads script class blocks and presentation data into a
// unit. Scanners never report unknown words themselves: they answer SCAN_UNKNOWN with the
// word in gUnknownWord and the caller reports it. Other problems are counted warnings on
// the unit classes' shared budget.

#include "core/Core.h"
#include "core/LinkedList.h"
#include "core/Scanner.h"
#include "core/SmoothMover.h"
#include "core/Strings.h"
#include "engine/MapPos.h"

#include <d3dx9.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

class CAtom;
class CClassTemplate;
class CGeometry;
class CGameMap;
class CNation;
class CAnimInstance;
struct SAnimBaseValues;

// SysControls bits.
enum : uint32_t {
    SYS_RENDER_ALWAYS = 2,
    SYS_ENABLE_IDLE = 4,
    SYS_ENABLE_PRE_RENDER = 8,
    SYS_ENABLE_POST_RENDER = 16,
    SYS_GEOMETRY = 32,  // keeps its own world matrix; the renderer draws only these
    SYS_SELECTING = 128,
    SYS_ATTACH_POS = 0x100,
    SYS_ATTACH_FULL = 0x200,
    SYS_ATTACH_SIMPLE = 0x400,
    SYS_FOR_CONTROLS3D = 0x800,
};
// State bits.
enum : uint32_t {
    UNIT_DISABLED = 1,
    UNIT_SELECTED = 2,
    UNIT_VISIBLE = 4,
    UNIT_QUEUED = 8,
};

// Results of the scanners.
constexpr int SCAN_BLOCK_END = 112233;  // the block was closed by "};"
constexpr int SCAN_UNKNOWN = -1;        // word in gUnknownWord, or gExitCode is set
constexpr int SCAN_DONE = 0;            // end of file, or one property read

constexpr int UNIT_NAME_SIZE = 32;
constexpr uint8_t NOT_ATTACHED = 255;
constexpr uint32_t FIRST_SELECTING_TYPE = 18;
constexpr float DEGREES_TO_RADIANS = 0.0174532924f;
constexpr float DIRECTION_STEP_ANGLE = 0.785398f;  // 45 degrees

// The word a scanner did not recognise, for its caller's message.
extern char gUnknownWord[Core::WORD_BUFFER_SIZE];
void SetUnknownWord(const char* word);

// One slave of a master: a record of the unit registry's attach pool.
struct SUnitAttach {
    CAtom* unit = nullptr;
    SUnitAttach* next = nullptr;
};

class CAtom {
public:
    CAtom();
    CAtom(const CAtom&) = delete;
    CAtom& operator=(const CAtom&) = delete;

    // The operations every unit class may override, in this fixed order.
    virtual ~CAtom();
    virtual void Release() {}
    virtual int ScanNativePropertyes(FILE* file, const char* word);
    virtual int ScanMissionData(FILE* file, const char* word);
    virtual int ScanStartActions(FILE* file);
    virtual uint32_t GetParamIndex(const char* param);
    virtual uint32_t DoIdle() { return 0; }
    virtual uint32_t Process() { return 0; }
    virtual uint32_t PreRender() { return 0; }
    virtual uint32_t Render(uint32_t /*pass*/) { return 0; }
    virtual uint32_t PostRender() { return 0; }
    virtual void OnShow() {}
    virtual void OnHide() {}
    virtual void CopyFromPrototype(const CAtom* prototype);
    virtual void CopyTo(CAtom* destination) const;
    virtual void FirstInit();
    virtual void SetPos(const D3DXVECTOR4& position);
    virtual int SetMapPos(const SMapPos& position);
    virtual void TransformToWorld(D3DXVECTOR4* out, const D3DXVECTOR4& in) const;

    // The unit's presentation block after its "{". A word the unit does not know is said
    // once, by the reader named, and the rest of the block is read through unread to its
    // "};", nested blocks included: the unit keeps what it read before the word, and the
    // reader goes on after the block. The scanner's result.
    int ReadMissionBlock(FILE* file, int* budget, const char* reader);
    // At most 31 characters, always terminated; the hash is of the stored name.
    void SetName(const char* text);
    int ScanSysControls(FILE* file);
    void PlaceOnMap(const SMapPos& position);

    // ---- Start actions, attaches, animations, smooth movers, matrices (AtomActions.cpp) ----
    // A presentation unit's "start_actions:" block: 0 at its "};" (a failed action has
    // warned); only a block cut off by the end of the file gives the results joined by OR.
    int StartActionsInMission(FILE* file);
    // 0, or -1 when the action failed (then nothing of it is left).
    int PlayAnimationInMission(FILE* file);
    int CreateAttachInMission(FILE* file);
    // "Pos"/"pos", "Full"/"full", "Simple"/"simple": the attach-mode bits; else 0.
    static uint32_t ScanAttachMode(const char* word);

    // Slaves are records of the registry's attach pool, linked at the tail. A unit is
    // never attached to itself or to one of its own slaves. 0, or -1 when refused.
    int AttachUnit(CAtom* slave, uint8_t mode);
    int AssignMaster(CAtom* newMaster, uint8_t mode);
    // Unlinks the slave's record, gives it back and clears the slave's master. Virtual for
    // masters that keep slaves in lists of their own.
    virtual void DetachSlave(CAtom* slave);
    // A registered unit of the class, positioned (when given), flagged and attached; null,
    // with nothing of it left, when the pool or the registry cannot take it.
    CAtom* CreateAttachedUnit(CClassTemplate* cls, const D3DXVECTOR4* position, uint32_t flags);
    CAtom* FindSlaveByClass(const char* className) const;
    CAtom* GetSlave(int position) const;
    CAtom* FirstSlave() const { return GetSlave(0); }
    // Every slave is deleted through the registry.
    void DeleteSlaves();
    // State bit 1 on this unit and all its slaves, set or cleared.
    void Disable();
    void Enable();

    // ---- Animations (AtomAnimations.cpp) ----
    // The running instance of the file, else a new one started at the tail; null (with a
    // warning) when the file has no record or data, or no instance is free.
    CAnimInstance* AddAnimation(uint16_t file, uint32_t tag);
    // As AddAnimation; then the end callback and the start delay in seconds.
    CAnimInstance* AddAnimationTimed(uint16_t file, void (*callback)(CAtom*), float delay);
    // Unlinks and gives back the instance, nulls the reference; the base values go with
    // the last instance.
    void RemoveAnimation(CAnimInstance*& instance);
    // The first instance of the file: restarted from frame 0, or held. 0, or -1 when none.
    int RestartAnimation(uint16_t file);
    int StopAnimation(uint16_t file);
    void RemoveAllAnimations();
    CAnimInstance* FirstAnimation() const { return animations.First(); }

    // Glides the four floats at destination to target (see CSmoothMover). A speed of exactly
    // 0 starts nothing: done is called at once and null returned. Null also when the pool is
    // full (done is not called).
    CSmoothMover* StartSmoothMover(D3DXVECTOR4* destination, const D3DXVECTOR4& target, float speed,
                                   float ramp, SmoothMoverDone done);
    void StopSmoothMovers();

    // Yaw-pitch-roll of Orient with Pos as the fourth row.
    void CalcMatrix(D3DXMATRIX* out) const;
    // The world matrix of a unit that keeps one (SysControls bit 32): the pitch is
    // negated against CalcMatrix.
    void UpdateWorldMatrix();
    // Pos taken through every master's matrix up the chain.
    void GetWorldPos(D3DXVECTOR4* out) const;

    // What a "play_animation:" block asks for.
    struct SPlayRequest {
        uint16_t animation = 0;
        uint32_t playFlags = 0;
        uint32_t loadFlags = 0;
        uint16_t firstTexture = 0;
        char firstPath[Core::STRING_BUFFER_SIZE] = {};
        uint16_t frameCount = 0;
        float duration = 0.0f;
    };
    // The texture of each frame of a texture animation (0 where one did not load).
    void LoadTextureFrames(const SPlayRequest& request, std::vector<uint16_t>& frames);
    // Starts what a "play_animation:" block asked for; false when nothing started.
    bool StartRequestedAnimation(const SPlayRequest& request, const std::vector<uint16_t>& frames);
    // ---- end of the actions block ----

    uint32_t id = 0;
    D3DXVECTOR4 Pos{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXVECTOR4 Size{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXCOLOR Color{1.0f, 1.0f, 1.0f, 1.0f};
    D3DXVECTOR4 Dir{0.0f, 0.0f, 0.0f, 0.0f};
    D3DXVECTOR4 Orient{0.0f, 0.0f, 0.0f, 0.0f};  // radians: x pitch, y yaw, z roll
    uint32_t type = 0;
    uint32_t SysControls = 0;
    uint32_t state = 0;
    char name[UNIT_NAME_SIZE] = {};
    uint32_t nameHash = 0;
    uint8_t RenderQueue = 1;
    uint8_t attachMode = NOT_ATTACHED;
    uint8_t placeMode = 0;  // 1 map cell, 2 cell and ground height, 4 cell and sea height
    CAtom* master = nullptr;
    // The unit this one belongs to without being its slave: the owner of an auxiliary
    // billboard, the unit of a night light. An auxiliary billboard deleted first is taken
    // out of its owner.
    CGeometry* owner = nullptr;
    TLinkedList<SUnitAttach> slaves;
    TLinkedList<CSmoothMover> smoothMovers;
    CNation* nation = nullptr;
    CGameMap* map = nullptr;
    SMapPos mapPos;  // for placement mode 4 the altitude word holds the sea level number
    CClassTemplate* classTemplate = nullptr;
    TLinkedList<CAnimInstance> animations;
    SAnimBaseValues* animBase = nullptr;

    // Turns the unit to a direction step (wrapped to 0..7) and rebuilds its world matrix.
    void SetDirection(int step);
    // 45-degree steps per rotation key: the class template's PlaceRotate, else 1.
    int32_t PlaceRotation() const;
    D3DXMATRIX world;

private:
    void ScanStartAnimation(FILE* file, char (&word)[Core::WORD_BUFFER_SIZE]);
    void ScanStartAttach(FILE* file, char (&word)[Core::WORD_BUFFER_SIZE]);
    void ScanPlayRequest(FILE* file, SPlayRequest& request);
    bool ScanPlayFlags(FILE* file, SPlayRequest& request);
    void ScanFirstTexture(SPlayRequest& request);
    void UnlinkAttaches();
    void KeepAnimBase();

    void CopyValuesTo(CAtom* destination) const;
    bool ScanOwnProperty(FILE* file, const char* word);
    bool ScanOwnMissionKey(FILE* file, const char* word);
};

// Shader tables read a unit's values by 32-bit word index from the unit's address. The
// class is polymorphic, so offsetof is only conditionally supported; GCC gives the real
// offsets for this single-inheritance root, which the asserts below pin.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
constexpr uint32_t ATOM_POS_WORD = uint32_t(offsetof(CAtom, Pos) / 4);
constexpr uint32_t ATOM_SIZE_WORD = uint32_t(offsetof(CAtom, Size) / 4);
constexpr uint32_t ATOM_COLOR_WORD = uint32_t(offsetof(CAtom, Color) / 4);
constexpr uint32_t ATOM_DIR_WORD = uint32_t(offsetof(CAtom, Dir) / 4);
static_assert(offsetof(CAtom, Pos) % 4 == 0, "word aligned");
static_assert(ATOM_SIZE_WORD == ATOM_POS_WORD + 4 && ATOM_COLOR_WORD == ATOM_SIZE_WORD + 4 &&
                  ATOM_DIR_WORD == ATOM_COLOR_WORD + 4,
              "four consecutive 4-vectors");
static_assert(ATOM_POS_WORD == 3, "after the table pointer and the id on x86_64");
#pragma GCC diagnostic pop

// The class-block loop of a derived class: its own keywords first (own(file, word) is
// true when it read the keyword), any other word down to its base class
// (base(file, word) -> scanner result). A word that comes back from the base unknown is
// tested against the own keywords once more before SCAN_UNKNOWN goes up, so one block
// mixes the keywords of every level in any order.
template <class Own, class Base>
int ScanClassBlock(FILE* file, const char* firstWord, Own own, Base base)
{
    char word[Core::WORD_BUFFER_SIZE] = {};
    bool pending = firstWord && firstWord[0];
    if (pending) StrCopy(word, sizeof word, firstWord);
    for (;;) {
        if (!pending && feof(file)) return SCAN_DONE;
        if (gExitCode) return SCAN_UNKNOWN;
        gUnknownWord[0] = 0;
        if (!pending) Core::fscan_word(file, word);
        pending = false;
        if (!word[0]) return SCAN_DONE;
        if (strcmp(word, "};") == 0) return SCAN_BLOCK_END;
        if (own(file, word)) continue;
        const int result = base(file, word);
        if (result == SCAN_BLOCK_END) return SCAN_BLOCK_END;
        if (result != SCAN_UNKNOWN) continue;
        if (gExitCode) return SCAN_UNKNOWN;
        StrCopy(word, sizeof word, gUnknownWord);
        if (!own(file, word)) return SCAN_UNKNOWN;
    }
}

// The presentation-data loop of a derived class. With a word: single-property mode, that
// one key is read (by this class or its base) and SCAN_DONE returned. Without: keys up to
// "};"; a key the base does not know ends the loop with SCAN_UNKNOWN.
template <class Own, class Base>
int ScanMissionBlock(FILE* file, const char* firstWord, Own own, Base base)
{
    if (firstWord && firstWord[0]) return own(file, firstWord) ? SCAN_DONE : base(file, firstWord);
    char word[Core::WORD_BUFFER_SIZE];
    for (;;) {
        Core::fscan_word(file, word);
        if (!word[0]) return SCAN_DONE;
        if (strcmp(word, "};") == 0) return SCAN_BLOCK_END;
        if (!own(file, word) && base(file, word) == SCAN_UNKNOWN) return SCAN_UNKNOWN;
    }
}
