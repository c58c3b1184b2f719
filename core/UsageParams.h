#pragma once
// The resource-creation parameters that a script "USAGE" block sets and the texture and
// mesh creators read (pool, usage bits, clone count, vertex byte offsets, sizes), and the
// names of surface formats in scripts. An unknown format name is reported and gives 0.

#include <d3d9.h>

#include <cstdint>

struct SUsageParams {
    int32_t pool;        // 0 default, 1 managed, 2 system memory
    int32_t clones;
    int32_t worldByte;   // byte offsets in the vertex, -1 = none
    int32_t boneByte;
    int32_t weightByte;
    uint32_t usage;      // D3DUSAGE bits: 0x200 dynamic, 1 render target
    int32_t sysIfVs;     // vertex-shader level below which vertex buffers go to system memory
    int32_t vertices;    // sizes of created meshes
    int32_t primitives;
    int32_t submeshes;
    int32_t cube;        // 1: the texture file is a cube texture
};
extern SUsageParams gUsageParams;

// Managed pool, one clone, no byte offsets, no usage bits, sizes 0, not a cube.
void ResetUsageParams();

// The D3DFORMAT of a script's format name (exact case), or 0 and a message.
D3DFORMAT FindSurfaceFormat(const char* name);
