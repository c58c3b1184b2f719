#pragma once
// CBaseWin: one window of the 2D layer, a textured screen rectangle with caption, overlay,
// check mark, hit mask, hint, colour and fade animation, frames, child windows, four user
// values and one delegate and one plain function per event. Windows are made and deleted
// only by the window manager (gui/WinSuperior.h); a window owns its children and its
// delegates, never its texture, font, cursor or hit mask. Nothing here reports errors: bad
// indexes and over-long texts are ignored or cut.

#include "core/Delegates.h"

#include <d3d9.h>

#include <cstdint>

struct CFont;
struct CCursor;

enum : uint32_t {
    WIN_ACTIVE = 0x1,
    WIN_VISIBLE = 0x2,
    WIN_DRAGGABLE = 0x4,
    WIN_CONTAINER = 0x8,
    WIN_PUSHER = 0x10,
    WIN_READONLY = 0x20,
    WIN_POPUP = 0x40,
    WIN_SCROLLED = 0x80,
    WIN_NOBLEND = 0x100,
    WIN_NOSELECT = 0x200,
    WIN_DBLCLICK = 0x400,
    WIN_KEEPTEXT = 0x800,
    WIN_ITEMVALUES = 0x1000,
    WIN_SINGLESELECT = 0x2000,
    WIN_FADING = 0x4000,
};

// A coordinate argument that leaves that axis as it is; also "no overlay".
constexpr int32_t WIN_KEEP = -11111;
// Scroll offset of a window that has no scroll buttons.
constexpr int32_t WIN_NO_SCROLL = -9999999;

constexpr int WIN_CAPTION_SIZE = 256;
constexpr int WIN_HINT_SIZE = 128;
constexpr int WIN_USER_VALUES = 4;
constexpr int WIN_CHILD_STEP = 16;
constexpr float WIN_FADE_SPEED = 3.0f;

enum : int32_t { WIN_KIND_PLAIN = 1, WIN_KIND_LIST_DIAG = 2 };

// The events a window answers; CBaseWin::Fire applies each one's calling rule.
enum EWinEvent {
    WEV_FRAME,
    WEV_HOVER,
    WEV_CLICK_RELEASE,
    WEV_CLICK_PRESS,
    WEV_CLICK_REPEAT,
    WEV_DBLCLICK,
    WEV_LEFT_HELD,
    WEV_RIGHT_CLICK,
    WEV_RIGHT_HELD,
    WEV_WHEEL,
    WEV_PRE_DRAW,
    WEV_POST_DRAW,
};

using WinFn = void (*)();

class CBaseWin {
public:
    uint32_t flags = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom inclusive
    int32_t width = 0, height = 0;
    uint32_t triggerMode = 0;  // KEY_ON_RELEASE, KEY_AUTO_REPEAT, KEY_ON_PRESS or 0
    IDirect3DTexture9* texture = nullptr;
    RECT sourceRect = {};  // right and bottom exclusive
    uint32_t color = 0xFFFFFFFF;
    float numericValue = 0.0f;
    float position[3] = {};
    uint32_t zStamp = 0;
    int32_t slot = -1;
    float heldTime = 0.0f;
    float repeatDelay = 0.4f;
    float repeatTimer = 0.0f;
    float repeatInterval = 0.05f;
    int32_t scrollOffset = WIN_NO_SCROLL;
    RECT clipRect = {};  // relative to left/top; left == right: no clipping
    CCursor* cursor = nullptr;
    char caption[WIN_CAPTION_SIZE] = {};
    uint32_t captionColor = 0xFFFFFFFF;
    int32_t captionX = 0, captionY = 0;
    CFont* captionFont = nullptr;
    RECT overlayRect = {};
    int32_t overlayX = WIN_KEEP, overlayY = WIN_KEEP;
    const uint8_t* hitMask = nullptr;
    int32_t toggling = 0;
    int32_t toggled = 1;
    int32_t checkX = 0, checkY = 0;
    float checkPosition[3] = {};
    float fadeAlpha = 1.0f;
    float fadeSpeed = 0.0f;
    uint32_t normalColor = 0xFFFFFFFF, hoverColor = 0xFFFFFFFF;
    float highlightTimer = 0.0f;
    float timeToNormal = 0.0f, timeToHover = 0.0f;
    int32_t scrollStep = 0;
    IDelegate* pOnClick = nullptr;
    IDelegate* pOnDblClick = nullptr;
    IDelegate* pOnLeftHeld = nullptr;
    IDelegate* pOnRightClick = nullptr;
    IDelegate* pOnHover = nullptr;
    IDelegate* pOnPreDraw = nullptr;
    IDelegate* pOnPostDraw = nullptr;
    IDelegate* pOnFrame = nullptr;
    int32_t childCount = 0, childCapacity = 0;
    CBaseWin** children = nullptr;
    char hint[WIN_HINT_SIZE] = {};
    CBaseWin* parent = nullptr;
    int32_t kind = WIN_KIND_PLAIN;
    int32_t currentFrame = 0, frameCount = 0, firstFrameLeft = 0;
    int32_t userValueSet[WIN_USER_VALUES] = {};
    uintptr_t userValues[WIN_USER_VALUES] = {};  // wide enough for the owner's pointer
    WinFn fnOnClick = nullptr;
    WinFn fnOnRightClick = nullptr;
    WinFn fnOnLeftHeld = nullptr;
    WinFn fnOnRightHeld = nullptr;
    WinFn fnOnWheel = nullptr;
    WinFn fnOnHover = nullptr;
    WinFn fnOnFrame = nullptr;
    WinFn fnOnPreDraw = nullptr;
    WinFn fnOnPostDraw = nullptr;
    WinFn fnAfterClick = nullptr;

