#pragma once
// CRectEditor: edits a screen rectangle with two draggable handle windows at its top-left and
// bottom-right corners; while a handle is dragged the change callback receives the
// rectangle. The handles belong to the window manager; the handle picture
// gRectHandleTexture is made with the device. Without the texture the handles are
// invisible but still work; the one message is a window list without room for them.

#include "gui/BaseWin.h"

#include <d3d9.h>

// 32 x 16 texels: the plain mark at (0, 0)-(8, 8), the framed mark at (9, 0)-(17, 8).
extern IDirect3DTexture9* gRectHandleTexture;

class CRectEditor {
public:
    CBaseWin* handles[4] = {};  // top-left, bottom-right; the last two stay null
    uint32_t colour = 0xBBFFFFFF;
    uint32_t hoverColour = 0xFFFFFFFF;
    void (*onChange)(RECT* rect) = nullptr;
    RECT rect = {0, 0, 10, 10};
    bool roomTold = false;  // the window list's want of room for the handles was said

    // Makes and fills the handle texture; the device's result code.
    static HRESULT CreateHandleTexture();
    static void ReleaseHandleTexture();

    // Makes the missing handles (hidden, draggable) and stores the callback; with no room
    // for them in the window list the editor is left as it was and says so, once while the
    // list stays full.
    void Create(uint32_t newColour, uint32_t newHoverColour, void (*callback)(RECT*));
    // The rectangle, with the handles centred on its corners.
    void SetRect(const RECT& r);
    // The rectangle from the handles' places.
    void UpdateRect();
    void Show();
    void Hide();
    void DeleteHandles();
    // The rectangle's outline in the colour.
    void Draw();

    // Per-frame callback of a handle: the plain mark.
    static void OnHandleFrame();
    // Hover callback: the framed mark; while the left button is held the rectangle follows
    // the handles and the change callback hears of it.
    static void OnHandleHover();
};
