#include "core/IncludeStack.h"

#include "core/Strings.h"

#include <windows.h>

CIncludeStack::EPush CIncludeStack::Push(const char* path)
{
    char full[1024];
    const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) StrCopy(full, sizeof full, path);
    for (const std::string& open : files)
        if (_stricmp(open.c_str(), full) == 0) return INCLUDES_ITSELF;
    if (files.size() >= maxDepth) return TOO_DEEP;
    files.push_back(full);
    return PUSHED;
}
