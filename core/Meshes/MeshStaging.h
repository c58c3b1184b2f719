#pragma once
// The staging area of the mesh text reader (gMeshStaging, one per process): a mesh file is
// parsed into these fixed arrays, then copied into buffers of exact size. Its contents are
// valid only during a load; SaveMesh reuses it. Every count is checked against these limits
// before anything is written.

#include "core/Meshes/Mesh.h"

#include <cstdint>

constexpr int MAX_MESH_VERTS = 131072;
constexpr int MAX_MESH_PRIMS = 131072;
constexpr int MAX_MESH_SUBMESHES = 256;
constexpr int MAX_MESH_MATERIALS = 256;
constexpr int MAX_MESH_USER_BOUNDS = 128;
constexpr int MAX_FAILED_TEXTURES = 64;
constexpr int MESH_NAME_SIZE = 256;

struct SMeshVertex {
    float position[3];
    float normal[3];
    uint8_t bones[4];
    uint8_t weights[4];  // weight x 255
    uint32_t diffuse;
    uint32_t specular;
    uint32_t extra;
    float uv0[2];
    float uv1[2];
};

struct SMeshStaging {
    SMeshVertex vertices[MAX_MESH_VERTS];
    SSubMesh subMeshes[MAX_MESH_SUBMESHES];
    SMaterial materials[MAX_MESH_MATERIALS];
    SBoundRecord userBounds[MAX_MESH_USER_BOUNDS];
    int primitiveMaterials[MAX_MESH_PRIMS];  // absolute material number, -1 = none
    bool primitiveMaterialUntabled[MAX_MESH_PRIMS];  // its number's block read no table
    int blockMaterialCounts[MAX_MESH_SUBMESHES];
    int vertexBase, primitiveBase, blockVertices, blockPrimitives;
    int materialCount, primitiveMaterialCount, materialsRead;
    int blockCount, userBoundCount;
    uint16_t* index16;
    uint32_t* index32;
    void* indexStart;
    char textureNames[MESH_TEXTURE_SLOTS][MESH_NAME_SIZE];
    char failedTextures[MAX_FAILED_TEXTURES][MESH_NAME_SIZE];
    int failedTextureCount;

    void Reset();
    void AddFailedTexture(const char* path);
};
extern SMeshStaging gMeshStaging;
