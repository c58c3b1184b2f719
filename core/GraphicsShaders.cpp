// Shader creation: assembly files and text, and HLSL files compiled for the device's highest
// profile not above the level asked for. Every failure is reported at once and gives an
// empty pair.

#include "core/Graphics.h"

#include "core/Messages.h"
#include "core/Paths.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char NO_ERROR_TEXT[] = ". \n\n DirectX interface pError=0.";
const char ERROR_TEXT[] = ". \n\nError:  ";
const char MISSING_FILE[] = "Can`t find shader file.. ";
const char STRING_ASSEMBLE_FAILED[] = "Can`t assemble vertex shader by string.";

struct SProfileLevel {
    const char* name;
    int level;
};
const SProfileLevel PROFILE_LEVELS[] = {
    {"vs_1_1", 11}, {"vs.1.1", 11}, {"vs_2_0", 20}, {"vs_3_0", 30}, {"ps_1_1", 11},
    {"ps.1.1", 11}, {"ps_1_4", 14}, {"ps_2_0", 20}, {"ps_3_0", 30},
};
static_assert(sizeof PROFILE_LEVELS / sizeof PROFILE_LEVELS[0] == 9, "profile names");

struct SLevelStep {
    DWORD version;
    int level;
};
const SLevelStep VERTEX_LEVEL_STEPS[] = {
    {D3DVS_VERSION(1, 1), 11}, {D3DVS_VERSION(2, 0), 20}, {D3DVS_VERSION(3, 0), 30}};
static_assert(sizeof VERTEX_LEVEL_STEPS / sizeof VERTEX_LEVEL_STEPS[0] == 3, "vertex steps");

const SLevelStep PIXEL_LEVEL_STEPS[] = {
    {D3DPS_VERSION(1, 1), 11}, {D3DPS_VERSION(1, 2), 12}, {D3DPS_VERSION(1, 3), 13},
    {D3DPS_VERSION(1, 4), 14}, {D3DPS_VERSION(2, 0), 20}, {D3DPS_VERSION(3, 0), 30}};
static_assert(sizeof PIXEL_LEVEL_STEPS / sizeof PIXEL_LEVEL_STEPS[0] == 6, "pixel steps");

template <size_t N>
int LevelOf(DWORD version, int level, const SLevelStep (&steps)[N])
{
    for (const SLevelStep& s : steps)
        if (version >= s.version)
            level = s.level;
    return level;
}

// The file's first word is a shader version token ("ps_2_0", "vs.1.1").
bool StartsWithVersion(const char* file)
{
    FILE* f = OpenDataFile(file, "r");
    if (!f)
        return false;
    char word[PROFILE_NAME_SIZE] = "";
    const bool read = fscanf(f, "%31s", word) == 1;
    fclose(f);
    return read && GetShaderLevel(word) != 0;
}

// A one-macro list: the name with the value in decimal, then the terminating entry.
struct SOneMacro {
    char value[16];
    D3DXMACRO list[2];
    SOneMacro(const char* name, int v)
    {
        snprintf(value, sizeof value, "%d", v);
        list[0] = {name, value};
        list[1] = {nullptr, nullptr};
    }
};

template <class T>
void ReleaseIf(T* p)
{
    if (p)
        p->Release();
}

// Makes the shader from compiled or assembled code.
ShaderPair CreateFromCode(const void* code, bool pixel, int level)
{
    ShaderPair pair = {};
    const DWORD* words = static_cast<const DWORD*>(code);
    HRESULT hr = pixel ? Device3D->CreatePixelShader(words, &pair.ps)
                       : Device3D->CreateVertexShader(words, &pair.vs);
    if (FAILED(hr))
        return ShaderPair{};
    pair.level = level;
    return pair;
}

// What the building process made of a file: the shader, or the failure said and an empty
// pair. A shader left unbuilt is said for the whole start (CShaderBuilder::SayUnbuilt).
ShaderPair MakeBuilt(CShaderBuilder& builder, const SShaderJob& job, bool pixel, int level,
                     const char* failed, const char* notMade)
{
    SShaderBuilt built;
    if (!builder.Build(job, built))
        return ShaderPair{};
    if (built.failed) {
        const char* file = job.file.c_str();
        if (!built.refusal.empty())
            MsgBox4(failed, file, ERROR_TEXT, built.refusal.c_str());
        else if (!built.errors.empty())
            MsgBox4(failed, file, ERROR_TEXT, built.errors.c_str());
        else
            MsgBox3(failed, file, NO_ERROR_TEXT);
        return ShaderPair{};
    }
    const ShaderPair pair = built.code.size() >= sizeof(DWORD)
                                ? CreateFromCode(built.code.data(), pixel, level)
                                : ShaderPair{};
    if (!pair.vs)
        MsgBox2(notMade, job.file.c_str());
    return pair;
}

} // namespace

int VertexShaderLevel(DWORD version)
{
    return LevelOf(version, version == D3DVS_VERSION(1, 0) ? 10 : 0, VERTEX_LEVEL_STEPS);
}

