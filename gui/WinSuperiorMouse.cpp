// The frame's mouse pass of the window manager: hit test, drag, cursor, hover, popup, clicks
// in their three trigger modes, held buttons and the wheel. The order of the steps is what
// the application's callbacks rely on. Every callback may delete windows, the window under
// the mouse included; the pass stops for that window as soon as it is gone.
#include "gui/WinSuperior.h"

#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Input.h"

int32_t gWinPressHandled = 0;

namespace {

// Held time below this is the first frame of a press.
constexpr float FIRST_FRAME = 0.00001f;

bool Inside(const CBaseWin* win, int x, int y)
{
    return x >= win->left && x <= win->right && y >= win->top && y <= win->bottom;
}

bool InSubtree(const CBaseWin* win, const CBaseWin* root)
{
    for (; win; win = win->parent)
        if (win == root)
            return true;
    return false;
}

bool IsModalOrItsChild(const CBaseWin* win)
{
    return (win->flags & WIN_PUSHER) || (win->parent && (win->parent->flags & WIN_PUSHER));
}

} // namespace

void CWinSuperior::Process()
{
    if (!count)
        return;
    BeginPass();
    MousePass();
}

void CWinSuperior::ProcessAndDraw()
{
    if (!count)
        return;
    BeginPass();
    gGraphics.EndSprites();
    MousePass();
    DrawWins();
}

// The tooltip starts again when the mouse has reached another window.
void CWinSuperior::BeginPass()
{
    if (hintedWin != pWinUnderMouse) {
        hintRendered = 0;
        hintTimer = 0.0f;
    }
    hintPending = 0;
}

// Callbacks may have shown windows (new stamps): sorted again after the pass.
void CWinSuperior::MousePass()
{
    if (resortRequest)
        SortByZ();
    HandleMouse();
    if (gInput.leftClick)
        EndPress();
    if (resortRequest)
        SortByZ();
}

// A press ends with its release wherever the mouse is then: a press-mode click must not eat
// a later click, and the window pressed before counts its next press from the start.
void CWinSuperior::EndPress()
{
    gWinPressHandled = 0;
    for (int i = 0; i < count; ++i)
        if (windows[i])
            windows[i]->heldTime = windows[i]->repeatTimer = 0.0f;
}

void CWinSuperior::HandleMouse()
{
    slotUnderMouse = -1;
    if (dragging && pWinUnderMouse)
        DragStep();
    else
        FindWindowUnderMouse();
    FocusLossStep();
    CBaseWin* win = pWinUnderMouse;
    if (!win) {
        NothingUnderMouse();
        return;
    }
    SetWindowCursor(win);
    Dispatch(win, WEV_HOVER);
    if (!Alive(win))
        return;
    ClosePopupUnder(win);
    if (!Alive(win) || !LeftButton(win) || !RightButtonAndWheel(win))
        return;
    LeftClick(win);
}

// The topmost active window under the mouse wins; inactive windows neither win nor shield
// what lies below.
void CWinSuperior::FindWindowUnderMouse()
{
    dragging = 0;
    pWinUnderMouse = nullptr;
    const int x = gInput.mouseX, y = gInput.mouseY;
    uint32_t highest = 0;
    for (int i = 0; i < count; ++i) {
        CBaseWin* win = windows[i];
        if (!win)
            continue;
        pWinCurrent = win;
        if (win->flags & WIN_FADING)
            win->FadeStep();
        if (win->flags & WIN_ACTIVE) {
            win->Fire(WEV_FRAME);
            if (windows[i] != win)
                continue;
        }
        if (!(win->flags & WIN_ACTIVE) || !Inside(win, x, y) || win->zStamp <= highest ||
            (win->hitMask && !win->HitTestPixel()))
            continue;
        highest = win->zStamp;
        slotUnderMouse = i;
        mouseOffsetX = x - win->left;
        mouseOffsetY = y - win->top;
        pWinUnderMouse = win;
    }
    pWinCurrent = nullptr;
}

// No fades, per-frame callbacks or hit tests while a window is dragged.
void CWinSuperior::DragStep()
{
    pWinUnderMouse->MoveTo(gInput.mouseX - grabX, gInput.mouseY - grabY);
}

// A right click on empty space closes the modal window.
void CWinSuperior::NothingUnderMouse()
{
    if (disabledCount && gInput.rightClick) {
        CloseModal();
        return;
    }
    gGraphics.EnsureCursor();
}

