#include "WinFixture.h"

void ClearWindowManager()
{
    for (int i = 0; i < gWinSuperior.count; ++i) {
        CBaseWin* win = gWinSuperior.windows[i];
        if (win && !win->parent)
            gWinSuperior.DeleteWin(&win);
    }
    IDirect3DTexture9* skin = gWinSuperior.skin;
    auto fresh = std::make_unique<CWinSuperior>();
    fresh->skin = skin;
    gWinSuperior = *fresh;
}

void WinTest::SetUp()
{
    messages = std::make_unique<test::MessageRecorder>();
    ClearWindowManager();
}

void WinTest::TearDown()
{
    ClearWindowManager();
    messages.reset();
}

CBaseWin* WinTest::Win(int x, int y, uint32_t flags)
{
    return gWinSuperior.AddWin(x, y, 10, 10, nullptr, nullptr, 0, 0, 9, 9, 0, flags);
}
