#include "tests/column/ColumnFixture.h"

#include "app/Application.h"
#include "app/MyBuilding.h"
#include "core/Input.h"
#include "engine/Engine.h"
#include "gui/WinSuperior.h"

namespace column {

void ColumnTest::SetUp()
{
    ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
    ASSERT_TRUE(program.RunFrames(3));
    ASSERT_NE(nullptr, gEngine);
    // The flights and fades take seconds of engine time.
    gEngine->timeScale = 8.0f;
}

void ColumnTest::TearDown() { program.Stop(); }

void ColumnTest::Mouse(int x, int y, uint8_t buttons)
{
    gInput.BeginMouseFrame();
    const POINT screen{x + gInput.windowRect.left + gInput.borderWidth, y + gInput.windowRect.top + gInput.titleHeight};
    gInput.ApplySystemMouse(screen, buttons);
    gWinSuperior.Process();
}

// A last pass without a button change clears the click, so frames that do not poll the
// mouse (the window is not active) do not see it again.
void ColumnTest::ClickAt(int x, int y)
{
    Mouse(x, y, 0);
    Mouse(x, y, MOUSE_LEFT);
    Mouse(x, y, 0);
    Mouse(x, y, 0);
}

void ColumnTest::Click(const CBaseWin* win)
{
    ASSERT_NE(nullptr, win);
    ClickAt((win->left + win->right) / 2, (win->top + win->bottom) / 2);
}

CMyBuilding* ColumnTest::ShowFirstBuilding()
{
    if (gBuildings.Count() < 1 || !gBuildings[0] || !gBuildings[0]->topViewButton) return nullptr;
    Click(gBuildings[0]->topViewButton);
    return gCurBuilding;
}

} // namespace column
