#include "core/Paths.h"

#include "core/CodePage.h"
#include "core/Core.h"
#include "core/Scanner.h"
#include "core/Strings.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

namespace {

void ClearOut(char* out, size_t cap)
{
    if (out && cap > 0)
        out[0] = 0;
}

// Copies the first n bytes of src, cut at the capacity.
void CopyN(char* out, size_t cap, const char* src, size_t n)
{
    if (!out || cap == 0)
        return;
    n = std::min(n, cap - 1);
    memcpy(out, src, n);
    out[n] = 0;
}

const char* FileNameStart(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (IsPathSeparator(*p))
            name = p + 1;
    return name;
}

// The last "." of the file name, or the path's terminator.
const char* ExtensionStart(const char* path)
{
    const char* name = FileNameStart(path);
    const char* dot = strrchr(name, '.');
    return dot ? dot : name + strlen(name);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

void AppendPaddedNumber(char* out, size_t cap, int number, int width)
{
    char digits[48];
    snprintf(digits, sizeof digits, "%0*d", width, number);
    StrAppend(out, cap, digits);
}

size_t BaseDirCommonLength(const char* path)
{
    size_t n = 0;
    while (path[n] && gBaseDir[n] &&
           LowerChar1251((unsigned char)path[n]) == LowerChar1251((unsigned char)gBaseDir[n]))
        ++n;
    return n;
}

// The pattern is the folder, "\\" and the mask with "*." in front of a bare extension:
// "tga", ".tga", "*tga" and "*.tga" all give "*.tga"; "" and "*" give "*.".
std::string SearchPattern(const char* directory, const char* mask)
{
    std::string pattern = directory;
    if (!pattern.empty() && !IsPathSeparator(pattern.back()))
        pattern += '\\';
    if (!mask)
        mask = "";
    if (*mask == '*')
        ++mask;
    pattern += *mask == '.' ? "*" : "*.";
    pattern += mask;
    return pattern;
}

} // namespace

bool IsPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool AddTrailingSlash(char* path, size_t cap)
{
    if (!path || cap == 0)
        return false;
    size_t len = strnlen(path, cap);
    if (len == cap)
        return false;
    if (len > 0 && path[len - 1] == '\\')
        return true;
    if (len > 0 && path[len - 1] == '/') {
        path[len - 1] = '\\';
        return true;
    }
    return StrAppend(path, cap, "\\");
}

void ExtractFilePath(char* out, size_t cap, const char* path)
{
    ClearOut(out, cap);
    if (!path)
        return;
    const char* name = FileNameStart(path);
    // A lone leading separator is not a folder part.
    if (name - path > 1)
        CopyN(out, cap, path, size_t(name - path));
}

void ExtractFileName(char* out, size_t cap, const char* path)
{
    StrCopy(out, cap, path ? FileNameStart(path) : nullptr);
}

void ExtractFileTitle(char* out, size_t cap, const char* path)
{
    ClearOut(out, cap);
    if (!path)
        return;
    const char* name = FileNameStart(path);
    const char* end = ExtensionStart(path);
    if (end == name)
        end = name + strlen(name);
    CopyN(out, cap, name, size_t(end - name));
}

void ExtractFileExt(char* out, size_t cap, const char* path)
{
    StrCopy(out, cap, path ? ExtensionStart(path) : nullptr);
}

bool IsAbsolutePath(const char* path)
{
    return path && path[0] && path[1] == ':' && IsPathSeparator(path[2]);
}

bool IsDevicePath(const char* path)
{
    if (!path)
        return false;
    if ((path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') && (path[2] == '.' || path[2] == '?'))
        return true;
    // The last part up to its first "." or ":", blanks at its end dropped, in capitals.
    const char* name = FileNameStart(path);
    if (name == path && path[0] && path[1] == ':')
        name = path + 2;
    std::string base(name, strcspn(name, ".:"));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = char(UpperChar1251(uint8_t(c)));
    static const char* const DEVICES[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    static_assert(std::size(DEVICES) == 6, "device names");
    for (const char* device : DEVICES)
        if (base == device)
            return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

FILE* OpenDataFile(const char* path, const char* mode)
{
    return path && !IsDevicePath(path) ? fopen(path, mode) : nullptr;
}

bool FileExists(const char* path)
{
    if (!path || !*path)
        return false;
    FILE* f = OpenDataFile(path, "rb");
    if (!f)
        return false;
    fclose(f);
    return true;
}

void MakeFullPath(char* out, size_t cap, const char* name)
{
    if (StrCopy(out, cap, gBaseDir))
        StrAppend(out, cap, name);
}

void ScanFullPath(FILE* file, char* out, size_t cap)
{
    char name[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(file, name);
    MakeFullPath(out, cap, name);
}

std::wstring WideFullPath(const char* path)
{
    const std::wstring named = Widen(CP_ACP, path ? path : "");
    std::wstring full(named.size() + MAX_PATH, L'\0');
    DWORD n = GetFullPathNameW(named.c_str(), DWORD(full.size()), &full[0], nullptr);
    if (n >= full.size()) {  // the size it needs, terminator included
        full.resize(n);
        n = GetFullPathNameW(named.c_str(), n, &full[0], nullptr);
    }
    if (n == 0 || n >= full.size())
        return named;
    full.resize(n);
    return full;
}

std::string FileKey(std::wstring fullPath)
{
    CharUpperBuffW(&fullPath[0], DWORD(fullPath.size()));
    return Narrow(CP_UTF8, fullPath);
}

bool SpelledFullPath(char* out, size_t cap, const char* path, const std::wstring& fullPath)
{
    std::string spelled;
    const bool exact = NarrowExactly(CP_ACP, fullPath, spelled) && spelled.size() < cap;
    StrCopy(out, cap, exact ? spelled.c_str() : path);
    return exact;
}

int SplitString(char* out, size_t cap, const char* text, const char* separator)
{
    if (!out || !text || !separator)
        return -1;
    ClearOut(out, cap);
    const char* at = strstr(text, separator);
    if (!at)
        return -2;
    CopyN(out, cap, text, size_t(at - text));
    return 0;
}

int SplitStringAfter(char* out, size_t cap, const char* text, const char* separator)
{
    if (!out || !text || !separator)
        return -1;
    ClearOut(out, cap);
    const char* at = strstr(text, separator);
    if (!at)
        return -2;
    const char* rest = at + strlen(separator);
    if (IsPathSeparator(*rest))
        ++rest;
    StrCopy(out, cap, rest);
    return 0;
}

int MakeNumberedFileName(char* out, size_t cap, const char* path, int number)
{
    ClearOut(out, cap);
    if (!path)
        return -1;
    const char* ext = ExtensionStart(path);
    const char* last = ext - 1;
    while (last >= path && !IsDigit(*last))
        --last;
    if (last < path)
        return -1;
    const char* first = last;
    while (first > path && IsDigit(first[-1]))
        --first;
    if (first == path)
        return -2;
    CopyN(out, cap, path, size_t(first - path));
    AppendPaddedNumber(out, cap, number, int(last - first + 1));
    StrAppend(out, cap, ext);
    return 0;
}

void MakeNumberedName(char* out, size_t cap, const char* prefix, const char* modelPath,
                      int number, int width)
{
    if (!StrCopy(out, cap, prefix) || !modelPath)
        return;
    const char* ext = ExtensionStart(modelPath);
    size_t len = strlen(out);
    CopyN(out + len, cap - len, modelPath, size_t(ext - modelPath));
    AppendPaddedNumber(out, cap, number, std::clamp(width, 0, 7));
    StrAppend(out, cap, ext);
}

void StripBaseDir(char* out, size_t cap, const char* path)
{
    StrCopy(out, cap, path ? path + BaseDirCommonLength(path) : nullptr);
}

void MakeRelativePath(char* out, size_t cap, const char* path)
{
    StripBaseDir(out, cap, path);
    if (!out || cap == 0)
        return;
    char* dot = strrchr(out, '.');
    if (!dot)
        return;
    // Keep the folder part of a file name: cut after the separator before the last ".".
    for (char* p = dot; p > out; --p)
        if (IsPathSeparator(p[-1])) {
            *p = 0;
            return;
        }
}

int ListFiles(const char* directory, const char* mask, char (*out)[LIST_FILE_NAME_SIZE],
              int maxEntries)
{
    if (!directory)
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(SearchPattern(directory, mask).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        if (out) {
            if (count >= maxEntries)
                break;
            StrCopy(out[count], LIST_FILE_NAME_SIZE, found.cFileName);
        }
        ++count;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return count;
}
