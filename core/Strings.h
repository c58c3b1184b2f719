#pragma once
// String helpers shared by every reader: exact comparison, case mapping for code page 1251
// (capitals 0xC0-0xDF, small letters 0xE0-0xFF, plus ASCII), a bounded length, bounded
// copies, and the 32-bit name id. Null texts are treated as empty; nothing here writes past
// the capacity it is given.

#include <cstddef>
#include <cstdint>

// True when both texts are non-null and equal byte for byte.
bool StrEqual(const char* a, const char* b);

unsigned char LowerChar1251(unsigned char c);
unsigned char UpperChar1251(unsigned char c);

// In place.
void StrLower(char* text);
void StrUpper(char* text);

// Converted copy of at most cap - 1 characters; returns the position of its terminator
// (out itself when cap is 0 and nothing is written).
char* StrLowerCopy(char* out, size_t cap, const char* in);
char* StrUpperCopy(char* out, size_t cap, const char* in);
template <size_t N> char* StrLowerCopy(char (&out)[N], const char* in)
{
    return StrLowerCopy(out, N, in);
}
template <size_t N> char* StrUpperCopy(char (&out)[N], const char* in)
{
    return StrUpperCopy(out, N, in);
}

// Copies at most cap - 1 characters and terminates; true when the whole text fit.
bool StrCopy(char* out, size_t cap, const char* in);
// Appends to the text already in out, within the same capacity; true when all of it fit.
bool StrAppend(char* out, size_t cap, const char* in);

constexpr size_t STR_LEN_SAFE_LIMIT = 65536;
// 0 for null and for a text with no terminator in its first STR_LEN_SAFE_LIMIT bytes.
size_t StrLenSafe(const char* text);

// The name id: the sum of the name's four-byte big-endian groups plus its tail, bytes taken
// as signed. Equal names give equal ids; different names may collide.
uint32_t StrHash(const char* name);
