#pragma once
// CShaderIncludes: the files of one shader as the preprocessor gets them, its own file first.
// Each file is opened as every file named by data is (a device name is refused, so no include
// waits on a port), relative to the folder of the file that includes it, and read from disk
// once: a reopen hands out the same text again. A file counts once however it is named: by
// its full path, compared without regard to case. A file may be open twice on the chain (a
// header guarded against its own inclusion is opened again and found empty). A chain too
// deep, too many opens, too much distinct text and a file that cannot be a shader are
// refused, and so is a file that uses a macro within its own expansion (this platform's
// preprocessor never ends on one); every open takes its work from the start's CShaderBudget (the text, what its
// macros may write, and, when it brings new macros, the files still open, which now may
// expand more). The first refusal fails the shader: nothing more is opened for it.

#include "core/GraphicsTypes.h"
#include "core/ShaderMacros.h"

#include <map>
#include <string>
#include <vector>

class CShaderBudget;

class CShaderIncludes : public ID3DXInclude {
public:
    // Hand-written shader sources are a few kilobytes: a megabyte holds any shader with all
    // its includes (each file counted once, however often it is opened), yet a binary or
    // data file named by mistake is refused before it is read.
    static constexpr size_t MAX_TEXT = 1 << 20;
    // Shader includes nest a few levels; a chain of 32 is far beyond any real one, and it is
    // what stops a file that includes itself without a guard.
    static constexpr size_t MAX_NESTING = 32;
    // A guarded header is opened again at every include of it, so a shader may open a few
    // hundred files; a chain that includes the next file twice at each level would open
    // billions of them (empty files cost no text).
    static constexpr int MAX_OPENS = 2048;

    // macros: the list the shader is built with, or null.
    CShaderIncludes(const char* file, CShaderBudget& budget, const D3DXMACRO* macros);

    // The shader's own file, read, counted and weighed as an include is. E_FAIL when it is
    // gone or refused (Refusal says why).
    HRESULT OpenMain(const void** data, UINT* bytes);
    HRESULT WINAPI Open(D3DXINCLUDE_TYPE, const char* name, const void* parent, const void** data,
                        UINT* bytes) override;
    HRESULT WINAPI Close(const void* data) override;

    // Before the shader's text (sourceBytes of it, blanks not counted) goes to the compiler:
    // false, with Refusal set, when it is more than one shader may hand it or than the start
    // has left.
    bool TakeCompiling(size_t sourceBytes);

    // Why the shader failed on one of its files; empty when none was refused.
    const std::string& Refusal() const { return refusal_; }

private:
    struct SFile {
        std::string path;  // as named, for the messages and for the files it includes
        std::string text;
        int weighedAt = -1;  // the macros' generation the weight was taken at
        uint64_t weight = 0;
        bool recursive = false;
    };

    HRESULT Hand(const std::string& path, const void** data, UINT* bytes);
    std::string PathOf(const char* name, const void* parent) const;
    // What expanding the file may write, taken again when new macros came since.
    uint64_t Weight(SFile& file);
    HRESULT Refuse(const std::string& path, const char* why);

    std::string file_;
    CShaderBudget& budget_;
    CShaderMacros macros_;
    std::map<std::string, SFile> files_;  // by key; stable: the compiler holds the texts
    std::vector<SFile*> chain_;           // the open files, the shader's own first
    int opens_ = 0;
    size_t distinct_ = 0;  // bytes of the different files read
    std::string refusal_;
};
