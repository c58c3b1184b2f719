#include "core/Meshes/MeshReader.h"

#include "core/Core.h"
#include "core/GraphicsBuffers.h"
#include "core/Meshes/MeshStaging.h"
#include "core/Meshes/MeshTextures.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/UsageParams.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

SMeshStaging gMeshStaging;

void SMeshStaging::Reset()
{
    vertexBase = primitiveBase = blockVertices = blockPrimitives = 0;
    materialCount = primitiveMaterialCount = materialsRead = 0;
    blockCount = userBoundCount = 0;
    index16 = nullptr;
    index32 = nullptr;
    indexStart = nullptr;
    memset(textureNames, 0, sizeof textureNames);
    failedTextureCount = 0;
    std::fill(primitiveMaterials, primitiveMaterials + MAX_MESH_PRIMS, -1);
}

void SMeshStaging::AddFailedTexture(const char* path)
{
    if (failedTextureCount < MAX_FAILED_TEXTURES)
        StrCopy(failedTextures[failedTextureCount++], MESH_NAME_SIZE, path);
}

uint32_t ColorToD3DColor(float r, float g, float b, float a)
{
    auto channel = [](float c) -> uint32_t {
        if (c >= 1.0f)
            return 255;
        if (!(c > 0.0f))
            return 0;
        return uint32_t(c * 255.0f + 0.5f);
    };
    return channel(a) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

uint8_t WeightToByte(float weight)
{
    return uint8_t(std::clamp(int(weight * 255.0f), 0, 255));
}

void ReadMaterial(SMaterial* material, FILE* file)
{
    char text[Core::STRING_BUFFER_SIZE];
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_string(file, text);
    StrCopy(material->name, sizeof material->name, text);
    Core::fscan_word(file, word);  // opens the block
    for (;;) {
        Core::fscan_word(file, word);
        if (!word[0] || StrEqual(word, "};"))
            break;
        if (StrEqual(word, "diffuse:")) {
            Core::fscan_fvec4(file, &material->diffuse.r);
        } else if (StrEqual(word, "specular:")) {
            Core::fscan_skip(file, word, 2);
            Core::fscan_float(file, &material->specular1);
            Core::fscan_word(file, word);
            Core::fscan_float(file, &material->specular2);
            Core::fscan_word(file, word);
        } else if (StrEqual(word, "diffuse_texture:")) {
            Core::fscan_string(file, text);
            StrCopy(material->path, sizeof material->path, text);
        }
    }
    material->specular.r = material->specular1;
    material->specular.g = material->specular2;
}

namespace {

constexpr int LOAD_FAILED = -1;
constexpr int LOAD_VB_FAILED = -2;
constexpr int LOAD_IB_FAILED = -3;
constexpr int LOAD_LOCK_FAILED = -5;
constexpr int LOAD_LIMIT = -20;
constexpr int LOAD_TOO_MANY_WEIGHTS = -123;
constexpr int MAX_INDICES_PER_PRIMITIVE = 16;
// A MaterialList number outside its block's materials (the primitive takes none).
constexpr int MATERIAL_OUTSIDE = INT32_MIN;

struct SPrimitiveTypeName {
    const char* name;
    int type;
};
constexpr SPrimitiveTypeName PRIMITIVE_TYPES[] = {
    {"POINT_LIST", D3DPT_POINTLIST},        {"LINE_LIST", D3DPT_LINELIST},
    {"LINE_STRIP", D3DPT_LINESTRIP},        {"TRIANGLE_LIST", D3DPT_TRIANGLELIST},
    {"TRIANGLE_STRIP", D3DPT_TRIANGLESTRIP}, {"TRIANGLE_FAN", D3DPT_TRIANGLEFAN},
};
static_assert(sizeof PRIMITIVE_TYPES / sizeof PRIMITIVE_TYPES[0] == 6, "six primitive types");

// One load: the open file, what has been locked, and the parse state beyond the staging.
class CMeshReader {
public:
    CMeshReader(const char* path, CMesh* mesh, uint32_t format, int flags)
        : path_(path), mesh_(mesh), format_(format), flags_(flags)
    {
    }
    ~CMeshReader() { Close(); }

    int Open();
    int Read();
    // Unlocks in reverse order of locking and closes the file; safe to call twice.
    void Close();

private:
    const char* path_;
    CMesh* mesh_;
    uint32_t format_;
    int flags_;
    FILE* file_ = nullptr;
    SMeshStaging& s_ = gMeshStaging;
    char word_[MESH_NAME_SIZE] = {};
    uint32_t collected_ = 0;
    bool diffusePerVertex_ = false;
    bool namesByMeshes_ = false;
    bool hasBoundBox_ = false;
    bool ibLocked_ = false;
    bool vbLocked_ = false;
    int clones_ = 1;
    // Repeats of one kind are gathered by the load's message scope; this budget caps the
    // kinds a damaged file can raise.
    int warnings_ = 4;
    int64_t indexWritten_ = 0;
    // The current block's material list (primitives first .. end - 1) and whether the block
    // read a material table for it.
    int listFirst_ = 0, listEnd_ = 0;
    bool blockTable_ = false;
    uint8_t* vertexData_ = nullptr;

    bool Word();
    bool Int(int& value);
    bool Float(float& value);
    bool Floats(float* values, int n);
    void String(char* out, size_t cap);
    int Damaged(const char* what);

    int ReadHeader();
    int ReadOptions();
    int ReadBlock();
    int ReadBlockSections(SSubMesh& sub, int block);
    // A section of one row of `floats` numbers per vertex of the block.
    template <class Store> int ReadRows(const char* section, int floats, const char* what, Store store);
    int ReadVertexRows(int count);
    int CheckVertexCount(int count);
    int ReadIndices(int perPrimitive, int count, bool fromIndices);
    int EnsureIndexBuffer(int perPrimitive, bool fromIndices);
    int ReadMaterialList(SSubMesh& sub, int block);
    int ReadMaterialBlocks();
    int ReadMaterialTable(SSubMesh& sub, int block);
    SMaterial* NextMaterial(SMaterial& scratch);
    void ReadTextureNames();
    void LoadTextureSlot(int slot, const char* name);
    void CheckMaterialNumbers();
    void TakeMaterials();
    int ReadTrailer();
    int ReadSkeleton();
    int ReadInverseMatrices();
    void CheckVertexBones();
    int ReadUserBounds();
    int Finish();
    void ComputeBounds();
    void ColorVertices();
    int PrimitiveVertex(int primitive, int corner) const;
    int CreateVertexBuffer();
    void WriteVertices();
    void TakeSubMeshes();
};

int CMeshReader::Damaged(const char* what)
{
    MsgBox5("Mesh file '", path_, "' is damaged: ", what, ".");
    return LOAD_LIMIT;
}

// The C locale's white space.
inline bool IsSpace(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Words are taken straight from the stream's buffer: the program reads on one thread, and a
// locked fgetc per character costs more than the parsing.
bool CMeshReader::Word()
{
    int c;
    do
        c = _getc_nolock(file_);
    while (c != EOF && IsSpace(c));
    size_t n = 0;
    while (c != EOF && !IsSpace(c)) {
        if (n < sizeof word_ - 1)
            word_[n++] = char(c);
        c = _getc_nolock(file_);
    }
    word_[n] = 0;
    return n > 0;
}

bool CMeshReader::Int(int& value)
{
    if (!Word())
        return false;
    long long plain;
    if (Core::ParseInteger(word_, &plain)) {
        if (plain < INT32_MIN || plain > INT32_MAX)
            return false;
        value = int(plain);
        return true;
    }
    char* end = nullptr;
    errno = 0;
    long v = strtol(word_, &end, 10);
    if (*end || errno || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = int(v);
    return true;
}

bool CMeshReader::Float(float& value)
{
    if (!Word())
        return false;
    double plain;
    if (Core::ParseDecimal(word_, &plain)) {
        value = float(plain);
        return true;
    }
    char* end = nullptr;
    value = strtof(word_, &end);
    return end != word_ && !*end;
}

bool CMeshReader::Floats(float* values, int n)
{
    for (int i = 0; i < n; ++i)
        if (!Float(values[i]))
            return false;
    return true;
}

void CMeshReader::String(char* out, size_t cap)
{
    char text[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(file_, text);
    StrCopy(out, cap, text);
}

void CMeshReader::Close()
{
    if (vbLocked_) {
        UnlockVB();
        vbLocked_ = false;
    }
    if (ibLocked_) {
        UnlockIB();
        ibLocked_ = false;
    }
    if (file_) {
        fclose(file_);
        file_ = nullptr;
    }
}

int CMeshReader::Open()
{
    char opened[MAX_PATH * 2];
    StrCopy(opened, sizeof opened, path_);
    file_ = OpenDataFile(opened, "rb");
    if (!file_) {
        char rest[MAX_PATH * 2] = {};
        SplitStringAfter(rest, sizeof rest, path_, gCore.meshDir);
        MakeFullPath(opened, sizeof opened, rest);
        file_ = OpenDataFile(opened, "rb");
    }
    if (!file_) {
        if (!(flags_ & LOAD_MESH_QUIET_MISSING))
            MsgBox2("CORE:  LoadMesh error: Can't find file... ", path_);
        return LOAD_FAILED;
    }
    static const char MARKER[12] = "binary_mesh";
    char head[12];
    bool binary = fread(head, 1, sizeof head, file_) == sizeof head &&
                  memcmp(head, MARKER, sizeof head) == 0;
    fclose(file_);
    file_ = nullptr;
    if (binary)
        return 1;
    file_ = OpenDataFile(opened, "r");
    return file_ ? 0 : LOAD_FAILED;
}

int CMeshReader::Read()
{
    clones_ = std::max(1, gUsageParams.clones);
    // The submesh array is made for the reserve; a file holds no more blocks than this.
    if (gUsageParams.submeshes > MAX_MESH_SUBMESHES) {
        MsgBox3("PROGRAMMER LIMIT: MAX_SUBMESHES. In Mesh.. ", path_,
                ": its \"submeshes:\" reserve is above 256. (Meshes).");
        return LOAD_LIMIT;
    }
    int code = ReadHeader();
    if (code == 0)
        code = ReadOptions();
    while (code == 0 && StrEqual(word_, "MESH"))
        code = ReadBlock();
    if (code != 0)
        return code;
    ReadTextureNames();
    CheckMaterialNumbers();
    TakeMaterials();
    code = ReadTrailer();
    return code ? code : Finish();
}

int CMeshReader::ReadHeader()
{
    Word();
    int v = 0, p = 0;
    if (StrEqual(word_, "NumVertices")) {
        if (!Int(v) || v < 0)
            return Damaged("NumVertices is not a count");
        Word();
        if (StrEqual(word_, "NumPrimitives")) {
            if (!Int(p) || p < 0)
                return Damaged("NumPrimitives is not a count");
            Word();
        }
    }
    if (v > MAX_MESH_VERTS) {
        MsgBox3("PROGRAMMER LIMIT: MAX_VERTS. In Mesh.. ", path_, ". (Meshes).");
        return LOAD_LIMIT;
    }
    if (p > MAX_MESH_PRIMS) {
        MsgBox3("PROGRAMMER LIMIT: MAX_PRIMS. In Mesh.. ", path_, ". (Meshes).");
        return LOAD_LIMIT;
    }
    mesh_->vertexCount = v;
    mesh_->primitiveCount = p;
    return 0;
}

int CMeshReader::ReadOptions()
{
    while (word_[0] && !StrEqual(word_, "MESH") && !StrEqual(word_, "SKELETON_STRUCTURE")) {
        if (StrEqual(word_, "DIFFUSE_PER_VERTEX")) {
            collected_ |= MESH_DIFFUSE;
            diffusePerVertex_ = true;
        } else if (StrEqual(word_, "BONE_INDEX_PER_VERTEX")) {
            mesh_->flags |= MESH_BONE_INDEX_PER_VERTEX;
        } else if (StrEqual(word_, "SPECULAR_PER_VERTEX")) {
            // Written by the mesh writer; no values follow and specular comes from the
            // materials, so the word is taken without a warning.
        } else if (StrEqual(word_, "PRIMITIVE_TYPE")) {
            Word();
            for (const SPrimitiveTypeName& t : PRIMITIVE_TYPES)
                if (StrEqual(word_, t.name))
                    mesh_->primitiveType = t.type;
        } else if (StrEqual(word_, "NAMES_BY_MESHES")) {
            namesByMeshes_ = true;
        } else if (StrEqual(word_, "VERTS_IN_BONE_SPACE")) {
            mesh_->flags |= MESH_VERTS_IN_BONE_SPACE;
        } else if (StrEqual(word_, "MATERIAL_MULTI_TEXTURING")) {
            mesh_->flags |= MESH_MULTI_TEXTURING;
        } else if (StrEqual(word_, "PER_VERTEX_BONE_WEIGHTS")) {
            int n = 0;
            if (!Int(n) || n < 0)
                return Damaged("PER_VERTEX_BONE_WEIGHTS is not a count");
            if (n > 4) {
                MsgBox3("Number of bone indices is more 4. Problem in mesh file '", path_, "'");
                return LOAD_TOO_MANY_WEIGHTS;
            }
            mesh_->boneWeights = n;
        } else {
            WarningBox(&warnings_, "Unknown parameter in mesh file '", path_, "'", nullptr);
        }
        Word();
    }
    return 0;
}

int CMeshReader::CheckVertexCount(int count)
{
    if (count < 0)
        return Damaged("a negative count");
    int64_t end = int64_t(s_.vertexBase) + count;
    if (end > MAX_MESH_VERTS) {
        MsgBox3("PROGRAMMER LIMIT: MAX_VERTS. In Mesh.. ", path_, ". (Meshes).");
        return LOAD_LIMIT;
    }
    if (mesh_->vertexCount > 0 && end > mesh_->vertexCount)
        return Damaged("its blocks hold more vertices than NumVertices");
    return 0;
}

int CMeshReader::ReadVertexRows(int count)
{
    int code = CheckVertexCount(count);
    if (code)
        return code;
    s_.blockVertices = count;
    const bool boneIndex = mesh_->flags & MESH_BONE_INDEX_PER_VERTEX;
    const int weights = mesh_->boneWeights;
    for (int i = 0; i < count; ++i) {
        SMeshVertex& v = s_.vertices[s_.vertexBase + i];
        v = SMeshVertex{};
        if (!Floats(v.position, 3))
            return Damaged("a vertex row is cut short");
        if (weights == 0 && boneIndex) {
            int bone = 0;
            if (!Int(bone))
                return Damaged("a vertex row is cut short");
            memcpy(v.bones, &bone, sizeof v.bones);
        }
        if (weights > 0 && !Word())
            return Damaged("a vertex row is cut short");
        for (int w = 0; w < weights; ++w) {
            int bone = 0;
            float weight = 0;
            if (!Word() || !Int(bone) || !Word() || !Float(weight))
                return Damaged("a vertex row is cut short");
            v.bones[w] = uint8_t(bone >= 0 && bone < 64 ? bone : 0);
            v.weights[w] = WeightToByte(weight);
        }
        if (diffusePerVertex_) {
            float c[4];
            if (!Floats(c, 4))
                return Damaged("a vertex row is cut short");
            v.diffuse = ColorToD3DColor(c[0], c[1], c[2], c[3]);
        }
    }
    return 0;
}

int CMeshReader::EnsureIndexBuffer(int perPrimitive, bool fromIndices)
{
    if (mesh_->indexBuffer) {
        // Clones and per-material draws step through the buffer by one width.
        if (perPrimitive != mesh_->indicesPerPrimitive)
            return Damaged("its index sections give primitives different numbers of indices");
        return 0;
    }
    int64_t primitives = std::max(mesh_->primitiveCount, gUsageParams.primitives);
    bool wide = mesh_->vertexCount > 65535 || (fromIndices && (flags_ & LOAD_MESH_INDEX32));
    // Room for every draw of every clone, whatever the primitive type.
    int64_t triangles = (clones_ * IndexCapacity(primitives, perPrimitive) + 2) / 3;
    HRESULT hr = E_FAIL;
    if (triangles > 0 && triangles * 12 <= INT32_MAX)
        hr = wide ? CreateMeshIB32(UINT(triangles), &mesh_->indexBuffer)
                  : CreateMeshIB(UINT(triangles), &mesh_->indexBuffer);
    if (FAILED(hr) || !mesh_->indexBuffer) {
        MsgBox3("CreateMeshIB error in file '", path_, "'");
        return LOAD_IB_FAILED;
    }
    mesh_->indexSize = wide ? 4 : 2;
    mesh_->indicesPerPrimitive = perPrimitive;
    void* data = nullptr;
    LockIB(mesh_->indexBuffer, &data);
    if (!data)
        return LOAD_IB_FAILED;
    ibLocked_ = true;
    memset(data, 0, size_t(triangles) * 3 * mesh_->indexSize);
    s_.indexStart = data;
    s_.index16 = static_cast<uint16_t*>(data);
    s_.index32 = static_cast<uint32_t*>(data);
    return 0;
}

int CMeshReader::ReadIndices(int perPrimitive, int count, bool fromIndices)
{
    if (count < 0)
        return Damaged("a negative count");
    if (fromIndices && (flags_ & LOAD_MESH_SKIP_INDICES)) {
        int ignored;
        for (int64_t i = 0; i < int64_t(count) * 3; ++i)
            if (!Int(ignored))
                return Damaged("an index row is cut short");
        return 0;
    }
    int code = EnsureIndexBuffer(perPrimitive, fromIndices);
    if (code)
        return code;
    // A "prims:" reserve makes the buffer larger, not the mesh: the blocks are measured
    // against the count the file gives, so that no submesh runs past the mesh.
    const int64_t n = int64_t(count) * perPrimitive;
    if (indexWritten_ + n > int64_t(mesh_->primitiveCount) * perPrimitive)
        return Damaged("its blocks hold more primitives than NumPrimitives");
    const int64_t limit = mesh_->indexSize == 2 ? 65536 : INT32_MAX;
    for (int64_t i = 0; i < n; ++i) {
        int index = 0;
        if (!Int(index))
            return Damaged("an index row is cut short");
        if (index < 0 || index >= s_.blockVertices || s_.vertexBase + index >= limit)
            return Damaged("an index names a vertex outside its block");
        // Without a NumVertices the blocks' vertices go to no buffer (a "verts:" reserve
        // gives one of zeros): there is nothing such an index could name.
        if (s_.vertexBase + index >= mesh_->vertexCount)
            return Damaged("an index names a vertex beyond NumVertices");
        uint32_t absolute = uint32_t(s_.vertexBase + index);
        if (mesh_->indexSize == 4)
            s_.index32[indexWritten_ + i] = absolute;
        else
            s_.index16[indexWritten_ + i] = uint16_t(absolute);
    }
    indexWritten_ += n;
    mesh_->indexed = 1;
    mesh_->indicesPerPrimitive = perPrimitive;
    s_.blockPrimitives += count;
    return 0;
}

SMaterial* CMeshReader::NextMaterial(SMaterial& scratch)
{
    if (s_.materialCount >= MAX_MESH_MATERIALS) {
        WarningBox(&warnings_, "PROGRAMMER LIMIT: MAX_MATERS.", nullptr);
        scratch = SMaterial{};
        return &scratch;
    }
    SMaterial* m = &s_.materials[s_.materialCount++];
    *m = SMaterial{};
    return m;
}

int CMeshReader::ReadMaterialList(SSubMesh& sub, int block)
{
    int mc = 0, k = 0;
    if (!Int(mc) || !Int(k))
        return Damaged("MaterialList is cut short");
    if (mc < 0 || k < 0)
        return Damaged("a negative count");
    if (k > MAX_MESH_PRIMS) {
        MsgBox3("PROGRAMMER LIMIT: MAX_PRIMS. In Mesh.. ", path_, ". (Meshes).");
        return LOAD_LIMIT;
    }
    if (mc > MAX_MESH_MATERIALS)
        WarningBox(&warnings_, "PROGRAMMER LIMIT: MAX_MATERS.", nullptr);
    s_.blockMaterialCounts[block] = mc;
    if (flags_ & LOAD_MESH_FACE_MATERIALS) {
        delete sub.faceMaterials;
        sub.faceMaterials = new SFaceMaterials(std::min(mc, MAX_MESH_MATERIALS), k);
    }
    for (int i = 0; i < k; ++i) {
        int number = 0;
        if (!Int(number))
            return Damaged("MaterialList is cut short");
        if (sub.faceMaterials)
            sub.faceMaterials->faceMaterials[i] = number >= 0 && number < sub.faceMaterials->materialCount ? number : -1;
        int at = s_.primitiveBase + i;
        if (at < MAX_MESH_PRIMS)
            s_.primitiveMaterials[at] =
                number >= 0 && number < mc ? s_.materialCount + number : MATERIAL_OUTSIDE;
    }
    listFirst_ = std::min(s_.primitiveBase, MAX_MESH_PRIMS);
    listEnd_ = std::min(s_.primitiveBase + k, MAX_MESH_PRIMS);
    s_.primitiveMaterialCount = std::max(s_.primitiveMaterialCount, listEnd_);
    collected_ |= MESH_DIFFUSE;
    return 0;
}

int CMeshReader::ReadMaterialBlocks()
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file_, word);  // opens the block
    for (;;) {
        Core::fscan_word(file_, word);
        if (!word[0] || StrEqual(word, "};"))
            break;
        if (StrEqual(word, "Material:")) {
            SMaterial scratch;
            ReadMaterial(NextMaterial(scratch), file_);
        } else {
            WarningBox(&warnings_, "Undefine string '", word, "' in mesh..\n", path_, nullptr);
        }
    }
    s_.materialsRead = 1;
    blockTable_ = true;
    return 0;
}

int CMeshReader::ReadMaterialTable(SSubMesh& sub, int block)
{
    for (int i = 0; i < 4; ++i)
        Word();  // R G B A
    const int rows = s_.blockMaterialCounts[block];
    for (int row = 0; row < rows; ++row) {
        SMaterial scratch;
        SMaterial* m = NextMaterial(scratch);
        float d[4], sp[3];
        if (!Word() || !Floats(d, 4) || !Word() || !Floats(sp, 3) || !Word())
            return Damaged("a material row is cut short");
        m->diffuse = D3DXCOLOR(d[0], d[1], d[2], d[3]);
        m->specular = D3DXCOLOR(sp[0], sp[1], sp[2], 0);
        String(m->name, sizeof m->name);
        if (!Word())
            return Damaged("a material row is cut short");
        String(m->path, sizeof m->path);
        SFaceMaterials* faces = sub.faceMaterials;
        if (faces && row < faces->materialCount)
            faces->materials[row] = *m;
    }
    s_.materialsRead = 1;
    blockTable_ = true;
    return 0;
}

// The rows belong to the block's vertices, one each: any other count would reach vertices
// of another block, or of the file read before, or leave some of the block's unset.
template <class Store>
int CMeshReader::ReadRows(const char* section, int floats, const char* what, Store store)
{
    int count = 0;
    if (!Int(count))
        return Damaged("a section has no count");
    int code = CheckVertexCount(count);
    if (!code && count != s_.blockVertices) {
        char text[96];
        snprintf(text, sizeof text, "%s counts %d vertices, its block %d", section, count, s_.blockVertices);
        return Damaged(text);
    }
    for (int i = 0; !code && i < count; ++i) {
        float row[3];
        if (!Floats(row, floats))
            return Damaged(what);
        store(s_.vertices[s_.vertexBase + i], row);
    }
    return code;
}

int CMeshReader::ReadBlockSections(SSubMesh& sub, int block)
{
    int code = 0;
    if (StrEqual(word_, "indices")) {
        int k = 0;
        code = Int(k) ? ReadIndices(3, k, true) : Damaged("indices has no count");
        Word();
    }
    if (!code && StrEqual(word_, "indices_ex")) {
        int m = 0, k = 0;
        if (!Int(m) || !Int(k) || m < 1 || m > MAX_INDICES_PER_PRIMITIVE)
            code = Damaged("indices_ex has no proper counts");
        else
            code = ReadIndices(m, k, false);
        Word();
    }
    if (!code && StrEqual(word_, "normals")) {
        code = ReadRows("normals", 3, "a normal row is cut short", [](SMeshVertex& v, const float* r) {
            memcpy(v.normal, r, sizeof v.normal);
        });
        collected_ |= MESH_NORMAL;
        Word();
    }
    if (!code && StrEqual(word_, "TextureCoords")) {
        code = ReadRows("TextureCoords", 2, "a texture coordinate row is cut short",
                        [](SMeshVertex& v, const float* r) {
                            memcpy(v.uv0, r, sizeof v.uv0);
                            memcpy(v.uv1, r, sizeof v.uv1);
                        });
        collected_ |= MESH_UV0;
        Word();
    }
    if (!code && StrEqual(word_, "Texture1Coords")) {
        code = ReadRows("Texture1Coords", 2, "a texture coordinate row is cut short",
                        [](SMeshVertex& v, const float* r) { memcpy(v.uv1, r, sizeof v.uv1); });
        collected_ |= MESH_UV1;
        Word();
    }
    if (!code && StrEqual(word_, "MaterialList")) {
        code = ReadMaterialList(sub, block);
        Word();
    }
    if (!code && StrEqual(word_, "Materials:")) {
        code = ReadMaterialBlocks();
        Word();
    }
    if (!code && StrEqual(word_, "Materials...")) {
        code = ReadMaterialTable(sub, block);
        Word();
    }
    return code;
}

int CMeshReader::ReadBlock()
{
    collected_ |= MESH_XYZ;
    const int n = s_.blockCount;
    if (n >= MAX_MESH_SUBMESHES)
        return Damaged("more than 256 blocks");
    SSubMesh& sub = s_.subMeshes[n];
    sub.name[0] = 0;
    sub.id = 0;
    delete sub.faceMaterials;
    sub.faceMaterials = nullptr;
    s_.blockMaterialCounts[n] = 0;
    s_.blockPrimitives = 0;
    listFirst_ = listEnd_ = 0;
    blockTable_ = false;
    if (namesByMeshes_) {
        char text[Core::STRING_BUFFER_SIZE];
        Core::fscan_string(file_, text);
        if (strlen(text) >= sizeof sub.name)
            WarningBox(&warnings_, "Submesh name '", text, "' is longer than 23", nullptr);
        StrCopy(sub.name, sizeof sub.name, text);
        sub.id = StrHash(sub.name);
    }
    int count = 0;
    if (!Int(count))
        return Damaged("a block has no vertex count");
    int code = ReadVertexRows(count);
    if (code)
        return code;
    Word();
    code = ReadBlockSections(sub, n);
    if (code)
        return code;
    std::fill(s_.primitiveMaterialUntabled + listFirst_, s_.primitiveMaterialUntabled + listEnd_, !blockTable_);
    // Its per-vertex sections count its rows; its primitives are those of all its index
    // sections.
    sub.firstVertex = s_.vertexBase;
    sub.lastVertex = s_.vertexBase + s_.blockVertices - 1;
    sub.firstPrimitive = s_.primitiveBase;
    sub.lastPrimitive = s_.primitiveBase + s_.blockPrimitives - 1;
    s_.vertexBase += s_.blockVertices;
    s_.primitiveBase += s_.blockPrimitives;
    if (++s_.blockCount == MAX_MESH_SUBMESHES)
        MsgBox("PROGRAMMER LIMIT: MAX_SUBMESHES (Meshes).");
    return 0;
}

// Each failure is said (unless the caller asked for quiet): the load's message scope
// gathers repeats of one kind into one message with their count.
void CMeshReader::LoadTextureSlot(int slot, const char* name)
{
    char resolved[MESH_NAME_SIZE];
    ResolveTexturePath(resolved, sizeof resolved, name, path_);
    if (resolved[0])
        LoadMeshTexture(path_, resolved, mesh_, slot, flags_);
}

void CMeshReader::ReadTextureNames()
{
    static const char* const WORDS[2][2] = {{"TextureName", "TexturePath:"},
                                            {"Texture1Name", "Texture1Path:"}};
    for (int slot = 0; slot < 2; ++slot) {
        char* name = s_.textureNames[slot];
        if (StrEqual(word_, WORDS[slot][0])) {
            Word();
            StrCopy(name, MESH_NAME_SIZE, word_);
        } else if (StrEqual(word_, WORDS[slot][1])) {
            String(name, MESH_NAME_SIZE);
        } else {
            continue;
        }
        LoadTextureSlot(slot, name);
        Word();
    }
}

// A number naming no material of the file's table is dropped: its primitive takes no
// material. Those of lists whose block read a table are counted and said once; a list
// without a table of its own has nothing to be outside of.
void CMeshReader::CheckMaterialNumbers()
{
    int outside = 0;
    for (int i = 0; i < s_.primitiveMaterialCount; ++i) {
        int& number = s_.primitiveMaterials[i];
        if (number == MATERIAL_OUTSIDE || number >= s_.materialCount) {
            number = -1;
            outside += s_.primitiveMaterialUntabled[i] ? 0 : 1;
        }
    }
    if (!outside)
        return;
    char text[128];
    snprintf(text, sizeof text, "': %d primitives name materials outside its material table; they take none.",
             outside);
    MsgBox3("Mesh file '", path_, text);
}

void CMeshReader::TakeMaterials()
{
    if (!s_.materialsRead)
        return;
    const int count = s_.materialCount;
    mesh_->materialCount = count;
    mesh_->materials = new SMaterial[count];
    std::copy(s_.materials, s_.materials + count, mesh_->materials);
    // Numbers past the mesh's primitives would name nothing that is drawn.
    const int numbers = std::min(s_.primitiveMaterialCount, mesh_->primitiveCount);
    if (numbers > 0) {
        mesh_->primitiveMaterialCount = numbers;
        mesh_->primitiveMaterials = new int[numbers];
        std::copy(s_.primitiveMaterials, s_.primitiveMaterials + numbers, mesh_->primitiveMaterials);
    }
    if (!(mesh_->flags & MESH_MULTI_TEXTURING))
        return;
    for (int i = 0; i < count; ++i) {
        if (i == MESH_TEXTURE_SLOTS) {
            MsgBox3("Textures more then 8. In mesh: '", path_, ".'");
            break;
        }
        StrCopy(s_.textureNames[i], MESH_NAME_SIZE, mesh_->materials[i].path);
        LoadTextureSlot(MESH_MATERIAL_SLOT + i, mesh_->materials[i].path);
    }
    mesh_->DeriveMaterialRanges();
}

int CMeshReader::ReadUserBounds()
{
    s_.userBoundCount = 0;
    while (Word() && !StrEqual(word_, "END")) {
        if (s_.userBoundCount >= MAX_MESH_USER_BOUNDS) {
            MsgBox("PROGRAMMER LIMIT:  MAX_USER_BB.");
            return LOAD_FAILED;
        }
        SBoundRecord& r = s_.userBounds[s_.userBoundCount];
        r = SBoundRecord{};
        float rest[5];
        char* end = nullptr;
        r.first.x = strtof(word_, &end);
        if (end == word_ || *end || !Floats(rest, 5))
            return Damaged("a user bound box is not six numbers");
        r.first = D3DXVECTOR4(r.first.x, rest[0], rest[1], 0);
        r.second = D3DXVECTOR4(rest[2], rest[3], rest[4], 0);
        ++s_.userBoundCount;
    }
    delete[] mesh_->userBounds;
    mesh_->userBoundCount = s_.userBoundCount;
    mesh_->userBounds = new SBoundRecord[s_.userBoundCount];
    std::copy(s_.userBounds, s_.userBounds + s_.userBoundCount, mesh_->userBounds);
    return 0;
}

int CMeshReader::ReadSkeleton()
{
    CSkeleton& skeleton = mesh_->skeleton;
    if (skeleton.Load(file_, path_))
        return LOAD_LIMIT;
    if (mesh_->flags & MESH_VERTS_IN_BONE_SPACE) {
        skeleton.ComputeRelativePositions();
        // Loader flag 2 moves the vertices to model space; otherwise they stay relative.
        if (!(flags_ & LOAD_MESH_BONE_SPACE))
            skeleton.flags |= SKELETON_BONE_SPACE;
    }
    return 0;
}

int CMeshReader::ReadInverseMatrices()
{
    CSkeleton& skeleton = mesh_->skeleton;
    if (skeleton.boneCount <= 0)
        return 0;
    if (!skeleton.AllocInverseMatrices())
        return Damaged("its inverse matrices cannot be allocated");
    for (int i = 0; i < skeleton.boneCount; ++i)
        if (!Floats(&skeleton.inverseMatrices[i]._11, 16))
            return Damaged("InitBoneInverseTransforms holds fewer matrices than bones");
    return 0;
}

// A vertex may only name a bone of the skeleton: the palette holds no others.
void CMeshReader::CheckVertexBones()
{
    const int bones = mesh_->skeleton.boneCount;
    const int weights = mesh_->boneWeights;
    const bool perVertex = weights == 0 && (mesh_->flags & MESH_BONE_INDEX_PER_VERTEX);
    if (bones <= 0 || (!perVertex && weights == 0))
        return;
    int wrong = 0;
    uint32_t example = 0;
    for (int i = 0; i < s_.vertexBase; ++i) {
        uint8_t* b = s_.vertices[i].bones;
        uint32_t index;
        memcpy(&index, b, sizeof index);
        if (perVertex && index >= uint32_t(bones)) {
            example = index;
            memset(b, 0, 4);
            ++wrong;
        }
        for (int w = 0; !perVertex && w < weights; ++w)
            if (b[w] >= bones) {
                example = b[w];
                b[w] = 0;
                ++wrong;
            }
    }
    if (!wrong)
        return;
    char text[96];
    snprintf(text, sizeof text, "' names bone %u, but its skeleton holds %d bones; such vertices take bone 0.",
             example, bones);
    MsgBox3("Mesh file '", path_, text);
}

int CMeshReader::ReadTrailer()
{
    if (StrEqual(word_, "SKELETON_STRUCTURE")) {
        int code = ReadSkeleton();
        if (code)
            return code;
        Word();
    }
    if (StrEqual(word_, "InitBoneInverseTransforms")) {
        int code = ReadInverseMatrices();
        if (code)
            return code;
        Word();
    }
    if (StrEqual(word_, "BOUND_BOX")) {
        float v[24];
        if (!Floats(v, 24))
            return Damaged("BOUND_BOX is cut short");
        for (int i = 0; i < 8; ++i)
            mesh_->corners[i] = D3DXVECTOR4(v[i * 3], v[i * 3 + 1], v[i * 3 + 2], 1);
        hasBoundBox_ = true;
        Word();
    }
    if (StrEqual(word_, "USER_BOUND_BOXES")) {
        int code = ReadUserBounds();
        if (code)
            return code;
        Word();
    }
    if (StrEqual(word_, "BOUND_FIGURES")) {
        while (Word() && !StrEqual(word_, "END")) {
        }
        delete[] mesh_->userBounds;
        mesh_->userBounds = nullptr;
        mesh_->userBoundCount = 0;
        Word();
    }
    if (word_[0])
        MsgBox4("Unknown string '", word_, "' in mesh file..  ", path_);
    return 0;
}

void CMeshReader::ComputeBounds()
{
    if (!hasBoundBox_) {
        D3DXVECTOR3 lo(99999.0f, 99999.0f, 99999.0f), hi(-99999.0f, -99999.0f, -99999.0f);
        for (int i = 0; i < s_.vertexBase; ++i) {
            const float* p = s_.vertices[i].position;
            lo = D3DXVECTOR3(std::min(lo.x, p[0]), std::min(lo.y, p[1]), std::min(lo.z, p[2]));
            hi = D3DXVECTOR3(std::max(hi.x, p[0]), std::max(hi.y, p[1]), std::max(hi.z, p[2]));
        }
        const D3DXVECTOR4 corners[8] = {
            {lo.x, lo.y, lo.z, 1}, {lo.x, lo.y, hi.z, 1}, {hi.x, lo.y, hi.z, 1},
            {hi.x, lo.y, lo.z, 1}, {lo.x, hi.y, lo.z, 1}, {lo.x, hi.y, hi.z, 1},
            {hi.x, hi.y, hi.z, 1}, {hi.x, hi.y, lo.z, 1},
        };
        std::copy(corners, corners + 8, mesh_->corners);
    }
    mesh_->ComputeBoundRadius();
}

// The staged vertex that corner `corner` of primitive `primitive` names, -1 for none.
int CMeshReader::PrimitiveVertex(int primitive, int corner) const
{
    if (mesh_->indexed) {
        int per = mesh_->indicesPerPrimitive;
        int64_t at = int64_t(primitive) * per + corner;
        if (corner >= per || at >= indexWritten_)
            return -1;
        return mesh_->indexSize == 4 ? int(s_.index32[at]) : int(s_.index16[at]);
    }
    if (mesh_->primitiveType != D3DPT_TRIANGLELIST || corner >= 3)
        return -1;
    int64_t v = int64_t(primitive) * 3 + corner;
    return v < s_.vertexBase ? int(v) : -1;
}

// Per-vertex diffuse colours of the file stay; the rest comes from the materials (white
// without them). The rows carry no specular colour, so the materials give it even then.
void CMeshReader::ColorVertices()
{
    const uint32_t colours = format_ & (MESH_DIFFUSE | MESH_SPECULAR);
    if (format_ != 0 && !colours)
        return;
    const bool keepDiffuse = colours && diffusePerVertex_;
    for (int i = 0; i < s_.vertexBase; ++i) {
        s_.vertices[i].specular = 0xFFFFFFFF;
        if (!keepDiffuse)
            s_.vertices[i].diffuse = 0xFFFFFFFF;
    }
    if (!s_.materialsRead)
        return;
    for (int p = 0; p < mesh_->primitiveCount; ++p) {
        int number = s_.primitiveMaterials[p];
        uint32_t diffuse = 0xFFFFFFFF, specular = 0xFFFFFFFF;
        if (number >= 0 && number < s_.materialCount) {
            const SMaterial& m = s_.materials[number];
            diffuse = ColorToD3DColor(m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a);
            specular = ColorToD3DColor(m.specular.r, m.specular.g, m.specular.b, m.specular.a);
        }
        for (int corner = 0; corner < MAX_INDICES_PER_PRIMITIVE; ++corner) {
            int v = PrimitiveVertex(p, corner);
            if (v < 0 || v >= MAX_MESH_VERTS)
                continue;
            if (!keepDiffuse)
                s_.vertices[v].diffuse = diffuse;
            s_.vertices[v].specular = specular;
        }
    }
}

int CMeshReader::CreateVertexBuffer()
{
    const uint32_t layout = format_ ? format_ : collected_;
    mesh_->stride = GetFVFVertexSize(layout);
    mesh_->strideDwords = mesh_->stride / 4;
    const int64_t vertices = std::max(mesh_->vertexCount, gUsageParams.vertices);
    if (vertices <= 0)
        return 0;
    const int64_t length = int64_t(mesh_->stride) * clones_ * vertices;
    HRESULT hr = E_FAIL;
    if (length > 0 && length <= INT32_MAX)
        hr = CreateMeshVB(UINT(length), &mesh_->vertexBuffer, format_);
    if (FAILED(hr) || !mesh_->vertexBuffer) {
        MsgBox3("CreateMeshVB error in mesh file '", path_, "'");
        return LOAD_VB_FAILED;
    }
    vertexData_ = static_cast<uint8_t*>(LockVB(mesh_->vertexBuffer));
    if (!vertexData_) {
        MsgBox3("LockVB error in mesh file '", path_, "'");
        return LOAD_LOCK_FAILED;
    }
    vbLocked_ = true;
    memset(vertexData_, 0, size_t(length));
    return 0;
}

void CMeshReader::WriteVertices()
{
    const int stride = mesh_->stride;
    const uint32_t f = format_;
    const CSkeleton& skeleton = mesh_->skeleton;
    const bool boneSpace =
        (flags_ & LOAD_MESH_BONE_SPACE) && (mesh_->flags & MESH_VERTS_IN_BONE_SPACE);
    const uint32_t boneByte = uint32_t(gUsageParams.boneByte);
    const uint32_t weightByte = uint32_t(gUsageParams.weightByte);
    const int weights = mesh_->boneWeights;
    for (int i = 0; i < mesh_->vertexCount; ++i) {
        const SMeshVertex& v = s_.vertices[i];
        uint8_t* out = vertexData_ + size_t(i) * stride;
        auto put = [&out](const void* data, size_t n) {
            memcpy(out, data, n);
            out += n;
        };
        if (f & MESH_XYZ) {
            float p[4] = {v.position[0], v.position[1], v.position[2], 1.0f};
            uint32_t bone;
            memcpy(&bone, v.bones, sizeof bone);
            if (boneSpace && bone < uint32_t(skeleton.boneCount)) {
                const D3DXVECTOR4& a = skeleton.bones[bone].absolute;
                p[0] += a.x;
                p[1] += a.y;
                p[2] += a.z;
            }
            put(p, (f & MESH_POSITION_W) ? 16 : 12);
        }
        const float zero4[4] = {};
        if (f & MESH_NORMAL)
            put(v.normal, 12);
        if (f & MESH_BONES)
            put(v.bones, 4);
        if (f & MESH_WEIGHTS)
            put(v.weights, 4);
        if (f & MESH_DIFFUSE)
            put(&v.diffuse, 4);
        if (f & MESH_SPECULAR)
            put(&v.specular, 4);
        if (f & MESH_EXTRA)
            put(&v.extra, 4);
        if (f & MESH_UV0)
            put(v.uv0, 8);
        if (f & MESH_UV1)
            put(v.uv1, 8);
        if (f & MESH_FLOAT4)
            put(zero4, 16);
        uint8_t* vertex = vertexData_ + size_t(i) * stride;
        if (boneByte != MESH_OFFSET_NONE && boneByte < uint32_t(stride))
            vertex[boneByte] = v.bones[0];
        if (weightByte != MESH_OFFSET_NONE && weights > 0 &&
            weightByte + uint32_t(weights) <= uint32_t(stride))
            memcpy(vertex + weightByte, v.weights, size_t(weights));
    }
}

void CMeshReader::TakeSubMeshes()
{
    const int count = std::max(s_.blockCount, gUsageParams.submeshes);
    mesh_->subMeshes = new SSubMesh[count];
    for (int i = 0; i < s_.blockCount; ++i)
        mesh_->subMeshes[i].CopyFrom(s_.subMeshes[i]);
    mesh_->subMeshCount = s_.blockCount;
    mesh_->vertexFormat = format_;
    mesh_->boneByte = uint32_t(gUsageParams.boneByte);
    mesh_->reservedVertices = gUsageParams.vertices;
    mesh_->reservedPrimitives = gUsageParams.primitives;
    mesh_->reservedSubMeshes = gUsageParams.submeshes;
}

int CMeshReader::Finish()
{
    // The header reserves room: vertices no block filled are zero, as are the indices.
    for (int i = s_.vertexBase; i < mesh_->vertexCount; ++i)
        s_.vertices[i] = SMeshVertex{};
    CheckVertexBones();
    ComputeBounds();
    ColorVertices();
    int code = CreateVertexBuffer();
    if (code)
        return code;
    if (vertexData_)
        WriteVertices();
    TakeSubMeshes();
    if (clones_ > 1 && vertexData_)
        BuildMeshClones(mesh_, vertexData_, mesh_->indexed ? s_.indexStart : nullptr);
    Close();
    return 0;
}

} // namespace

int LoadMesh(const char* path, CMesh* mesh, uint32_t vertexFormat, int flags)
{
    CFileMessages messages(path);
    SMeshStaging& s = gMeshStaging;
    s.Reset();
    mesh->Release();
    mesh->primitiveType = D3DPT_TRIANGLELIST;
    mesh->sysMemLevel = gUsageParams.sysIfVs;
    CMeshReader reader(path, mesh, vertexFormat, flags);
    int code = reader.Open();
    if (code == 1)
        return 0;  // "binary_mesh": nothing to read, the mesh stays empty
    if (code == 0)
        code = reader.Read();
    if (code != 0) {
        reader.Close();
        mesh->Release();
    }
    return code;
}
