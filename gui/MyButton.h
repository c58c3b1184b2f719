#pragma once
// CMyButton: a textured push button. It sinks by one pixel, children with it, while the left
// button is held on it, and steps its frame animation when clicked. Made by
// CWinSuperior::AddButton; nothing here fails.

#include "gui/BaseWin.h"

class CMyButton : public CBaseWin {
public:
    int32_t pressedShift = 0;  // 1 while the children are moved by (+1, +1)

    // The picture (and caption) one pixel right and down while pressed; no overlay or check
    // mark. Nothing without texture.
    void Draw() override;
    // The next frame of the animation, when there is one; buttons do not toggle.
    void OnClick() override;

private:
    void ShiftChildren(int by);
};
