// Shader creation: assembly files and text, and HLSL files compiled for the device's highest
// profile not above the level asked for. Every failure is reported at once and gives an
// empty pair.

#include "core/Graphics.h"

#include "core/Messages.h"
#include "core/Paths.h"
#include "core/ShaderIncludes.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char COMPILE_ENTRY[] = "Main";
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

std::string BufferText(ID3DXBuffer* buffer)
{
    if (!buffer)
        return std::string();
    const char* p = static_cast<const char*>(buffer->GetBufferPointer());
    return std::string(p, strnlen(p, buffer->GetBufferSize()));
}

// A compiler may return success with error text and unusable code; that is a failure too.
bool BuildFailed(HRESULT hr, const std::string& errors)
{
    return FAILED(hr) || errors.find("error") != std::string::npos ||
           errors.find("E50") != std::string::npos;
}

void ReportBuildError(const char* what, const char* file, ID3DXBuffer* errors,
                      const std::string& refusal)
{
    if (!refusal.empty())
        MsgBox4(what, file, ERROR_TEXT, refusal.c_str());
    else if (errors)
        MsgBox4(what, file, ERROR_TEXT, BufferText(errors).c_str());
    else
        MsgBox3(what, file, NO_ERROR_TEXT);
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

// The bytes of preprocessed text the compiler works on: blanks cost it nearly nothing, and
// the preprocessor keeps a line for every line it read, directives and skipped text included.
size_t TextBytes(const char* text, size_t size)
{
    size_t bytes = 0;
    for (const char* end = text + strnlen(text, size); text < end; ++text)
        bytes += !strchr(" \t\r\n\v\f", *text);
    return bytes;
}

template <class T>
void ReleaseIf(T* p)
{
    if (p)
        p->Release();
}

// Makes the shader from compiled or assembled code; the code is released in every case.
ShaderPair CreateFromCode(ID3DXBuffer* code, bool pixel, int level)
{
    ShaderPair pair = {};
    const DWORD* words = static_cast<const DWORD*>(code->GetBufferPointer());
    HRESULT hr = pixel ? Device3D->CreatePixelShader(words, &pair.ps)
                       : Device3D->CreateVertexShader(words, &pair.vs);
    code->Release();
    if (FAILED(hr))
        return ShaderPair{};
    pair.level = level;
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
    if (shaderBudget.Spent())
        return ShaderPair{};  // said when it was spent
    FILE* f = OpenDataFile(file, "r");
    if (!f) {
        MsgBox2(MISSING_FILE, file);
        return ShaderPair{};
    }
    char word[32] = "";
    if (fscanf(f, "%31s", word) != 1)
        word[0] = 0;
    fclose(f);
    int level = GetShaderLevel(word);

    // The file is read, measured and weighed first, as an include is. Assembly is one pass
    // over its text, which the preprocessing budget bounds: the build itself weighs the least.
    ID3DXBuffer *code = nullptr, *errors = nullptr;
    CShaderIncludes includes(file, shaderBudget, nullptr);
    const void* text = nullptr;
    UINT bytes = 0;
    HRESULT hr = includes.OpenMain(&text, &bytes);
    if (SUCCEEDED(hr)) {
        includes.Close(text);
        if (includes.TakeCompiling(0))
            hr = D3DXAssembleShaderFromFileA(file, nullptr, &includes, 0, &code, &errors);
    }
    if (!includes.Refusal().empty() || BuildFailed(hr, BufferText(errors))) {
        ReportBuildError(pixel ? "Can`t assemble pixel shader..  "
                               : "Can`t assemble vertex shader..  ",
                         file, errors, includes.Refusal());
        ReleaseIf(errors);
        ReleaseIf(code);
        return ShaderPair{};
    }
    ReleaseIf(errors);
    ShaderPair pair = CreateFromCode(code, pixel, level);
    if (!pair.vs)
        MsgBox2(pixel ? "Can`t create pixel shader from file..  " : "Can`t create vertex shader.. ",
                file);
    return pair;
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
    std::string errorText = BufferText(errors);
    ReleaseIf(errors);
    if (BuildFailed(hr, errorText)) {
        MsgBox3(STRING_ASSEMBLE_FAILED, errorText.empty() ? nullptr : "\n\nError:  ",
                errorText.c_str());
        ReleaseIf(code);
        return ShaderPair{};
    }
    ShaderPair pair = CreateFromCode(code, false, level);
    if (!pair.vs)
        MsgBox("Can`t create vertex shader by string.");
    return pair;
}

ShaderPair CGraphics::CompileShader(const char* file, int level, const D3DXMACRO* macros,
                                    DWORD flags, bool pixel)
{
    // Once a start's shader work is spent, nothing more is opened, nor said: a family of
    // thousands of variants ends at once.
    if (shaderBudget.Spent())
        return ShaderPair{};
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
    const char* profile = level >= 0 && level < SHADER_LEVEL_SLOTS ? profiles[level] : "";

    // Preprocessed first, through the include handler that bounds what it reads and what its
    // macros may write, so that the compiler's text is measured before the compiler gets it.
    // The compiler then reads the same texts again from the handler, so that its messages
    // name the files and lines the author wrote.
    ID3DXBuffer *source = nullptr, *code = nullptr, *errors = nullptr;
    CShaderIncludes includes(file, shaderBudget, macros);
    const void* text = nullptr;
    UINT bytes = 0;
    HRESULT hr = includes.OpenMain(&text, &bytes);
    if (SUCCEEDED(hr)) {
        hr = D3DXPreprocessShader(static_cast<const char*>(text), bytes, macros, &includes, &source,
                                  &errors);
        includes.Close(text);
    }
    if (includes.Refusal().empty() && source && !BuildFailed(hr, BufferText(errors))) {
        const size_t size = TextBytes(static_cast<const char*>(source->GetBufferPointer()),
                                      source->GetBufferSize());
        if (includes.TakeCompiling(size)) {
            ReleaseIf(errors);
            errors = nullptr;
            hr = D3DXCompileShaderFromFileA(file, macros, &includes, COMPILE_ENTRY, profile,
                                            pixel ? flags : 0, &code, &errors, nullptr);
        }
    } else if (SUCCEEDED(hr) && !source) {
        hr = E_FAIL;
    }
    ReleaseIf(source);
    if (!includes.Refusal().empty() || BuildFailed(hr, BufferText(errors))) {
        ReportBuildError("Can`t compile HLSL shader..  ", file, errors, includes.Refusal());
        ReleaseIf(errors);
        ReleaseIf(code);
        return ShaderPair{};
    }
    ReleaseIf(errors);
    ShaderPair pair = CreateFromCode(code, pixel, level);
    if (!pair.vs)
        MsgBox2(pixel ? "Can`t create pixel shader from HLSL file..  "
                      : "Can`t create vertex shader from HLSL file..  ",
                file);
    return pair;
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
