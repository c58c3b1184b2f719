#include "core/ShaderIncludes.h"

#include "core/Paths.h"
#include "core/ShaderBudget.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <io.h>
#include <iterator>

namespace {

uint64_t Plus(uint64_t a, uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

// Reads a whole shader text of at most room bytes; the reason when the file cannot be one.
// The length is checked first and again while reading (a file may not tell its length).
const char* ReadShaderText(FILE* f, size_t room, std::string& text)
{
    const char* const tooLarge = "' takes the shader past 1048576 bytes.";
    static_assert(CShaderIncludes::MAX_TEXT == 1048576, "the message names the limit");
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

// One file however it is named: its full path ("..", "." and separators resolved) in upper
// case, as Windows compares names.
std::string FileKey(const std::string& path)
{
    char full[MAX_PATH * 4];
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    const std::string resolved = n > 0 && n < sizeof full ? std::string(full, n) : path;
    const int wide = MultiByteToWideChar(CP_ACP, 0, resolved.data(), int(resolved.size()), nullptr, 0);
    if (wide <= 0)
        return resolved;
    std::wstring name(size_t(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, resolved.data(), int(resolved.size()), &name[0], wide);
    CharUpperBuffW(&name[0], DWORD(name.size()));
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, name.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string key(size_t(std::max(bytes, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, name.data(), wide, &key[0], bytes, nullptr, nullptr);
    return key;
}

} // namespace

CShaderIncludes::CShaderIncludes(const char* file, CShaderBudget& budget, const D3DXMACRO* macros)
    : file_(file), budget_(budget)
{
    for (const D3DXMACRO* m = macros; m && m->Name; ++m)
        macros_.DefineValue(m->Name, m->Definition);
}

HRESULT CShaderIncludes::OpenMain(const void** data, UINT* bytes)
{
    return Hand(file_, data, bytes);
}

HRESULT WINAPI CShaderIncludes::Open(D3DXINCLUDE_TYPE, const char* name, const void* parent,
                                     const void** data, UINT* bytes)
{
    if (!name || !data || !bytes)
        return E_INVALIDARG;
    return Hand(PathOf(name, parent), data, bytes);
}

// Files close innermost first: the search starts at the end (the same text may be open more
// than once on the chain).
HRESULT WINAPI CShaderIncludes::Close(const void* data)
{
    for (auto f = chain_.rbegin(); f != chain_.rend(); ++f)
        if ((*f)->text.data() == data) {
            chain_.erase(std::next(f).base());
            break;
        }
    return S_OK;
}

HRESULT CShaderIncludes::Hand(const std::string& path, const void** data, UINT* bytes)
{
    if (!refusal_.empty())
        return E_FAIL;
    if (chain_.size() >= MAX_NESTING) {
        refusal_ = "Shader files are nested too deep at '" + path + "'.";
        return E_FAIL;
    }
    if (++opens_ > MAX_OPENS) {
        static_assert(MAX_OPENS == 2048, "the message names the limit");
        return Refuse(path, "' takes the shader past 2048 opened files.");
    }
    const std::string key = FileKey(path);
    auto known = files_.find(key);
    bool newMacros = false;
    if (known == files_.end()) {
        FILE* f = OpenDataFile(path.c_str(), "rb");
        if (!f)
            return E_FAIL;
        std::string text;
        const char* why = ReadShaderText(f, MAX_TEXT - distinct_, text);
        fclose(f);
        if (why)
            return Refuse(path, why);
        distinct_ += text.size();
        known = files_.emplace(key, SFile{path, std::move(text)}).first;
        newMacros = macros_.Define(known->second.text);
    }
    SFile& file = known->second;
    const uint64_t workBefore = macros_.Work();
    uint64_t work = Plus(file.text.size(), Weight(file));
    const SFile* recursive = file.recursive ? &file : nullptr;
    if (newMacros)  // the files still open may expand more now
        for (SFile* open : chain_) {
            work = Plus(work, Weight(*open));
            if (!recursive && open->recursive)
                recursive = open;
        }
    work = Plus(work, macros_.Work() - workBefore);
    if (recursive)
        return Refuse(recursive->path, "' uses a macro within its own expansion.");
    if (const char* why = budget_.TakePreprocessing(work))
        return Refuse(path, why);
    chain_.push_back(&file);
    *data = file.text.data();
    *bytes = UINT(file.text.size());
    return S_OK;
}

std::string CShaderIncludes::PathOf(const char* name, const void* parent) const
{
    if ((!parent && file_ == name) || IsAbsolutePath(name) || IsPathSeparator(name[0]))
        return name;
    std::string from = file_;
    for (const SFile* f : chain_)
        if (f->text.data() == parent)
            from = f->path;
    return from.substr(0, from.find_last_of("\\/") + 1) + name;
}

uint64_t CShaderIncludes::Weight(SFile& file)
{
    if (file.weighedAt != macros_.Generation()) {
        file.weight = macros_.Weigh(file.text, &file.recursive);
        file.weighedAt = macros_.Generation();
    }
    return file.weight;
}

bool CShaderIncludes::TakeCompiling(size_t sourceBytes)
{
    const char* why = budget_.CheckSource(sourceBytes);
    if (!why)
        why = budget_.TakeCompiling(sourceBytes);
    if (why)
        Refuse(file_, why);
    return !why;
}

HRESULT CShaderIncludes::Refuse(const std::string& path, const char* why)
{
    refusal_ = "Shader file '" + path + why;
    return E_FAIL;
}
