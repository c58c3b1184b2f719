#include "engine/TexContainer.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/Textures.h"
#include "engine/ResourceScan.h"

CTexContainer* gTexContainer = nullptr;
ITexContainer* gITexContainer = nullptr;

namespace {

constexpr size_t FULL_PATH_SIZE = sizeof gBaseDir + TEX_DIRECTORY_SIZE + TEX_PATH_SIZE;

void ReleaseRecord(CEngineTex& record)
{
    if (record.texture)
        record.texture->Release();
    if (record.surface)
        record.surface->Release();
    record = CEngineTex{};
}

void CopyDescription(CEngineTex& record)
{
    if (record.type == D3DRTYPE_CUBETEXTURE)
        static_cast<IDirect3DCubeTexture9*>(record.texture)->GetLevelDesc(0, &record.desc);
    else
        static_cast<IDirect3DTexture9*>(record.texture)->GetLevelDesc(0, &record.desc);
}

bool IsWord(const char* token, bool quoted, const char* word)
{
    return !quoted && StrEqual(token, word);
}

} // namespace

IDirect3DTexture9* CEngineTex::Texture2D() const
{
    return type == D3DRTYPE_TEXTURE ? static_cast<IDirect3DTexture9*>(texture) : nullptr;
}

// One script element as read: its first token and, for a named element, what follows.
struct CTexContainer::SElement {
    char first[Core::STRING_BUFFER_SIZE] = {};
    bool quoted = false;
    char name[TEX_NAME_SIZE] = {};
    char path[Core::STRING_BUFFER_SIZE] = {};
    bool hasDesc = false;
    D3DSURFACE_DESC desc = {};
};

CTexContainer::~CTexContainer()
{
    ReleaseAll();
}

CEngineTex* CTexContainer::GetTex(uint16_t index)
{
    return records.At(index);
}

IDirect3DTexture9* CTexContainer::GetTexture(uint16_t index)
{
    CEngineTex* record = records.At(index);
    return record ? record->Texture2D() : nullptr;
}

IDirect3DBaseTexture9* StageTexture(uint16_t index)
{
    const CEngineTex* record = index && gITexContainer ? gITexContainer->GetTex(index) : nullptr;
    return record ? record->texture : nullptr;
}

IDirect3DSurface9* CTexContainer::GetSurface(uint16_t index)
{
    CEngineTex* record = records.At(index);
    if (!record)
        return nullptr;
    if (record->surface)
        return record->surface;
    IDirect3DTexture9* texture = record->Texture2D();
    IDirect3DSurface9* level = ::GetSurface(texture);
    // The texture holds its level alive; hand it out borrowed like a record's surface.
    if (level)
        level->Release();
    return level;
}

uint16_t CTexContainer::IndexOf(const CEngineTex* record)
{
    return record ? uint16_t(record - records.Data()) : 0;
}

uint16_t CTexContainer::FindTexture(const char* name)
{
    return IndexOf(records.FindByName(name));
}

uint16_t CTexContainer::FindTexturePath(const char* path)
{
    if (!path || !*path)
        return 0;
    for (int i = 1; i <= records.Count(); ++i)
        if (records.InUse(i) && StrEqual(records.At(i)->path, path))
            return uint16_t(i);
    return 0;
}

// gBaseDir + texture directory + path when that file exists, else gBaseDir + path;
// absolute paths as they are. False when mustExist and neither file exists.
bool CTexContainer::ResolvePath(char* out, size_t cap, const char* path, bool mustExist)
{
    if (IsAbsolutePath(path))
        return StrCopy(out, cap, path);
    if (StrCopy(out, cap, gBaseDir) && StrAppend(out, cap, textureDirectory) &&
        StrAppend(out, cap, path) && FileExists(out))
        return true;
    bool fits = StrCopy(out, cap, gBaseDir) && StrAppend(out, cap, path);
    return fits && (!mustExist || FileExists(out));
}

