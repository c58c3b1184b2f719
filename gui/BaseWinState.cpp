// Showing, hiding, fading, moving and scrolling of a window and its subtree, the hover
// colour animation and the calling rules of the window events.
#include "gui/BaseWin.h"

#include "core/FrameTimer.h"
#include "core/Messages.h"
#include "gui/MyButton.h"
#include "gui/WinSuperior.h"

namespace {

uint32_t WithAlphaByte(uint32_t colour, uint8_t alpha)
{
    return (colour & 0x00FFFFFF) | uint32_t(alpha) << 24;
}

// Per channel as a float 0..1 (A, R, G, B), packed back by x 255 truncated.
uint32_t LerpColour(uint32_t from, uint32_t to, float t)
{
    uint32_t out = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const float a = float((from >> shift) & 0xFF) / 255.0f;
        const float b = float((to >> shift) & 0xFF) / 255.0f;
        out |= uint32_t((a + (b - a) * t) * 255.0f) << shift;
    }
    return out;
}

// Delegate first: the plain function runs only without a delegate.
void Call(IDelegate* delegate, WinFn fn)
{
    if (delegate)
        delegate->Invoke();
    else if (fn)
        fn();
}

} // namespace

void CBaseWin::Show(int visible)
{
    zStamp = gWinSuperior.NextZ();
    if (flags & WIN_PUSHER) {
        // Looked at before PushModal, which forgets the modal window it undoes.
        const bool replacing = gWinSuperior.pWinPusher && gWinSuperior.pWinPusher != this;
        gWinSuperior.PushModal();
        if (replacing)
            MsgBox("PROGRAMMER ERROR:  pWinPusher!=NULL.");
        gWinSuperior.pWinPusher = this;
    }
    if (visible == 1)
        flags |= WIN_VISIBLE;
    flags |= WIN_ACTIVE;
    if (flags & WIN_POPUP)
        gWinSuperior.pWinPopup = this;
    for (int i = 0; i < childCount; ++i)
        children[i]->Show(visible);
}

void CBaseWin::Hide(int keepVisible)
{
    // Only the modal window that is up gives the disabled windows back.
    if (gWinSuperior.pWinPusher == this)
        gWinSuperior.PopModal();
    for (int i = 0; i < childCount; ++i)
        children[i]->Hide(keepVisible);
    flags &= ~WIN_ACTIVE;
    if (keepVisible)
        flags |= WIN_VISIBLE;
    else
        flags &= ~WIN_VISIBLE;
    heldTime = 0.0f;
    repeatTimer = 0.0f;
}

void CBaseWin::FadeIn(uint8_t startAlpha)
{
    zStamp = gWinSuperior.NextZ();
    flags |= WIN_ACTIVE | WIN_VISIBLE | WIN_FADING;
    fadeSpeed = WIN_FADE_SPEED;
    SetColourAlpha(startAlpha);
    fadeAlpha = float(startAlpha) / 255.0f;
    for (int i = 0; i < childCount; ++i)
        children[i]->FadeIn(startAlpha);
}

void CBaseWin::FadeOut()
{
    flags &= ~WIN_ACTIVE;
    flags |= WIN_FADING;
    fadeSpeed = -WIN_FADE_SPEED;
    for (int i = 0; i < childCount; ++i)
        children[i]->FadeOut();
}

void CBaseWin::FadeStep()
{
    fadeAlpha += gFrameTimer.step * fadeSpeed;
    if (fadeAlpha >= 1.0f) {
        fadeAlpha = 1.0f;
        SetColourAlpha(0xFF);
        flags &= ~WIN_FADING;
    } else if (fadeAlpha <= 0.0f) {
        fadeAlpha = 0.0f;
        SetColourAlpha(0);
        flags &= ~(WIN_FADING | WIN_VISIBLE);
    } else {
        SetColourAlpha(uint8_t(fadeAlpha * 255.0f));
    }
}

void CBaseWin::SetColourAlpha(uint8_t alpha)
{
    color = WithAlphaByte(color, alpha);
}

void CBaseWin::SetAlpha(uint8_t alpha)
{
    SetColourAlpha(alpha);
    for (int i = 0; i < childCount; ++i)
        children[i]->SetAlpha(alpha);
}

void CBaseWin::HideChildren(uint8_t alpha)
{
    for (int i = 0; i < childCount; ++i) {
        children[i]->Hide(alpha ? 1 : 0);
        if (alpha)
            children[i]->SetAlpha(alpha);
    }
}

void CBaseWin::ShowChildren(uint8_t alpha)
{
    for (int i = 0; i < childCount; ++i) {
        children[i]->Show(1);
        children[i]->SetAlpha(alpha);
    }
}

void CBaseWin::MoveTo(int x, int y)
{
    MoveBy(x == WIN_KEEP ? WIN_KEEP : x - left, y == WIN_KEEP ? WIN_KEEP : y - top);
}

void CBaseWin::MoveBy(int dx, int dy)
{
    if (dx != WIN_KEEP) {
        left += dx;
        right += dx;
    }
    if (dy != WIN_KEEP) {
        top += dy;
        bottom += dy;
    }
    position[0] = float(left);
    position[1] = float(top);
    checkPosition[0] = float(checkX + left);
    checkPosition[1] = float(checkY + top);
    for (int i = 0; i < childCount; ++i)
        children[i]->MoveBy(dx, dy);
}

