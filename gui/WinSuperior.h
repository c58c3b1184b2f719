#pragma once
// CWinSuperior: the window manager of the 2D layer (gWinSuperior). It owns every window in a
// slot array of at most MAX_WINS entries kept in z order, hands out z stamps, places new
// windows relative to the current origin, keeps the modal window with the windows it
// disabled and the popup, and loads the skin texture. Once per frame it turns the mouse
// state of gInput into window events (hit test, drag, clicks, hover, wheel) and draws the
// visible windows. Failures are message boxes after which work goes on: a window past the
// limit stays unregistered, a missing skin leaves check marks undrawn. References the
// manager holds to a window are cleared when the window is deleted, so callbacks may delete
// any window, their own included.

#include "core/Font.h"
#include "core/KeyHandler.h"
#include "gui/BaseWin.h"

#include <d3d9.h>

#include <cstdint>
#include <cstdio>

constexpr int MAX_WINS = 1024;
constexpr int MAX_ORIGIN_DEPTH = 32;
constexpr float CARET_BLINK_TIME = 0.4f;
// Hint timer value that keeps the tooltip away until the mouse reaches another window.
constexpr float HINT_HIDDEN = 9999.0f;

constexpr int EDIT_SAVED_TEXT_SIZE = 128;
constexpr int HINT_FONT_NAME_SIZE = 128;

class CMyButton;
class CLabel;
class CMyEdit;
class CTextList;
class CTextListDiag;
class CTable;
class CRadioBox;
class CCheckBox;
struct CDiagCaption;

struct CWinSuperior {
    int32_t count = 0;
    CBaseWin* windows[MAX_WINS] = {};  // ascending z stamp after a sort: topmost last
    CBaseWin* compactScratch[MAX_WINS] = {};
    int32_t freeCount = 0;
    int32_t freeSlots[MAX_WINS] = {};
    uint32_t zCounter = 1;
    uint32_t resortRequest = 1;
    int32_t originX = -1, originY = -1;  // -1, -1: no origin
    float caretTimer = 0.0f;
    int32_t dragging = 0;
    int32_t grabX = 0, grabY = 0;  // mouse position within the dragged window
    int32_t disabledCount = 0;
    CBaseWin* disabledWins[MAX_WINS] = {};
    // Tooltip timing; the tooltip itself is drawn by DrawHint.
    int32_t hintRendered = 0;
    float hintTimer = 0.0f;
    CBaseWin* hintedWin = nullptr;
    int32_t hintPending = 0;
    int32_t slotUnderMouse = -1;
    CBaseWin* pWinCurrent = nullptr;
    CBaseWin* pWinUnderMouse = nullptr;
    CTextList* rowEditList = nullptr;  // the list whose row gWinEdit edits in place
    int32_t swallowClick = 0;  // the next press-mode click runs no callbacks
    int32_t caretPhase = 0;
    int32_t mouseOffsetX = 0, mouseOffsetY = 0;  // mouse relative to pWinUnderMouse
    IDirect3DTexture9* skin = nullptr;
    RECT checkRects[2] = {};  // toggled, untoggled
    CBaseWin* pWinPusher = nullptr;
    CBaseWin* pWinPopup = nullptr;
    CBaseWin* clipWin = nullptr;  // its clip rect is the viewport while drawing
    CBaseWin* originWin = nullptr;
    CBaseWin* originStack[MAX_ORIGIN_DEPTH] = {};
    int32_t originDepth = 0;
    // Keyboard focus of edit fields.
    CMyEdit* pWinFocused = nullptr;
    int32_t replaceOnType = 0;  // the next typed character starts a new text
    char savedEditText[EDIT_SAVED_TEXT_SIZE] = {};  // the text when the field took focus
    // Tooltip picture and style ("HINTER" block of the configuration file).
    IDirect3DTexture9* hintTexture = nullptr;  // render target
    uint32_t hintBackColor = 0xFFEEEEAA;
    uint32_t hintTextColor = 0xFF000050;
    float hintWidth = 0.0f, hintHeight = 0.0f;
    RECT hintRect = {};  // source rect of the tooltip in the hint texture
    CFont hintFont;
    char hintFontName[HINT_FONT_NAME_SIZE] = {};
    int32_t hintFontHeight = 0, hintFontWidth = 0;
    int32_t hintFontOptions = 0;  // FONT_BOLD, FONT_ITALIC, FONT_NOT_ANTIALIASED
    float hintPos[3] = {};
    float hintDelay = 0.6f;
    float hintEnd = 3.1f;

