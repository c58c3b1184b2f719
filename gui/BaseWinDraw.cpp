// Drawing of the plain window: its picture, overlay, check mark and caption.
#include "gui/BaseWin.h"

#include "core/Graphics.h"
#include "gui/WinSuperior.h"

namespace {

// The caption's top-left corner sits this many pixels above its offset.
constexpr int CAPTION_RAISE = 3;

} // namespace

void CBaseWin::Draw()
{
    if (!texture)
        return;
    gGraphics.BeginSprites((flags & WIN_NOBLEND) != 0);
    gGraphics.SetZEnable(false);
    gGraphics.DrawTexture(int(position[0]), int(position[1]), &sourceRect, texture, color);
    if (overlayX != WIN_KEEP && overlayY != WIN_KEEP) {
        const RECT overlay{overlayRect.left, overlayRect.top, overlayRect.right + 1,
                           overlayRect.bottom + 1};
        gGraphics.DrawTexture(left + overlayX, top + overlayY, &overlay, texture, color);
    }
    if (toggling && gWinSuperior.skin) {
        const RECT& mark = gWinSuperior.checkRects[toggled ? 0 : 1];
        gGraphics.DrawTexture(int(checkPosition[0]), int(checkPosition[1]), &mark,
                              gWinSuperior.skin, color);
    }
    if (caption[0] && captionFont)
        DrawCaption(left, top);
}

void CBaseWin::DrawCaption(int x, int y)
{
    gGraphics.EndSprites();
    if (captionFont)
        captionFont->DrawAt(x + captionX, y + captionY - CAPTION_RAISE, caption, captionColor);
}
