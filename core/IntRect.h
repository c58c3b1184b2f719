#pragma once
// CIntRect: a screen or texture rectangle with inclusive edges, so a rectangle whose left
// equals its right is one pixel wide.

#include <cstdint>

struct CIntRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    CIntRect() = default;
    CIntRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

    int32_t Width() const { return right - left + 1; }
    int32_t Height() const { return bottom - top + 1; }
};
