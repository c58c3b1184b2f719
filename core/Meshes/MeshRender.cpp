// Drawing of a CMesh through the graphics object. The caller has set shaders, declarations
// and states; these operations only bind what the mesh owns and draw.

#include "core/Graphics.h"
#include "core/Meshes/Mesh.h"
#include "core/Messages.h"

#include <algorithm>

namespace {

// One budget for every "without BeginScene" warning of the mesh code.
int gMeshWarningBudget = 4;

bool InScene(const char* operation)
{
    if (gGraphics.inScene)
        return true;
    WarningBox(&gMeshWarningBudget, "CORE(Meshes) Error:  Call  CMesh::", operation,
               "  without BeginScene.", nullptr);
    return false;
}

void Count(int vertices, int primitives)
{
    gGraphics.counters.vertices += vertices;
    gGraphics.counters.primitives += primitives;
    gGraphics.counters.drawCalls += 1;
}

// The first vertex of primitive `first` in a non-indexed buffer.
UINT StartVertex(int type, int first)
{
    switch (type) {
    case D3DPT_LINELIST:
        return UINT(first) * 2;
    case D3DPT_TRIANGLELIST:
        return UINT(first) * 3;
    default:
        return UINT(first);  // points and strips/fans: one new vertex per primitive
    }
}

// Draws one material's primitive range, cut to what the buffers hold; a material without
// primitives draws nothing.
HRESULT DrawMaterialRange(const CMesh& mesh, const SMaterial& material)
{
    const int last = std::min(material.lastPrimitive, mesh.DrawablePrimitives() - 1);
    const int count = last - material.firstPrimitive + 1;
    if (count <= 0 || material.firstPrimitive < 0)
        return 0;
    D3DPRIMITIVETYPE type = D3DPRIMITIVETYPE(mesh.primitiveType);
    if (mesh.indexed)
        return Device3D->DrawIndexedPrimitive(type, 0, 0, mesh.vertexCount,
                                              material.firstPrimitive * mesh.indicesPerPrimitive,
                                              count);
    return Device3D->DrawPrimitive(type, StartVertex(type, material.firstPrimitive), count);
}

// The whole mesh, or its first `primitives` primitives, cut to what the buffers hold.
HRESULT DrawAll(const CMesh& mesh, int primitives)
{
    primitives = std::min(primitives, mesh.DrawablePrimitives());
    if (primitives <= 0)
        return D3D_OK;
    const D3DPRIMITIVETYPE type = D3DPRIMITIVETYPE(mesh.primitiveType);
    return mesh.indexed ? Device3D->DrawIndexedPrimitive(type, 0, 0, mesh.vertexCount, 0, primitives)
                        : Device3D->DrawPrimitive(type, 0, primitives);
}

} // namespace

int CMesh::RenderFVF()
{
    if (!InScene("RenderFVF"))
        return -1;
    if (!vertexBuffer)
        return 0;
    gGraphics.SetVertexShader(nullptr);
    gGraphics.SetPixelShader(nullptr);
    gGraphics.SetFVF(vertexFormat);
    for (int i = 0; i < 4; ++i)
        gGraphics.SetTexture(textures[i].texture, i);
    BindBuffers();
    HRESULT hr = DrawAll(*this, primitiveCount);
    Count(vertexCount, primitiveCount);
    return hr;
}

int CMesh::RenderPrimitives(int primitives)
{
    if (!InScene("RenderPrimitives"))
        return -1;
    if (!vertexBuffer)
        return 0;
    if (flags & MESH_MULTI_TEXTURING) {
        HRESULT hr = 0;
        for (int i = 0; i < materialCount; ++i) {
            gGraphics.SetTexture(materials[i].texture, 0);
            hr |= DrawMaterialRange(*this, materials[i]);
        }
        return hr;
    }
    HRESULT hr = DrawAll(*this, primitives ? primitives : primitiveCount);
    Count(vertexCount, primitiveCount);
    return hr;
}

int CMesh::RenderPrimitivesClones(int clones)
{
    if (!InScene("RenderPrimitivesClones"))
        return -1;
    if (!vertexBuffer || clones <= 0)
        return 0;
    // Clones that were not built are not in the buffers.
    clones = std::min(clones, std::max(cloneCount, 1));
    const int primitives = std::min(primitiveCount, DrawablePrimitives());
    HRESULT hr = primitives <= 0 ? D3D_OK
                 : indexed ? Device3D->DrawIndexedPrimitive(D3DPRIMITIVETYPE(primitiveType), 0, 0,
                                                            vertexCount * clones, 0, primitives * clones)
                           : Device3D->DrawPrimitive(D3DPRIMITIVETYPE(primitiveType), 0, primitives * clones);
    Count(vertexCount * clones, primitiveCount * clones);
    return hr;
}

int CMesh::RenderPrimitivesUserTexs(IDirect3DBaseTexture9* const* userTextures, int count)
{
    if (!InScene("RenderPrimitivesUserTexs"))
        return -1;
    if (!vertexBuffer)
        return 0;
    HRESULT hr = 0;
    for (int i = 0; i < materialCount; ++i) {
        IDirect3DBaseTexture9* texture = userTextures && i < count ? userTextures[i] : nullptr;
        gGraphics.SetTexture(texture ? texture : materials[i].texture, 0);
        hr |= DrawMaterialRange(*this, materials[i]);
    }
    return hr;
}

int CMesh::RenderAllTextures()
{
    if (vertexBuffer) {
        HRESULT hr = BindBuffers();
        if (FAILED(hr))
            return hr;
        for (int i = 0; i < MESH_TEXTURE_SLOTS; ++i)
            gGraphics.SetTexture(textures[i].texture, i);
    }
    return RenderPrimitives(0);
}

int CMesh::RenderSubMesh(int index)
{
    if (!InScene("RenderSubMesh"))
        return -1;
    if (!vertexBuffer || index < 0 || index >= subMeshCount)
        return 0;
    const SSubMesh& sub = subMeshes[index];
    int v = sub.lastVertex - sub.firstVertex + 1;
    int q = sub.lastPrimitive - sub.firstPrimitive + 1;
    const int drawn = std::min(q, primitiveCount - sub.firstPrimitive);
    int result = -1;
    if (indexed && v > 0 && drawn > 0 && sub.firstPrimitive >= 0)
        result = Device3D->DrawIndexedPrimitive(D3DPRIMITIVETYPE(primitiveType), 0,
                                                sub.firstVertex, v, sub.firstPrimitive * 3, drawn);
    Count(v, q);
    return result;
}
