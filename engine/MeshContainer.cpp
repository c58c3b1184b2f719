#include "engine/MeshContainer.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/UsageParams.h"
#include "core/Strings.h"
#include "engine/ResourceScan.h"

#include <cstdlib>
#include <iterator>
#include <string>

CMeshContainer* gMeshContainer = nullptr;
IMeshContainer* gIMeshContainer = nullptr;

namespace {

struct SDeclWord {
    const char* word;
    BYTE value;
};

const SDeclWord DECL_TYPES[] = {
    {"float1", D3DDECLTYPE_FLOAT1},       {"float2", D3DDECLTYPE_FLOAT2},
    {"float3", D3DDECLTYPE_FLOAT3},       {"float4", D3DDECLTYPE_FLOAT4},
    {"color", D3DDECLTYPE_D3DCOLOR},      {"ubyte4", D3DDECLTYPE_UBYTE4},
    {"short2", D3DDECLTYPE_SHORT2},       {"short4", D3DDECLTYPE_SHORT4},
    {"ubyte4n", D3DDECLTYPE_UBYTE4N},     {"short2n", D3DDECLTYPE_SHORT2N},
    {"short4n", D3DDECLTYPE_SHORT4N},     {"ushort2n", D3DDECLTYPE_USHORT2N},
    {"ushort4n", D3DDECLTYPE_USHORT4N},   {"float16_2", D3DDECLTYPE_FLOAT16_2},
    {"float16_4", D3DDECLTYPE_FLOAT16_4}, {"unused", D3DDECLTYPE_UNUSED},
};
static_assert(std::size(DECL_TYPES) == 16, "vertex declaration types");

const SDeclWord DECL_USAGES[] = {
    {"position", D3DDECLUSAGE_POSITION},
    {"normal", D3DDECLUSAGE_NORMAL},
    {"tex_coord", D3DDECLUSAGE_TEXCOORD},
    {"color", D3DDECLUSAGE_COLOR},
};
static_assert(std::size(DECL_USAGES) == 4, "vertex declaration usages");

template <size_t N>
const SDeclWord* FindDeclWord(const SDeclWord (&table)[N], const char* word)
{
    for (const SDeclWord& entry : table)
        if (StrEqual(entry.word, word)) return &entry;
    return nullptr;
}

bool IsBlock(const char* word) { return StrEqual(word, "FVF") || StrEqual(word, "USAGE"); }

// Reads one string token; false (and the file where it was) when it is a bare word other
// than a block keyword, so a following keyword of the caller is not eaten. The going back
// needs exact positions: script files are opened in binary mode (in text mode ftell is
// off by the line ends still in the stream's buffer).
bool ReadMeshToken(FILE* file, char (&token)[Core::STRING_BUFFER_SIZE], bool& quoted)
{
    const long at = ftell(file);
    quoted = Core::fscan_string(file, token) != 0;
    if (quoted || IsBlock(token)) return true;
    fseek(file, at, SEEK_SET);
    token[0] = 0;
    return false;
}

// FVF and USAGE blocks from the current token on, each result kept where asked; ends with
// the path in token (quoted) or with token empty.
void ReadMeshBlocks(FILE* file, char (&token)[Core::STRING_BUFFER_SIZE], bool& quoted, uint32_t* format, uint32_t* usage)
{
    while (!quoted && token[0]) {
        if (StrEqual(token, "FVF")) {
            const uint32_t bits = ScanFVF(file);
            if (format) *format = bits;
        } else {
            const uint32_t bits = ScanUsage(file);
            if (usage) *usage = bits;
        }
        ReadMeshToken(file, token, quoted);
    }
}

} // namespace

CMeshContainer::~CMeshContainer() { ReleaseAll(); }

void CMeshContainer::ReleaseAll()
{
    for (int i = 1; i <= meshes.Count(); ++i)
        ReleaseMesh(uint16_t(i));
    for (int i = 1; i <= declarators.Count(); ++i)
        if (declarators.InUse(i)) ReleaseAndClear(declarators.At(uint16_t(i))->declaration);
}

CEngineMesh* CMeshContainer::GetMesh(uint16_t index) { return meshes.At(index); }

CEngineMesh* CMeshContainer::GetMeshByName(const char* name) { return meshes.FindByName(name); }

uint16_t CMeshContainer::FindMesh(const char* name)
{
    const CEngineMesh* record = meshes.FindByName(name);
    return record ? uint16_t(record - meshes.Data()) : 0;
}

