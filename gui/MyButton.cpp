#include "gui/MyButton.h"

#include "core/Graphics.h"
#include "core/Input.h"
#include "gui/WinSuperior.h"

void CMyButton::Draw()
{
    if (!texture)
        return;
    gGraphics.BeginSprites((flags & WIN_NOBLEND) != 0);
    gGraphics.SetZEnable(false);
    const bool pressed = gInput.leftHeld && slot == gWinSuperior.slotUnderMouse &&
                         (flags & WIN_ACTIVE);
    if (pressed != (pressedShift != 0))
        ShiftChildren(pressed ? 1 : -1);
    const int x = int(position[0]) + (pressed ? 1 : 0);
    const int y = int(position[1]) + (pressed ? 1 : 0);
    gGraphics.DrawTexture(x, y, &sourceRect, texture, color);
    if (caption[0] && captionFont)
        DrawCaption(x, y);
}

void CMyButton::ShiftChildren(int by)
{
    for (int i = 0; i < childCount; ++i)
        children[i]->MoveBy(by, by);
    pressedShift = by > 0;
}

void CMyButton::OnClick()
{
    if (frameCount)
        NextFrame();
}
