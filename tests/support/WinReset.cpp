#include "tests/support/WinReset.h"

#include "gui/WinSuperior.h"

#include <memory>

namespace test {

void ResetWindowManager()
{
    for (int i = 0; i < gWinSuperior.count; ++i) {
        CBaseWin* win = gWinSuperior.windows[i];
        if (win && !win->parent)
            gWinSuperior.DeleteWin(&win);
    }
    auto fresh = std::make_unique<CWinSuperior>();
    fresh->skin = gWinSuperior.skin;
    fresh->hintTexture = gWinSuperior.hintTexture;
    gWinSuperior = *fresh;
    gWinPressHandled = 0;
}

} // namespace test
