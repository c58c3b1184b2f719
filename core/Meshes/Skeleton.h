#pragma once
// CSkeleton: the bones a mesh carries (a flat list with masters). This is the record the
// mesh needs to hold and release; reading and writing skeleton blocks is not available,
// so a mesh file with a skeleton block is refused with a message by the mesh reader.

#include <d3dx9.h>

#include <cstdint>

struct SBone {
    D3DXVECTOR4 absolute{0, 0, 0, 1};
    SBone* master = nullptr;
    int index = 0;
    D3DXVECTOR4 relative{0, 0, 0, 1};
    uint32_t id = 0;
    uint64_t mask = 0;
    char name[26] = {};
    uint8_t childCount = 0;
    uint8_t children[40] = {};
};

struct CSkeleton {
    int boneCount = 0;
    SBone* bones = nullptr;
    D3DXMATRIX* inverseMatrices = nullptr;
    uint32_t flags = 0;

    void Init();
    void Release();
    // Bones (with masters pointing into the copy) and inverse matrices of another skeleton.
    void CopyFrom(const CSkeleton& other);
};
