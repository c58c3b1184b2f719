#pragma once
// The sample presentation through the real program, with clicks fed through the input
// layer's system-mouse step into the window manager's own mouse pass.

#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstdint>

class CAtom;
class CBaseWin;
class CFlat;
class CFloor;
class CMyBuilding;

namespace column {

// A client point where the flat's button takes clicks (its picture is opaque there).
bool HotPoint(const CFlat* flat, const CFloor* floor, int* x, int* y);

// A frame of the program (its engine's process step included), read back.
bool Frame(test::Image& image);

// The mean colour of a small square of pixels and how much one channel varies within it.
struct SPatch {
    float rgb[3] = {};
    int spread = 0;  // largest difference of one channel within the square
    float Brightness() const { return rgb[0] + rgb[1] + rgb[2]; }
};
SPatch PatchAt(const test::Image& image, int x, int y);
// Where the point at the height above the unit's origin (by default the middle of a storey,
// whose mesh stands on its origin) lands on the back buffer, through the scene's camera; false
// when it is behind the camera or too near the picture's edge for a patch.
bool ScreenPointOf(const CAtom* unit, const test::Image& image, int* x, int* y, float height = 1.0f);

constexpr int MANY_FLATS = 200;

class ColumnTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // One mouse pass with the cursor at the client point and these buttons down.
    static void Mouse(int x, int y, uint8_t buttons);
    // Press and release over the window's centre, or over the given client point, then a
    // pass with the mouse still.
    static void Click(const CBaseWin* win);
    static void ClickAt(int x, int y);
    // Engine frames at a raised time scale until the condition holds; false when it never did.
    template <class F>
    bool RunUntil(F done, int maxFrames = 3000)
    {
        for (int i = 0; i < maxFrames; ++i) {
            if (done()) return true;
            if (!program.RunFrames(1)) return false;
        }
        return done();
    }
    CMyBuilding* ShowFirstBuilding();
    // The fifth floor of the building with MANY_FLATS more flats read from a cost/area file
    // of its own: flat k has the price 50000 + k .25 and the areas 61.50 and 34.20.
    static CFloor* AddManyFlats(CMyBuilding* b);
    // Clicks the flat's button on the floor plan; the flat whose button took the click
    // (the copies lie on one another), or null.
    static const CFlat* ClickFlat(const CFloor* floor, const CFlat* flat);

    test::MessageRecorder messages;
    test::Program program;
};

} // namespace column
