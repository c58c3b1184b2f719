#pragma once
// The capacity sections of the small engine containers: "[" then "Key: number" pairs up
// to "]". An unknown word is reported by message box and reading goes on.

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct SSectionKey {
    const char* word;
    int32_t* value;
};

void ScanCountSection(FILE* file, const SSectionKey* keys, size_t count);

inline void ScanCountSection(FILE* file, const char* word, int32_t* value)
{
    const SSectionKey key{word, value};
    ScanCountSection(file, &key, 1);
}
