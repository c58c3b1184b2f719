#include "core/Meshes/Mesh.h"

#include "core/Graphics.h"
#include "core/GraphicsBuffers.h"
#include "core/Meshes/MeshTextures.h"
#include "core/Messages.h"
#include "core/UsageParams.h"

#include <algorithm>
#include <cstring>

SFaceMaterials::SFaceMaterials(int materials, int faces)
    : materialCount(materials), faceCount(faces), faceMaterials(new int[faces]()),
      materials(new SMaterial[materials])
{
}

SFaceMaterials::~SFaceMaterials()
{
    delete[] faceMaterials;
    delete[] materials;
}

SFaceMaterials* SFaceMaterials::Clone() const
{
    SFaceMaterials* copy = new SFaceMaterials(materialCount, faceCount);
    std::copy(faceMaterials, faceMaterials + faceCount, copy->faceMaterials);
    std::copy(materials, materials + materialCount, copy->materials);
    for (int i = 0; i < materialCount; ++i)
        copy->materials[i].textureIndex = -1;  // the copy holds no texture references
    return copy;
}

SSubMesh::~SSubMesh()
{
    delete faceMaterials;
}

void SSubMesh::CopyFrom(const SSubMesh& other)
{
    firstVertex = other.firstVertex;
    lastVertex = other.lastVertex;
    firstPrimitive = other.firstPrimitive;
    lastPrimitive = other.lastPrimitive;
    id = other.id;
    memcpy(name, other.name, sizeof name);
    bound = other.bound;
    delete faceMaterials;
    faceMaterials = other.faceMaterials ? other.faceMaterials->Clone() : nullptr;
}

CMesh::CMesh()
{
    for (D3DXVECTOR4& c : corners)
        c = D3DXVECTOR4(0, 0, 0, 0);
}

void CMesh::Release()
{
    if (vertexBuffer) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    if (indexBuffer) {
        indexBuffer->Release();
        indexBuffer = nullptr;
    }
    for (STextureSlot& slot : textures) {
        if (slot.index >= 0)
            gMeshTextures.Release(slot.index);
        slot = STextureSlot{};
    }
    // Material textures hold table references too; give back only those actually held.
    for (int i = 0; i < materialCount; ++i)
        if (materials[i].textureIndex >= 0)
            gMeshTextures.Release(materials[i].textureIndex);
    skeleton.Release();
    flags = 0;
    boneWeights = 0;
    userBoundCount = 0;
    subMeshCount = 0;
    vertexCount = 0;
    primitiveCount = 0;
    vertexFormat = 0;
    stride = 0;
    strideDwords = 0;
    indexed = 0;
    indexSize = 0;
    cloneCount = 0;
    materialCount = 0;
    delete[] subMeshes;
    subMeshes = nullptr;
    delete[] materials;
    materials = nullptr;
    delete[] userBounds;
    userBounds = nullptr;
    delete[] primitiveMaterials;
    primitiveMaterials = nullptr;
    primitiveMaterialCount = 0;
}

void CMesh::DeriveMaterialRanges()
{
    if (!(flags & MESH_MULTI_TEXTURING))
        return;
    for (int i = 0; i < materialCount; ++i) {
        materials[i].firstPrimitive = 0;
        materials[i].lastPrimitive = -1;
    }
    auto known = [this](int number) { return number >= 0 && number < materialCount; };
    int current = -1;
    for (int i = 0; i < primitiveMaterialCount; ++i) {
        const int number = primitiveMaterials[i];
        if (number == current)
            continue;
        if (known(current))
            materials[current].lastPrimitive = i - 1;
        current = number;
        if (known(current))
            materials[current].firstPrimitive = i;
    }
    if (known(current))
        materials[current].lastPrimitive = primitiveMaterialCount - 1;
}

int CMesh::DrawablePrimitives() const
{
    return indexed ? primitiveCount : PrimitivesOfVertices(primitiveType, vertexCount);
}

bool CMesh::DrawsNothing() const
{
    return !vertexBuffer || vertexCount <= 0 || DrawablePrimitives() <= 0;
}

SSubMeshSpan CMesh::HeldSpan(const SSubMesh& sub) const
{
    SSubMeshSpan span;
    const int vertices = std::max(vertexCount, 0), primitives = std::max(primitiveCount, 0);
    span.firstVertex = std::clamp(sub.firstVertex, 0, vertices);
    span.vertices = std::clamp(sub.lastVertex + 1, span.firstVertex, vertices) - span.firstVertex;
    span.firstPrimitive = std::clamp(sub.firstPrimitive, 0, primitives);
    span.primitives = std::clamp(sub.lastPrimitive + 1, span.firstPrimitive, primitives) - span.firstPrimitive;
    // A primitive names vertices of its own block only.
    if (span.vertices == 0)
        span.primitives = 0;
    return span;
}

int PrimitivesOfVertices(int type, int vertices)
{
    switch (type) {
    case D3DPT_POINTLIST:
        return std::max(vertices, 0);
    case D3DPT_LINELIST:
        return std::max(vertices / 2, 0);
    case D3DPT_LINESTRIP:
        return std::max(vertices - 1, 0);
    case D3DPT_TRIANGLELIST:
        return std::max(vertices / 3, 0);
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return std::max(vertices - 2, 0);
    default:
        return 0;
    }
}

int64_t IndexCapacity(int64_t primitives, int perPrimitive)
{
    // A draw of c primitives from primitive f starts at f x per and reads at most 3c
    // indices (c + 2 <= 3c for strips and fans); f + c never passes the primitive count.
    return std::max(perPrimitive, 3) * std::max<int64_t>(primitives, 0);
}

