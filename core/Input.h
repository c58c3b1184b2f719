#pragma once
// CInput: DirectInput keyboard and mouse polled once per frame (gInput).

#include <windows.h>

#include <cstdint>

struct CInput {
    int32_t wheelDelta = 0;

    void UpdateMouse();
    void UpdateKeyboard();
};
extern CInput gInput;

int InitInput(HWND window, int width, int height);
void ReleaseInput();
