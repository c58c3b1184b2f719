#pragma once
// CBaseWin: one window of the 2D layer. Until the window record is built this holds the
// rectangle and flags that the engine's view window needs.

#include <cstdint>

enum : uint32_t { WIN_ACTIVE = 0x1, WIN_CONTAINER = 0x8 };

struct CBaseWin {
    int32_t left = 0, top = 0, right = -1, bottom = -1;  // right and bottom inclusive
    uint32_t flags = 0;
};
