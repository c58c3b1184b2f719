#include "tests/support/WinReset.h"

#include "gui/WinSuperior.h"
#include "tests/support/Harness.h"

#include <windows.h>

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

void InitWindowManagerFromRunDir()
{
    char old[MAX_PATH];
    GetCurrentDirectoryA(sizeof old, old);
    SetCurrentDirectoryA(RunDir().c_str());
    gWinSuperior.Init();
    SetCurrentDirectoryA(old);
}

void ReleaseWindowManagerTextures()
{
    for (IDirect3DTexture9** t : {&gWinSuperior.skin, &gWinSuperior.hintTexture})
        if (*t) {
            (*t)->Release();
            *t = nullptr;
        }
}

} // namespace test
