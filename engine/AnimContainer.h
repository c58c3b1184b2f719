#pragma once
// CAnimContainer: owns the engine's animations, numbered 1..AnimationFiles-1 (0 = none),
// and the pool of running animation instances that units borrow while an animation plays
// on them. Scripts size it ("AnimContainer" section) and fill it ("ANIMATION" objects);
// presentations add records ("Animation:" lines) that are released, with every running
// instance, when the presentation ends. Problems are counted warnings; a failed file load
// keeps its record (named, empty) so units report it themselves. Only a full record pool
// while scripts are read asks for shutdown (gExitCode). An exhausted instance pool answers
// null.

#include "core/BlockPool.h"
#include "core/Container.h"
#include "core/Scanner.h"
#include "engine/AnimFile.h"
#include "engine/AnimPlayer.h"

#include <cstdint>
#include <cstdio>

class CAtom;

constexpr size_t ANIM_NAME_SIZE = 32;
constexpr size_t ANIM_DIRECTORY_SIZE = 512;
constexpr int ANIM_EXTRA_BLOCKS = 32;
constexpr int ANIM_BLOCK_SIZE = 1024;
constexpr uint8_t NO_BIND_SLOT = 255;

// Usage flags of an animation record.
enum : uint16_t {
    ANIM_USE_PRESENTATION = 0x1,
    ANIM_USE_FRAMES = 0x2,
    ANIM_USE_UV_ATLAS = 0x4,
    ANIM_USE_BIND1_UV = 0x8,
    ANIM_USE_BIND2_UV = 0x10,
    ANIM_USE_BIND1_TEXTURE = 0x20,
    ANIM_USE_BIND2_TEXTURE = 0x40,
    ANIM_USE_BIND1_MESH = 0x80,
    ANIM_USE_BIND2_MESH = 0x100,
    ANIM_USE_FRAME_MESHES = 0x200,
};

// One named animation: a file's keys, or a series of textures, meshes or atlas cells.
struct CEngineAnimFile {
    char name[ANIM_NAME_SIZE] = {};
    CAnimFile data;
    uint16_t index = 0;
    uint16_t firstResource = 0;  // frame i uses firstResource + i - 1
    uint16_t playFlags = 0;
    uint16_t usage = 0;
    uint8_t bindSlot1 = NO_BIND_SLOT;
    uint8_t bindSlot2 = NO_BIND_SLOT;
    float uStep = 1.0f;
    float vStep = 1.0f;
    int32_t columns = 1;
    int32_t rows = 1;
    uint32_t frameFormat = 0;

    // Back to the state of a record never used (the data's keys freed).
    void Reset();
};

using AnimEndCallback = void (*)(CAtom* unit);

// One animation running on one unit (linked into the unit's list through next).
class CAnimInstance {
public:
    // Fades in from source over blendTime; the source's player is stopped meanwhile.
    void Init(CAnimInstance* source, float blendTime);
    void Reset(float blendTime);
    void SetTag(uint32_t value) { tag = value; }
    void Restart(int frame) { player.Restart(frame); }
    // The texture or mesh of a frame (0-based): the frame table's entry (0 past its end),
    // else the current resource + frame.
    uint16_t FrameResource(int frame) const;

    float startDelay = 0.0f;
    CAnimPlayer player;
    CEngineAnimFile* file = nullptr;
    CAnimInstance* next = nullptr;
    uint16_t currentResource = 0;
    // Set by the unit that started the instance; non-zero keeps the renderer from
    // switching the unit's textures to the animation's frames.
    uint16_t callerValue = 0;
    // The textures of a presentation's texture animation, one per frame (owned).
    uint16_t* frameTable = nullptr;
    CAnimInstance* blendSource = nullptr;
    float blendLeft = 0.0f;
    float blendTotal = 0.0f;
    uint32_t tag = 0;
    // Called with the unit when the instance ends, before it is freed.
    AnimEndCallback endCallback = nullptr;
    // Seconds to keep the pose instead of playing; the instance ends when they run out.
    float holdTime = 0.0f;
    // The renderer found no index buffer for this mesh animation and has said so.
    bool indexErrorShown = false;
};

// What a relative animation adds its values to: the unit's pose when the first one began.
struct SAnimBaseValues {
    D3DXVECTOR4 orient{0, 0, 0, 0};
    D3DXVECTOR4 pos{0, 0, 0, 1};
    D3DXVECTOR4 target{0, 0, 0, 1};  // cameras
};

class IAnimContainer {
public:
    virtual ~IAnimContainer() = default;
    virtual CEngineAnimFile* GetAnimFile(uint16_t index) = 0;
    virtual CEngineAnimFile* FindAnimFile(const char* name) = 0;
    virtual uint16_t FindAnimFileIndex(const char* name) = 0;
    virtual CAnimFile* GetAnimData(uint16_t index) = 0;
    virtual uint16_t LoadAnimFile(const char* path, uint32_t loadFlags, int presentation) = 0;
    virtual void FreeAnimFile(uint16_t index) = 0;
};

class CAnimContainer : public IAnimContainer {
public:
    ~CAnimContainer() override { FreeAll(); }

    // Null unless the index is a record in use.
    CEngineAnimFile* GetAnimFile(uint16_t index) override;
    CEngineAnimFile* FindAnimFile(const char* name) override;
    uint16_t FindAnimFileIndex(const char* name) override;
    CAnimFile* GetAnimData(uint16_t index) override;
    // A new record holding the file; 0 when none is free or the file does not load (the
    // record is given back then: nothing knows its index).
    uint16_t LoadAnimFile(const char* path, uint32_t loadFlags, int presentation) override;
    // A free or bad index does nothing.
    void FreeAnimFile(uint16_t index) override;

    // The "AnimContainer" section after its name: "[" ... "]".
    void FirstScan(FILE* file);
    // One element after "ANIMATION" (or an "Animation:" line with oneLine set): 0, or -1
    // when no record is free.
    int ScanAnimationFile(FILE* file, int presentation);
    void FreeAnimFileByPtr(CEngineAnimFile* record);
    CAnimInstance* AllocAnimInstance();
    void FreeAnimInstance(CAnimInstance* instance);
    // Presentation records and every running instance.
    void FreeMarkedFiles();
    // Skeletal animations of the unit's instances blended into bone matrices (64).
    void ComputeAnimatedMatrices(CAtom* unit, D3DXMATRIX* matrices, uint8_t* marks);

    int warnings = 2;
    char directory[ANIM_DIRECTORY_SIZE] = {};
    int oneLine = 0;

private:
    struct SElement;

    uint16_t IndexOf(const CEngineAnimFile* record);
    void ReadElementWords(FILE* file, CEngineAnimFile& record, SElement& element);
    bool ReadElementWord(FILE* file, const char* word, CEngineAnimFile& record, SElement& element);
    void ScanFirstResource(FILE* file, CEngineAnimFile& record, SElement& element, bool mesh);
    void LoadFrameSeries(CEngineAnimFile& record, const SElement& element);
    void ScanFramesUV(FILE* file, CEngineAnimFile& record);
    void ScanFlags(FILE* file, CEngineAnimFile& record, SElement& element);
    void ScanBind(FILE* file, CEngineAnimFile& record, bool second);
    bool ListWord(FILE* file, char (&word)[Core::WORD_BUFFER_SIZE], const CEngineAnimFile& record, const char* block);
    void FreeAll();
    void DropInstance(CAnimInstance& instance);

    TContainer<CEngineAnimFile, uint16_t> records;
    TBlockPool<CAnimInstance> instances;
};

extern CAnimContainer* gAnimContainer;
extern IAnimContainer* gIAnimContainer;
