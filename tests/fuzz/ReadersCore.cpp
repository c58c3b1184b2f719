// The readers of the core: the configuration file, TGA images, "TEX " textures, image files
// of textures, WAVE files and mesh files with their skeleton blocks.

#include "tests/fuzz/Campaign.h"
#include "tests/fuzz/Readers.h"
#include "tests/fuzz/SavedValues.h"
#include "tests/fuzz/Seeds.h"

#include "core/Config.h"
#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Messages.h"
#include "core/Meshes/MeshReader.h"
#include "core/Program.h"
#include "core/Textures.h"
#include "core/Tga.h"
#include "core/UsageParams.h"
#include "core/WaveFile.h"
#include "gui/WinSuperior.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

namespace fuzz {

namespace {


// ---- Configuration ----

// What the configuration reader writes outside the core's and the device's settings.
CSavedValues gConfigDefaults;

bool ConfigSetUp()
{
    gConfigDefaults = CSavedValues();
    gConfigDefaults.Take(&gWinSuperior.hintBackColor);
    gConfigDefaults.Take(&gWinSuperior.hintTextColor);
    gConfigDefaults.Take(&gWinSuperior.hintFontName);
    gConfigDefaults.Take(&gWinSuperior.hintFontHeight);
    gConfigDefaults.Take(&gWinSuperior.hintFontWidth);
    gConfigDefaults.Take(&gWinSuperior.hintFontOptions);
    gConfigDefaults.Take(&WIDTH_DIAGS);
    gConfigDefaults.Take(&gInput.mouseCoopFlags);
    gConfigDefaults.Take(&gInput.keyboardCoopFlags);
    return true;
}

void ReadConfig(const char* path, uint64_t)
{
    ReadApplicationConfigFrom(path);
    // Where start-up puts the window from what was read.
    const SAppWindowConfig& c = AppWindowConfig;
    for (bool windowed : {true, false})
        ComputeWindowPlacement(windowed, c.winStyle, c.left, c.top, c.width, c.height, 1280, 1024);
    ResetCoreSettings();
    gGraphics.ResetSettings();
    gConfigDefaults.Restore();
}

void ConfigSeeds(std::vector<std::string>& out)
{
    AddSampleFiles(out, "System", ".cfg");
    AddHandMadeFiles(out, "config");
}

// ---- TGA ----

volatile uint8_t gLastPixel;

void ReadTga(const char* path, uint64_t)
{
    int width = -1, height = -1;
    uint8_t* pixels = nullptr;
    if (LoadTGA(path, &width, &height, &pixels) != TGA_OK) {
        if (pixels) ReportInvalid("a refused TGA file handed out pixels");
        return;
    }
    // Only the width is limited; a file holding every row may be as tall as it likes.
    if (!pixels || width <= 0 || height <= 0 || width > TGA_MAX_SIZE)
        ReportInvalid("a loaded TGA image has no pixels or a size outside its limits");
    // The pixels are there to the last one, as the array reader takes them.
    gLastPixel = pixels[size_t(width) * size_t(height) * 4 - 1];
    delete[] pixels;
}

void TgaSeeds(std::vector<std::string>& out)
{
    AddTgaSeeds(out);
    // The smallest pictures of the sample.
    AddSampleFiles(out, "Textures\\KestrelVale", "Glass.tga");
    AddSampleFiles(out, "Textures\\KestrelVale", "Select.tga");
}

// ---- "TEX " textures ----

void ReadTex(const char* path, uint64_t variant)
{
    ResetUsageParams();
    gUsageParams.pool = variant % 2 ? D3DPOOL_SYSTEMMEM : D3DPOOL_MANAGED;
    IDirect3DTexture9* texture = nullptr;
    if (LoadGarbleTexture(path, &texture) && texture) texture->Release();
    ResetUsageParams();
}

// ---- Image files of textures, decoded by the platform ----

void ReadImage(const char* path, uint64_t variant)
{
    ResetUsageParams();
    gUsageParams.pool = variant % 2 ? D3DPOOL_SYSTEMMEM : D3DPOOL_MANAGED;
    if (IDirect3DTexture9* texture = LoadTexture(path)) texture->Release();
    ResetUsageParams();
}

void ImageSeeds(std::vector<std::string>& out)
{
    TgaSeeds(out);
    AddBmpSeeds(out);
}

// ---- WAVE ----

void ReadWave(const char* path, uint64_t)
{
    CWaveFile wave;
    if (FAILED(wave.Open(path, nullptr, WAVEFILE_READ))) return;
    if (!wave.GetFormat()) ReportInvalid("an opened WAVE file has no format");
    // The whole sound twice, as a looping buffer refills itself.
    BYTE buffer[4096];
    for (int pass = 0; pass < 2; ++pass) {
        if (wave.ResetFile() != 0) return;
        DWORD total = 0, got = 0;
        do {
            if (FAILED(wave.Read(buffer, sizeof buffer, &got))) break;
            total += got;
            if (total > wave.GetSize()) ReportInvalid("more sound data read than the file declares");
        } while (got == sizeof buffer);
    }
}

void WaveSeeds(std::vector<std::string>& out)
{
    AddWaveSeeds(out);
}

// ---- Shaders: each input an HLSL or assembly file of a start of its own, built the ways
// the program builds shaders, in the building process. The include handler runs there: a
// fault of that process is a finding, a build stopped at a limit is not. ----

MessageSink gShaderSink = nullptr;
bool gBuilderEnded = false;

int WatchShaderMessages(const char* caption, const char* text)
{
    if (text && strstr(text, "The shader builder ended"))
        gBuilderEnded = true;
    return gShaderSink ? gShaderSink(caption, text) : IDOK;
}

void ReadShader(const char* path, uint64_t variant)
{
    gGraphics.shaderBuilder.NewStart();
    gBuilderEnded = false;
    gShaderSink = SetMessageSink(WatchShaderMessages);
    ShaderPair pair;
    switch (variant % 3) {
    case 0:
        pair = gGraphics.CompileVertexShader(path, 30);
        break;
    case 1:
        pair = gGraphics.CompilePixelShaderDefine(path, 30, "LIGHTS_COUNT", int(variant >> 8 & 7), 0);
        break;
    default:
        pair = gGraphics.CreatePixelShaderFromFile(path);
    }
    gGraphics.shaderBuilder.SayUnbuilt();
    SetMessageSink(gShaderSink);
    ReleaseShaderPair(pair);
    if (gBuilderEnded)
        ReportInvalid("the shader builder ended on a fault");
}

void ShaderSeeds(std::vector<std::string>& out)
{
    for (const char* extension : {".vsh", ".psh"})
        AddSampleFiles(out, "Shaders", extension);
    AddSampleFiles(out, "System", ".hls");
}

// ---- Meshes ----

// The layouts, loader flags and usage blocks the program's callers load meshes with.
const uint32_t MESH_FORMATS[] = {
    MESH_XYZ | MESH_NORMAL | MESH_UV0,
    MESH_XYZ | MESH_BONES | MESH_WEIGHTS | MESH_NORMAL | MESH_UV0,
    MESH_XYZ | MESH_DIFFUSE | MESH_SPECULAR | MESH_UV0 | MESH_UV1,
    MESH_XYZ,
    0,
};
const int MESH_FLAGS[] = {
    0,
    LOAD_MESH_QUIET_TEXTURES,
    LOAD_MESH_BONE_SPACE,
    LOAD_MESH_FACE_MATERIALS,
    LOAD_MESH_SKIP_INDICES,
    LOAD_MESH_INDEX32 | LOAD_MESH_FACE_MATERIALS,
};

void SetMeshUsage(uint64_t variant)
{
    ResetUsageParams();
    switch (variant % 5) {
    case 1:
        gUsageParams.clones = 3;
        gUsageParams.worldByte = 12;
        break;
    case 2:
        gUsageParams.boneByte = 12;
        gUsageParams.weightByte = 16;
        break;
    case 3:
        gUsageParams.vertices = 64;
        gUsageParams.primitives = 64;
        gUsageParams.submeshes = 4;
        break;
    case 4:
        gUsageParams.pool = D3DPOOL_SYSTEMMEM;
        break;
    }
}

template <class T>
void CheckIndices(const CMesh& mesh, int64_t vertices)
{
    D3DINDEXBUFFER_DESC desc;
    void* data = nullptr;
    if (FAILED(mesh.indexBuffer->GetDesc(&desc)) || FAILED(mesh.indexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY)))
        return;
    const T* indices = static_cast<const T*>(data);
    bool outside = false;
    for (size_t i = 0; i < desc.Size / sizeof(T); ++i) outside |= int64_t(indices[i]) >= vertices;
    mesh.indexBuffer->Unlock();
    if (outside) ReportInvalid("an index of the loaded mesh names a vertex its buffer does not hold");
}

// What drawing relies on: indices inside the vertex buffer, submeshes inside the mesh,
// material numbers inside the table, bones linked inside the skeleton.
void CheckMesh(const CMesh& mesh)
{
    if (mesh.vertexBuffer && mesh.stride > 0) {
        D3DVERTEXBUFFER_DESC desc;
        mesh.vertexBuffer->GetDesc(&desc);
        // A draw names the mesh's vertices of each clone; the buffer may hold a reserve.
        const int64_t vertices =
            std::min<int64_t>(desc.Size / mesh.stride, int64_t(mesh.vertexCount) * std::max(mesh.cloneCount, 1));
        if (mesh.indexBuffer && mesh.indexSize == 2) CheckIndices<uint16_t>(mesh, vertices);
        if (mesh.indexBuffer && mesh.indexSize == 4) CheckIndices<uint32_t>(mesh, vertices);
        // An indexed submesh is drawn with its vertex range.
        for (int i = 0; mesh.indexed && i < mesh.subMeshCount; ++i) {
            const SSubMesh& sub = mesh.subMeshes[i];
            if (sub.lastVertex >= sub.firstVertex && (sub.firstVertex < 0 || sub.lastVertex >= vertices))
                ReportInvalid("a submesh names vertices outside the vertex buffer");
        }
    }
    for (int i = 0; i < mesh.primitiveMaterialCount; ++i)
        if (mesh.primitiveMaterials[i] < -1 || mesh.primitiveMaterials[i] >= mesh.materialCount)
            ReportInvalid("a primitive names a material outside the mesh's table");
    const CSkeleton& s = mesh.skeleton;
    for (int i = 0; i < s.boneCount; ++i) {
        const SBone& bone = s.bones[i];
        if (bone.master && (bone.master < s.bones || bone.master >= s.bones + s.boneCount))
            ReportInvalid("a bone's master lies outside the skeleton");
        for (int c = 0; c < bone.childCount; ++c)
            if (bone.children[c] >= s.boneCount) ReportInvalid("a bone's child lies outside the skeleton");
    }
}

void ReadMesh(const char* path, uint64_t variant)
{
    SetMeshUsage(variant);
    CMesh mesh;
    const uint32_t format = MESH_FORMATS[(variant >> 8) % std::size(MESH_FORMATS)];
    const int flags = MESH_FLAGS[(variant >> 16) % std::size(MESH_FLAGS)];
    if (LoadMesh(path, &mesh, format, flags) == 0) {
        CheckMesh(mesh);
        mesh.ComputeBoundRadius();
        mesh.DrawablePrimitives();
    }
    mesh.Release();
    ResetUsageParams();
}

void MeshSeeds(std::vector<std::string>& out)
{
    AddSampleFiles(out, "System", ".msh");
    AddSampleFiles(out, "Meshes", ".msh");
    AddHandMadeFiles(out, "meshes");
}

} // namespace

