#include "engine/ResourceScan.h"

#include "engine/UnitInspector.h"

#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/UsageParams.h"
#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "engine/MeshContainer.h"
#include "engine/ShaderContainer.h"
#include "engine/UnitInspector.h"
#include "scene/ParticleSystems.h"
#include "scene/Renderer.h"

#include <cstring>
#include <iterator>
#include <string>

namespace {

struct SWordBits {
    const char* word;
    uint32_t bits;
};

const SWordBits FVF_WORDS[] = {
    {"xyz", 0x2},    {"normal", 0x10}, {"diffuse", 0x40}, {"specular", 0x80}, {"uv0", 0x100},
    {"uv1", 0x200},  {"xyzw", 0x4},    {"bone", 0x1000},  {"weight", 0x8},
};
static_assert(std::size(FVF_WORDS) == 9, "vertex-format words");

// Where a named constant's data lives; null while its owner does not exist yet.
using ConstantData = const void* (*)();

template <auto Member>
const void* RendererData()
{
    return gRenderer ? static_cast<const void*>(&(gRenderer->*Member)) : nullptr;
}

template <auto Member>
const void* EngineData()
{
    return gEngine ? static_cast<const void*>(&(gEngine->*Member)) : nullptr;
}

const void* FirstDiffuseLightVector()
{
    return gRenderer ? static_cast<const void*>(&gRenderer->diffuseLights[0].vector) : nullptr;
}

struct SShaderConstant {
    const char* name;
    uint32_t result;
    ConstantData data;
};

// The per-object sources resolve to the renderer's pointer that moves per drawn object.
const SShaderConstant SHADER_CONSTANTS[] = {
    {"mWorld", SHADER_CONST_PER_OBJECT, RendererData<&CRenderer::mWorld>},
    {"mView", 0, RendererData<&CRenderer::mView>},
    {"mWorldView", 0, RendererData<&CRenderer::mWorldView>},
    {"mProj", 0, RendererData<&CRenderer::mProj>},
    {"mViewProj", 0, RendererData<&CRenderer::mViewProj>},
    {"mWorldViewProj", 0, RendererData<&CRenderer::mWorldViewProj>},
    {"mMirror", 0, RendererData<&CRenderer::mMirror>},
    {"mShadow", 0, RendererData<&CRenderer::mShadow>},
    {"mWorldShadow", 0, RendererData<&CRenderer::mWorldShadow>},
    {"ShadowColor", 0, RendererData<&CRenderer::ShadowColor>},
    {"ShadowClearColor", 0, RendererData<&CRenderer::ShadowClearColor>},
    {"MirrorPlane", 0, RendererData<&CRenderer::MirrorPlane>},
    {"mBones", SHADER_CONST_PER_OBJECT, RendererData<&CRenderer::mBones>},
    {"mWorlds", SHADER_CONST_PER_OBJECT, RendererData<&CRenderer::mWorlds>},
    {"Colors", SHADER_CONST_PER_OBJECT, RendererData<&CRenderer::Colors>},
    {"ClearColor", 0, RendererData<&CRenderer::ClearColor>},
    {"AnimFactor", 0, RendererData<&CRenderer::AnimFactor>},
    {"UvMulAdd", 0, RendererData<&CRenderer::UvMulAdd>},
    {"AirFog", 0, EngineData<&CEngine::airFog>},
    {"WaterFog", 0, EngineData<&CEngine::waterFog>},
    {"LocalCamPos", 0, RendererData<&CRenderer::LocalCamPos>},
    {"LocalCamDir", 0, RendererData<&CRenderer::LocalCamDir>},
    {"DiffuseLights", 0, RendererData<&CRenderer::diffuseLights>},
    {"SpecularLights", 0, RendererData<&CRenderer::specularLights>},
    {"LocalLigthDir", 0, FirstDiffuseLightVector},
};
static_assert(std::size(SHADER_CONSTANTS) == 25, "named constant sources");

// "Prefix::Param": the parameter begins two characters after the first ":"; fewer than
// two characters there leave it empty.
const char* ParamAfterPrefix(const char* colon) { return strlen(colon + 1) >= 2 ? colon + 2 : ""; }

bool IsListEnd(const char* word) { return !word[0] || strcmp(word, "]") == 0; }

int32_t ReadInt(FILE* file)
{
    int32_t value = 0;
    Core::fscan_int(file, &value);
    return value;
}

struct SUsageWord {
    const char* word;
    void (*apply)(SUsageParams&, FILE*);
};

const SUsageWord USAGE_WORDS[] = {
    {"pool_default", [](SUsageParams& u, FILE*) { u.pool = 0; }},
    {"pool_managed", [](SUsageParams& u, FILE*) { u.pool = 1; }},
    {"pool_sysmem", [](SUsageParams& u, FILE*) { u.pool = 2; }},
    {"sys_if_vs", [](SUsageParams& u, FILE* f) { u.sysIfVs = ReadInt(f); }},
    {"dynamic", [](SUsageParams& u, FILE*) { u.usage |= D3DUSAGE_DYNAMIC; }},
    {"render_target",
     [](SUsageParams& u, FILE*) {
         u.usage |= D3DUSAGE_RENDERTARGET;
         u.pool = 0;
     }},
    {"cube", [](SUsageParams& u, FILE*) { u.cube = 1; }},
    {"bone_byte:", [](SUsageParams& u, FILE* f) { u.boneByte = ReadInt(f); }},
    {"bweight_byte:", [](SUsageParams& u, FILE* f) { u.weightByte = ReadInt(f); }},
    {"world_byte:", [](SUsageParams& u, FILE* f) { u.worldByte = ReadInt(f); }},
    {"clones:", [](SUsageParams& u, FILE* f) { u.clones = ReadInt(f); }},
    {"verts:", [](SUsageParams& u, FILE* f) { u.vertices = ReadInt(f); }},
    {"prims:", [](SUsageParams& u, FILE* f) { u.primitives = ReadInt(f); }},
    {"submeshes:", [](SUsageParams& u, FILE* f) { u.submeshes = ReadInt(f); }},
};
static_assert(std::size(USAGE_WORDS) == 14, "usage words");

struct SAntialias {
    const char* word;
    D3DMULTISAMPLE_TYPE type;
};

const SAntialias ANTIALIAS_WORDS[] = {
    {"2x", D3DMULTISAMPLE_2_SAMPLES},
    {"4x", D3DMULTISAMPLE_4_SAMPLES},
    {"8x", D3DMULTISAMPLE_8_SAMPLES},
    {"16x", D3DMULTISAMPLE_16_SAMPLES},
};
static_assert(std::size(ANTIALIAS_WORDS) == 4, "antialiasing words");

} // namespace

