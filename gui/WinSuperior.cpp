#include "gui/WinSuperior.h"

#include "core/FrameTimer.h"
#include "core/Input.h"
#include "core/Messages.h"
#include "gui/Label.h"
#include "gui/MyButton.h"
#include "gui/MyEdit.h"
#include "gui/TextList.h"

#include <cstdio>
#include <cstring>

CWinSuperior gWinSuperior;
int32_t WIDTH_DIAGS = 40;

namespace {

constexpr size_t LIMIT_TEXT_SIZE = 256;

} // namespace

bool CWinSuperior::Place(CBaseWin* win, int x, int y, int width, int height, WinFn onClick,
                         IDirect3DTexture9* texture, int l, int t, int r, int b,
                         uint32_t triggerMode, uint32_t flags)
{
    if (RegisterWin(win) != 0)
        return false;
    const RECT source{l, t, r, b};
    win->Init(x, y, width == -1 ? r - l : width, height == -1 ? b - t : height, onClick,
              texture, &source, triggerMode, flags);
    return true;
}

CBaseWin* CWinSuperior::AddWin(int x, int y, int width, int height, WinFn onClick,
                               IDirect3DTexture9* texture, int l, int t, int r, int b,
                               uint32_t triggerMode, uint32_t flags)
{
    CBaseWin* win = new CBaseWin;
    Place(win, x, y, width, height, onClick, texture, l, t, r, b, triggerMode, flags);
    return win;
}

CMyButton* CWinSuperior::AddButton(int x, int y, int width, int height, WinFn onClick,
                                   IDirect3DTexture9* texture, int l, int t, int r, int b,
                                   uint32_t triggerMode, uint32_t flags)
{
    CMyButton* button = new CMyButton;
    Place(button, x, y, width, height, onClick, texture, l, t, r, b,
          triggerMode ? triggerMode : KEY_ON_RELEASE, flags);
    return button;
}

CLabel* CWinSuperior::AddLabel(int x, int y, CFont* font, const char* text, uint32_t colour,
                               uint32_t flags)
{
    CLabel* label = new CLabel;
    if (RegisterWin(label) != 0)
        return label;
    label->Init(x, y, 0, 0, nullptr, nullptr, nullptr, 0, flags);
    label->SetFont(font, text, colour);
    return label;
}

int CWinSuperior::RegisterWin(CBaseWin* win)
{
    int slot;
    if (freeCount > 0) {
        slot = freeSlots[--freeCount];
        freeSlots[freeCount] = 0;
    } else if (count >= MAX_WINS) {
        MsgBox("PROGRAMMER LIMIT: Wins array for CWinSuperior is overflow");
        return -1;
    } else {
        slot = count++;
    }
    win->slot = slot;
    windows[slot] = win;
    return 0;
}

bool CWinSuperior::HasRoomFor(int needed, const char* what, bool* told)
{
    const int available = FreeWinCount();
    if (needed <= available) {
        if (told)
            *told = false;
        return true;
    }
    if (told && *told)
        return false;
    if (told)
        *told = true;
    char text[LIMIT_TEXT_SIZE];
    snprintf(text, sizeof text,
             "PROGRAMMER LIMIT: Wins array for CWinSuperior is overflow: %s needs %d windows, "
             "%d are free.",
             what, needed, available);
    MsgBox(text);
    return false;
}

// A window that never got a slot gives nothing back.
void CWinSuperior::FreeSlot(CBaseWin* win)
{
    Forget(win);
    if (win->slot < 0 || win->slot >= count || windows[win->slot] != win)
        return;
    windows[win->slot] = nullptr;
    freeSlots[freeCount++] = win->slot;
    win->slot = -1;
}

// A deleted window must not be reached through the manager afterwards: not as a current,
// hovered or popup window, not as an origin, and not by re-enabling it; a deleted modal
// window gives the windows it disabled back.
void CWinSuperior::Forget(const CBaseWin* win)
{
    if (pWinUnderMouse == win) {
        pWinUnderMouse = nullptr;
        slotUnderMouse = -1;
        dragging = 0;
    }
    if (hintedWin == win)
        hintedWin = nullptr;
    if (pWinFocused == win) {
        pWinFocused = nullptr;
        gInput.RemoveTable(&gEditKeyTable);
        gInput.textMode = 0;
    }
    if (gWinEdit == win)
        gWinEdit = nullptr;
    if (pWinCurrent == win)
        pWinCurrent = nullptr;
    if (pWinPopup == win)
        pWinPopup = nullptr;
    if (static_cast<const CBaseWin*>(rowEditList) == win)
        rowEditList = nullptr;
    if (pWinPusher == win)
        PopModal();
    if (originWin == win)
        originWin = nullptr;
    for (int i = 0; i < originDepth; ++i)
        if (originStack[i] == win)
            originDepth = i;
    int kept = 0;
    for (int i = 0; i < disabledCount; ++i)
        if (disabledWins[i] != win)
            disabledWins[kept++] = disabledWins[i];
    for (int i = kept; i < disabledCount; ++i)
        disabledWins[i] = nullptr;
    disabledCount = kept;
}

