// The mouse frame: position, movement, wheel, held buttons, clicks and double clicks.
#include "core/Input.h"

#include "core/FrameTimer.h"

#include <algorithm>

namespace {

// Down -> held; released while held -> a click in this frame.
bool TrackButton(bool down, int32_t& held, int32_t& click)
{
    if (down) {
        held = 1;
        return false;
    }
    if (!held)
        return false;
    held = 0;
    click = 1;
    return true;
}

constexpr uint8_t BUTTON_DOWN = 0x80;

} // namespace

void CInput::BeginMouseFrame()
{
    prevX = mouseX;
    prevY = mouseY;
    prevWheel = wheelPos;
    leftClick = rightClick = middleClick = 0;
    doubleClick = 0;
    UpdateWindowRect();
    if (doubleClickTime > 0.0f)
        doubleClickTime -= gFrameTimer.step;
}

void CInput::ApplyDeviceMouse(const DIMOUSESTATE2& state)
{
    mouseX = std::max(0, std::min(mouseX + int(state.lX) * mouseSpeed, clientWidth - 2));
    mouseY = std::max(0, std::min(mouseY + int(state.lY) * mouseSpeed, clientHeight - 3));
    wheelPos += state.lZ;
    deltaX = state.lX;
    deltaY = state.lY;
    wheelDelta = state.lZ;
    // The device reports physical buttons; the frame's left and right are the user's.
    const int left = buttonsNotSwapped ? 0 : 1;
    uint8_t buttons = 0;
    if (state.rgbButtons[left] & BUTTON_DOWN)
        buttons |= MOUSE_LEFT;
    if (state.rgbButtons[1 - left] & BUTTON_DOWN)
        buttons |= MOUSE_RIGHT;
    if (state.rgbButtons[2] & BUTTON_DOWN)
        buttons |= MOUSE_MIDDLE;
    ApplyButtons(buttons);
}

void CInput::ApplySystemMouse(POINT cursor, uint8_t buttons)
{
    mouseX = std::max(1, int(cursor.x - windowRect.left - borderWidth));
    mouseY = std::max(1, int(cursor.y - windowRect.top - titleHeight));
    deltaX = mouseX - prevX;
    deltaY = mouseY - prevY;
    ApplyButtons(buttons);
}

void CInput::ApplyButtons(uint8_t buttons)
{
    if (TrackButton(buttons & MOUSE_LEFT, leftHeld, leftClick)) {
        doubleClick = doubleClickTime > 0.0f;
        doubleClickTime = DOUBLE_CLICK_TIME;
    }
    TrackButton(buttons & MOUSE_RIGHT, rightHeld, rightClick);
    TrackButton(buttons & MOUSE_MIDDLE, middleHeld, middleClick);
}