uint32_t ScanFVF(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    uint32_t fvf = 0;
    bool known = true;
    for (Core::fscan_word(file, word); !IsListEnd(word); Core::fscan_word(file, word)) {
        const SWordBits* entry = nullptr;
        for (const SWordBits& w : FVF_WORDS)
            if (strcmp(w.word, word) == 0) entry = &w;
        if (entry) {
            fvf |= entry->bits;
        } else if (known) {
            MsgBox3("Undefine FVF '", word, "'");
            known = false;
        }
    }
    return known ? fvf : 0;
}

uint32_t ShaderConstantByName(const char* name, uintptr_t* out)
{
    if (!name || !name[0]) return 0;
    *out = 0;
    for (const SShaderConstant& constant : SHADER_CONSTANTS) {
        if (strcmp(constant.name, name) != 0) continue;
        *out = reinterpret_cast<uintptr_t>(constant.data());
        return constant.result;
    }
    const char* colon = strchr(name, ':');
    if (!colon) return 0;
    const char* param = ParamAfterPrefix(colon);
    if (!param[0]) return 0;
    const std::string prefix(name, colon);
    if (prefix == "PartSystem") {
        *out = 1;
        return gParticleSystems ? gParticleSystems->GetParamIndex(param) : 0;
    }
    if (prefix == "TEMPLATE") return gDefaultClassTemplate.ParamByName(param);
    // Class prefixes ask the prototype of the first class: of any type for "ATOM", else of
    // the type the prefix names.
    if (!gUnitInspector) return 0;
    CClassTemplate* cls = prefix == "ATOM" ? gUnitInspector->FirstTemplate()
                                           : gUnitInspector->FindTemplateByType(CUnitInspector::TypeFromKeyword(prefix.c_str()));
    return cls && cls->prototype ? cls->prototype->GetParamIndex(param) : 0;
}

uint32_t ScanUsage(FILE* file)
{
    ResetUsageParams();
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); !IsListEnd(word); Core::fscan_word(file, word)) {
        const SUsageWord* entry = nullptr;
        for (const SUsageWord& w : USAGE_WORDS)
            if (strcmp(w.word, word) == 0) entry = &w;
        if (entry)
            entry->apply(gUsageParams, file);
        else
            MsgBox3("undefine USAGE '", word, "'");
    }
    return gUsageParams.usage;
}

int ScanTextureDesc(FILE* file, D3DSURFACE_DESC* desc)
{
    desc->Format = D3DFMT_UNKNOWN;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    char word[Core::WORD_BUFFER_SIZE];
    char value[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); !IsListEnd(word); Core::fscan_word(file, word)) {
        if (strcmp(word, "format:") == 0) {
            Core::fscan_word(file, value);
            desc->Format = FindSurfaceFormat(value);
        } else if (strcmp(word, "size:") == 0) {
            int width = int(desc->Width), height = int(desc->Height);
            Core::fscan_word(file, value);
            Core::ParseSize(value, &width, &height);
            desc->Width = UINT(width);
            desc->Height = UINT(height);
        } else if (strcmp(word, "antialias:") == 0) {
            Core::fscan_word(file, value);
            for (const SAntialias& a : ANTIALIAS_WORDS)
                if (strcmp(a.word, value) == 0) desc->MultiSampleType = a.type;
        } else {
            MsgBox3("ScanTextureDesc() Error: Unknown string '", word, "' for texture desc.");
        }
    }
    return 1;
}

uint16_t FindVertexDeclaratorByName(const char* name)
{
    return gMeshContainer ? gMeshContainer->FindVertexDeclarator(name) : 0;
}

uint16_t FindVertexShaderByName(const char* name)
{
    return gIShaderContainer ? gIShaderContainer->FindVertexShader(name) : 0;
}

uint16_t FindPixelShaderByName(const char* name)
{
    return gIShaderContainer ? gIShaderContainer->FindPixelShader(name) : 0;
}