    // Needs the device: loads the skin and the hint texture, creates the hint font and fills
    // the edit key table.
    void Init();
    // Before the device goes: releases the skin, the hint texture and the hint font (the
    // windows stay with their owners).
    void Release();
    // The frame's mouse pass over the windows (nothing without windows). Reads the mouse
    // of gInput and the step of gFrameTimer.
    void Process();
    // Draws the visible windows in z order; nothing without a device.
    void DrawWins();
    // Process and DrawWins in one, for a frame without its window mode.
    void ProcessAndDraw();
    // The mouse pass proper, on the sorted window array.
    void HandleMouse();
    // Sets the viewport to the window's clip rect (inclusive, relative to the window).
    void SetClip(const CBaseWin* win);
    // The tooltip of the window under the mouse: rendered into the hint texture on the
    // first frame over the window, drawn from the delay to the end. Nothing without hint
    // texture or window.
    void DrawHint(CBaseWin* win);

    // A CBaseWin at (x, y) relative to the origin; width or height -1 is taken from the
    // inclusive source rect (r - l, b - t). Past the limit the window comes back
    // unregistered and uninitialised.
    CBaseWin* AddWin(int x, int y, int width, int height, WinFn onClick,
                     IDirect3DTexture9* texture, int l, int t, int r, int b,
                     uint32_t triggerMode, uint32_t flags);
    // As AddWin; trigger mode 0 becomes KEY_ON_RELEASE.
    CMyButton* AddButton(int x, int y, int width, int height, WinFn onClick,
                         IDirect3DTexture9* texture, int l, int t, int r, int b,
                         uint32_t triggerMode, uint32_t flags);
    // A text line without texture or size.
    CLabel* AddLabel(int x, int y, CFont* font, const char* text, uint32_t colour,
                     uint32_t flags);
    // An edit field, trigger on release, no texture; onEnter may be null.
    CMyEdit* AddEdit(int x, int y, int width, int height, void (*onEnter)(), CFont* font,
                     const char* text, uint32_t colour, uint32_t focusedColour,
                     uint32_t flags);
    // A text list without texture; Create's arguments follow the click function.
    CTextList* AddTextList(int x, int y, int width, int height, WinFn onClick, CFont* font,
                           uint32_t colour, uint32_t hoverColour, uint32_t selectedColour,
                           int capacity, int itemWidth, int rows, int rowHeight,
                           uint32_t flags);
    // A list dialog laid out by the caption record at (x, y); a container dialog becomes the
    // origin at its final place. Null, with the limit message (HasRoomFor with roomTold),
    // when the window list has no room for the dialog with all its parts.
    CTextListDiag* AddTextListDiag(int x, int y, const CDiagCaption& caption, WinFn onListClick,
                                   CFont* font, uint32_t colour, uint32_t hoverColour,
                                   uint32_t selectedColour, int capacity, int itemWidth,
                                   int rows, int rowHeight, uint32_t flags,
                                   bool* roomTold = nullptr);
    CTable* AddTable(int x, int y, int width, int height, WinFn onClick, CFont* font,
                     uint32_t colour, uint32_t hoverColour, uint32_t selectedColour,
                     int capacity, int cellBytes, int rowsPerColumn, int cellsPerScrollStep,
                     int cellWidth, int cellHeight, uint32_t flags);
    // Option groups drawn from the texture, which also holds the marks; rects inclusive.
    CRadioBox* AddRadioBox(int x, int y, int width, int height, WinFn onClick, int markX,
                           int markY, int rowHeight, IDirect3DTexture9* texture,
                           const RECT& source, uint32_t flags, const RECT& markSource,
                           uint32_t selectedMask, int rowCount);
    CCheckBox* AddCheckBox(int x, int y, int width, int height, WinFn onClick, int markX,
                           int markY, int rowHeight, IDirect3DTexture9* texture,
                           const RECT& source, uint32_t flags, const RECT& markSource,
                           uint32_t selectedMask, int rowCount);
    // In-place editing of the list's current row through gWinEdit, laid over the row.
    void BeginRowEdit(CTextList* list);
    // Writes the edit's text into the edited row, reports it and hides gWinEdit.
    void EndRowEdit();
    // Enter callback of gWinEdit.
    static void OnRowEditEnter();
    // The focused field's text into buffer (LABEL_TEXT_SIZE bytes): 1, or 0 without focus.
    int GetFocusedText(char* buffer) const;
    // 1.0 / 1 without a focused field.
    float GetFocusedFloat() const;
    int GetFocusedInt() const;
    // Callbacks of the edit keys: the operation on the focused field.
    static void OnHomeKey();
    static void OnEndKey();
    static void OnBackspaceKey();
    static void OnDeleteKey();
    static void OnLeftKey();
    static void OnRightKey();
    static void OnEscapeKey();
    static void OnEnterKey();
    // 0, or -1 with the limit message.
    int RegisterWin(CBaseWin* win);
    // How many more windows can be registered.
    int FreeWinCount() const { return MAX_WINS - count + freeCount; }
    // Asked before a group of windows that is of no use unless whole is made: true when
    // `needed` more fit (and *told is cleared); else the limit message naming what wanted
    // them, said only while *told is clear (then set), so that one shortage is said once
    // however often it is met. A null told says every shortage.
    bool HasRoomFor(int needed, const char* what, bool* told);
    void FreeSlot(CBaseWin* win);
    void Compact();
    void SortByZ();
    uint32_t NextZ();
    // Deletes *win with its children and nulls the caller's pointer.
    void DeleteWin(CBaseWin** win);

