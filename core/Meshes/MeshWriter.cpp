// SaveMesh: writes a CMesh in the mesh text format that LoadMesh reads. The vertex buffer is
// read back into the staging vertices first, by the mesh's own vertex format. Everything is
// checked and read back before the file is touched, and the file is replaced only by a
// complete one: a save that fails leaves the old file as it was.

#include "core/GraphicsBuffers.h"
#include "core/Meshes/MeshReader.h"
#include "core/Meshes/MeshStaging.h"
#include "core/Messages.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

// A copy of the index data (absolute vertex numbers), none for a non-indexed mesh; false
// when an indexed mesh has none to read.
bool ReadIndices(const CMesh& mesh, int count, std::vector<uint32_t>& out)
{
    if (!mesh.indexed)
        return true;
    if (!mesh.indexBuffer || count <= 0)
        return false;
    void* data = nullptr;
    LockIB(mesh.indexBuffer, &data);
    if (!data)
        return false;
    out.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        out[size_t(i)] = mesh.indexSize == 4 ? static_cast<uint32_t*>(data)[i] : static_cast<uint16_t*>(data)[i];
    UnlockIB();
    return true;
}

// The value with `decimals` decimals when that text reads back as the same float, else with
// as many digits as that takes: a saved mesh loads back to the same buffers.
std::string Exact(float value, int decimals)
{
    char text[48];
    snprintf(text, sizeof text, "%.*f", decimals, value);
    if (strtof(text, nullptr) != value)
        snprintf(text, sizeof text, "%.9g", value);
    return text;
}

// A byte kept as a fraction of 255: the first text, from `decimals` decimals on, that the
// reader's conversion turns back into the same byte.
template <class ToByte> std::string ByteText(int byte, int decimals, ToByte toByte)
{
    const float tries[] = {float(byte) / 255.0f, (float(byte) + 0.5f) / 255.0f};
    char text[32] = {};
    for (float value : tries)
        for (int d = decimals; d <= 4; ++d) {
            snprintf(text, sizeof text, "%.*f", d, value);
            if (int(toByte(strtof(text, nullptr))) == byte)
                return text;
        }
    return text;
}

std::string ChannelText(uint32_t color, int shift)
{
    return ByteText(int((color >> shift) & 0xFF), 2,
                    [](float c) { return (ColorToD3DColor(c, 0, 0, 0) >> 16) & 0xFF; });
}

// In a 12-character field that leaves the first column blank for non-negative values.
void WriteCoord(FILE* f, float value)
{
    fprintf(f, " %11s", Exact(value, 4).c_str());
}

// Where a block's material list and table go: its table holds materials first ..
// first + count - 1, its list the numbers of primitives listFirst .. listEnd - 1.
struct SBlockMaterials {
    int first = 0, count = 0;
    int listFirst = 0, listEnd = 0;
};

class CMeshWriter {
public:
    CMeshWriter(const CMesh& mesh, uint32_t flags) : mesh_(mesh), flags_(flags) {}
    // False when an index of a block names a vertex outside it: its text would be refused.
    bool IndicesFit(const uint32_t* indices);
    void Write(FILE* file, const uint32_t* indices);

private:
    FILE* f_ = nullptr;
    const CMesh& mesh_;
    uint32_t flags_;
    std::vector<SBlockMaterials> plan_;
    SSubMesh whole_;  // the one block of a mesh with vertices but no submeshes

    // The blocks written: the submeshes, or the whole mesh as one.
    const SSubMesh* Blocks(int& count);

    void Header();
    // The material of primitive p, -1 for none (or a number outside the table).
    int MaterialOf(int p) const
    {
        const int number = mesh_.primitiveMaterials[p];
        return number >= 0 && number < mesh_.materialCount ? number : -1;
    }
    void PlanMaterials(const SSubMesh* subs, int count);
    void Block(int number, const SSubMesh& sub, const uint32_t* indices);
    void VertexRow(const SMeshVertex& v);
    void Materials(const SBlockMaterials& plan);
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
    if (format & MESH_SPECULAR)
        fprintf(f_, "\n\nSPECULAR_PER_VERTEX");
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
            fprintf(f_, "     b: %d  w: %s", v.bones[w], ByteText(v.weights[w], 3, WeightToByte).c_str());
    }
    if (format & MESH_DIFFUSE)
        fprintf(f_, "      %s  %s  %s  %s", ChannelText(v.diffuse, 16).c_str(), ChannelText(v.diffuse, 8).c_str(),
                ChannelText(v.diffuse, 0).c_str(), ChannelText(v.diffuse, 24).c_str());
}

