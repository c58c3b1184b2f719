// Drawing of the visible windows in z order: hover colours, the draw callbacks, the clip
// rect a window lends to the scrolled windows drawn after it, and the tooltip candidate.
#include "gui/WinSuperior.h"

#include "core/Graphics.h"

#include <algorithm>

void CWinSuperior::DrawWins()
{
    if (!Device3D)
        return;
    gGraphics.EndSprites();
    clipWin = nullptr;
    CBaseWin* hinted = nullptr;
    for (int i = 0; i < count; ++i) {
        CBaseWin* win = windows[i];
        if (!win || !(win->flags & WIN_VISIBLE))
            continue;
        pWinCurrent = win;
        if (win->hoverColor != win->normalColor && (win->flags & WIN_ACTIVE))
            win->UpdateHighlight();
        win->Fire(WEV_PRE_DRAW);
        if (windows[i] != win)
            continue;
        if (clipWin && !(win->flags & WIN_SCROLLED))
            EndClip();
        win->Draw();
        // The clip applies to the scrolled windows after this one, not to itself.
        if (win->clipRect.left != win->clipRect.right) {
            gGraphics.EndSprites();
            SetClip(win);
            clipWin = win;
        }
        win->Fire(WEV_POST_DRAW);
        if (windows[i] != win)
            continue;
        if (win == pWinUnderMouse && win->hint[0]) {
            hintPending = 1;
            hinted = win;
        }
    }
    pWinCurrent = nullptr;
    // A later callback may have deleted the candidate (which clears pWinUnderMouse).
    if (hintPending && hinted && hinted == pWinUnderMouse)
        DrawHint(hinted);
    if (clipWin)
        EndClip();
    gGraphics.EndSprites();
    gGraphics.SetZEnable(true);
}

// Kept on the back buffer, at least one pixel: the device refuses a viewport reaching
// outside it or an empty one.
void CWinSuperior::SetClip(const CBaseWin* win)
{
    const D3DVIEWPORT9& screen = gGraphics.defaultViewport;
    const int screenLeft = int(screen.X), screenTop = int(screen.Y);
    const int screenRight = screenLeft + int(screen.Width);  // exclusive
    const int screenBottom = screenTop + int(screen.Height);
    const RECT& clip = win->clipRect;
    const int l = std::clamp(win->left + int(clip.left), screenLeft, screenRight - 1);
    const int t = std::clamp(win->top + int(clip.top), screenTop, screenBottom - 1);
    const int r = std::clamp(win->left + int(clip.right) + 1, l + 1, screenRight);
    const int b = std::clamp(win->top + int(clip.bottom) + 1, t + 1, screenBottom);
    gGraphics.SetViewport(l, t, r - l, b - t);
}

void CWinSuperior::EndClip()
{
    clipWin = nullptr;
    gGraphics.EndSprites();
    gGraphics.RestoreViewport();
}