uint16_t CMeshContainer::FindMeshPath(const char* path)
{
    if (!path || !path[0]) return 0;
    for (int i = 1; i <= meshes.Count(); ++i)
        if (meshes.InUse(i) && StrEqual(meshes.At(i)->path, path)) return uint16_t(i);
    return 0;
}

uint16_t CMeshContainer::FindVertexDeclarator(const char* name)
{
    const SVertexDeclarator* record = declarators.FindByName(name);
    return record ? uint16_t(record - declarators.Data()) : 0;
}

SVertexDeclarator* CMeshContainer::GetVertexDeclarator(uint16_t index)
{
    return declarators.At(index);
}

IDirect3DVertexDeclaration9* CMeshContainer::GetVertexDeclaration(uint16_t index)
{
    const SVertexDeclarator* record = declarators.At(index);
    return record ? record->declaration : nullptr;
}

void CMeshContainer::ReleaseMesh(uint16_t index)
{
    CEngineMesh* record = meshes.Free(index);
    if (!record) return;
    record->mesh.Release();
    record->mesh.flags = 0;
    record->name[0] = 0;
    record->path[0] = 0;
}

void CMeshContainer::ReleaseMissionMeshes()
{
    for (int i = 1; i <= meshes.Count(); ++i)
        if (meshes.InUse(i) && (meshes.At(i)->mesh.flags & MESH_PRESENTATION))
            ReleaseMesh(uint16_t(i));
}

int CMeshContainer::Load(CEngineMesh* record, const char* path, int flags)
{
    CFileMessages messages(path);
    if (IsAbsolutePath(path)) return loader(path, &record->mesh, record->mesh.vertexFormat, flags);
    char full[MESH_DIRECTORY_SIZE + MESH_PATH_SIZE + 500];
    MakeFullPath(full, sizeof full, (std::string(directory) + path).c_str());
    return loader(full, &record->mesh, record->mesh.vertexFormat, flags);
}

uint16_t CMeshContainer::LoadMesh(const char* path, uint32_t vertexFormat, int presentation)
{
    if (const uint16_t found = FindMeshPath(path)) return found;
    CEngineMesh* record = nullptr;
    const uint16_t index = meshes.Add(record);
    if (!index) {
        WarningBox(&warningBudget, "MeshContainer:  meshes limit is exceed.", nullptr);
        return 0;
    }
    record->name[0] = record->path[0] = 0;
    record->mesh.vertexFormat = vertexFormat;
    const int result = Load(record, path, skipIndices ? LOAD_MESH_SKIP_INDICES : 0);
    if (result == 0) StrCopy(record->path, sizeof record->path, path);
    if (presentation) record->mesh.flags |= MESH_PRESENTATION;
    return result == 0 ? index : 0;
}

// [name] { FVF [ ... ] | USAGE [ ... ] } "path"; a known name is a reference.
uint16_t CMeshContainer::ScanMesh(FILE* file, int presentation)
{
    uint32_t format = defaultFormat;
    uint32_t usage = 0;
    char name[Core::STRING_BUFFER_SIZE] = "";
    char token[Core::STRING_BUFFER_SIZE];
    bool quoted = Core::fscan_string(file, token) != 0;
    if (!quoted && !IsBlock(token)) {
        StrCopy(name, sizeof name, token);
        const uint16_t found = FindMesh(name);
        ReadMeshToken(file, token, quoted);
        if (found) {
            // The rest of a referring element is read over, up to its path.
            ReadMeshBlocks(file, token, quoted, nullptr, nullptr);
            ResetUsageParams();  // a reference creates nothing
            return found;
        }
    }
    ResetUsageParams();
    ReadMeshBlocks(file, token, quoted, &format, &usage);
    const char* path = quoted ? token : "";
    if (const uint16_t found = FindMeshPath(path)) return found;
    if (format && path[0]) return AddScriptMesh(name, path, format, usage, presentation);
    if (name[0]) {
        WarningBox(&warningBudget, "CMeshContainer::ScanMesh:  Mesh '", name, "' not found.", nullptr);
    } else {
        WarningBox(&warningBudget, "CMeshContainer::ScanMesh:  Unknown FVF for mesh.", nullptr);
        gExitCode = 1;
    }
    return 0;
}

