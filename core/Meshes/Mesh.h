#pragma once
// CMesh: the geometry record of the whole system: one vertex buffer, an optional index
// buffer, the vertex layout, up to 8 textures, a skeleton, bounds, submeshes and materials.
// It owns its buffers and arrays and gives its texture references back on Release. Buffer
// creation returns the device result; drawing outside a scene is a counted warning and -1;
// drawing an empty mesh does nothing, and no draw reads past what the buffers hold.

#include "core/Meshes/BoundRecord.h"
#include "core/Meshes/Skeleton.h"

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>

// Vertex format bits of the mesh code (the position, normal and colour bits coincide with
// the Direct3D FVF bits; the two texture bits are one 2-float set each).
enum : uint32_t {
    MESH_XYZ = 0x2,
    MESH_FLOAT4 = 0x4,
    MESH_WEIGHTS = 0x8,
    MESH_NORMAL = 0x10,
    MESH_DIFFUSE = 0x40,
    MESH_SPECULAR = 0x80,
    MESH_UV0 = 0x100,
    MESH_UV1 = 0x200,
    MESH_BONES = 0x1000,
    MESH_POSITION_W = 0x4000,
    MESH_EXTRA = 0x8000,
};

// CMesh::flags
enum : uint32_t {
    MESH_BONE_INDEX_PER_VERTEX = 1,
    MESH_MULTI_TEXTURING = 2,
    MESH_PRESENTATION = 4,
    MESH_VERTS_IN_BONE_SPACE = 8,
};

constexpr int MESH_TEXTURE_SLOTS = 8;
constexpr uint32_t MESH_OFFSET_NONE = 0xFFFFFFFF;

struct SMaterial {
    D3DXCOLOR diffuse{0, 0, 0, 0};
    D3DXCOLOR specular{0, 0, 0, 0};
    float specular1 = 1.0f;
    float specular2 = 0.0f;
    IDirect3DTexture9* texture = nullptr;
    int textureIndex = -1;  // entry in gMeshTextures, -1 = no reference held
    int firstPrimitive = 0;
    int lastPrimitive = -1;  // an empty range: the material draws nothing
    char name[32] = {};
    char path[256] = {};
};

struct SFaceMaterials {
    int materialCount = 0;
    int faceCount = 0;
    int* faceMaterials = nullptr;  // block-relative material number per face, -1 none
    SMaterial* materials = nullptr;

    SFaceMaterials(int materials, int faces);
    ~SFaceMaterials();
    SFaceMaterials(const SFaceMaterials&) = delete;
    SFaceMaterials& operator=(const SFaceMaterials&) = delete;
    SFaceMaterials* Clone() const;
};

struct SSubMesh {
    int firstVertex = 0, lastVertex = -1;
    int firstPrimitive = 0, lastPrimitive = -1;
    uint32_t id = 0;
    char name[64] = {};
    SFaceMaterials* faceMaterials = nullptr;  // owned
    SBoundRecord bound;

    SSubMesh() = default;
    ~SSubMesh();
    SSubMesh(const SSubMesh&) = delete;
    SSubMesh& operator=(const SSubMesh&) = delete;
    // Copies names, ranges and bound, and deep-copies the per-face materials.
    void CopyFrom(const SSubMesh& other);
};

// The part of a submesh's ranges that lies inside its mesh's vertices and primitives.
struct SSubMeshSpan {
    int firstVertex = 0, vertices = 0;
    int firstPrimitive = 0, primitives = 0;
};

struct STextureSlot {
    IDirect3DTexture9* texture = nullptr;
    int index = -1;  // entry in gMeshTextures, -1 = no reference held
};

struct CMesh {
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    int indexed = 0;
    int primitiveType = D3DPT_TRIANGLELIST;
    int vertexCount = 0;
    int primitiveCount = 0;
    uint32_t vertexFormat = 0;
    uint32_t usage = 0;
    int stride = 0;
    int strideDwords = 0;
    int indicesPerPrimitive = 0;
    int indexSize = 0;  // 0 none, 2 or 4 bytes
    int sysMemLevel = 0;
    uint32_t boneByte = MESH_OFFSET_NONE;
    uint32_t flags = 0;
    STextureSlot textures[MESH_TEXTURE_SLOTS];
    CSkeleton skeleton;
    D3DXVECTOR4 corners[8];
    float boundRadius = 0;
    int boneWeights = 0;
    int subMeshCount = 0;
    SSubMesh* subMeshes = nullptr;
    int materialCount = 0;
    SMaterial* materials = nullptr;
    int cloneCount = 0;
    int reservedVertices = 0, reservedPrimitives = 0, reservedSubMeshes = 0;
    int userBoundCount = 0;
    SBoundRecord* userBounds = nullptr;
    // The material number of each primitive (an index into materials, -1 none), kept for
    // every mesh with a material list so that a saved mesh keeps its faces' materials.
    int primitiveMaterialCount = 0;
    int* primitiveMaterials = nullptr;

