#pragma once
// Edit fields and tooltips on a real device: mouse frames fed through the input layer's
// system-mouse step, keys through its Dispatch step, the windows drawn and read back.

#include "core/Input.h"
#include "gui/MyEdit.h"
#include "gui/WinSuperior.h"
#include "tests/support/Harness.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

namespace guiedit {

constexpr float STEP = 0.03125f;
constexpr D3DCOLOR BACKGROUND = 0xFF203040;

class EditTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // One frame: mouse and buttons, the keys held (DirectInput codes), the manager's pass
    // and the drawing, read back.
    void Frame(int x, int y, uint8_t buttons = 0, std::initializer_list<uint8_t> keys = {});
    void Click(int x, int y);
    // The key down for one frame and up the next.
    void Press(uint8_t key);
    void Type(const char* text);
    CMyEdit* Edit(int x, int y, const char* text, void (*onEnter)() = nullptr);

    test::MessageRecorder messages;
    test::TestDevice device;
    test::Image image;
    int mouseX = 300, mouseY = 230;
};

} // namespace guiedit
