#pragma once
// The mesh text format: LoadMesh reads a ".msh" file into a CMesh, SaveMesh writes one back.
// The reader trusts nothing in the file: every count is checked against the header and the
// staging limits and every index against the vertices of its block. The header reserves
// room, which the blocks may fill only in part (the rest stays zero); what would pass it,
// or a row or section cut short, ends in a message and a failed load that leaves the mesh
// empty. Each kind of warning is said once per file. SaveMesh writes what LoadMesh reads
// back to the same buffers.

#include "core/Meshes/Mesh.h"

#include <cstdint>
#include <cstdio>

// LoadMesh flags
enum : int {
    LOAD_MESH_BONE_SPACE = 2,
    LOAD_MESH_QUIET_TEXTURES = 4,
    LOAD_MESH_QUIET_MISSING = 8,
    LOAD_MESH_FACE_MATERIALS = 16,
    LOAD_MESH_SKIP_INDICES = 32,
    LOAD_MESH_INDEX32 = 64,
};

// 0 success; -1 file missing or too many user bound boxes; -2 vertex buffer creation
// failed; -3 index buffer creation failed; -5 vertex buffer lock failed; -20 a count above
// the limits or data that do not match their counts (a damaged skeleton block too); -123
// more than 4 bone weights per vertex. A vertex naming a bone its skeleton does not hold is
// reported and takes bone 0.
int LoadMesh(const char* path, CMesh* mesh, uint32_t vertexFormat, int flags);

// One "Material:" block of a "Materials:" section.
void ReadMaterial(SMaterial* material, FILE* file);

// SaveMesh flags
enum : uint32_t {
    SAVE_MESH_INDICES = 1,
    SAVE_MESH_NAMES = 2,
    SAVE_MESH_MATERIALS = 4,
    SAVE_MESH_BOUND_BOX = 8,
    SAVE_MESH_SKELETON = 16,
    SAVE_MESH_TEXTURES = 32,
    SAVE_MESH_BONE_SPACE = 64,
    SAVE_MESH_NO_FILE = 0x10000000,
};

// 0 success; -1 the file cannot be written (or no file was asked for); -20 a mesh the
// reader would refuse (more vertices, primitives or submeshes than it takes, an index
// outside its submesh); -5 the buffers cannot be read. A save that fails leaves the file
// as it was.
int SaveMesh(const char* path, CMesh* mesh, uint32_t vertexFormat, uint32_t flags);

// r, g, b, a in 0..1 to an ARGB word (each channel rounded, clamped).
uint32_t ColorToD3DColor(float r, float g, float b, float a);
// A bone weight of a vertex row (0..1) as the byte the buffers hold.
uint8_t WeightToByte(float weight);
