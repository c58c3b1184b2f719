// Shader creation: assembly files and text, and HLSL files compiled for the device's highest
// profile not above the level asked for. Every failure is reported at once and gives an
// empty pair.

#include "core/Graphics.h"

#include "core/Messages.h"
#include "core/Paths.h"

#include <cstdio>
#include <cstring>
#include <io.h>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

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

// Hand-written shader sources are a few kilobytes: a megabyte holds any shader with all its
// includes (each file counted once, however often it is opened), yet a binary or data file
// named by mistake is refused before it is read.
constexpr size_t MAX_SHADER_TEXT = 1 << 20;
// Shader includes nest a few levels; a chain of 32 is far beyond any real one, and it is what
// stops a file that includes itself without a guard.
constexpr size_t MAX_SHADER_NESTING = 32;
// A guarded header is opened again at every include of it, so a shader may open a few hundred
// files; each open costs the preprocessor a pass, and a chain that includes the next file
// twice at each level would open billions of them (empty files cost no text).
constexpr int MAX_SHADER_OPENS = 2048;
// A file's text counts once against MAX_SHADER_TEXT, yet the preprocessor reads it again at
// every reopen, even guarded out (10 to 50 ms a megabyte under Wine): 2048 reopens of a large
// header would keep it busy for a minute. 32 MiB is far beyond what real shaders read, and a
// shader that reaches it fails within a second or two.
constexpr size_t MAX_SHADER_READ = size_t(32) << 20;

// Reads a whole shader text of at most room bytes; the reason when the file cannot be one.
// The length is checked first and again while reading (a file may not tell its length).
const char* ReadShaderText(FILE* f, size_t room, std::string& text)
{
    const char* const tooLarge = "' takes the shader past 1048576 bytes.";
    static_assert(MAX_SHADER_TEXT == 1048576, "the message names the limit");
    if (_filelengthi64(_fileno(f)) > static_cast<long long>(room))
        return tooLarge;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;) {
        if (memchr(chunk, 0, n))
            return "' is not text.";
        if (n > room - text.size())
            return tooLarge;
        text.append(chunk, n);
    }
    return nullptr;
}

// Opens what a shader file includes as every file named by data is opened (a device name
// is refused, so no include waits on a port), relative to the folder of the file that
// includes it. A compiler may read the main file through it too. A file may be open twice
// on the chain (a header guarded against its own inclusion is opened again and found empty);
// a chain too deep, too many opens, too much text read and a file that cannot be a shader are
// refused, and the first refusal fails the shader: nothing more is opened for it. Each file is
// read from disk once: a reopen hands out the same text again.
class CShaderIncludes : public ID3DXInclude {
public:
    explicit CShaderIncludes(const char* file) : file_(file) {}

    HRESULT WINAPI Open(D3DXINCLUDE_TYPE, const char* name, const void* parent, const void** data,
                        UINT* bytes) override
    {
        if (!name || !data || !bytes)
            return E_INVALIDARG;
        if (!refusal_.empty())
            return E_FAIL;
        const std::string path = PathOf(name, parent);
        if (files_.size() >= MAX_SHADER_NESTING) {
            refusal_ = "Shader files are nested too deep at '" + path + "'.";
            return E_FAIL;
        }
        if (++opens_ > MAX_SHADER_OPENS) {
            static_assert(MAX_SHADER_OPENS == 2048, "the message names the limit");
            refusal_ = "Shader file '" + path + "' takes the shader past 2048 opened files.";
            return E_FAIL;
        }
        auto known = texts_.find(path);
        if (known == texts_.end()) {
            FILE* f = OpenDataFile(path.c_str(), "rb");
            if (!f)
                return E_FAIL;
            std::string text;
            if (const char* why = ReadShaderText(f, MAX_SHADER_TEXT - used_, text))
                refusal_ = "Shader file '" + path + why;
            fclose(f);
            if (!refusal_.empty())
                return E_FAIL;
            used_ += text.size();
            known = texts_.emplace(path, std::move(text)).first;
        }
        const std::string& text = known->second;
        if (text.size() > MAX_SHADER_READ - read_) {
            static_assert(MAX_SHADER_READ == 33554432, "the message names the limit");
            refusal_ = "Shader file '" + path + "' takes the shader past 33554432 bytes read.";
            return E_FAIL;
        }
        read_ += text.size();
        files_.push_back(&*known);
        *data = text.data();
        *bytes = UINT(text.size());
        return S_OK;
    }

    // Files close innermost first: the search starts at the end (the same text may be open
    // more than once on the chain).
    HRESULT WINAPI Close(const void* data) override
    {
        for (auto f = files_.rbegin(); f != files_.rend(); ++f)
            if ((*f)->second.data() == data) {
                files_.erase(std::next(f).base());
                break;
            }
        return S_OK;
    }

    // Why the shader failed on one of its files; empty when none was refused.
    const std::string& Refusal() const { return refusal_; }

private:
    using SFileText = std::pair<const std::string, std::string>;  // path, text

    std::string PathOf(const char* name, const void* parent) const
    {
        if ((!parent && file_ == name) || IsAbsolutePath(name) || IsPathSeparator(name[0]))
            return name;
        std::string from = file_;
        for (const SFileText* f : files_)
            if (f->second.data() == parent)
                from = f->first;
        return from.substr(0, from.find_last_of("\\/") + 1) + name;
    }

    std::string file_;
    std::map<std::string, std::string> texts_;  // by path; stable: the compiler holds the texts
    std::vector<const SFileText*> files_;       // the open chain
    int opens_ = 0;     // files opened for the shader so far
    size_t used_ = 0;   // bytes of the different files read for the shader so far
    size_t read_ = 0;   // bytes handed to the compiler so far, every reopen counted
    std::string refusal_;
};

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

    ID3DXBuffer *code = nullptr, *errors = nullptr;
    CShaderIncludes includes(file);
    HRESULT hr = D3DXAssembleShaderFromFileA(file, nullptr, &includes, 0, &code, &errors);
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

    ID3DXBuffer *code = nullptr, *errors = nullptr;
    CShaderIncludes includes(file);
    HRESULT hr = D3DXCompileShaderFromFileA(file, macros, &includes, COMPILE_ENTRY, profile,
                                            pixel ? flags : 0, &code, &errors, nullptr);
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
