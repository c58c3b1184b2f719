#include "core/Input.h"

CInput gInput;

void CInput::UpdateMouse() {}
void CInput::UpdateKeyboard() {}

int InitInput(HWND, int, int)
{
    return 0;
}

void ReleaseInput() {}