void CWinSuperior::SetWindowCursor(const CBaseWin* win)
{
    if (win->flags & WIN_SCROLLED)
        return;
    if (win->cursor)
        gGraphics.SetCursor(win->cursor);
    else
        gGraphics.SetDefaultCursor();
}

// A button held over anything outside the popup's subtree deletes the popup.
void CWinSuperior::ClosePopupUnder(const CBaseWin* win)
{
    if (!pWinPopup || InSubtree(win, pWinPopup) || (!gInput.leftHeld && !gInput.rightHeld))
        return;
    CBaseWin* popup = pWinPopup;
    DeleteWin(&popup);
}

// The held left button (drag start, held event, auto-repeat), the double click and the
// press-mode click. False when the frame's mouse work is done.
bool CWinSuperior::LeftButton(CBaseWin* win)
{
    const bool doubleClick = gInput.doubleClick != 0;
    if (!doubleClick && !gInput.leftHeld)
        return true;
    if (!doubleClick) {
        hintTimer = HINT_HIDDEN;
        if ((win->flags & WIN_DRAGGABLE) && !dragging) {
            dragging = 1;
            grabX = mouseOffsetX;
            grabY = mouseOffsetY;
            return false;
        }
        Dispatch(win, WEV_LEFT_HELD);
        if (!Alive(win))
            return false;
        if ((win->triggerMode & KEY_AUTO_REPEAT) && RepeatDue(win)) {
            Dispatch(win, WEV_CLICK_REPEAT);
            if (!Alive(win))
                return false;
        }
    } else {
        Dispatch(win, WEV_DBLCLICK);
        if (!Alive(win))
            return false;
    }
    if ((win->triggerMode & KEY_ON_PRESS) &&
        ((doubleClick && (win->flags & WIN_DBLCLICK)) || win->heldTime < FIRST_FRAME)) {
        if (!Dispatch(win, WEV_CLICK_PRESS))
            return false;
        gWinPressHandled = 1;
        if (!Alive(win))
            return false;
    }
    if (win->flags & WIN_ACTIVE)
        win->heldTime += gFrameTimer.step;
    return true;
}

// The first frame of the press clicks; after the repeat delay one click per repeat interval,
// at most one a frame.
bool CWinSuperior::RepeatDue(CBaseWin* win) const
{
    if (win->heldTime < FIRST_FRAME)
        return true;
    if (win->heldTime <= win->repeatDelay)
        return false;
    win->repeatTimer += gFrameTimer.step;
    if (win->repeatTimer <= win->repeatInterval)
        return false;
    win->repeatTimer -= win->repeatInterval;
    return true;
}

// The held right button, the wheel and the right click. False when the frame's mouse work
// is done.
bool CWinSuperior::RightButtonAndWheel(CBaseWin* win)
{
    if (gInput.rightHeld) {
        hintTimer = HINT_HIDDEN;
        Dispatch(win, WEV_RIGHT_HELD);
        if (!Alive(win))
            return false;
    }
    if (gInput.wheelDelta) {
        Dispatch(win, WEV_WHEEL);
        if (!Alive(win))
            return false;
    }
    if (!gInput.rightClick)
        return true;
    hintTimer = HINT_HIDDEN;
    if (dragging) {
        dragging = 0;
        return false;
    }
    win->repeatTimer = win->heldTime = 0.0f;
    if (disabledCount)
        CloseModal();
    Dispatch(win, WEV_RIGHT_CLICK);
    return Alive(win);
}

// The release: ends a drag (no click), or clicks a release-mode window; a click on the modal
// window or a direct child of it closes the modal window first. After a press-mode click the
// release only ends that press.
void CWinSuperior::LeftClick(CBaseWin* win)
{
    if (!gInput.leftClick)
        return;
    if (gWinPressHandled) {
        win->heldTime = 0.0f;
        gWinPressHandled = 0;
        return;
    }
    hintTimer = HINT_HIDDEN;
    if (dragging) {
        dragging = 0;
        return;
    }
    win->repeatTimer = win->heldTime = 0.0f;
    if (disabledCount && IsModalOrItsChild(win))
        CloseModal();
    if (win->triggerMode & KEY_ON_RELEASE)
        Dispatch(win, WEV_CLICK_RELEASE);
}

void CWinSuperior::CloseModal()
{
    if (pWinPusher)
        pWinPusher->Hide(0);
    PopModal();
}
