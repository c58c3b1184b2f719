// Removing submeshes from a mesh and appending the submeshes of another: both rebuild the
// vertex and index buffers from the kept pieces, with indices re-based to the new vertex
// numbers (32-bit when the vertices no longer fit 16 bits).

#include "core/Graphics.h"
#include "core/GraphicsBuffers.h"
#include "core/Meshes/Mesh.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct SPiece {
    const CMesh* mesh;
    int subMesh;
};

// A mesh's first clone read back: vertex bytes and absolute indices.
struct SMeshData {
    std::vector<uint8_t> vertices;
    std::vector<uint32_t> indices;
};

bool ReadBack(const CMesh& mesh, SMeshData& out)
{
    const size_t bytes = size_t(mesh.vertexCount) * mesh.stride;
    const uint8_t* v = static_cast<const uint8_t*>(LockVB(mesh.vertexBuffer));
    if (!v)
        return false;
    out.vertices.assign(v, v + bytes);
    UnlockVB();
    if (!mesh.indexed || !mesh.indexBuffer)
        return true;
    void* data = nullptr;
    LockIB(mesh.indexBuffer, &data);
    if (!data)
        return false;
    const size_t n = size_t(mesh.primitiveCount) * mesh.indicesPerPrimitive;
    out.indices.resize(n);
    for (size_t i = 0; i < n; ++i)
        out.indices[i] = mesh.indexSize == 4 ? static_cast<uint32_t*>(data)[i]
                                             : static_cast<uint16_t*>(data)[i];
    UnlockIB();
    return true;
}

