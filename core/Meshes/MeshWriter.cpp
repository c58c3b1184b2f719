// SaveMesh: writes a CMesh in the mesh text format that LoadMesh reads. The vertex buffer is
// read back into the staging vertices first, by the mesh's own vertex format.

#include "core/GraphicsBuffers.h"
#include "core/Meshes/MeshReader.h"
#include "core/Meshes/MeshStaging.h"
#include "core/Messages.h"

#include <cstdio>
#include <cstring>

namespace {

struct SPrimitiveTypeWord {
    int type;
    const char* word;
};
constexpr SPrimitiveTypeWord PRIMITIVE_WORDS[] = {
    {D3DPT_POINTLIST, "POINT_LIST"},         {D3DPT_LINELIST, "LINE_LIST"},
    {D3DPT_LINESTRIP, "LINE_STRIP"},         {D3DPT_TRIANGLELIST, "TRIANGLE_LIST"},
    {D3DPT_TRIANGLESTRIP, "TRIANGLE_STRIP"}, {D3DPT_TRIANGLEFAN, "TRIANGLE_FAN"},
};
static_assert(sizeof PRIMITIVE_WORDS / sizeof PRIMITIVE_WORDS[0] == 6, "six primitive types");

// Reads the vertex buffer back into the staging vertices (the order LoadMesh writes).
bool ReadVertices(const CMesh& mesh)
{
    if (mesh.vertexCount == 0)
        return true;
    const uint8_t* data = static_cast<const uint8_t*>(LockVB(mesh.vertexBuffer));
    if (!data)
        return false;
    const uint32_t f = mesh.vertexFormat;
    for (int i = 0; i < mesh.vertexCount; ++i) {
        SMeshVertex& v = gMeshStaging.vertices[i];
        v = SMeshVertex{};
        const uint8_t* in = data + size_t(i) * mesh.stride;
        auto take = [&in](void* out, size_t n) {
            memcpy(out, in, n);
            in += n;
        };
        if (f & MESH_XYZ) {
            take(v.position, 12);
            in += (f & MESH_POSITION_W) ? 4 : 0;
        }
        if (f & MESH_NORMAL)
            take(v.normal, 12);
        if (f & MESH_BONES)
            take(v.bones, 4);
        if (f & MESH_WEIGHTS)
            take(v.weights, 4);
        if (f & MESH_DIFFUSE)
            take(&v.diffuse, 4);
        if (f & MESH_SPECULAR)
            take(&v.specular, 4);
        if (f & MESH_EXTRA)
            take(&v.extra, 4);
        if (f & MESH_UV0)
            take(v.uv0, 8);
        if (f & MESH_UV1)
            take(v.uv1, 8);
    }
    UnlockVB();
    return true;
}

// A copy of the index data (absolute vertex numbers), or null for a non-indexed mesh.
uint32_t* ReadIndices(const CMesh& mesh, int count)
{
    if (!mesh.indexed || !mesh.indexBuffer || count <= 0)
        return nullptr;
    void* data = nullptr;
    LockIB(mesh.indexBuffer, &data);
    if (!data)
        return nullptr;
    uint32_t* copy = new uint32_t[count];
    for (int i = 0; i < count; ++i)
        copy[i] = mesh.indexSize == 4 ? static_cast<uint32_t*>(data)[i]
                                      : static_cast<uint16_t*>(data)[i];
    UnlockIB();
    return copy;
}

void WriteCoord(FILE* f, float value)
{
    fprintf(f, "% 12.4f", value);
}

float Channel(uint32_t color, int shift)
{
    return float((color >> shift) & 0xFF) / 255.0f;
}

class CMeshWriter {
public:
    CMeshWriter(FILE* file, const CMesh& mesh, uint32_t flags)
        : f_(file), mesh_(mesh), flags_(flags)
    {
    }
    void Write(const uint32_t* indices);

private:
    FILE* f_;
    const CMesh& mesh_;
    uint32_t flags_;

