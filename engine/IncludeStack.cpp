#include "engine/IncludeStack.h"

#include "core/Strings.h"

#include <windows.h>

CIncludeStack::EPush CIncludeStack::Push(const char* path)
{
    char full[1024];
    const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) StrCopy(full, sizeof full, path);
    if (files.empty()) pushed = 0;
    for (const std::string& open : files)
        if (_stricmp(open.c_str(), full) == 0) return INCLUDES_ITSELF;
    if (files.size() >= MAX_FILE_NESTING) return TOO_DEEP;
    if (pushed >= MAX_FILES_READ) return pushed++ == MAX_FILES_READ ? TOO_MANY : CUT;
    ++pushed;
    files.push_back(full);
    return PUSHED;
}
