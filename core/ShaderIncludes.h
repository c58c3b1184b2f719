#pragma once
// CShaderIncludes: the files of one shader as the preprocessor gets them. Each file is opened
// as every file named by data is (a device name is refused, so no include waits on a port),
// relative to the folder of the file that includes it, and read from disk once: a reopen
// hands out the same text again. A file counts once however it is named: by its full path,
// compared without regard to case. A file may be open twice on the chain (a header guarded
// against its own inclusion is opened again and found empty). A chain too deep, too many
// opens, too much distinct text and a file that cannot be a shader are refused; the first
// refusal fails the shader: nothing more is opened for it. What the preprocessor and the
// compiler then make of the texts costs time and memory no look at them foretells: the
// building process bounds those (CShaderBuilder).

#include "core/GraphicsTypes.h"

#include <map>
#include <string>
#include <vector>

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

    explicit CShaderIncludes(const char* file) : file_(file) {}

    HRESULT WINAPI Open(D3DXINCLUDE_TYPE, const char* name, const void* parent, const void** data,
                        UINT* bytes) override;
    HRESULT WINAPI Close(const void* data) override;

    // Why the shader failed on one of its files; empty when none was refused.
    const std::string& Refusal() const { return refusal_; }

private:
    struct SFile {
        std::string path;  // as named, for the messages and for the files it includes
        std::string text;
    };

    std::string PathOf(const char* name, const void* parent) const;
    HRESULT Refuse(const std::string& path, const char* why);

    std::string file_;
    std::map<std::string, SFile> files_;  // by key; stable: the compiler holds the texts
    std::vector<const SFile*> chain_;     // the open files, outermost first
    int opens_ = 0;
    size_t distinct_ = 0;  // bytes of the different files read
    std::string refusal_;
};