    CMesh();
    ~CMesh() = default;  // owners call Release while the device lives
    CMesh(const CMesh&) = delete;
    CMesh& operator=(const CMesh&) = delete;

    void Release();
    // A deep copy: new buffers with the same contents, its own texture references, bones,
    // submeshes, materials and bound records.
    HRESULT CopyFrom(const CMesh& other);
    // Rebuild the buffers without the listed submeshes, or with the submeshes of a mesh of
    // the same layout appended; indices are re-based, clones are not kept. Primitives keep
    // their material numbers (appended ones name none) and the material ranges are derived
    // again.
    HRESULT RemoveSubMeshes(const int* list, int count);
    HRESULT AppendSubMeshes(const CMesh& other);

    HRESULT BindBuffers();
    HRESULT BindStream(int stream);
    int BindTextures4();

    int RenderFVF();
    int RenderPrimitives(int primitives);
    int RenderPrimitivesClones(int clones);
    // textures: one entry per material for the first `count` materials (a null entry, or a
    // material past them, keeps the material's own texture).
    int RenderPrimitivesUserTexs(IDirect3DBaseTexture9* const* textures, int count);
    int RenderAllTextures();
    int RenderSubMesh(int subMesh);

    // ---- Picking and bounds (MeshBounds.cpp) ----
    // The ray (origin, direction) is taken into the mesh's space by the matrix, the inverse
    // of the unit's world. With user bound records: the index of the first record hit in
    // array order, or -1; records flagged excluded are never hit. Without them: 0 when the
    // bound box is hit, -1 otherwise. A ray hits what lies ahead of its origin only.
    int Intersect(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, const D3DXMATRIX& matrix) const;
    // 0 when the ray hits the bound box (both corners first scaled by scale when given), -1
    // otherwise.
    int IntersectBox(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, const D3DXMATRIX& matrix,
                     const D3DXVECTOR4* scale = nullptr) const;
    // The largest length of the 8 box corners when the mesh has vertices, else of the
    // bones' positions when it has bones (stored as the bound radius); else 0, not stored.
    float ComputeBoundRadius();
    // Corner 0 (minimum) and corner 6 (maximum); either may be null.
    void GetBoundBox(D3DXVECTOR4* minimum, D3DXVECTOR4* maximum) const;
    // True when the point lies inside the box enlarged by margin on every side.
    bool PointInBox(const D3DXVECTOR4& point, float margin) const;
    // The index of the first material with the name / submesh with the id, -1 if none.
    int FindMaterial(const char* name) const;
    int FindSubMesh(uint32_t id) const;

    // With multi-texturing, each material's primitive range from the runs of equal
    // numbers in primitiveMaterials.
    void DeriveMaterialRanges();
    // How many primitives a draw may ask for: the primitive count of an indexed mesh, what
    // the vertices make of a non-indexed one.
    int DrawablePrimitives() const;
    // True when no draw of the mesh puts anything on screen (no buffer, nothing to draw).
    bool DrawsNothing() const;
    // A submesh cut to the vertices and primitives the mesh holds: a file's blocks may name
    // more than its counts give (without a header, or beside a reserve).
    SSubMeshSpan HeldSpan(const SSubMesh& sub) const;
};

// How many primitives of the Direct3D primitive type `vertices` vertices in a row make.
int PrimitivesOfVertices(int type, int vertices);
// The indices an index buffer holds for `primitives` primitives of `perPrimitive` indices
// so that every draw of them, of any primitive type, stays inside it.
int64_t IndexCapacity(int64_t primitives, int perPrimitive);

HRESULT CreateMeshVB(UINT length, IDirect3DVertexBuffer9** out, uint32_t vertexFormat);
HRESULT CreateMeshIB(UINT triangles, IDirect3DIndexBuffer9** out);
HRESULT CreateMeshIB32(UINT triangles, IDirect3DIndexBuffer9** out);
int GetFVFVertexSize(uint32_t vertexFormat);

// Locks the whole buffer and records it for UnlockVB; null on failure (with a message) and,
// silently, for a null buffer.
void* LockVB(IDirect3DVertexBuffer9* buffer);
void LockVB(IDirect3DVertexBuffer9* buffer, void** out);

// Fills clones 1 .. c-1 of the locked vertex and index data from clone 0 (c from the usage
// parameters); refuses with a message, keeping one clone, when the indices cannot hold them.
void BuildMeshClones(CMesh* mesh, uint8_t* vertices, void* indices);
