#pragma once
// File-path helpers for byte-string paths where "\" and "/" both separate folders, full
// paths against the program folder (gBaseDir), numbered file names and folder listings.
// Every function that writes a path takes the capacity of its out buffer (the array
// overloads take it from the array) and cuts a longer result at that capacity; out is
// always terminated. Misuse is reported only by the documented negative results.

#include <cstddef>
#include <cstdio>
#include <string>

bool IsPathSeparator(char c);

// Makes the path end in "\" (a final "/" becomes "\"); false when there is no room.
bool AddTrailingSlash(char* path, size_t cap);

// Up to and including the last separator; "" when there is none or it is the first byte.
void ExtractFilePath(char* out, size_t cap, const char* path);
// After the last separator (the whole path without one).
void ExtractFileName(char* out, size_t cap, const char* path);
// The file name without its extension (a leading "." of the name is kept).
void ExtractFileTitle(char* out, size_t cap, const char* path);
// From the last "." of the file name to the end; "" without one.
void ExtractFileExt(char* out, size_t cap, const char* path);

// A drive letter, ":" and a separator.
bool IsAbsolutePath(const char* path);
// True when the path names a device rather than a file: a reserved name (CON, PRN, AUX,
// NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$) as its last part, with any extension, or a
// path into the device namespace ("\\.\", "\\?\"). Opening a device may wait forever.
bool IsDevicePath(const char* path);
// fopen for a file a data file names: a device path is not opened (null).
FILE* OpenDataFile(const char* path, const char* mode);
// True when the file opens for reading (never for a device).
bool FileExists(const char* path);
// gBaseDir followed by name: the name alone when the program folder is not spelled out.
void MakeFullPath(char* out, size_t cap, const char* name);
// Reads a string with the keyword scanner and makes it a full path.
void ScanFullPath(FILE* file, char* out, size_t cap);

// The full path (".", ".." and separators resolved) of a path named in the system's code
// page, as UTF-16; the wide call takes paths of any length. The path as named when it has none.
std::wstring WideFullPath(const char* path);
// One key per file however it is named: its wide full path upper-cased as Windows compares
// names, in UTF-8.
std::string FileKey(std::wstring fullPath);
// out = the path's wide full path (fullPath) when the system's code page spells it exactly
// and it fits, else the path as named (true only in the first case). A folder whose name the
// code page has no letters for is reached only relative to the current folder: its spelling
// with substitutes names a folder that does not exist.
bool SpelledFullPath(char* out, size_t cap, const char* path, const std::wstring& fullPath);

// out = the text before the first occurrence of separator: 0; -1 for a null argument;
// -2 when the separator does not occur (out is "").
int SplitString(char* out, size_t cap, const char* text, const char* separator);
// out = the text after the first occurrence, without one "\" or "/" that follows it.
int SplitStringAfter(char* out, size_t cap, const char* text, const char* separator);

// Replaces the last digit run before the extension by number, zero-padded to the run's
// width; what stood between the run and the extension is dropped. 0; -1 when there is no
// digit; -2 when the digits start the path.
int MakeNumberedFileName(char* out, size_t cap, const char* path, int number);
// out = prefix + model path without its extension + number zero-padded to width (at most
// 7) + the model path's extension.
void MakeNumberedName(char* out, size_t cap, const char* prefix, const char* modelPath,
                      int number, int width);

// The path without its leading part shared with gBaseDir (compared in lower case).
void StripBaseDir(char* out, size_t cap, const char* path);
// As StripBaseDir, then only the folder part when the rest names a file with an extension.
void MakeRelativePath(char* out, size_t cap, const char* path);

constexpr size_t LIST_FILE_NAME_SIZE = 256;
// Lists the names in directory matching the extension mask ("tga", ".tga", "*.tga" and
// "*tga" all mean "*.tga"; "" and "*" mean "*.", the names without an extension), folders
// included. Names go to consecutive entries of out, at most maxEntries; returns how many
// were written, or with a null out how many match.
int ListFiles(const char* directory, const char* mask, char (*out)[LIST_FILE_NAME_SIZE],
              int maxEntries);

template <size_t N> bool AddTrailingSlash(char (&path)[N])
{
    return AddTrailingSlash(path, N);
}
template <size_t N> void ExtractFilePath(char (&out)[N], const char* path)
{
    ExtractFilePath(out, N, path);
}
template <size_t N> void ExtractFileName(char (&out)[N], const char* path)
{
    ExtractFileName(out, N, path);
}
template <size_t N> void ExtractFileTitle(char (&out)[N], const char* path)
{
    ExtractFileTitle(out, N, path);
}
template <size_t N> void ExtractFileExt(char (&out)[N], const char* path)
{
    ExtractFileExt(out, N, path);
}
template <size_t N> void MakeFullPath(char (&out)[N], const char* name)
{
    MakeFullPath(out, N, name);
}
template <size_t N> int MakeNumberedFileName(char (&out)[N], const char* path, int number)
{
    return MakeNumberedFileName(out, N, path, number);
}
