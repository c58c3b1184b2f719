#pragma once
// CInput: DirectInput keyboard and mouse polled once per frame (gInput).

#include <windows.h>

#include <cstdint>

struct CInput {
    int32_t wheelDelta = 0;
    // DirectInput cooperative levels ("MOUSE_COOP_FLAGS", "KEYBOARD_COOP_FLAGS"):
    // exclusive + foreground for the mouse, non-exclusive + background for the keyboard.
    uint32_t mouseCoopFlags = 5;
    uint32_t keyboardCoopFlags = 10;

    void UpdateMouse();
    void UpdateKeyboard();
};
extern CInput gInput;

int InitInput(HWND window, int width, int height);
void ReleaseInput();
