#pragma once
// Readers shared by the resource containers: vertex-format lists ("FVF [ ... ]"), usage
// blocks ("USAGE [ ... ]"), texture descriptions ("DESC [ ... ]") and the mapping of a
// shader-table constant name to engine data. An unknown word is reported and the list is
// read through its "]" all the same, so the caller keeps its place.

#include <cstdint>
#include <cstdio>

// The vertex-format bits of the list, or 0 (and a message) when it holds an unknown word.
uint32_t ScanFVF(FILE* file);
