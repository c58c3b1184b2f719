#pragma once
// Window frames driven without a real mouse: each Frame feeds a mouse position and button
// state through the input layer's system-mouse step and runs the window manager's pass.
// Callbacks write what they saw into a trace, naming windows by their user value 0.

#include "core/Input.h"
#include "gui/WinSuperior.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <string>

namespace winframe {

// 1/32 s: held times add up exactly.
constexpr float STEP = 0.03125f;

extern std::string gTrace;

// Names the window for the trace.
void Name(CBaseWin* win, const char* name);
// The name of the window under the mouse, or "-" when there is none.
std::string UnderMouse();

// Plain callbacks that add "<event>:<window under the mouse> " to the trace.
void OnClick();
void OnHover();
void OnWheel();
void OnLeftHeld();
void OnRightClick();
void OnFrame();  // names the current window instead

// A per-frame or draw callback that shows gModal (a WIN_PUSHER window) unless it is shown.
extern CBaseWin* gModal;
void ShowModal();

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // One frame: the mouse at (x, y) with exactly these buttons down (MOUSE_LEFT,
    // MOUSE_RIGHT), then CWinSuperior::Process. The wheel delta is cleared after it.
    void Frame(int x, int y, uint8_t buttons = 0, float step = STEP);
    // Press and release on two frames.
    void Click(int x, int y);
    // An active, visible, named window without texture.
    static CBaseWin* Win(const char* name, int x, int y, int w, int h, uint32_t trigger = 0,
                         uint32_t flags = 0);
    // The trace so far, emptied.
    static std::string Take();

    test::MessageRecorder messages;

private:
    float savedStep_ = 0.0f;
};

} // namespace winframe
