#pragma once
// The files a reader has open, one inside the other, outermost first, told apart by full path
// however they are named (kept as named where the system's code page cannot spell that), and
// the count of files the outermost one has pulled in so far. Push refuses a file that is open
// already (it would include itself), nesting deeper than MAX_FILE_NESTING and, once the
// outermost file has pulled in MAX_FILES_READ files, every further one: a file that reads the
// next one twice at every level would otherwise keep start-up busy for good. The caller says
// why; the first refusal for that count is TOO_MANY, the ones after it CUT, so it is said
// once. Scripts and presentation files share it.

#include <cstddef>
#include <string>
#include <vector>

constexpr size_t MAX_FILE_NESTING = 128;
constexpr size_t MAX_FILES_READ = 1024;

class CIncludeStack {
public:
    enum EPush { PUSHED, INCLUDES_ITSELF, TOO_DEEP, TOO_MANY, CUT };

    EPush Push(const char* path);
    void Pop() { files.pop_back(); }
    void Clear()
    {
        files.clear();
        pushed = 0;
    }
    bool Empty() const { return files.empty(); }
    size_t Depth() const { return files.size(); }
    // The innermost file's full path, or its path as named; null when none is open.
    const char* Current() const { return files.empty() ? nullptr : files.back().path.c_str(); }

private:
    struct SFile {
        std::string path;  // to open it and name files beside it
        std::string key;   // the same for every name of the file
    };
    size_t pushed = 0;  // files taken since the outermost one, itself included
    std::vector<SFile> files;
};