HRESULT CMesh::BindBuffers()
{
    return gGraphics.SetBuffers(vertexBuffer, stride, indexBuffer);
}

HRESULT CMesh::BindStream(int stream)
{
    return gGraphics.SetStreamVB(stream, vertexBuffer, stride);
}

int CMesh::BindTextures4()
{
    if (!(flags & MESH_MULTI_TEXTURING))
        for (int i = 0; i < 4; ++i)
            gGraphics.SetTexture(textures[i].texture, i);
    return 0;
}

namespace {

// Usage and pool for a mesh buffer: system memory with software processing when the
// device's vertex-shader level is below "sys_if_vs".
bool UseSystemMemory()
{
    return gUsageParams.sysIfVs != 0 && gGraphics.vsLevel < gUsageParams.sysIfVs;
}

HRESULT CreateIB(UINT length, D3DFORMAT format, IDirect3DIndexBuffer9** out)
{
    *out = nullptr;
    if (!Device3D)
        return E_FAIL;
    if (UseSystemMemory())
        return Device3D->CreateIndexBuffer(length, D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_WRITEONLY,
                                           format, D3DPOOL_SYSTEMMEM, out, nullptr);
    return Device3D->CreateIndexBuffer(length, D3DUSAGE_WRITEONLY | gUsageParams.usage, format,
                                       D3DPOOL(gUsageParams.pool), out, nullptr);
}

} // namespace

HRESULT CreateMeshVB(UINT length, IDirect3DVertexBuffer9** out, uint32_t vertexFormat)
{
    *out = nullptr;
    if (!Device3D)
        return E_FAIL;
    if (UseSystemMemory())
        return Device3D->CreateVertexBuffer(
            length, D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_WRITEONLY | gUsageParams.usage,
            vertexFormat, D3DPOOL_SYSTEMMEM, out, nullptr);
    return Device3D->CreateVertexBuffer(length, D3DUSAGE_WRITEONLY | gUsageParams.usage,
                                        vertexFormat, D3DPOOL(gUsageParams.pool), out, nullptr);
}

HRESULT CreateMeshIB(UINT triangles, IDirect3DIndexBuffer9** out)
{
    return CreateIB(triangles * 6, D3DFMT_INDEX16, out);
}

HRESULT CreateMeshIB32(UINT triangles, IDirect3DIndexBuffer9** out)
{
    return CreateIB(triangles * 12, D3DFMT_INDEX32, out);
}

namespace {

struct SFormatPart {
    uint32_t bits;
    int bytes;
};
// Position is handled apart (12 or 16 bytes with 0x4000).
constexpr SFormatPart FORMAT_PARTS[] = {
    {MESH_NORMAL, 12},   {MESH_BONES, 4},  {MESH_WEIGHTS, 4}, {MESH_DIFFUSE, 4},
    {MESH_SPECULAR, 4},  {MESH_EXTRA, 4},  {MESH_UV0, 8},     {MESH_UV1, 8},
    {MESH_FLOAT4, 16},
};
static_assert(sizeof FORMAT_PARTS / sizeof FORMAT_PARTS[0] == 9, "one entry per component");

} // namespace

int GetFVFVertexSize(uint32_t vertexFormat)
{
    int size = 0;
    if (vertexFormat & MESH_XYZ)
        size += (vertexFormat & MESH_POSITION_W) ? 16 : 12;
    for (const SFormatPart& part : FORMAT_PARTS)
        if (vertexFormat & part.bits)
            size += part.bytes;
    return size;
}

void* LockVB(IDirect3DVertexBuffer9* buffer)
{
    if (!buffer)
        return nullptr;
    void* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, 0)) || !data) {
        MsgBox("Error in LockVB.");
        return nullptr;
    }
    if (PushLockedVB(buffer) != 0)
        return nullptr;  // too many locks at once: the buffer was unlocked again
    return data;
}

void LockVB(IDirect3DVertexBuffer9* buffer, void** out)
{
    *out = LockVB(buffer);
}

void BuildMeshClones(CMesh* mesh, uint8_t* vertices, void* indices)
{
    const int clones = gUsageParams.clones;
    if (clones <= 1)
        return;
    const int v = mesh->vertexCount;
    const int indexCount = mesh->primitiveCount * mesh->indicesPerPrimitive;
    const bool indexed = mesh->indexed && indices;
    if (indexed && mesh->indexSize == 2 && int64_t(clones) * v > 65536) {
        MsgBox3("Mesh clones: ", "the clone vertices do not fit 16-bit indices; ",
                "one clone is kept.");
        mesh->cloneCount = 1;
        return;
    }
    mesh->cloneCount = clones;
    const size_t block = size_t(v) * mesh->stride;
    const uint32_t worldByte = uint32_t(gUsageParams.worldByte);
    const bool numbered = worldByte != MESH_OFFSET_NONE && int(worldByte) < mesh->stride;
    for (int k = 0; k < clones; ++k) {
        uint8_t* dst = vertices + block * k;
        if (k > 0)
            memcpy(dst, vertices, block);
        if (numbered)
            for (int i = 0; i < v; ++i)
                dst[size_t(i) * mesh->stride + worldByte] = uint8_t(k);
        if (!indexed || k == 0)
            continue;
        const uint32_t add = uint32_t(k) * v;
        if (mesh->indexSize == 4) {
            uint32_t* src = static_cast<uint32_t*>(indices);
            for (int i = 0; i < indexCount; ++i)
                src[size_t(k) * indexCount + i] = src[i] + add;
        } else {
            uint16_t* src = static_cast<uint16_t*>(indices);
            for (int i = 0; i < indexCount; ++i)
                src[size_t(k) * indexCount + i] = uint16_t(src[i] + add);
        }
    }
}
