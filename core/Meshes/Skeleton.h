#pragma once
// CSkeleton: the bones a mesh or an animation carries, a flat list in which every bone
// names its master, and its "SKELETON_STRUCTURE" text block. Reading trusts nothing: the
// bone count is checked against the 64 bones a skeleton may hold and every row against
// what the file holds; a block that does not hold what it declares ends in a message and
// an empty skeleton. A master that is missing, too many children and equal ids are
// messages (one of each kind per block) that leave the bone loaded. Editing keeps the
// record whole: masters, children, indices, masks and inverse matrices always agree.

#include <d3dx9.h>

#include <cstdint>
#include <cstdio>

constexpr int MAX_SKELETON_BONES = 64;  // one bit of the 64-bit masks per bone
constexpr int MAX_BONE_CHILDREN = 40;
constexpr int BONE_NAME_SIZE = 26;

enum : uint32_t {
    SKELETON_NAME_QUOTES = 1,  // names in the file are quoted strings
    SKELETON_BONE_SPACE = 8,   // the mesh's vertices stay relative to their bones
};

struct SBone {
    D3DXVECTOR4 absolute{0, 0, 0, 1};
    SBone* master = nullptr;
    int index = 0;
    D3DXVECTOR4 relative{0, 0, 0, 1};
    uint32_t id = 0;
    uint64_t mask = 0;
    char name[BONE_NAME_SIZE] = {};
    uint8_t childCount = 0;
    uint8_t children[MAX_BONE_CHILDREN] = {};
};

// A block of n bytes whose address is a multiple of 16 (null when n cannot be allocated);
// AlignedFree gives it back (null is ignored).
void* AlignedAlloc(size_t n);
void AlignedFree(void* p);

struct CSkeleton {
    int boneCount = 0;
    SBone* bones = nullptr;
    D3DXMATRIX* inverseMatrices = nullptr;  // one per bone, from AlignedAlloc
    uint32_t flags = 0;

    void Init();
    void Release();
    // Bones (with masters pointing into the copy) and inverse matrices of another skeleton.
    void CopyFrom(const CSkeleton& other);
    // The block after its "SKELETON_STRUCTURE" word; fileName names the file in messages.
    // 0; -1 when the block is damaged or holds more than 64 bones (message shown, the
    // skeleton left empty).
    int Load(FILE* file, const char* fileName);
    // The block with quoted names.
    void Save(FILE* file) const;
    // n fresh bones (index and mask set), replacing any; 0, or -1 (the skeleton left empty)
    // when n is not 0..64 or the memory is not there.
    int AllocBones(int n);
    // n bones: the first min(n, count) kept, the rest fresh; links to dropped bones are cut
    // (their children become roots). 0, or -1 (nothing changed) as for AllocBones.
    int Resize(int n);
    // Takes bone i out: its children become roots, the later bones move up one place and
    // are renumbered, with their links. A bad index does nothing.
    void RemoveBone(int i);
    // An array of one identity matrix per bone for the inverse matrices (replacing any);
    // false when the memory is not there.
    bool AllocInverseMatrices();
    // The first bone with that id or name, -1 / null when none.
    int FindBoneById(uint32_t id) const;
    int FindBoneIndex(const char* name) const;
    SBone* FindBone(const char* name);
    // Each bone's position relative to its master (a root's is its absolute one).
    void ComputeRelativePositions();
};
