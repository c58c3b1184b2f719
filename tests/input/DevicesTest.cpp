#include "tests/input/InputFixture.h"

#include "core/Core.h"

namespace inputtest {
namespace {

bool KeyboardReads()
{
    BYTE state[256];
    return SUCCEEDED(gInput.keyboardDevice->GetDeviceState(sizeof state, state));
}

bool MouseReads()
{
    DIMOUSESTATE2 state;
    return SUCCEEDED(gInput.mouseDevice->GetDeviceState(gInput.mouseStateSize, &state));
}

TEST_F(InputTest, DirectInputMouseAndKeyboardOpenOnARealWindow)
{
    USE_MOUSE = MOUSE_DX;
    ASSERT_EQ(0, InitInput(TestWindow(), 640, 480)) << messages.Joined();
    EXPECT_EQ(0u, messages.Count());
    ASSERT_NE(nullptr, gInput.keyboardDevice);
    ASSERT_NE(nullptr, gInput.mouseDevice);
    EXPECT_EQ(sizeof(DIMOUSESTATE2), gInput.mouseStateSize);
    EXPECT_TRUE(KeyboardReads());  // reading needs the device acquired
    EXPECT_TRUE(MouseReads());
    EXPECT_EQ(320, gInput.mouseX);
    EXPECT_EQ(240, gInput.mouseY);
    EXPECT_EQ(TestWindow(), gInput.window);

    // The frame's polls through the devices.
    CKeyHandler held;
    Counter counter;
    Bind(held, DIK_F12, KEY_WHILE_HELD, counter);
    CKeyTable table;
    table.Fill(&held);
    gInput.PushTable(&table);
    gInput.keys[DIK_F12] = 0x80;
    gInput.UpdateMouse();
    gInput.UpdateKeyboard();
    EXPECT_EQ(0, gInput.keys[DIK_F12]);  // replaced by the device's state
    EXPECT_EQ(0, counter.hits);
    EXPECT_EQ(0, gInput.leftHeld);

    // Opening again replaces the devices.
    EXPECT_EQ(0, InitInput(TestWindow(), 640, 480));
    EXPECT_TRUE(KeyboardReads());

    ReleaseInput();
    EXPECT_EQ(nullptr, gInput.keyboardDevice);
    EXPECT_EQ(nullptr, gInput.mouseDevice);
    EXPECT_EQ(nullptr, gInput.directInput);
    ReleaseInput();
    gInput.UpdateMouse();  // without devices: nothing to read
    gInput.UpdateKeyboard();
    EXPECT_EQ(0u, messages.Count());
}

TEST_F(InputTest, SystemMouseModeOpensOnlyTheKeyboard)
{
    USE_MOUSE = MOUSE_SYS;
    ASSERT_EQ(0, InitInput(TestWindow(), 640, 480)) << messages.Joined();
    EXPECT_EQ(nullptr, gInput.mouseDevice);
    ASSERT_NE(nullptr, gInput.keyboardDevice);
    EXPECT_TRUE(KeyboardReads());
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof cursor;
    ASSERT_TRUE(GetCursorInfo(&cursor));
    EXPECT_TRUE(cursor.flags & CURSOR_SHOWING);
    ReleaseInput();
}

TEST_F(InputTest, RefusedCooperativeLevelsAreReportedAndNothingStaysOpen)
{
    USE_MOUSE = MOUSE_SYS;
    gInput.keyboardCoopFlags = 0;  // neither exclusive nor non-exclusive
    EXPECT_NE(0, InitInput(TestWindow(), 640, 480));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("For KeyboardDevice SetCooperativeLevel error", messages.Texts()[0]);
    EXPECT_EQ(nullptr, gInput.keyboardDevice);
    EXPECT_EQ(nullptr, gInput.directInput);
    messages.Clear();

    USE_MOUSE = MOUSE_DX;
    gInput.keyboardCoopFlags = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    gInput.mouseCoopFlags = DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
    EXPECT_NE(0, InitInput(TestWindow(), 640, 480));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("For MouseDevice SetCooperativeLevel error.", messages.Texts()[0]);
    EXPECT_EQ(nullptr, gInput.mouseDevice);
    EXPECT_EQ(nullptr, gInput.keyboardDevice);
    EXPECT_EQ(nullptr, gInput.directInput);
}

} // namespace
} // namespace inputtest
