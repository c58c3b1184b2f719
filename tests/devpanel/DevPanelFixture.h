#pragma once
// The sample program started with its developer panel, and the mouse, key and frame steps
// the panel's tests drive it with.
#include "core/Core.h"
#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "engine/Engine.h"
#include "engine/Engineer.h"
#include "gui/WinSuperior.h"
#include "tests/support/Harness.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

namespace devpanel {

constexpr float STEP = 0.05f;
// The view checks lie at (10, 29) on the screen: body at (0, 19), list 10 pixels in.
constexpr int CHECKS_X = 20, CHECKS_Y = 29, CHECK_ROW = 15;
// The rows by their place in the list (row n is bit 1 << n).
constexpr int ROW_BLANK_SHADOWS = 3, ROW_VALID_MAP = 4;

class DevPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
        ASSERT_TRUE(program.RunFrames(2));
        ASSERT_NE(nullptr, gEngineer);
    }
    void TearDown() override
    {
        memset(gInput.keys, 0, sizeof gInput.keys);
        program.Stop();
    }

    // One pass of the window manager with the mouse at (x, y) of the client area.
    void Mouse(int x, int y, uint8_t buttons)
    {
        gFrameTimer.step = STEP;
        gInput.BeginMouseFrame();
        gInput.ApplySystemMouse(POINT{gInput.windowRect.left + gInput.borderWidth + x,
                                      gInput.windowRect.top + gInput.titleHeight + y},
                                buttons);
        gWinSuperior.Process();
    }
    void Click(int x, int y)
    {
        Mouse(x, y, MOUSE_LEFT);
        Mouse(x, y, 0);
        Mouse(x, y, 0);  // no double click with the next one
        gInput.doubleClickTime = 0.0f;
    }
    void ClickCheck(int row) { Click(CHECKS_X, CHECKS_Y + row * CHECK_ROW + 5); }
    // One engine frame with the keys held (the step key's logic runs inside it).
    void EngineFrame(std::initializer_list<uint8_t> keys)
    {
        memset(gInput.keys, 0, sizeof gInput.keys);
        for (uint8_t key : keys)
            gInput.keys[key] = 0x80;
        gFrameTimer.step = STEP;
        gIEngine->Process();
    }
    // Pixels of the 3D view (right of the panel) in the clear colour, in a frame rendered
    // now.
    int ClearInView()
    {
        gCore.RenderFrame();
        test::Image image;
        EXPECT_TRUE(test::ReadBackBuffer(image));
        int n = 0;
        for (int y = 0; y < image.height; y += 2)
            for (int x = 260; x < image.width - 250; x += 2)
                n += test::ColorNear(image.At(x, y), gGraphics.clearColor, 2);
        return n;
    }

    test::MessageRecorder messages;
    test::Program program;
};

} // namespace devpanel