void CTexContainer::LoadInto(CEngineTex& record, const char* fullPath, const char* path)
{
    if (gUsageParams.cube) {
        record.texture = LoadCubeTexture(fullPath);
        record.type = D3DRTYPE_CUBETEXTURE;
    } else {
        record.texture = ::LoadTexture(fullPath);
        record.type = D3DRTYPE_TEXTURE;
    }
    if (record.texture)
        StrCopy(record.path, sizeof record.path, path);
}

uint16_t CTexContainer::LoadTexture(const char* path, uint32_t flags)
{
    if (!path || !*path)
        return 0;
    if (!(flags & TEX_NO_SHARING)) {
        if (uint16_t index = FindTexturePath(path))
            return index;
    }
    CEngineTex* record;
    uint16_t index = records.Add(record);
    if (!index) {
        WarningBox(&warnings, "TexContainer:  textures limit is exceed.", nullptr);
        return 0;
    }
    // Flagged at once, so a failed presentation load is released with the presentation.
    record->flags |= flags;
    char full[FULL_PATH_SIZE];
    ResolvePath(full, sizeof full, path, false);
    record->texture = ::LoadTexture(full);
    if (!record->texture) {
        ReportFailure("CTexContainer::LoadTexture  Error:  \n", "Improper params for texture '",
                      path, record->name);
        return 0;
    }
    StrCopy(record->path, sizeof record->path, path);
    CopyDescription(*record);
    return index;
}

uint16_t CTexContainer::CreateTexture(int width, int height, uint32_t usage, D3DFORMAT format,
                                      D3DPOOL pool, int presentation)
{
    CEngineTex* record;
    uint16_t index = records.Add(record);
    if (!index) {
        WarningBox(&warnings, "TexContainer:  textures limit is exceed.", nullptr);
        return 0;
    }
    if (presentation)
        record->flags |= TEX_PRESENTATION;
    IDirect3DTexture9* texture = nullptr;
    if (width <= 0 || height <= 0 ||
        FAILED(Device3D->CreateTexture(UINT(width), UINT(height), 1, usage, format, pool,
                                       &texture, nullptr))) {
        WarningBox(&warnings, "CTexContainer::CreateTexture  Error:  \n",
                   "Can`t create texture.", nullptr);
        return 0;
    }
    record->texture = texture;
    CopyDescription(*record);
    return index;
}

void CTexContainer::ReleaseTexture(uint16_t index)
{
    // A record already free is refused by the container, so it is never released twice.
    if (CEngineTex* record = records.Free(index))
        ReleaseRecord(*record);
}

void CTexContainer::ReleaseMissionTextures()
{
    for (int i = 1; i <= records.Count(); ++i)
        if (records.InUse(i) && (records.At(i)->flags & TEX_PRESENTATION))
            ReleaseTexture(uint16_t(i));
}

void CTexContainer::ReleaseAll()
{
    for (int i = 1; i <= records.Count(); ++i)
        if (records.InUse(i))
            ReleaseTexture(uint16_t(i));
}

void CTexContainer::FirstScan(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    uint16_t texCount = 0;
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (!word[0]) {
            MsgBox("CTexContainer::FirstScan :  section 'TexContainer' is not closed by ']'.");
            break;
        }
        if (StrEqual(word, "TexCount:")) {
            Core::fscan_u16(file, &texCount);
        } else if (StrEqual(word, "TextureDirectory:")) {
            char directory[Core::STRING_BUFFER_SIZE];
            Core::fscan_string(file, directory);
            StrCopy(textureDirectory, sizeof textureDirectory, directory);
            size_t n = StrLenSafe(textureDirectory);
            if (n > 0 && !IsPathSeparator(textureDirectory[n - 1]))
                StrAppend(textureDirectory, sizeof textureDirectory, "\\");
            StrCopy(gTexturesPath, sizeof gCore.texturesPath, textureDirectory);
        } else {
            MsgBox3("Undefine string '", word, "'");
        }
    }
    ReleaseAll();
    if (!records.Init(texCount))
        MsgBox("CTexContainer::FirstScan :  not enough memory for 'TexCount:'.");
}