    CBaseWin() = default;
    CBaseWin(const CBaseWin&) = delete;
    CBaseWin& operator=(const CBaseWin&) = delete;
    // Gives the slot back to the manager, deletes the children and the delegates.
    virtual ~CBaseWin();
    virtual void UpdateHighlight();
    // The source rect at the position in the colour, then the overlay, the check mark from
    // the manager's skin and the caption; nothing without texture.
    virtual void Draw();
    virtual void OnClick();
    virtual void OnRightClick() {}

    // Called by the factories once the window is registered; (x, y) is relative to the
    // manager's origin, sourceRect inclusive or null.
    void Init(int x, int y, int w, int h, WinFn onClick, IDirect3DTexture9* tex,
              const RECT* sourceRect, uint32_t trigger, uint32_t addFlags);

    void SetCaption(const char* text, CFont* font, uint32_t colour, int offsetX, int offsetY);
    void SetCaptionText(const char* text);
    // Closes the sprite batch; the caption's top-left corner goes 3 pixels above
    // (x + offset x, y + offset y).
    void DrawCaption(int x, int y);
    void SetOverlay(int offsetX, int offsetY, int l, int t, int r, int b);
    void SetHint(const char* text);
    void SetHoverColours(uint32_t normal, float toNormal, uint32_t hover, float toHover);
    void SetDrawCallbacks(WinFn pre, WinFn post);
    void MakeToggle(int offsetX, int offsetY);
    int IsToggled() const { return toggled; }
    void SetHitMask(const uint8_t* mask) { hitMask = mask; }
    // Whether the texel under the mouse is hot in the hit mask; false without texture.
    bool HitTestPixel() const;
    void SetClipRect(int l, int t, int r, int b);

    void Show(int visible);
    void Hide(int keepVisible);
    void FadeIn(uint8_t startAlpha);
    void FadeOut();
    void FadeStep();
    void SetAlpha(uint8_t alpha);
    void HideChildren(uint8_t alpha);
    void ShowChildren(uint8_t alpha);

    void MoveTo(int x, int y);
    void MoveBy(int dx, int dy);
    void SetLeft(int x) { MoveTo(x, WIN_KEEP); }
    void SetTop(int y) { MoveTo(WIN_KEEP, y); }
    void SetSize(int w, int h);
    void SetTexture(IDirect3DTexture9* tex) { texture = tex; }
    void SetTexRect(const RECT& r) { SetTexRectLTRB(r.left, r.top, r.right, r.bottom); }
    void SetTexRectLTRB(int l, int t, int r, int b);
    void SetTexPos(int l, int t);
    void GetPos(int* x, int* y) const;
    void GetRightBottom(int* r, int* b) const;

    void SetUserData(uintptr_t value, int index);
    void GetUserData(uintptr_t* out, int index) const;
    void SetUserDataArray(const uintptr_t* values, int first, int count);
    void GetUserDataArray(uintptr_t* values, int first, int count) const;

    void SetFrames(int count);
    void SetFrame(int n);
    void NextFrame();

    // Appends children up to a null argument.
    void AddChilds(CBaseWin* first, ...);
    void AddChildArray(CBaseWin* const* array, int count);
    void ReserveChildren(int capacity);
    void RemoveChild(const CBaseWin* child);

    // Two auto-repeat buttons from this window's texture at (x, upY) and (x, downY) relative
    // to it, the down picture right of the up one; each click scrolls by step. This window
    // stays the manager's origin. The buttons start shown and active, and blend, as this
    // window does.
    void MakeScrollButtons(int x, int upY, int downY, int w, int h, int sourceX, int sourceY,
                           int step);
    // Moves the WIN_SCROLLED children; the offset never goes above 0.
    void Scroll(int delta);
    // Scroll-button callbacks: the parent of the window under the mouse scrolls.
    static void OnScrollUp();
    static void OnScrollDown();

    // Runs the event's virtual step and then its delegate or plain function by the
    // event's rule. The window may be deleted by its own callback. False only when a
    // press-mode click was swallowed (the manager's swallow flag was set by the virtual
    // step): its callbacks did not run.
    bool Fire(EWinEvent event);

protected:
    // One frame of a colour transition from `from` to target over duration seconds, on the
    // given colour and its timer; the timer restarts when the target is reached.
    static void BlendStep(uint32_t* colour, float* timer, uint32_t target, uint32_t from,
                          float duration);

private:
    void ColourStep(uint32_t target, uint32_t from, float duration);
    void AddChild(CBaseWin* child);
    void SetColourAlpha(uint8_t alpha);
};
