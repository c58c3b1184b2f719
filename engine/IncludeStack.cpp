#include "engine/IncludeStack.h"

#include "core/Paths.h"

CIncludeStack::EPush CIncludeStack::Push(const char* path)
{
    std::string key = FileKey(path);
    if (files.empty()) pushed = 0;
    for (const SFile& open : files)
        if (open.key == key) return INCLUDES_ITSELF;
    if (files.size() >= MAX_FILE_NESTING) return TOO_DEEP;
    if (pushed >= MAX_FILES_READ) return pushed++ == MAX_FILES_READ ? TOO_MANY : CUT;
    ++pushed;
    char full[1024];
    SpelledFullPath(full, sizeof full, path);
    files.push_back({full, std::move(key)});
    return PUSHED;
}
