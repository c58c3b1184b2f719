#include "tests/column/ColumnFixture.h"

#include "app/Application.h"
#include "app/MyBuilding.h"
#include "engine/Engine.h"

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

void ColumnTest::Mouse(int x, int y, uint8_t buttons) { test::MouseAt(x, y, buttons); }

void ColumnTest::ClickAt(int x, int y) { test::ClickAt(x, y); }

void ColumnTest::Click(const CBaseWin* win) { test::ClickWin(win); }

CMyBuilding* ColumnTest::ShowFirstBuilding()
{
    if (gBuildings.Count() < 1 || !gBuildings[0] || !gBuildings[0]->topViewButton) return nullptr;
    Click(gBuildings[0]->topViewButton);
    return gCurBuilding;
}

} // namespace column
