#pragma once
// CLayouts: owns the footprint layouts, per-direction masks of a unit's ground footprint
// loaded from TGA images, read from the "Layouts" section and "LAYOUT" objects. A full
// pool is fatal (gExitCode 1); a failed image read is reported and leaves the direction
// without a mask, which the footprint operations then warn about (budget 4) and refuse.
// Footprints are clipped at the edges of the map: cells outside it block a test and are
// not written. A repeated "Layouts" section first clears every class's placement layout.

#include "core/Container.h"
#include "engine/MapPos.h"

#include <cstdint>
#include <cstdio>
#include <memory>

struct CUserArray;

constexpr int LAYOUT_DIRECTIONS = 8;

struct SLayoutDir {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t centerX = 0;
    uint16_t centerY = 0;
    std::shared_ptr<const uint32_t[]> mask;  // width x height, non-zero = occupied; opposite directions share one
};

class CLayout {
public:
    uint8_t type = 0;  // 2, 4 or 8 directions; 0 not set
    char name[67] = {};
    SLayoutDir dirs[LAYOUT_DIRECTIONS];
    int32_t warningBudget = 4;

    // 0, -1 without a type, or the image reader's error.
    int LoadData(const char* path);
    // 0 when every occupied mask cell lies on a map cell equal to value; -1 blocked or bad
    // direction; -2 no mask for the direction. Position x, z is the mask's centre.
    int TestLayoutInValidMap(const SMapPos& position, const CUserArray& map, uint32_t value);
    // Writes value under every occupied mask cell: 0, -1 bad direction, -2 no mask.
    int FillDataValue(const SMapPos& position, CUserArray& map, uint32_t value);

private:
    int ReadDirection(int direction, const char* path);
    // The direction's entry, or null after the operation's warning.
    const SLayoutDir* Direction(const SMapPos& position, const char* operation, int* result);
};

class CLayouts {
public:
    // The "Layouts" section after its name; 0.
    int FirstScan(FILE* file);
    // One "LAYOUT" object after its keyword: the index, or 0 when the pool is full.
    uint16_t ScanLayout(FILE* file);
    // The index of the layout of that name; 0 with a warning when there is none.
    uint16_t FindLayout(const char* name);
    CLayout* GetLayout(uint16_t index) { return layouts.At(index); }

    TContainer<CLayout, uint16_t> layouts;
    int32_t warningBudget = 4;

private:
    void ForgetLayouts();
};

extern CLayouts* gLayouts;