    void Header();
    void Block(int number, const SSubMesh& sub, const uint32_t* indices);
    void VertexRow(const SMeshVertex& v);
    void Materials();
    void Trailer();
};

void CMeshWriter::Header()
{
    const uint32_t format = mesh_.vertexFormat;
    if (mesh_.vertexCount)
        fprintf(f_, "NumVertices   %d", mesh_.vertexCount);
    if (mesh_.primitiveCount)
        fprintf(f_, "\nNumPrimitives %d\n", mesh_.primitiveCount);
    if (flags_ & SAVE_MESH_NAMES)
        fprintf(f_, "\n\nNAMES_BY_MESHES");
    if ((mesh_.flags & MESH_MULTI_TEXTURING) && (flags_ & SAVE_MESH_MATERIALS))
        fprintf(f_, "\n\nMATERIAL_MULTI_TEXTURING");
    if (format & MESH_DIFFUSE)
        fprintf(f_, "\n\nDIFFUSE_PER_VERTEX");
    // Specular colours have no place in a vertex row, so the format bit is not written.
    if ((format & MESH_BONES) && mesh_.boneWeights == 0)
        fprintf(f_, "\n\nBONE_INDEX_PER_VERTEX");
    if ((format & MESH_WEIGHTS) && mesh_.boneWeights > 0)
        fprintf(f_, "\n\nPER_VERTEX_BONE_WEIGHTS  %d", mesh_.boneWeights);
    if (flags_ & SAVE_MESH_BONE_SPACE)
        fprintf(f_, "\n\nVERTS_IN_BONE_SPACE");
    if (mesh_.primitiveType != D3DPT_TRIANGLELIST)
        for (const SPrimitiveTypeWord& t : PRIMITIVE_WORDS)
            if (t.type == mesh_.primitiveType)
                fprintf(f_, "\n\nPRIMITIVE_TYPE   %s", t.word);
}

void CMeshWriter::VertexRow(const SMeshVertex& v)
{
    const uint32_t format = mesh_.vertexFormat;
    float p[3] = {v.position[0], v.position[1], v.position[2]};
    uint32_t bone;
    memcpy(&bone, v.bones, sizeof bone);
    const CSkeleton& skeleton = mesh_.skeleton;
    // A buffer still in bone space is written as it stands.
    if ((flags_ & SAVE_MESH_BONE_SPACE) && (mesh_.flags & MESH_BONE_INDEX_PER_VERTEX) &&
        !(skeleton.flags & SKELETON_BONE_SPACE) && bone < uint32_t(skeleton.boneCount)) {
        p[0] -= skeleton.bones[bone].absolute.x;
        p[1] -= skeleton.bones[bone].absolute.y;
        p[2] -= skeleton.bones[bone].absolute.z;
    }
    fprintf(f_, "\n");
    for (float c : p)
        WriteCoord(f_, c);
    if ((format & MESH_BONES) && mesh_.boneWeights == 0)
        fprintf(f_, "      %3u", bone);
    if ((format & MESH_WEIGHTS) && mesh_.boneWeights > 0) {
        fprintf(f_, "        bones:");
        for (int w = 0; w < mesh_.boneWeights; ++w)
            fprintf(f_, "     b: %d  w: %.3f", v.bones[w], v.weights[w] / 255.0f);
    }
    if (format & MESH_DIFFUSE)
        fprintf(f_, "      %.2f  %.2f  %.2f  %.2f", Channel(v.diffuse, 16), Channel(v.diffuse, 8),
                Channel(v.diffuse, 0), Channel(v.diffuse, 24));
}

void CMeshWriter::Materials()
{
    const int primitives = mesh_.primitiveCount;
    fprintf(f_, "\nMaterialList %d %d", mesh_.materialCount, primitives);
    for (int p = 0; p < primitives; ++p) {
        int number = 0;
        for (int m = 0; m < mesh_.materialCount; ++m)
            if (p >= mesh_.materials[m].firstPrimitive && p <= mesh_.materials[m].lastPrimitive)
                number = m;
        fprintf(f_, p % 20 ? " %d" : "\n%d", number);
    }
    fprintf(f_, "\nMaterials...        R     G     B     A");
    for (int m = 0; m < mesh_.materialCount; ++m) {
        const SMaterial& mat = mesh_.materials[m];
        fprintf(f_, "\n         diffuse   %.3f %.3f %.3f %.3f", mat.diffuse.r, mat.diffuse.g,
                mat.diffuse.b, mat.diffuse.a);
        fprintf(f_, "\n         specular  %.3f %.3f %.3f", mat.specular.r, mat.specular.g,
                mat.specular.b);
        fprintf(f_, "\n         name      \"%s\"", mat.name);
        fprintf(f_, "\n         path      \"%s\"", mat.path);
    }
}

void CMeshWriter::Block(int number, const SSubMesh& sub, const uint32_t* indices)
{
    const uint32_t format = mesh_.vertexFormat;
    const int first = sub.firstVertex;
    const int count = sub.lastVertex - sub.firstVertex + 1;
    fprintf(f_, "\n\n\nMESH");
    if (flags_ & SAVE_MESH_NAMES) {
        if (sub.name[0])
            fprintf(f_, " \"%s\"", sub.name);
        else
            fprintf(f_, " \"Mesh_%d\"", number);
    }
    fprintf(f_, "\n%d", count);
    const SMeshVertex* v = gMeshStaging.vertices + first;
    for (int i = 0; i < count; ++i)
        VertexRow(v[i]);
    const int primitives = sub.lastPrimitive - sub.firstPrimitive + 1;
    if (indices && primitives > 0) {
        const int per = mesh_.indicesPerPrimitive;
        if (per == 3)
            fprintf(f_, "\nindices %d", primitives);
        else
            fprintf(f_, "\nindices_ex %d %d", per, primitives);
        for (int p = sub.firstPrimitive; p <= sub.lastPrimitive; ++p) {
            fprintf(f_, "\n");
            for (int k = 0; k < per; ++k)
                fprintf(f_, " %d", int(indices[size_t(p) * per + k]) - first);
        }
    }
    if (format & MESH_NORMAL) {
        fprintf(f_, "\nnormals %d", count);
        for (int i = 0; i < count; ++i) {
            fprintf(f_, "\n");
            for (float c : v[i].normal)
                WriteCoord(f_, c);
        }
    }
    if (format & MESH_UV0) {
        fprintf(f_, "\nTextureCoords %d", count);
        for (int i = 0; i < count; ++i)
            fprintf(f_, "\n%.4f  %.4f", v[i].uv0[0], v[i].uv0[1]);
    }
    if (format & MESH_UV1) {
        fprintf(f_, "\nTexture1Coords %d", count);
        for (int i = 0; i < count; ++i)
            fprintf(f_, "\n%.4f  %.4f", v[i].uv1[0], v[i].uv1[1]);
    }
    // Block 0 carries the material numbers of every primitive and the whole table, so the
    // numbers stay valid for the primitives of later blocks.
    if (number == 0 && (flags_ & SAVE_MESH_MATERIALS) && mesh_.materialCount > 0)
        Materials();
}

void CMeshWriter::Trailer()
{
    if (flags_ & SAVE_MESH_TEXTURES) {
        fprintf(f_, "\n\nTexturePath:    \"%s\"", gMeshStaging.textureNames[0]);
        fprintf(f_, "\nTexture1Path:   \"%s\"", gMeshStaging.textureNames[1]);
    }
    const CSkeleton& skeleton = mesh_.skeleton;
    // The matrices are read one per bone, so they go only with the skeleton.
    const bool bones = (flags_ & SAVE_MESH_SKELETON) && skeleton.boneCount > 0;
    if (bones)
        skeleton.Save(f_);
    if (bones && skeleton.inverseMatrices) {
        fprintf(f_, "\n\nInitBoneInverseTransforms");
        for (int i = 0; i < skeleton.boneCount; ++i) {
            const D3DXMATRIX& m = skeleton.inverseMatrices[i];
            for (int row = 0; row < 4; ++row)
                fprintf(f_, "\n    %.3f  %.3f  %.3f  %.3f", m(row, 0), m(row, 1), m(row, 2), m(row, 3));
        }
    }
    if (flags_ & SAVE_MESH_BOUND_BOX) {
        D3DXVECTOR3 lo(99999.0f, 99999.0f, 99999.0f), hi(-99999.0f, -99999.0f, -99999.0f);
        for (int i = 0; i < mesh_.vertexCount; ++i) {
            const float* p = gMeshStaging.vertices[i].position;
            D3DXVECTOR3 q(p[0], p[1], p[2]);
            D3DXVec3Minimize(&lo, &lo, &q);
            D3DXVec3Maximize(&hi, &hi, &q);
        }
        const D3DXVECTOR3 corners[8] = {
            {lo.x, lo.y, lo.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, lo.y, lo.z},
            {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z},
        };
        fprintf(f_, "\n\nBOUND_BOX");
        for (const D3DXVECTOR3& c : corners)
            fprintf(f_, "\n%.2f  %.2f  %.2f", c.x, c.y, c.z);
    }
    fprintf(f_, "\n\n");
}

void CMeshWriter::Write(const uint32_t* indices)
{
    Header();
    if (mesh_.subMeshCount > 0) {
        for (int i = 0; i < mesh_.subMeshCount; ++i)
            Block(i, mesh_.subMeshes[i], indices);
    } else if (mesh_.vertexCount > 0) {
        SSubMesh whole;
        whole.lastVertex = mesh_.vertexCount - 1;
        whole.lastPrimitive = mesh_.primitiveCount - 1;
        Block(0, whole, indices);
    }
    Trailer();
}

} // namespace

int SaveMesh(const char* path, CMesh* mesh, uint32_t, uint32_t flags)
{
    if (mesh->vertexCount > MAX_MESH_VERTS) {
        MsgBox3("PROGRAMMER LIMIT: MAX_VERTS. In Mesh.. ", path, ". (Meshes).");
        return -20;
    }
    FILE* file = (flags & SAVE_MESH_NO_FILE) ? nullptr : fopen(path, "w");
    if (!file) {
        MsgBox2("Can't save mesh.. ", path);
        return -1;
    }
    uint32_t* indices = nullptr;
    bool read = ReadVertices(*mesh);
    if (read && (flags & SAVE_MESH_INDICES)) {
        indices = ReadIndices(*mesh, mesh->primitiveCount * mesh->indicesPerPrimitive);
        read = indices || !mesh->indexed;
    }
    if (read)
        CMeshWriter(file, *mesh, flags).Write(indices);
    delete[] indices;
    fclose(file);
    return read ? 0 : -5;
}
