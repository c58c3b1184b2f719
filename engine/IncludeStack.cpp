#include "engine/IncludeStack.h"

#include "core/Paths.h"

CIncludeStack::EPush CIncludeStack::Push(const char* path)
{
    const std::wstring full = WideFullPath(path);
    std::string key = FileKey(full);
    if (files.empty()) pushed = 0;
    for (const SFile& open : files)
        if (open.key == key) return INCLUDES_ITSELF;
    if (files.size() >= MAX_FILE_NESTING) return TOO_DEEP;
    if (pushed >= MAX_FILES_READ) return pushed++ == MAX_FILES_READ ? TOO_MANY : CUT;
    ++pushed;
    char spelled[1024];
    SpelledFullPath(spelled, sizeof spelled, path, full);
    files.push_back({spelled, std::move(key)});
    return PUSHED;
}
