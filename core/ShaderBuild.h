#pragma once
// One shader build as the building process does it (CShaderBuilder): what it is given
// (SShaderJob), what it hands back (SShaderBuilt), their bytes on the pipe between the two
// processes, and BuildShader, which reads the shader's files through CShaderIncludes and
// assembles or compiles them. Decoding checks every length against what is left, so a
// damaged message is refused, never read past.

#include "core/GraphicsTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct SShaderJob {
    bool assemble = false;  // an assembly file, else HLSL
    std::string folder;     // the current folder the file is named from
    std::string file;       // as the caller named it: messages show it so
    std::string profile;    // HLSL only
    uint32_t flags = 0;
    std::vector<std::pair<std::string, std::string>> macros;  // name, value
};

struct SShaderBuilt {
    bool failed = false;  // the build failed: the compiler's text or the refusal says why
    std::string errors;   // what the compiler or the assembler said, cut to what a box shows
    std::string refusal;  // why a file of the shader was refused, or why the build was stopped
    std::string code;     // the shader's tokens
};

// The text a D3DX buffer holds, up to its first zero.
std::string ShaderBufferText(ID3DXBuffer* buffer);
// A compiler may return success with error text and unusable code; that is a failure too.
bool ShaderBuildFailed(HRESULT hr, const std::string& errors);

// Builds the job in this process.
SShaderBuilt BuildShader(const SShaderJob& job);

// The bytes on the pipe; a decoder fails on a message that is not whole.
void EncodeShaderJob(SShaderJob job, std::string& out);
bool DecodeShaderJob(const std::string& in, SShaderJob& job);
void EncodeShaderBuilt(SShaderBuilt built, std::string& out);
bool DecodeShaderBuilt(const std::string& in, SShaderBuilt& built);
