#pragma once
// Script files for the reader tests: written into a fresh temp folder and opened there.

#include "tests/support/Harness.h"

#include "core/Core.h"

#include <cstdio>
#include <string>

namespace scripts {

// A folder of script files; paths are full, so no test changes the current directory.
class ScriptDir {
public:
    explicit ScriptDir(const std::string& name) : dir_(test::TempDir(name)) {}
    std::string Write(const std::string& file, const std::string& text) const
    {
        const std::string path = Path(file);
        test::WriteFile(path, text);
        return path;
    }
    std::string Path(const std::string& file) const { return dir_ + "\\" + file; }

private:
    std::string dir_;
};

// An open file holding text, closed at the end of the scope.
class TextFile {
public:
    TextFile(const std::string& name, const std::string& text)
    {
        const std::string path = ScriptDir("file_" + name).Write("text.txt", text);
        file_ = fopen(path.c_str(), "r");
    }
    ~TextFile()
    {
        if (file_) fclose(file_);
    }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    operator FILE*() const { return file_; }

private:
    FILE* file_ = nullptr;
};

// The exit request is process-wide: every test that may set it clears it on the way out.
struct ExitCodeGuard {
    ExitCodeGuard() { gExitCode = 0; }
    ~ExitCodeGuard() { gExitCode = 0; }
};

} // namespace scripts
