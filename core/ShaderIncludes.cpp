#include "core/ShaderIncludes.h"

#include "core/Paths.h"

#include <cstdio>
#include <cstring>
#include <io.h>
#include <iterator>

namespace {

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

} // namespace

HRESULT WINAPI CShaderIncludes::Open(D3DXINCLUDE_TYPE, const char* name, const void* parent,
                                     const void** data, UINT* bytes)
{
    if (!name || !data || !bytes)
        return E_INVALIDARG;
    if (!refusal_.empty())
        return E_FAIL;
    const std::string path = PathOf(name, parent);
    if (chain_.size() >= MAX_NESTING) {
        refusal_ = "Shader files are nested too deep at '" + path + "'.";
        return E_FAIL;
    }
    if (++opens_ > MAX_OPENS) {
        static_assert(MAX_OPENS == 2048, "the message names the limit");
        return Refuse(path, "' takes the shader past 2048 opened files.");
    }
    const std::string key = FileKey(WideFullPath(path.c_str()));
    auto known = files_.find(key);
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
    }
    const SFile& file = known->second;
    chain_.push_back(&file);
    *data = file.text.data();
    *bytes = UINT(file.text.size());
    return S_OK;
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

HRESULT CShaderIncludes::Refuse(const std::string& path, const char* why)
{
    refusal_ = "Shader file '" + path + why;
    return E_FAIL;
}