uint16_t CMeshContainer::AddScriptMesh(const char* name, const char* path, uint32_t format,
                                       uint32_t usage, int presentation)
{
    CEngineMesh* record = nullptr;
    const uint16_t index = meshes.Add(record);
    if (!index) {
        WarningBox(&warningBudget, "CMeshContainer::ScanMesh:  meshes limit is exceed.", nullptr);
        gExitCode = 1;
        return 0;
    }
    StrCopy(record->name, sizeof record->name, name);
    record->path[0] = 0;
    record->mesh.vertexFormat = format;
    record->mesh.usage = usage;
    // A failed mesh keeps its name: a repeated element refers to the empty record.
    const int result = Load(record, path, 0);
    if (result == 0) StrCopy(record->path, sizeof record->path, path);
    if (presentation) record->mesh.flags |= MESH_PRESENTATION;
    return result == 0 ? index : 0;
}

int CMeshContainer::FirstScan(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    int32_t meshCount = 0, declCount = 0;
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (!word[0]) {
            WarningBox(&warningBudget, "MeshContainer:  section is not closed by ']'.", nullptr);
            break;
        }
        if (StrEqual(word, "MeshCount:")) {
            Core::fscan_int(file, &meshCount);
        } else if (StrEqual(word, "VDeclCount:")) {
            Core::fscan_int(file, &declCount);
        } else if (StrEqual(word, "MeshDirectory:")) {
            char text[Core::STRING_BUFFER_SIZE];
            Core::fscan_string(file, text);
            StrCopy(directory, sizeof directory, text);
            const size_t n = strlen(directory);
            if (n && directory[n - 1] != '\\' && directory[n - 1] != '/')
                StrAppend(directory, sizeof directory, "\\");
        } else {
            MsgBox3("Undefine string '", word, "'");
        }
    }
    ReleaseAll();  // a second section must not drop the first one's device objects
    meshes.Init(uint16_t(meshCount));
    declarators.Init(uint16_t(declCount));
    return 0;
}

int CMeshContainer::ScanVertexDeclarator(FILE* file)
{
    SVertexDeclarator* record = declarators.Add();
    if (!record) {
        WarningBox(&warningBudget, "MeshContainer:  VertexDeclarators limit is exceed.", nullptr);
        gExitCode = 1;
        return -1;
    }
    record->declaration = nullptr;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    StrCopy(record->name, sizeof record->name, word);
    Core::fscan_skip(file, word, 6);  // the row header

    D3DVERTEXELEMENT9 rows[MAX_VDECL_ROWS + 1];
    const int n = ScanDeclaratorRows(file, rows, record->name);
    rows[n] = D3DVERTEXELEMENT9 D3DDECL_END();
    const HRESULT result = Device3D ? Device3D->CreateVertexDeclaration(rows, &record->declaration)
                                    : D3DERR_INVALIDCALL;
    if (FAILED(result)) {
        // Kept under its name; drawing falls back to the mesh's vertex format.
        MsgBox3("Can`t create vertex declarator '", record->name, "'.");
        record->declaration = nullptr;
    }
    return result;
}

// Rows up to "EndComponents." (or the end of the file); rows past the limit are reported
// and read over. Returns the number of rows stored.
int CMeshContainer::ScanDeclaratorRows(FILE* file, D3DVERTEXELEMENT9* rows, const char* name)
{
    char word[Core::WORD_BUFFER_SIZE];
    int n = 0;
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "EndComponents.");
         Core::fscan_word(file, word)) {
        if (n == MAX_VDECL_ROWS) {
            WarningBox(&warningBudget, "PROGRAMMER LIMIT: more than 32 components in vertex declarator '",
                       name, "'.", nullptr);
            while (word[0] && !StrEqual(word, "EndComponents.")) Core::fscan_word(file, word);
            break;
        }
        D3DVERTEXELEMENT9& row = rows[n++];
        row = D3DVERTEXELEMENT9{};
        row.Stream = WORD(strtoul(word, nullptr, 10));
        int32_t value = 0;
        Core::fscan_int(file, &value);
        row.Offset = WORD(value);
        Core::fscan_word(file, word);
        const SDeclWord* type = FindDeclWord(DECL_TYPES, word);
        if (!type)
            MsgBox5("Undefine VertexDeclaration Type '", word, "' in vertex declarator '", name, "'.");
        row.Type = type ? type->value : BYTE(D3DDECLTYPE_UNUSED);
        row.Method = D3DDECLMETHOD_DEFAULT;
        Core::fscan_word(file, word);
        const SDeclWord* usage = FindDeclWord(DECL_USAGES, word);
        if (!usage)
            MsgBox5("Undefine VertexDeclaration Usage '", word, "' in vertex declarator '", name, "'.");
        row.Usage = usage ? usage->value : BYTE(D3DDECLUSAGE_POSITION);
        Core::fscan_int(file, &value);
        row.UsageIndex = BYTE(value);
    }
    return n;
}
