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

struct SButtonState {
    uint8_t button;
    int32_t CInput::*held;
    int32_t CInput::*click;
};
const SButtonState BUTTON_STATES[] = {
    {MOUSE_LEFT, &CInput::leftHeld, &CInput::leftClick},
    {MOUSE_RIGHT, &CInput::rightHeld, &CInput::rightClick},
    {MOUSE_MIDDLE, &CInput::middleHeld, &CInput::middleClick},
};
static_assert(sizeof BUTTON_STATES / sizeof BUTTON_STATES[0] == 3, "left, right and middle");

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

void CInput::NoteButton(uint8_t button, bool down)
{
    (down ? pressedSince : releasedSince) |= button;
}

void CInput::ApplyButtons(uint8_t polled)
{
    const uint8_t buttons = WithNotedButtons(polled);
    for (const SButtonState& b : BUTTON_STATES)
        if (TrackButton(buttons & b.button, this->*b.held, this->*b.click) && b.button == MOUSE_LEFT) {
            doubleClick = doubleClickTime > 0.0f;
            doubleClickTime = DOUBLE_CLICK_TIME;
        }
}

// The polled state, unless the noted presses and releases tell of more: a whole click between
// two frames is a press now and a release in the next frame; a release (and a new press)
// between two frames while held is the release now, and a new press noted with it waits for
// the next frame. What a frame has reported is forgotten.
uint8_t CInput::WithNotedButtons(uint8_t polled)
{
    uint8_t buttons = polled;
    for (const SButtonState& b : BUTTON_STATES) {
        const uint8_t bit = b.button;
        if (releaseDue & bit) {
            releaseDue &= uint8_t(~bit);
            buttons &= uint8_t(~bit);
            continue;
        }
        const bool held = this->*b.held != 0, down = polled & bit;
        const bool pressed = pressedSince & bit, released = releasedSince & bit;
        if (held && released) {
            buttons &= uint8_t(~bit);
            if (pressed) {
                if (down) releasedSince &= uint8_t(~bit);
                continue;
            }
        } else if (!held && !down && pressed && released) {
            buttons |= bit;
            releaseDue |= bit;
        }
        pressedSince &= uint8_t(~bit);
        releasedSince &= uint8_t(~bit);
    }
    return buttons;
}