// Each block's list names materials of its own table, which follows the tables of the
// blocks before it; the last block's table takes the materials no block names. When a
// block names a material of an earlier table, the first block carries every number and
// the whole table instead (a list may run past its block's primitives).
void CMeshWriter::PlanMaterials(const SSubMesh* subs, int count)
{
    plan_.assign(size_t(count), SBlockMaterials{});
    if (!(flags_ & SAVE_MESH_MATERIALS) || mesh_.materialCount <= 0 || count <= 0)
        return;
    const int n = mesh_.primitiveMaterialCount;
    auto trimmed = [&](int first, int end) {
        while (end > first && MaterialOf(end - 1) < 0)
            --end;
        return end;
    };
    int written = 0;
    bool fits = true;
    for (int b = 0; b < count; ++b) {
        SBlockMaterials& m = plan_[size_t(b)];
        const bool last = b + 1 == count;
        // Without indices no block has primitives of its own: the last lists them all.
        m.listFirst = mesh_.indexed ? std::clamp(subs[b].firstPrimitive, 0, n) : 0;
        m.listEnd = last ? n : mesh_.indexed ? std::clamp(subs[b].lastPrimitive + 1, m.listFirst, n) : 0;
        m.listEnd = trimmed(m.listFirst, m.listEnd);
        int top = last ? mesh_.materialCount : written;
        for (int p = m.listFirst; p < m.listEnd; ++p) {
            fits = fits && !(MaterialOf(p) >= 0 && MaterialOf(p) < written);
            top = std::max(top, MaterialOf(p) + 1);
        }
        m.first = written;
        m.count = top - written;
        written = top;
    }
    if (fits)
        return;
    plan_.assign(size_t(count), SBlockMaterials{});
    plan_[0] = SBlockMaterials{0, mesh_.materialCount, 0, trimmed(0, n)};
}

void CMeshWriter::Materials(const SBlockMaterials& plan)
{
    const int k = plan.listEnd - plan.listFirst;
    fprintf(f_, "\nMaterialList %d %d", plan.count, k);
    for (int i = 0; i < k; ++i) {
        const int number = MaterialOf(plan.listFirst + i);
        fprintf(f_, i % 20 ? " %d" : "\n%d", number >= 0 ? number - plan.first : -1);
    }
    if (plan.count <= 0)
        return;
    fprintf(f_, "\nMaterials...        R     G     B     A");
    for (int m = plan.first; m < plan.first + plan.count; ++m) {
        const SMaterial& mat = mesh_.materials[m];
        fprintf(f_, "\n         diffuse   %s %s %s %s", Exact(mat.diffuse.r, 3).c_str(), Exact(mat.diffuse.g, 3).c_str(),
                Exact(mat.diffuse.b, 3).c_str(), Exact(mat.diffuse.a, 3).c_str());
        fprintf(f_, "\n         specular  %s %s %s", Exact(mat.specular.r, 3).c_str(), Exact(mat.specular.g, 3).c_str(),
                Exact(mat.specular.b, 3).c_str());
        fprintf(f_, "\n         name      \"%s\"", mat.name);
        fprintf(f_, "\n         path      \"%s\"", mat.path);
    }
}

void CMeshWriter::Block(int number, const SSubMesh& sub, const uint32_t* indices)
{
    const uint32_t format = mesh_.vertexFormat;
    // Only what was read back: the vertices and primitives the mesh holds.
    const SSubMeshSpan held = mesh_.HeldSpan(sub);
    const int first = held.firstVertex;
    const int count = held.vertices;
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
    const int primitives = held.primitives;
    if (indices && primitives > 0) {
        const int per = mesh_.indicesPerPrimitive;
        if (per == 3)
            fprintf(f_, "\nindices %d", primitives);
        else
            fprintf(f_, "\nindices_ex %d %d", per, primitives);
        for (int p = held.firstPrimitive; p < held.firstPrimitive + primitives; ++p) {
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
            fprintf(f_, "\n%s  %s", Exact(v[i].uv0[0], 4).c_str(), Exact(v[i].uv0[1], 4).c_str());
    }
    if (format & MESH_UV1) {
        fprintf(f_, "\nTexture1Coords %d", count);
        for (int i = 0; i < count; ++i)
            fprintf(f_, "\n%s  %s", Exact(v[i].uv1[0], 4).c_str(), Exact(v[i].uv1[1], 4).c_str());
    }
    const SBlockMaterials& plan = plan_[size_t(number)];
    if (plan.count > 0 || plan.listEnd > plan.listFirst)
        Materials(plan);
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
                fprintf(f_, "\n    %s  %s  %s  %s", Exact(m(row, 0), 3).c_str(), Exact(m(row, 1), 3).c_str(),
                        Exact(m(row, 2), 3).c_str(), Exact(m(row, 3), 3).c_str());
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
            fprintf(f_, "\n%s  %s  %s", Exact(c.x, 2).c_str(), Exact(c.y, 2).c_str(), Exact(c.z, 2).c_str());
    }
    fprintf(f_, "\n\n");
}