    void SetOrigin(CBaseWin* win, int x, int y);
    void ResetOrigin();
    void PushOrigin(CBaseWin* win);
    void PopOrigin();
    void GetOrigin(int* x, int* y) const;

    void PushModal();
    void PopModal();

    int CaretBlink();
    // Makes the window current (per-frame and drawing events) or the window under the
    // mouse (the others; its slot only when it is not being dragged) and fires the event on
    // it; false when a swallowed press-mode click ran no callbacks.
    bool Dispatch(CBaseWin* win, EWinEvent event);

    // The tooltip block of the configuration file, after its word "HINTER": font, text and
    // back colour. An unknown word is reported and ends the reading (the configuration
    // reader takes the rest); the end of the file ends it silently.
    void ReadHinter(FILE* file);

private:
    // Registers and initialises a new window; false when it could not be registered.
    bool Place(CBaseWin* win, int x, int y, int width, int height, WinFn onClick,
               IDirect3DTexture9* texture, int l, int t, int r, int b, uint32_t triggerMode,
               uint32_t flags);
    void PlaceGroup(CRadioBox* group, int x, int y, int width, int height, WinFn onClick,
                    int markX, int markY, int rowHeight, IDirect3DTexture9* texture,
                    const RECT& source, uint32_t flags, const RECT& markSource,
                    uint32_t selectedMask, int rowCount);
    void Forget(const CBaseWin* win);
    // A button held over another window takes the focus from the focused field.
    void FocusLossStep();
    void InitEditKeys();
    void CreateRowEditor();
    void InitHint();
    void RenderHint(CBaseWin* win);
    void ReadHintFont(FILE* file);
    void KeepSlotUnderMouse();
    void BeginPass();
    void MousePass();
    void EndPress();
    void FindWindowUnderMouse();
    void DragStep();
    void NothingUnderMouse();
    void SetWindowCursor(const CBaseWin* win);
    void ClosePopupUnder(const CBaseWin* win);
    bool LeftButton(CBaseWin* win);
    bool RepeatDue(CBaseWin* win) const;
    bool RightButtonAndWheel(CBaseWin* win);
    void LeftClick(CBaseWin* win);
    void CloseModal();
    bool Alive(const CBaseWin* win) const { return pWinUnderMouse == win; }
    void EndClip();
};
extern CWinSuperior gWinSuperior;

// Whether the window list took the window: one made past the limit comes back without a slot
// and must not be kept.
inline bool IsRegistered(const CBaseWin* win) { return win && win->slot >= 0; }

// Set when a press-mode click fired, so that the release that follows clicks nothing.
extern int32_t gWinPressHandled;

// The shared in-place editor of list rows, made by Init.
extern CMyEdit* gWinEdit;
// The nine editing keys, pushed as an input level of its own while a field is focused.
extern CKeyTable gEditKeyTable;
extern CKeyHandler gEditKeyHome, gEditKeyEnd, gEditKeyBackspace, gEditKeyDelete, gEditKeyLeft,
    gEditKeyRight, gEditKeyEscape, gEditKeyEnter, gEditKeyNumpadEnter;

// Column width of list dialogs in pixels ("WIDTH_DIAGS" of the configuration file).
extern int32_t WIDTH_DIAGS;