// Builds new buffers and submeshes for `target` from the pieces, in order.
HRESULT Rebuild(CMesh& target, const std::vector<SPiece>& pieces)
{
    std::vector<const CMesh*> sources;
    for (const SPiece& p : pieces)
        if (std::find(sources.begin(), sources.end(), p.mesh) == sources.end())
            sources.push_back(p.mesh);
    std::vector<SMeshData> data(sources.size());
    for (size_t i = 0; i < sources.size(); ++i)
        if (!ReadBack(*sources[i], data[i]))
            return E_FAIL;
    const int stride = target.stride;
    const int per = target.indicesPerPrimitive;
    std::vector<uint8_t> vertices;
    std::vector<uint32_t> indices;
    std::vector<int> numbers;  // material number of each kept primitive
    std::vector<SSubMesh> subs(pieces.size());
    for (size_t k = 0; k < pieces.size(); ++k) {
        const CMesh& from = *pieces[k].mesh;
        const SSubMesh& sub = from.subMeshes[pieces[k].subMesh];
        // Only what was read back: the vertices and primitives the mesh holds.
        const SSubMeshSpan held = from.HeldSpan(sub);
        const SMeshData& d = data[std::find(sources.begin(), sources.end(), &from) - sources.begin()];
        const int base = int(vertices.size() / stride);
        const int firstPrimitive = target.indexed ? int(indices.size() / per) : 0;
        const int count = held.vertices;
        const int primitives = target.indexed ? held.primitives : 0;
        vertices.insert(vertices.end(), d.vertices.begin() + size_t(held.firstVertex) * stride,
                        d.vertices.begin() + size_t(held.firstVertex + count) * stride);
        for (int p = held.firstPrimitive; p < held.firstPrimitive + primitives; ++p) {
            for (int i = 0; i < per; ++i) {
                const int old = int(d.indices[size_t(p) * per + i]) - held.firstVertex;
                indices.push_back(uint32_t(base + std::clamp(old, 0, count - 1)));
            }
            // Another mesh's numbers name its own materials, not these.
            const bool own = &from == &target && p < target.primitiveMaterialCount;
            numbers.push_back(own ? target.primitiveMaterials[p] : -1);
        }
        subs[k].CopyFrom(sub);
        subs[k].firstVertex = base;
        subs[k].lastVertex = base + count - 1;
        subs[k].firstPrimitive = firstPrimitive;
        subs[k].lastPrimitive = firstPrimitive + primitives - 1;
    }
    const int vertexCount = int(vertices.size() / stride);
    int primitiveCount = 0;
    if (target.indexed) {
        primitiveCount = int(indices.size() / per);
    } else {
        // No more primitives than the vertices that are left make.
        int declared = 0;
        for (const CMesh* source : sources)
            declared += source->primitiveCount;
        primitiveCount = std::min(declared, PrimitivesOfVertices(target.primitiveType, vertexCount));
        for (int p = 0; p < primitiveCount && target.primitiveMaterialCount > 0; ++p)
            numbers.push_back(p < target.primitiveMaterialCount ? target.primitiveMaterials[p] : -1);
    }
    const bool wide = vertexCount > 65535 || target.indexSize == 4;
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    HRESULT hr = vertices.empty() ? D3D_OK
                                  : CreateMeshVB(UINT(vertices.size()), &vb, target.vertexFormat);
    const UINT triangles = UINT((IndexCapacity(primitiveCount, per) + 2) / 3);
    if (SUCCEEDED(hr) && !indices.empty())
        hr = wide ? CreateMeshIB32(triangles, &ib) : CreateMeshIB(triangles, &ib);
    void* out = nullptr;
    if (SUCCEEDED(hr) && vb && !(out = LockVB(vb)))
        hr = E_FAIL;
    if (out) {
        memcpy(out, vertices.data(), vertices.size());
        UnlockVB();
    }
    out = nullptr;
    if (SUCCEEDED(hr) && ib) {
        LockIB(ib, &out);
        hr = out ? D3D_OK : E_FAIL;
    }
    if (out) {
        memset(out, 0, size_t(triangles) * 3 * (wide ? 4 : 2));
        for (size_t i = 0; i < indices.size(); ++i)
            if (wide)
                static_cast<uint32_t*>(out)[i] = indices[i];
            else
                static_cast<uint16_t*>(out)[i] = uint16_t(indices[i]);
        UnlockIB();
    }
    if (FAILED(hr)) {
        if (vb)
            vb->Release();
        if (ib)
            ib->Release();
        return hr;
    }
    if (target.vertexBuffer)
        target.vertexBuffer->Release();
    if (target.indexBuffer)
        target.indexBuffer->Release();
    target.vertexBuffer = vb;
    target.indexBuffer = ib;
    target.indexSize = ib ? (wide ? 4 : 2) : target.indexSize;
    target.vertexCount = vertexCount;
    target.primitiveCount = primitiveCount;
    target.cloneCount = 1;
    if (target.primitiveMaterialCount > 0) {
        delete[] target.primitiveMaterials;
        target.primitiveMaterialCount = int(numbers.size());
        target.primitiveMaterials = new int[numbers.size()];
        std::copy(numbers.begin(), numbers.end(), target.primitiveMaterials);
        target.DeriveMaterialRanges();
    }
    delete[] target.subMeshes;
    target.subMeshCount = int(subs.size());
    target.subMeshes = new SSubMesh[std::max<size_t>(subs.size(), 1)];
    for (size_t k = 0; k < subs.size(); ++k)
        target.subMeshes[k].CopyFrom(subs[k]);
    return D3D_OK;
}

} // namespace

HRESULT CMesh::RemoveSubMeshes(const int* list, int count)
{
    if (!vertexBuffer || (count > 0 && !list))
        return E_INVALIDARG;
    std::vector<SPiece> kept;
    for (int i = 0; i < subMeshCount; ++i)
        if (std::find(list, list + std::max(count, 0), i) == list + std::max(count, 0))
            kept.push_back({this, i});
    return Rebuild(*this, kept);
}

HRESULT CMesh::AppendSubMeshes(const CMesh& other)
{
    if (!vertexBuffer || !other.vertexBuffer || &other == this ||
        other.vertexFormat != vertexFormat || other.stride != stride ||
        other.indexed != indexed ||
        (indexed && other.indicesPerPrimitive != indicesPerPrimitive))
        return E_INVALIDARG;
    std::vector<SPiece> pieces;
    for (int i = 0; i < subMeshCount; ++i)
        pieces.push_back({this, i});
    for (int i = 0; i < other.subMeshCount; ++i)
        pieces.push_back({&other, i});
    return Rebuild(*this, pieces);
}