void CWinSuperior::Compact()
{
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (!windows[i])
            continue;
        compactScratch[kept] = windows[i];
        compactScratch[kept]->slot = kept;
        ++kept;
    }
    for (int i = 0; i < count; ++i)
        windows[i] = i < kept ? compactScratch[i] : nullptr;
    count = kept;
    freeCount = 0;
    KeepSlotUnderMouse();
}

// Slots change when the array is compacted or sorted; the slot under the mouse follows its
// window (it stays -1 while a window is dragged).
void CWinSuperior::KeepSlotUnderMouse()
{
    if (slotUnderMouse >= 0 && pWinUnderMouse)
        slotUnderMouse = pWinUnderMouse->slot;
}

void CWinSuperior::SortByZ()
{
    if (freeCount)
        Compact();
    for (int pass = count - 1; pass > 0; --pass) {
        for (int i = 0; i < pass; ++i) {
            if (windows[i]->zStamp <= windows[i + 1]->zStamp)
                continue;
            CBaseWin* w = windows[i];
            windows[i] = windows[i + 1];
            windows[i + 1] = w;
            windows[i]->slot = i;
            windows[i + 1]->slot = i + 1;
        }
    }
    resortRequest = 0;
    KeepSlotUnderMouse();
}

uint32_t CWinSuperior::NextZ()
{
    resortRequest = 1;
    return ++zCounter;
}

void CWinSuperior::DeleteWin(CBaseWin** win)
{
    if (!win || !*win)
        return;
    CBaseWin* w = *win;
    if (w->parent)
        w->parent->RemoveChild(w);
    delete w;
    *win = nullptr;
}

void CWinSuperior::SetOrigin(CBaseWin* win, int x, int y)
{
    originWin = win;
    originDepth = 0;
    originX = x;
    originY = y;
}

void CWinSuperior::ResetOrigin()
{
    originWin = nullptr;
    originDepth = 0;
    originX = originY = -1;
}

void CWinSuperior::PushOrigin(CBaseWin* win)
{
    if (originDepth >= MAX_ORIGIN_DEPTH)
        return;
    originStack[originDepth++] = win;
    originWin = win;
    originX = win->left;
    originY = win->top;
}

// Takes the left/top of the window just popped: after a single push and pop the pushed
// window stays the origin until the next pop or reset.
void CWinSuperior::PopOrigin()
{
    if (originDepth == 0) {
        ResetOrigin();
        return;
    }
    CBaseWin* win = originStack[--originDepth];
    originWin = win;
    originX = win->left;
    originY = win->top;
}

void CWinSuperior::GetOrigin(int* x, int* y) const
{
    const bool none = originX == -1;
    if (x)
        *x = none ? 0 : originX;
    if (y)
        *y = none ? 0 : originY;
}

// Holes are stepped over, not compacted away: a modal window may be shown by a per-frame or
// pre-draw callback while the mouse or draw pass walks the array, and every window after the
// caller must keep its slot to get its turn in that pass.
void CWinSuperior::PushModal()
{
    if (disabledCount)
        PopModal();
    for (int i = 0; i < count; ++i) {
        if (!windows[i] || !(windows[i]->flags & WIN_ACTIVE))
            continue;
        disabledWins[disabledCount++] = windows[i];
        windows[i]->flags &= ~WIN_ACTIVE;
    }
}

void CWinSuperior::PopModal()
{
    for (int i = 0; i < disabledCount; ++i) {
        disabledWins[i]->flags |= WIN_ACTIVE;
        disabledWins[i] = nullptr;
    }
    disabledCount = 0;
    pWinPusher = nullptr;
}

int CWinSuperior::CaretBlink()
{
    caretTimer += gFrameTimer.step;
    if (caretTimer >= CARET_BLINK_TIME) {
        caretTimer -= CARET_BLINK_TIME;
        caretPhase = !caretPhase;
    }
    return caretPhase;
}

bool CWinSuperior::Dispatch(CBaseWin* win, EWinEvent event)
{
    if (event == WEV_FRAME || event == WEV_PRE_DRAW || event == WEV_POST_DRAW) {
        pWinCurrent = win;
        const bool done = win->Fire(event);
        pWinCurrent = nullptr;
        return done;
    }
    pWinUnderMouse = win;
    // A dragged window is not hovered: its slot stays -1 for the frame.
    slotUnderMouse = dragging ? -1 : win->slot;
    return win->Fire(event);
}
