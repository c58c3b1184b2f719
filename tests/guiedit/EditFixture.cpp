#include "tests/guiedit/EditFixture.h"

#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "tests/support/WinReset.h"

#include <cstring>

namespace guiedit {

void EditTest::SetUp()
{
    test::ResetWindowManager();
    gInput.Reset();
    gInput.windowRect = RECT{0, 0, 800, 600};
    gInput.borderWidth = gInput.titleHeight = 0;
    ASSERT_EQ(0, device.Init());
    test::InitWindowManagerFromRunDir();
    ASSERT_NE(nullptr, gWinSuperior.hintTexture) << messages.Joined();
}

void EditTest::TearDown()
{
    test::ResetWindowManager();
    gInput.Reset();
    test::ReleaseWindowManagerTextures();
}

void EditTest::Frame(int x, int y, uint8_t buttons, std::initializer_list<uint8_t> keys)
{
    mouseX = x;
    mouseY = y;
    gFrameTimer.step = STEP;
    memset(gInput.keys, 0, sizeof gInput.keys);
    for (uint8_t key : keys)
        gInput.keys[key] = 0x80;
    gInput.Dispatch();
    gInput.BeginMouseFrame();
    gInput.ApplySystemMouse(POINT{x, y}, buttons);
    gWinSuperior.Process();
    gGraphics.BeginScene();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET, BACKGROUND, 1.0f, 0);
    gWinSuperior.DrawWins();
    gGraphics.EndScene();
    ASSERT_TRUE(test::ReadBackBuffer(image));
}

void EditTest::Click(int x, int y)
{
    Frame(x, y, MOUSE_LEFT);
    Frame(x, y, 0);
}

void EditTest::Press(uint8_t key)
{
    Frame(mouseX, mouseY, 0, {key});
    Frame(mouseX, mouseY, 0);
}

namespace {

uint8_t KeyOf(char c)
{
    static const char digits[] = "1234567890";
    if (const char* d = strchr(digits, c); d && c)
        return uint8_t(DIK_1 + (d - digits));
    switch (c) {
    case '-': return DIK_MINUS;
    case '.': return DIK_PERIOD;
    case 'x': return DIK_X;
    case 'a': return DIK_A;
    default: return DIK_B;
    }
}

} // namespace

void EditTest::Type(const char* text)
{
    for (; *text; ++text)
        Press(KeyOf(*text));
}

CMyEdit* EditTest::Edit(int x, int y, const char* text, void (*onEnter)())
{
    return gWinSuperior.AddEdit(x, y, 100, 16, onEnter, &gGraphics.fonts[0], text, 0xFF808080,
                                0xFFFFFFFF, WIN_ACTIVE | WIN_VISIBLE);
}

} // namespace guiedit
