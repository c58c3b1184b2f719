#pragma once
// What the program did to start the sample, as the start-up run recorded it: the device it
// made, every file it opened for reading, the textures it loaded from files, the other
// resources it made on the device and the shaders it compiled or assembled. The bare run
// repeats exactly this work and nothing else. Saved as text, one item a line.

#include "tools/benchmark/RecordingDevice.h"

#include <d3d9.h>

#include <string>
#include <utility>
#include <vector>

namespace bench {

struct SDeviceSetup {
    UINT adapter = 0;
    D3DDEVTYPE type = D3DDEVTYPE_HAL;
    DWORD behaviour = 0;
    D3DPRESENT_PARAMETERS params = {};
    DWORD style = 0;  // of the device window
    int width = 0, height = 0;  // its client area
};

struct STextureFile {
    bool cube = false;
    UINT width = 0, height = 0, mips = 0;
    DWORD usage = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    D3DPOOL pool = D3DPOOL_MANAGED;
    DWORD filter = 0, mipFilter = 0;
    D3DCOLOR colorKey = 0;
    std::string path;
};

struct SShaderSource {
    bool compiled = false;  // HLSL; else assembly
    DWORD flags = 0;
    std::string entry, profile;
    std::vector<std::pair<std::string, std::string>> macros;
    std::string path;  // empty: assembled from text
    std::string text;
};

struct SManifest {
    SDeviceSetup device;
    std::vector<std::string> files;
    std::vector<STextureFile> textures;
    std::vector<SMadeResource> made;
    std::vector<SShaderSource> shaders;
};

bool WriteManifest(const std::string& path, const SManifest& manifest);
bool ReadManifest(const std::string& path, SManifest& manifest);

// Bytes the resource's data takes (every level, face and slice), as the program asked for it.
double ResourceBytes(const SMadeResource& resource);

} // namespace bench
