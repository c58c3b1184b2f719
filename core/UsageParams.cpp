#include "core/UsageParams.h"

#include "core/Messages.h"

#include <cstring>
#include <iterator>

SUsageParams gUsageParams = {1, 1, -1, -1, -1, 0, 0, 0, 0, 0, 0};

void ResetUsageParams()
{
    gUsageParams = SUsageParams{1, 1, -1, -1, -1, 0, 0, 0, 0, 0, 0};
}

namespace {

struct SFormatName {
    const char* name;
    D3DFORMAT format;
};

const SFormatName SURFACE_FORMATS[] = {
    {"A8R8G8B8", D3DFMT_A8R8G8B8},
    {"A1R5G5B5", D3DFMT_A1R5G5B5},
    {"X1R5G5B5", D3DFMT_X1R5G5B5},
    {"R5G6B5", D3DFMT_R5G6B5},
    {"A4R4G4B4", D3DFMT_A4R4G4B4},
    {"X4R4G4B4", D3DFMT_X4R4G4B4},
    {"R8G8B8", D3DFMT_R8G8B8},
    {"X8R8G8B8", D3DFMT_X8R8G8B8},
    {"A8", D3DFMT_A8},
    {"A16B16G16R16", D3DFMT_A16B16G16R16},
    {"DXT1", D3DFMT_DXT1},
    {"DXT2", D3DFMT_DXT2},
    {"DXT3", D3DFMT_DXT3},
    {"DXT4", D3DFMT_DXT4},
    {"DXT5", D3DFMT_DXT5},
    {"D16", D3DFMT_D16},
    {"D32", D3DFMT_D32},
    {"D24S8", D3DFMT_D24S8},
    {"D24X8", D3DFMT_D24X8},
    {"R16F", D3DFMT_R16F},
    {"G16R16F", D3DFMT_G16R16F},
    {"A16B16G16R16F", D3DFMT_A16B16G16R16F},
    {"R32F", D3DFMT_R32F},
    {"G32R32F", D3DFMT_G32R32F},
    {"A32B32G32R32F", D3DFMT_A32B32G32R32F},
};
static_assert(std::size(SURFACE_FORMATS) == 25, "surface format names");

} // namespace

D3DFORMAT FindSurfaceFormat(const char* name)
{
    for (const SFormatName& entry : SURFACE_FORMATS)
        if (name && strcmp(entry.name, name) == 0) return entry.format;
    MsgBox3("FindSurfaceFormat() Error: Unknown format '", name, "'.");
    return D3DFMT_UNKNOWN;
}