// Reads the whole element, so that a reference to a held texture leaves nothing of it
// behind for the script reader. False at the end of the file.
bool CTexContainer::ReadElement(FILE* file, SElement& element)
{
    element.quoted = Core::fscan_string(file, element.first) == 1;
    if (!element.first[0] && !element.quoted)
        return false;
    ResetUsageParams();
    char token[Core::STRING_BUFFER_SIZE];
    bool quoted = element.quoted;
    StrCopy(token, sizeof token, element.first);
    if (!quoted && namedElement) {
        StrCopy(element.name, sizeof element.name, element.first);
        quoted = Core::fscan_string(file, token) == 1;
    }
    if (IsWord(token, quoted, "USAGE")) {
        ScanUsage(file);
        quoted = Core::fscan_string(file, token) == 1;
    }
    if (IsWord(token, quoted, "DESC")) {
        element.hasDesc = true;
        ScanTextureDesc(file, &element.desc);
    } else {
        StrCopy(element.path, sizeof element.path, token);
    }
    return true;
}

// The index of a held texture the element refers to, or 0.
uint16_t CTexContainer::FindElement(const SElement& element)
{
    if (element.quoted)
        return FindTexturePath(element.first);
    if (uint16_t index = FindTexture(element.first))
        return index;
    // A single bare word may also be a path.
    return namedElement ? 0 : FindTexturePath(element.first);
}

uint16_t CTexContainer::ScanTexture(FILE* file, int presentation)
{
    SElement element;
    if (!ReadElement(file, element))
        return 0;
    if (uint16_t index = FindElement(element))
        return index;
    if (!element.hasDesc) {
        if (uint16_t index = FindTexturePath(element.path)) {
            if (element.name[0])
                WarningBox(&warnings, "CTexContainer::ScanTexture :\n\nTexture '", element.name,
                           "'", " have duplicate path: '", element.path, "'.", nullptr);
            return index;
        }
    }
    CEngineTex* record;
    uint16_t index = records.Add(record);
    if (!index) {
        WarningBox(&warnings, "TexContainer:  textures or surfaces limit is exceed.", nullptr);
        gExitCode = 1;
        return 0;
    }
    // Flagged at once, so a failed presentation element is released with the presentation.
    if (presentation)
        record->flags |= TEX_PRESENTATION;
    StrCopy(record->name, sizeof record->name, element.name);
    if (element.hasDesc) {
        if (surfaceElement)
            record->surface = CreateTargetByDesc(&element.desc);
        else
            record->texture = CreateTextureByDesc(&element.desc);
    } else {
        char full[FULL_PATH_SIZE];
        if (!element.path[0] || !ResolvePath(full, sizeof full, element.path, true)) {
            WarningBox(&warnings, "CTexContainer::ScanTexture: Can`t find texture: '",
                       element.path, "'.", nullptr);
            return 0;
        }
        LoadInto(*record, full, element.path);
    }
    if (record->texture) {
        CopyDescription(*record);
        return index;
    }
    if (record->surface) {
        record->surface->GetDesc(&record->desc);
        return index;
    }
    ReportFailure("CTexContainer::ScanTexture  Error:  \n",
                  "Improper params for texture or surface'", element.path, element.name);
    return 0;
}

uint16_t CTexContainer::ScanElement(FILE* file, bool surface, int presentation)
{
    namedElement = 1;
    surfaceElement = surface ? 1 : 0;
    uint16_t index = ScanTexture(file, presentation);
    namedElement = 0;
    surfaceElement = 0;
    return index;
}

void CTexContainer::ReportFailure(const char* operation, const char* improper,
                                  const char* path, const char* name)
{
    if (gTexError == TEX_MISSING)
        WarningBox(&warnings, operation, "Not found texture file '", path, "'.", nullptr);
    else
        WarningBox(&warnings, operation, improper, name, "'.", nullptr);
}
