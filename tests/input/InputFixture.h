#pragma once
// gInput brought back to its start state for each test, with messages recorded, and
// keyboard frames fed straight into the state the device read would fill.

#include "core/Input.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace inputtest {

// Counts the calls of a delegate or of a plain function.
struct Counter {
    int hits = 0;
    void Hit() { ++hits; }
};

// One shown 640 x 480 top-level window with the program's window procedure for the device,
// cursor and button tests, made at first use and kept for the process (closing a window
// under Wine waits for the X server).
HWND TestWindow();
// The screen position of one of its client points.
POINT ClientToScreenPoint(int x, int y);

class InputTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // One keyboard frame of the given length with exactly these keys down.
    void KeyFrame(std::initializer_list<uint8_t> down, float step);
    // A handler bound to the counter through an owned delegate.
    void Bind(CKeyHandler& handler, uint8_t key, uint32_t flags, Counter& counter);
    // The thread's keyboard state as ToAsciiEx sees it (shift, NUM LOCK).
    void SetSystemKeys(std::initializer_list<int> virtualKeys, bool numLock);

    test::MessageRecorder messages;

private:
    BYTE savedKeyboard_[256] = {};
    float savedStep_ = 0.0f;
    int savedMouseMode_ = 0;
};

} // namespace inputtest
