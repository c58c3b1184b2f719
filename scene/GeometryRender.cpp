// Drawing of a geometry unit: its mesh for a pass and the eight texture stages. Kept apart
// from the keyword readers: the render-state cache and the class templates each name
// their own culling bits.

#include "scene/Geometry.h"

#include "core/Graphics.h"
#include "core/Meshes/Mesh.h"
#include "engine/MeshContainer.h"
#include "engine/TexContainer.h"
#include "scene/Renderer.h"

CMesh* CGeometry::PassMesh(uint32_t pass) const
{
    const uint16_t index = (pass & PASS_SHADOW) && shadowMesh ? shadowMesh : mesh;
    CEngineMesh* record = index && gIMeshContainer ? gIMeshContainer->GetMesh(index) : nullptr;
    return record ? &record->mesh : nullptr;
}

uint32_t CGeometry::Render(uint32_t pass)
{
    CMesh* drawn = gRenderer && gRenderer->substituteMesh ? gRenderer->substituteMesh : PassMesh(pass);
    if (!drawn) return 0;
    drawn->BindBuffers();
    if (drawn->flags & MESH_MULTI_TEXTURING) {
        // A stage without a texture of the unit, and a material past the eight stages,
        // keeps the material's own.
        IDirect3DBaseTexture9* stages[GEOMETRY_TEXTURE_STAGES] = {};
        for (int s = 0; s < GEOMETRY_TEXTURE_STAGES; ++s) stages[s] = StageTexture(textures[s]);
        drawn->RenderPrimitivesUserTexs(stages, GEOMETRY_TEXTURE_STAGES);
    } else {
        SetTextures();
        drawn->RenderPrimitives(0);
    }
    return 0;
}

void CGeometry::SetTextures()
{
    const CMesh* own = PassMesh(0);
    const CMesh* substitute = gRenderer ? gRenderer->substituteMesh : nullptr;
    for (int s = 0; s < GEOMETRY_TEXTURE_STAGES; ++s) {
        IDirect3DBaseTexture9* texture = StageTexture(textures[s]);
        if (!texture && own) texture = own->textures[s].texture;
        if (!texture && substitute) texture = substitute->textures[s].texture;
        if (texture)
            gGraphics.SetTexture(texture, s);
        else
            gGraphics.SetWhiteTexture(s);
    }
}
