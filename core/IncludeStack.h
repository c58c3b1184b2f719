#pragma once
// The files a reader has open, one inside the other, outermost first, kept by full path.
// Push refuses a file that is open already (it would include itself) and nesting deeper
// than the stack's bound (MAX_FILE_NESTING unless given); the caller says why. Scripts,
// presentation files and shaders share it.

#include <cstddef>
#include <string>
#include <vector>

constexpr size_t MAX_FILE_NESTING = 128;

class CIncludeStack {
public:
    enum EPush { PUSHED, INCLUDES_ITSELF, TOO_DEEP };

    explicit CIncludeStack(size_t limit = MAX_FILE_NESTING) : maxDepth(limit) {}

    EPush Push(const char* path);
    void Pop() { files.pop_back(); }
    void Clear() { files.clear(); }
    bool Empty() const { return files.empty(); }
    size_t Depth() const { return files.size(); }
    // The innermost file's full path; null when none is open.
    const char* Current() const { return files.empty() ? nullptr : files.back().c_str(); }

private:
    size_t maxDepth;
    std::vector<std::string> files;
};
