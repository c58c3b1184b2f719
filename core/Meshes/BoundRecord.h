#pragma once
// SBoundRecord: a box (or sphere) for picking a named part of a mesh. A record read from a
// mesh file is a box: first = minimum, second = maximum. A record with a radius is a
// sphere around first; one whose second float is above 0 is taken as hit without a test.

#include <d3dx9.h>

#include <cstdint>

constexpr uint32_t BOUND_EXCLUDED = 1;  // flags: never picked

struct SBoundRecord {
    uint32_t kind = 0;
    D3DXVECTOR4 first{0, 0, 0, 0};
    D3DXVECTOR4 second{0, 0, 0, 0};
    float radius = 0;
    float second2 = 0;
    D3DXVECTOR4 extra{0, 0, 0, 0};
    uint32_t id = 0xFFFFFFFF;
    uint32_t flags = 0;
};
