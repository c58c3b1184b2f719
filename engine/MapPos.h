#pragma once
// The map position exchanged by the engine's ground pick, the game maps and the units.

#include <cstdint>

struct SMapPos {
    int32_t x = 0;          // cell x
    int32_t z = 0;          // cell z
    int32_t direction = 0;  // step 0..7, 45 degrees each
    int32_t altitude = 0;
};
static_assert(sizeof(SMapPos) == 16, "four 32-bit words");
