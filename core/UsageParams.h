#pragma once
// gUsageParams: the resource-creation parameters that a "USAGE" block sets and the texture
// and mesh creators read (pool, usage bits, clones, byte offsets inside a vertex, reserved
// sizes). ResetUsageParams restores the defaults; an offset of 0xFFFFFFFF and a count of 0
// mean "not set".

#include <cstdint>

struct SUsageParams {
    int pool = 1;  // 0 default, 1 managed, 2 system memory
    int clones = 1;
    uint32_t worldByte = 0xFFFFFFFF;
    uint32_t boneByte = 0xFFFFFFFF;
    uint32_t weightByte = 0xFFFFFFFF;
    uint32_t usage = 0;  // D3DUSAGE bits
    int sysIfVs = 0;     // vertex-shader level below which vertex buffers go to system memory
    int verts = 0;
    int prims = 0;
    int submeshes = 0;
    int extra = 0;
    int cube = 0;
};
extern SUsageParams gUsageParams;

void ResetUsageParams();
