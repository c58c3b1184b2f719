#include "app/Hints.h"

#include "app/Application.h"
#include "app/Binders.h"
#include "core/FrameTimer.h"
#include "gui/WinSuperior.h"

namespace {

constexpr uint8_t HINT_START_ALPHA = 10;

} // namespace

CBaseWin* gHintWin = nullptr;
float gHintTimer = 0.0f;
uint32_t gHintsShown = 0;

void ShowHint(uint32_t bit, int x, int y, const CIntRect& picture)
{
    if (gHintsShown & bit) return;
    gHintsShown |= bit;
    if (!gHintWin) {
        gWinSuperior.ResetOrigin();
        CBaseWin* win = gWinSuperior.AddWin(x, y, 0, 0, nullptr, gHintsTex, picture.left, picture.top, picture.right,
                                            picture.bottom, 0, 0);
        // A full window list has said so and keeps no window: the hint has had its turn, so
        // the limit is reported once, not at every later chance.
        if (!IsRegistered(win)) {
            delete win;
            return;
        }
        gHintWin = win;
        BindFrameDelegate(gHintWin, UpdateHintTimer);
    } else {
        gHintWin->MoveTo(x, y);
        gHintWin->SetTexRectLTRB(picture.left, picture.top, picture.right, picture.bottom);
    }
    gHintTimer = 0.0f;
    gHintWin->FadeIn(HINT_START_ALPHA);
}

// Once the hint has faded out it stays hidden until the next one.
void UpdateHintTimer()
{
    const bool shown = gHintTimer <= HINT_SHOW_TIME;
    gHintTimer += gFrameTimer.step;
    if (shown && gHintTimer > HINT_SHOW_TIME && gHintWin) gHintWin->FadeOut();
}