const SSubMesh* CMeshWriter::Blocks(int& count)
{
    count = mesh_.subMeshCount > 0 ? mesh_.subMeshCount : mesh_.vertexCount > 0 ? 1 : 0;
    whole_.lastVertex = mesh_.vertexCount - 1;
    whole_.lastPrimitive = mesh_.primitiveCount - 1;
    return mesh_.subMeshCount > 0 ? mesh_.subMeshes : &whole_;
}

bool CMeshWriter::IndicesFit(const uint32_t* indices)
{
    int count = 0;
    const SSubMesh* blocks = Blocks(count);
    const int per = mesh_.indicesPerPrimitive;
    for (int b = 0; indices && b < count; ++b) {
        const SSubMeshSpan held = mesh_.HeldSpan(blocks[b]);
        for (int64_t i = int64_t(held.firstPrimitive) * per; i < int64_t(held.firstPrimitive + held.primitives) * per;
             ++i)
            if (indices[i] < uint32_t(held.firstVertex) || indices[i] - held.firstVertex >= uint32_t(held.vertices))
                return false;
    }
    return true;
}

void CMeshWriter::Write(FILE* file, const uint32_t* indices)
{
    f_ = file;
    Header();
    int count = 0;
    const SSubMesh* blocks = Blocks(count);
    if (count > 0)
        PlanMaterials(blocks, count);
    for (int i = 0; i < count; ++i)
        Block(i, blocks[i], indices);
    Trailer();
}

} // namespace

int SaveMesh(const char* path, CMesh* mesh, uint32_t, uint32_t flags)
{
    // What the reader would refuse is not written.
    if (mesh->vertexCount > MAX_MESH_VERTS) {
        MsgBox3("PROGRAMMER LIMIT: MAX_VERTS. In Mesh.. ", path, ". (Meshes).");
        return -20;
    }
    if (mesh->primitiveCount > MAX_MESH_PRIMS) {
        MsgBox3("PROGRAMMER LIMIT: MAX_PRIMS. In Mesh.. ", path, ". (Meshes).");
        return -20;
    }
    if (mesh->subMeshCount > MAX_MESH_SUBMESHES) {
        MsgBox3("PROGRAMMER LIMIT: MAX_SUBMESHES. In Mesh.. ", path, ": more than 256 submeshes. (Meshes).");
        return -20;
    }
    if (flags & SAVE_MESH_NO_FILE) {
        MsgBox2("Can't save mesh.. ", path);
        return -1;
    }
    std::vector<uint32_t> indices;
    if (!ReadVertices(*mesh) ||
        ((flags & SAVE_MESH_INDICES) && !ReadIndices(*mesh, mesh->primitiveCount * mesh->indicesPerPrimitive, indices))) {
        MsgBox3("Can't save mesh.. ", path, ": its buffers cannot be read.");
        return -5;
    }
    CMeshWriter writer(*mesh, flags);
    const uint32_t* written = indices.empty() ? nullptr : indices.data();
    if (!writer.IndicesFit(written)) {
        MsgBox3("Can't save mesh.. ", path, ": an index names a vertex outside its submesh.");
        return -20;
    }
    const std::string partial = std::string(path) + ".saving";
    FILE* file = fopen(partial.c_str(), "w");
    bool done = false;
    if (file) {
        writer.Write(file, written);
        done = !ferror(file);
        done = fclose(file) == 0 && done;
        done = done && MoveFileExA(partial.c_str(), path, MOVEFILE_REPLACE_EXISTING);
        if (!done)
            remove(partial.c_str());
    }
    if (!done) {
        MsgBox2("Can't save mesh.. ", path);
        return -1;
    }
    return 0;
}