void AddCoreReaders(std::vector<SFuzzReader>& out)
{
    const size_t TEXT = 1 << 16;
    out.push_back({"config", "Application.cfg", EInputKind::Text, TEXT, 10000, ConfigSeeds, ConfigSetUp,
                   NothingToTearDown, ReadConfig, false});
    out.push_back({"tga", "input.tga", EInputKind::Binary, 1 << 15, 10000, TgaSeeds, NothingToSetUp,
                   NothingToTearDown, ReadTga, false});
    out.push_back({"tex", "input.tex", EInputKind::Binary, 1 << 13, 1000, AddTexSeeds, DeviceSetUp,
                   NothingToTearDown, ReadTex, true});
    out.push_back({"images", "input.tga", EInputKind::Binary, 1 << 15, 1000, ImageSeeds, DeviceSetUp,
                   NothingToTearDown, ReadImage, true});
    out.push_back({"wav", "input.wav", EInputKind::Binary, 1 << 12, 10000, WaveSeeds, NothingToSetUp,
                   NothingToTearDown, ReadWave, false});
    out.push_back({"shaders", "input.vsh", EInputKind::Text, TEXT, 1000, ShaderSeeds, DeviceSetUp, NothingToTearDown,
                   ReadShader, true});
    out.push_back({"meshes", "input.msh", EInputKind::Text, TEXT, 3000, MeshSeeds, DeviceSetUp, NothingToTearDown,
                   ReadMesh, true});
}

} // namespace fuzz
