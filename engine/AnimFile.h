#pragma once
// CAnimFile: one animation's data, read from a text animation file: for every frame and
// every animated bone a key (its matrix, and with "values kept" the channel values it was
// made from). Loading fails with a message box naming the file and a negative code; a
// failed load leaves an empty or partial animation that Clear releases. Samplers never
// read outside the keys: frames or bones out of range leave their outputs untouched.
// With a skeleton block every key names a bone of it, and each key's matrix carries the
// keys of its ancestors in the same frame.

#include "core/Meshes/Skeleton.h"

#include <d3dx9.h>

#include <cstdint>

constexpr int MAX_ANIM_FRAMES = 2048;
constexpr int MAX_BONES = 64;

// Flags of an animation file.
enum : uint32_t {
    ANIM_VALUES = 0x1,
    ANIM_FINAL_MATRIX = 0x2,
    ANIM_ANGLE = 0x4,
    ANIM_POS = 0x8,
    ANIM_SCALE = 0x10,
    ANIM_ABSOLUTE = 0x20,
    ANIM_RELATIVE = 0x40,
    ANIM_PARENT_SPACE = 0x80,
    ANIM_TARGET = 0x100,
    ANIM_ALPHA = 0x200,
    ANIM_RED = 0x400,
    ANIM_GREEN = 0x800,
    ANIM_BLUE = 0x1000,
    ANIM_UV = 0x2000,
    ANIM_MATRICES_3X3 = 0x4000,
    ANIM_BONE_CHANNELS = 0x1F,  // what users of bone animation test
    ANIM_RGB = 0x1C00,
    ANIM_COLOR_UV = 0x3E00,
};
// Load flags ("Flags:" of an animation element).
enum : uint32_t {
    ANIM_LOAD_STORE_VALUES = 0x1,
    ANIM_LOAD_MATRICES_3X3 = 0x4000,
};
// LoadAnimation results.
enum {
    ANIM_LOADED = 0,
    ANIM_CANT_OPEN = -1,
    ANIM_TOO_MANY_FRAMES = -2,
    ANIM_TOO_MANY_BONES = -3,
    ANIM_BONE_MISSING = -4,
    ANIM_DAMAGED = -5,  // cut short, a count below 0, or a word where a number belongs
};

struct CAnimKey {
    CAnimKey();
    D3DXMATRIX matrix;  // the bone's final matrix at this frame
    D3DXMATRIX local;   // the key's own: before its parents, or the closing move, are applied
    uint32_t nameHash = 0;
    int32_t boneIndex = 0;  // skeleton bone, or the key's order in its frame
};

struct CAnimValues {
    D3DXVECTOR4 angles{0, 0, 0, 1};
    D3DXVECTOR4 position{0, 0, 0, 1};  // "UvCoords" files keep their four UV values here
    D3DXVECTOR4 scale{1, 1, 1, 1};
    D3DXVECTOR4 target{0, 0, 0, 1};
    D3DXVECTOR4 color{1, 1, 1, 1};
};
static_assert(sizeof(CAnimValues) == 20 * sizeof(float), "twenty floats");

class CAnimPlayer;
using AnimFrameCallback = void (*)(CAnimPlayer* player, int previous, int next);

class CAnimFile {
public:
    CAnimFile() = default;
    ~CAnimFile() { Clear(); }
    CAnimFile(const CAnimFile&) = delete;
    CAnimFile& operator=(const CAnimFile&) = delete;

    int LoadAnimation(const char* path, uint32_t loadFlags);
    // Frames and bones only when above 0; the flags are replaced.
    void Init(int frames, int bones, float seconds, uint32_t newFlags);
    void Clear();

    // Frame pair (a, b) blended by f. All keys of the pair by bone index into out (64
    // entries), marking each written bone with 2 in marks when given.
    void SampleMatrices(int a, int b, float f, D3DXMATRIX* out, uint8_t* marks) const;
    // One bone: local matrices; final ones for "FinalMatrix" files, and for 3x3 files only
    // their first three rows. Identity when the file has no keys. False when nothing was
    // written: the pair holds no key of that bone.
    bool SampleBoneMatrix(int a, int b, float f, int bone, D3DXMATRIX* out) const;
    // The channel values of key order i, in one block shared by all files; null without
    // values.
    const CAnimValues* SampleValues(int a, int b, float f, int order) const;
    void SamplePosition(int a, int b, float f, int bone, D3DXVECTOR4* out) const;
    CAnimKey* FindKey(int bone, int frame) const;

    int frameCount = 0;
    int boneCount = 0;
    uint64_t usedBones = 0;
    float duration = 0.0f;
    float step = 0.0f;
    float invStep = 0.0f;
    CAnimKey* keys = nullptr;      // frame-major: key (f, i) is keys[f * boneCount + i]
    CAnimValues* values = nullptr;  // with ANIM_VALUES only
    AnimFrameCallback frameCallback = nullptr;
    uint32_t flags = 0;
    CSkeleton skeleton;
    int version = 0;

private:
    void ComputeStep();
    bool FramePair(int a, int b) const;
    friend class CAnimFileReader;
};
