#pragma once
// Readers shared by the resource containers: vertex-format lists ("FVF [ ... ]"), usage
// blocks ("USAGE [ ... ]"), texture descriptions ("DESC [ ... ]") and the mapping of a
// shader-table constant name to engine data. An unknown word is reported and the list is
// read through its "]" all the same, so the caller keeps its place.

#include <d3d9.h>

#include <cstdint>
#include <cstdio>

// Result of ShaderConstantByName for data that the renderer moves per drawn object.
constexpr uint32_t SHADER_CONST_PER_OBJECT = 0xF000F000u;

// Maps a shader-table constant name to engine data: 0 with the data's address in out, the
// per-object code with the address of the moving pointer, or a parameter code (out = 1
// for a code alone). A name whose data no manager keeps leaves out 0, so the table keeps
// the name and resolves it later. A null or empty name gives 0 and leaves out untouched.
uint32_t ShaderConstantByName(const char* name, uintptr_t* out);

// The vertex-format bits of the list, or 0 (and a message) when it holds an unknown word.
uint32_t ScanFVF(FILE* file);

// Resets gUsageParams, then reads a "[ ... ]" usage block into it; returns the usage bits.
uint32_t ScanUsage(FILE* file);

// Reads a "[ ... ]" description (format, size, antialiasing) into desc; returns 1.
int ScanTextureDesc(FILE* file, D3DSURFACE_DESC* desc);

// Lookups by name that a script reader can hand around: 0 when the container is missing or
// has no such name.
uint16_t FindVertexDeclaratorByName(const char* name);
uint16_t FindVertexShaderByName(const char* name);
uint16_t FindPixelShaderByName(const char* name);