int PixelShaderLevel(DWORD version)
{
    return LevelOf(version, 0, PIXEL_LEVEL_STEPS);
}

int GetShaderLevel(const char* profile)
{
    for (const SProfileLevel& p : PROFILE_LEVELS)
        if (!strcmp(profile, p.name))
            return p.level;
    return 0;
}

ShaderPair CGraphics::AssembleShaderFile(const char* file, bool pixel)
{
    FILE* f = OpenDataFile(file, "r");
    if (!f) {
        MsgBox2(MISSING_FILE, file);
        return ShaderPair{};
    }
    char word[32] = "";
    if (fscanf(f, "%31s", word) != 1)
        word[0] = 0;
    fclose(f);
    SShaderJob job;
    job.assemble = true;
    job.file = file;
    return MakeBuilt(shaderBuilder, job, pixel, GetShaderLevel(word),
                     pixel ? "Can`t assemble pixel shader..  " : "Can`t assemble vertex shader..  ",
                     pixel ? "Can`t create pixel shader from file..  " : "Can`t create vertex shader.. ");
}

ShaderPair CGraphics::CreatePixelShaderFromFile(const char* file)
{
    return AssembleShaderFile(file, true);
}

ShaderPair CGraphics::CreateVertexShaderFromFile(const char* file)
{
    return AssembleShaderFile(file, false);
}

ShaderPair CGraphics::CreateVertexShaderFromString(const char* text)
{
    if (!text)
        return ShaderPair{};
    int level = 0;
    if (const char* version = strstr(text, "vs")) {
        char name[7];
        size_t n = strnlen(version, 6);
        memcpy(name, version, n);
        name[n] = 0;
        level = GetShaderLevel(name);
        if (!level) {
            MsgBox3(STRING_ASSEMBLE_FAILED, "\n\nError:  unknown shader version ", name);
            return ShaderPair{};
        }
    }
    ID3DXBuffer *code = nullptr, *errors = nullptr;
    HRESULT hr = D3DXAssembleShader(text, UINT(strlen(text)), nullptr, nullptr, 0, &code, &errors);
    std::string errorText = ShaderBufferText(errors);
    ReleaseIf(errors);
    if (ShaderBuildFailed(hr, errorText)) {
        MsgBox3(STRING_ASSEMBLE_FAILED, errorText.empty() ? nullptr : "\n\nError:  ",
                errorText.c_str());
        ReleaseIf(code);
        return ShaderPair{};
    }
    ShaderPair pair = CreateFromCode(code->GetBufferPointer(), false, level);
    code->Release();
    if (!pair.vs)
        MsgBox("Can`t create vertex shader by string.");
    return pair;
}

ShaderPair CGraphics::CompileShader(const char* file, int level, const D3DXMACRO* macros,
                                    DWORD flags, bool pixel)
{
    if (!FileExists(file)) {
        MsgBox2(MISSING_FILE, file);
        return ShaderPair{};
    }
    // Shaders that sample textures are shipped in assembly, which every D3DX builds alike:
    // a file that starts with its version token is assembled at that version.
    if (StartsWithVersion(file))
        return AssembleShaderFile(file, pixel);
    int deviceLevel = pixel ? psLevel : vsLevel;
    if (level > deviceLevel)
        level = deviceLevel;
    const char(*profiles)[PROFILE_NAME_SIZE] = pixel ? psProfiles : vsProfiles;
    SShaderJob job;
    job.file = file;
    job.profile = level >= 0 && level < SHADER_LEVEL_SLOTS ? profiles[level] : "";
    job.flags = pixel ? flags : 0;
    for (const D3DXMACRO* m = macros; m && m->Name; ++m)
        job.macros.emplace_back(m->Name, m->Definition ? m->Definition : "");
    return MakeBuilt(shaderBuilder, job, pixel, level, "Can`t compile HLSL shader..  ",
                     pixel ? "Can`t create pixel shader from HLSL file..  "
                           : "Can`t create vertex shader from HLSL file..  ");
}

ShaderPair CGraphics::CompileVertexShader(const char* file, int level)
{
    return CompileShader(file, level, nullptr, 0, false);
}

ShaderPair CGraphics::CompileVertexShaderEx(const char* file, int level, const D3DXMACRO* macros)
{
    return CompileShader(file, level, macros, 0, false);
}

ShaderPair CGraphics::CompileVertexShaderDefine(const char* file, int level, const char* name,
                                                int value)
{
    SOneMacro macro(name, value);
    return CompileVertexShaderEx(file, level, macro.list);
}

ShaderPair CGraphics::CompilePixelShader(const char* file, int level, DWORD flags)
{
    return CompileShader(file, level, nullptr, flags, true);
}

ShaderPair CGraphics::CompilePixelShaderEx(const char* file, int level, const D3DXMACRO* macros,
                                           DWORD flags)
{
    return CompileShader(file, level, macros, flags, true);
}

ShaderPair CGraphics::CompilePixelShaderDefine(const char* file, int level, const char* name,
                                               int value, DWORD flags)
{
    SOneMacro macro(name, value);
    return CompilePixelShaderEx(file, level, macro.list, flags);
}
