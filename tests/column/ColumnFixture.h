#pragma once
// The sample presentation through the real program, with clicks fed through the input
// layer's system-mouse step into the window manager's own mouse pass.

#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstdint>

class CBaseWin;
class CMyBuilding;

namespace column {

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

    test::MessageRecorder messages;
    test::Program program;
};

} // namespace column
