#pragma once
// The process-wide table of textures shared by meshes (gMeshTextures): one reference-counted
// entry per texture path, so a texture file named by many meshes is loaded once. A texture
// that does not load leaves its slot empty, is recorded among the failed texture names and,
// unless the caller asked for silence, is reported in a message.

#include <d3d9.h>

#include <cstdint>

struct CMesh;
struct STextureSlot;

constexpr int MAX_MESH_TEXTURES = 2048;
constexpr int MESH_TEXTURE_NAME_SIZE = 256;

struct SMeshTexture {
    IDirect3DTexture9* texture = nullptr;
    uint32_t reserved = 0;
    D3DSURFACE_DESC desc{};
    int refCount = 0;  // 0 = free entry
    char name[MESH_TEXTURE_NAME_SIZE] = {};

    void Clear();
};

struct CMeshTextureTable {
    SMeshTexture entries[MAX_MESH_TEXTURES];

    // Index of the entry with this path (compared in lower case), -1 if none.
    int Find(const char* path) const;
    // Takes over the texture's reference in a free entry: its index, -1 when refused.
    int Add(const char* path, IDirect3DTexture9* texture);
    IDirect3DTexture9* AddRef(int index);
    // One more reference to the entry a slot holds: the slot's index with the entry's
    // texture through `texture` (when given); -1 and a null texture when the slot holds no
    // entry, so a copy never owns a reference it was not given.
    int AddRef(const STextureSlot& slot, IDirect3DTexture9** texture = nullptr);
    // One reference less; frees the entry at 0: 1 when freed, else 0. Indices outside the
    // table and free entries are ignored.
    int Release(int index);
};
extern CMeshTextureTable gMeshTextures;

// Slot numbers from MESH_MATERIAL_SLOT on name material (slot - MESH_MATERIAL_SLOT).
constexpr int MESH_MATERIAL_SLOT = 1000;

// The file path of a texture named in a mesh file (empty: no texture).
void ResolveTexturePath(char* out, size_t cap, const char* name, const char* meshPath);
// Fills one texture slot of the mesh: 0 success or silent failure, -10 not loaded.
int LoadMeshTexture(const char* meshPath, const char* texturePath, CMesh* mesh, int slot,
                    int flags);