void CBaseWin::SetSize(int w, int h)
{
    if (w != WIN_KEEP) {
        width = w;
        right = left + w - 1;
    }
    if (h != WIN_KEEP) {
        height = h;
        bottom = top + h - 1;
    }
}

void CBaseWin::MakeScrollButtons(int x, int upY, int downY, int w, int h, int sourceX,
                                 int sourceY, int step)
{
    scrollOffset = 0;
    scrollStep = step;
    CWinSuperior& ws = gWinSuperior;
    ws.SetOrigin(this, left, top);
    const uint32_t shown = flags & (WIN_ACTIVE | WIN_VISIBLE | WIN_NOBLEND);
    const int bottomY = sourceY + h - 1;
    CBaseWin* up = ws.AddButton(x, upY, w, h, OnScrollUp, texture, sourceX, sourceY,
                                sourceX + w - 1, bottomY, KEY_AUTO_REPEAT, shown);
    CBaseWin* down = ws.AddButton(x, downY, w, h, OnScrollDown, texture, sourceX + w, sourceY,
                                  sourceX + 2 * w - 1, bottomY, KEY_AUTO_REPEAT, shown);
    AddChilds(up, down, nullptr);
}

// At the top bound the children move only by the part of the delta that was used, so they
// stay where an offset of 0 puts them.
void CBaseWin::Scroll(int delta)
{
    if (scrollOffset == WIN_NO_SCROLL || (delta > 0 && scrollOffset == 0))
        return;
    const int used = scrollOffset + delta > 0 ? -scrollOffset : delta;
    scrollOffset += used;
    for (int i = 0; i < childCount; ++i)
        if (children[i]->flags & WIN_SCROLLED)
            children[i]->MoveBy(WIN_KEEP, used);
}

void CBaseWin::OnScrollUp()
{
    CBaseWin* button = gWinSuperior.pWinUnderMouse;
    if (button && button->parent)
        button->parent->Scroll(button->parent->scrollStep);
}

void CBaseWin::OnScrollDown()
{
    CBaseWin* button = gWinSuperior.pWinUnderMouse;
    if (button && button->parent)
        button->parent->Scroll(-button->parent->scrollStep);
}

// The timer keeps running when the direction changes.
void CBaseWin::UpdateHighlight()
{
    if (gWinSuperior.pWinUnderMouse == this && color != hoverColor)
        ColourStep(hoverColor, normalColor, timeToHover);
    else if (gWinSuperior.pWinUnderMouse != this && color != normalColor)
        ColourStep(normalColor, hoverColor, timeToNormal);
}

void CBaseWin::ColourStep(uint32_t target, uint32_t from, float duration)
{
    BlendStep(&color, &highlightTimer, target, from, duration);
}

void CBaseWin::BlendStep(uint32_t* colour, float* timer, uint32_t target, uint32_t from,
                         float duration)
{
    *timer += gFrameTimer.step;
    const float t = *timer / duration;
    if (t < 1.0f) {
        *colour = LerpColour(from, target, t);
        if (*colour == target)
            *timer = 0.0f;
    } else {
        *colour = target;
        *timer = 0.0f;
    }
}

bool CBaseWin::Fire(EWinEvent event)
{
    switch (event) {
    case WEV_FRAME:
        Call(pOnFrame, fnOnFrame);
        break;
    case WEV_HOVER:
        Call(pOnHover, flags & WIN_ACTIVE ? fnOnHover : nullptr);
        break;
    case WEV_CLICK_RELEASE:
        OnClick();
        if (pOnClick) {
            const WinFn after = fnAfterClick;
            if (pOnClick->Invoke() != 0 && after)
                after();
        } else if (fnOnClick) {
            fnOnClick();
        }
        break;
    case WEV_CLICK_PRESS:
        OnClick();
        if (gWinSuperior.swallowClick) {
            gWinSuperior.swallowClick = 0;
            return false;
        }
        Call(pOnClick, fnOnClick);
        break;
    case WEV_CLICK_REPEAT:
        OnClick();
        Call(nullptr, fnOnClick);
        break;
    case WEV_DBLCLICK:
        Call(pOnDblClick, nullptr);
        break;
    case WEV_LEFT_HELD:
        if (fnOnLeftHeld)
            fnOnLeftHeld();
        else if (pOnLeftHeld)
            pOnLeftHeld->Invoke();
        break;
    case WEV_RIGHT_CLICK:
        OnRightClick();
        Call(pOnRightClick, fnOnRightClick);
        break;
    case WEV_RIGHT_HELD:
        Call(nullptr, fnOnRightHeld);
        break;
    case WEV_WHEEL:
        Call(nullptr, fnOnWheel);
        break;
    case WEV_PRE_DRAW:
        Call(pOnPreDraw, fnOnPreDraw);
        break;
    case WEV_POST_DRAW:
        Call(pOnPostDraw, fnOnPostDraw);
        break;
    }
    return true;
}
