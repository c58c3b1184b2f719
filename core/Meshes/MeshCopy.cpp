// CMesh::CopyFrom: a deep copy with buffers of its own and its own texture references.

#include "core/Graphics.h"
#include "core/GraphicsBuffers.h"
#include "core/Meshes/Mesh.h"
#include "core/Meshes/MeshTextures.h"

#include <algorithm>
#include <cstring>

namespace {

HRESULT CopyVertexBuffer(IDirect3DVertexBuffer9* from, IDirect3DVertexBuffer9** to)
{
    D3DVERTEXBUFFER_DESC desc;
    HRESULT hr = from->GetDesc(&desc);
    if (SUCCEEDED(hr))
        hr = Device3D->CreateVertexBuffer(desc.Size, desc.Usage, desc.FVF, desc.Pool, to, nullptr);
    if (FAILED(hr))
        return hr;
    void* source = LockVB(from);
    void* target = source ? LockVB(*to) : nullptr;
    if (target)
        memcpy(target, source, desc.Size);
    if (target)
        UnlockVB();
    if (source)
        UnlockVB();
    return target ? D3D_OK : E_FAIL;
}

HRESULT CopyIndexBuffer(IDirect3DIndexBuffer9* from, IDirect3DIndexBuffer9** to)
{
    D3DINDEXBUFFER_DESC desc;
    HRESULT hr = from->GetDesc(&desc);
    if (SUCCEEDED(hr))
        hr = Device3D->CreateIndexBuffer(desc.Size, desc.Usage, desc.Format, desc.Pool, to,
                                         nullptr);
    if (FAILED(hr))
        return hr;
    void* source = nullptr;
    void* target = nullptr;
    LockIB(from, &source);
    if (source)
        LockIB(*to, &target);
    if (target)
        memcpy(target, source, desc.Size);
    if (target)
        UnlockIB();
    if (source)
        UnlockIB();
    return target ? D3D_OK : E_FAIL;
}

} // namespace

HRESULT CMesh::CopyFrom(const CMesh& other)
{
    if (&other == this)
        return D3D_OK;
    Release();
    indexed = other.indexed;
    primitiveType = other.primitiveType;
    vertexCount = other.vertexCount;
    primitiveCount = other.primitiveCount;
    vertexFormat = other.vertexFormat;
    usage = other.usage;
    stride = other.stride;
    strideDwords = other.strideDwords;
    indicesPerPrimitive = other.indicesPerPrimitive;
    indexSize = other.indexSize;
    sysMemLevel = other.sysMemLevel;
    boneByte = other.boneByte;
    flags = other.flags;
    std::copy(other.corners, other.corners + 8, corners);
    boundRadius = other.boundRadius;
    boneWeights = other.boneWeights;
    cloneCount = other.cloneCount;
    reservedVertices = other.reservedVertices;
    reservedPrimitives = other.reservedPrimitives;
    reservedSubMeshes = other.reservedSubMeshes;
    // A texture the other mesh holds no table reference for is not shared.
    for (int i = 0; i < MESH_TEXTURE_SLOTS; ++i)
        textures[i].index = gMeshTextures.AddRef(other.textures[i], &textures[i].texture);
    materialCount = other.materialCount;
    materials = new SMaterial[materialCount];
    std::copy(other.materials, other.materials + materialCount, materials);
    for (int i = 0; i < materialCount; ++i) {
        SMaterial& m = materials[i];
        m.textureIndex = gMeshTextures.AddRef(STextureSlot{m.texture, m.textureIndex}, &m.texture);
    }
    primitiveMaterialCount = other.primitiveMaterialCount;
    primitiveMaterials = new int[primitiveMaterialCount];
    std::copy(other.primitiveMaterials, other.primitiveMaterials + primitiveMaterialCount,
              primitiveMaterials);
    subMeshCount = other.subMeshCount;
    subMeshes = new SSubMesh[std::max(subMeshCount, other.reservedSubMeshes)];
    for (int i = 0; i < subMeshCount; ++i)
        subMeshes[i].CopyFrom(other.subMeshes[i]);
    userBoundCount = other.userBoundCount;
    userBounds = new SBoundRecord[userBoundCount];
    std::copy(other.userBounds, other.userBounds + userBoundCount, userBounds);
    skeleton.CopyFrom(other.skeleton);
    HRESULT hr = D3D_OK;
    if (other.vertexBuffer)
        hr = CopyVertexBuffer(other.vertexBuffer, &vertexBuffer);
    if (SUCCEEDED(hr) && other.indexBuffer)
        hr = CopyIndexBuffer(other.indexBuffer, &indexBuffer);
    return hr;
}
