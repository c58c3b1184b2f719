#include "tests/engine/EngineFixture.h"
#include "scene/Unit.h"

#include "engine/ClassTemplate.h"
#include "engine/MapContainer.h"

#include <cmath>

namespace {

using enginetest::EngineTest;

SMouseInput Held(SMouseInput in)
{
    in.rightHeld = 1;
    return in;
}

TEST_F(EngineTest, ViewRectangleHoldsBothEdgePixels)
{
    gEngine->SetViewRect(0, 0, 100, 50);
    gEngine->SetViewOffset(10, 5);
    EXPECT_TRUE(gEngine->InsideView(10, 5));
    EXPECT_TRUE(gEngine->InsideView(109, 54));
    EXPECT_FALSE(gEngine->InsideView(9, 5));
    EXPECT_FALSE(gEngine->InsideView(110, 20));
    EXPECT_FALSE(gEngine->InsideView(50, 4));
    EXPECT_FALSE(gEngine->InsideView(50, 55));
}

// With the identity camera the ray through the middle of the view looks straight ahead,
// wherever the view lies on screen.
TEST_F(EngineTest, PickRayGoesThroughTheCursorInTheView)
{
    PrepareView();
    gEngine->SetViewOffset(100, 50);
    gEngine->HandleMouse(MouseAt(500, 350));
    EXPECT_NEAR(0.0f, gEngine->rayDirection.x, 1e-5f);
    EXPECT_NEAR(0.0f, gEngine->rayDirection.y, 1e-5f);
    EXPECT_NEAR(1.0f, gEngine->rayDirection.z, 1e-5f);
    gEngine->HandleMouse(MouseAt(100, 350));  // left edge: x = -1 before normalising
    EXPECT_LT(gEngine->rayDirection.x, -0.7f);
    EXPECT_EQ(0.0f, gEngine->rayDirection.w);
}

TEST_F(EngineTest, EdgeMarksNameTheEdgeColumnsAndRows)
{
    PrepareView();
    gEngine->HandleMouse(MouseAt(799, 0));
    EXPECT_EQ(uint32_t(CAM_EDGE_RIGHT | CAM_EDGE_TOP), camera.motionFlags & CAM_EDGES);
    gEngine->HandleMouse(MouseAt(0, 599));
    EXPECT_EQ(uint32_t(CAM_EDGE_LEFT | CAM_EDGE_BOTTOM), camera.motionFlags & CAM_EDGES);
    gEngine->HandleMouse(MouseAt(400, 300));
    EXPECT_EQ(0u, camera.motionFlags & CAM_EDGES);

    camera.motionFlags = CAM_ROTATE_HELD;
    gEngine->HandleMouse(MouseAt(800, 300));  // outside: every motion stops
    EXPECT_EQ(0u, camera.motionFlags);
}

TEST_F(EngineTest, DragRotatesOnlyFromSevenPixels)
{
    PrepareView();
    gEngine->HandleMouse(Held(MouseAt(100, 100)));
    EXPECT_EQ(uint32_t(CAM_ROTATE_HELD), camera.motionFlags & 0x1FF);

    gEngine->HandleMouse(Held(MouseAt(106, 94)));
    EXPECT_EQ(0u, camera.motionFlags & CAM_ROTATING);

    gEngine->HandleMouse(Held(MouseAt(100, 107)));
    EXPECT_EQ(uint32_t(CAM_ROTATING), camera.motionFlags & CAM_ROTATING);
    EXPECT_EQ(100, camera.rotationStart[0]);
    EXPECT_EQ(107, camera.rotationStart[1]);

    // A rotation start is stored once per press.
    gEngine->HandleMouse(Held(MouseAt(150, 150)));
    EXPECT_EQ(107, camera.rotationStart[1]);

    // The held button passing over another window in the view does not end the press.
    CBaseWin panel;
    SMouseInput overPanel = Held(MouseAt(160, 160));
    overPanel.winUnderMouse = &panel;
    gEngine->HandleMouse(overPanel);
    EXPECT_EQ(uint32_t(CAM_ROTATE_HELD | CAM_ROTATING), camera.motionFlags & 0x1FF);

    gEngine->HandleMouse(MouseAt(150, 150));
    EXPECT_EQ(uint32_t(CAM_ROTATED), camera.motionFlags & 0x1FF);
}

TEST_F(EngineTest, MiddleButtonRotatesWithAltAndPansWithout)
{
    PrepareView();
    SMouseInput in = MouseAt(200, 200);
    in.middleHeld = 1;
    camera.panGlideTime = 0.7f;
    gEngine->HandleMouse(in);
    EXPECT_EQ(uint32_t(CAM_PAN), camera.motionFlags & (CAM_PAN | CAM_ROTATE_HELD));
    EXPECT_FLOAT_EQ(0.7f, camera.panTime);
    EXPECT_EQ(200, camera.panStart[0]);

    in.altDown = 1;
    gEngine->HandleMouse(in);
    EXPECT_EQ(uint32_t(CAM_ROTATE_HELD), camera.motionFlags & (CAM_PAN | CAM_ROTATE_HELD));
}

TEST_F(EngineTest, WheelZoomsTowardTheViewer)
{
    PrepareView();
    camera.FadeTime = 0.3f;
    SMouseInput in = MouseAt(300, 300);
    in.wheel = 120;
    gEngine->HandleMouse(in);
    EXPECT_EQ(uint32_t(CAM_ZOOM), camera.motionFlags & CAM_ZOOM);
    EXPECT_FLOAT_EQ(-1.0f, camera.zoomDirection);
    EXPECT_FLOAT_EQ(0.3f, camera.zoomTime);

    gEngine->latchedWheel = 0;
    in.wheel = -120;
    gEngine->HandleMouse(in);
    EXPECT_FLOAT_EQ(1.0f, camera.zoomDirection);

    gEngine->latchedWheel = 0;
    in.wheel = 0;
    gEngine->HandleMouse(in);
    EXPECT_EQ(0u, camera.motionFlags & CAM_ZOOM);
}

TEST_F(EngineTest, RotationKeysTurnTheSelectedUnitInEighths)
{
    PrepareView();
    gEngine->EnableSelect(true);
    CAtom unit;
    gEngine->SelectUnit(&unit, true);
    ASSERT_EQ(&unit, gIEngine->GetSelectedUnit());
    EXPECT_EQ(1, gInput.currentLevel);
    EXPECT_EQ(&gEngine->rotationTable, gInput.levels[1].tables[0]);

    gInput.lastMatched = &gEngine->rotateRightKey;
    for (int i = 0; i < 8; ++i)
        gEngine->rotateRightKey.Fire();
    EXPECT_EQ(0, unit.mapPos.direction);

    gInput.lastMatched = &gEngine->rotateLeftKey;
    gEngine->rotateLeftKey.Fire();
    EXPECT_EQ(7, unit.mapPos.direction);
    EXPECT_NEAR(7 * 0.785398f, unit.Orient.y, 1e-5f);
    EXPECT_NEAR(std::cos(unit.Orient.y), unit.world._11, 1e-5f);

    CClassTemplate turnsTwice;
    turnsTwice.PlaceRotate = 2;
    unit.classTemplate = &turnsTwice;
    gInput.lastMatched = &gEngine->rotateRightKey;
    gEngine->rotateRightKey.Fire();
    EXPECT_EQ(1, unit.mapPos.direction);
}

TEST_F(EngineTest, ResetMissionDropsSelectionAndRotationKeys)
{
    PrepareView();
    gEngine->EnableSelect(true);
    CAtom unit;
    gEngine->SelectUnit(&unit, true);
    ASSERT_EQ(1, gInput.currentLevel);

    gEngine->ResetMission();
    EXPECT_EQ(nullptr, gIEngine->GetSelectedUnit());
    EXPECT_EQ(0u, gEngine->selectState);
    EXPECT_EQ(0, gInput.currentLevel);
    EXPECT_EQ(0x21FCu, gEngine->flags);  // only the select bit goes

    gInput.lastMatched = &gEngine->rotateRightKey;
    gEngine->rotateRightKey.Fire();  // nothing selected: nothing turns
    EXPECT_EQ(0, unit.mapPos.direction);
}

TEST_F(EngineTest, RightClickDeselectsUnlessTheCameraRotated)
{
    PrepareView();
    CAtom unit;
    gEngine->SelectUnit(&unit, true);
    SMouseInput in = MouseAt(300, 300);
    in.rightClick = 1;
    camera.motionFlags = CAM_ROTATING;
    gEngine->HandleMouse(in);
    EXPECT_EQ(&unit, gIEngine->GetSelectedUnit());

    camera.motionFlags = 0;
    gEngine->HandleMouse(in);
    EXPECT_EQ(nullptr, gIEngine->GetSelectedUnit());
    EXPECT_EQ(0u, unit.state & UNIT_SELECTED);
}

TEST_F(EngineTest, ClickWithSelectModeDropsTheUnitOnThePickedCell)
{
    PrepareView();
    gEngine->EnableSelect(true);
    CAtom unit;
    CGameMap map(64, 64);
    unit.map = &map;  // units without a map are not placed
    gEngine->SelectUnit(&unit, true);
    gEngine->pickedMapPos.x = 12;
    gEngine->pickedMapPos.z = 30;
    SMouseInput in = MouseAt(300, 300);
    in.leftClick = 1;
    gEngine->HandleMouse(in);
    EXPECT_EQ(nullptr, gIEngine->GetSelectedUnit());
    EXPECT_EQ(12, unit.mapPos.x);
    EXPECT_EQ(30, unit.mapPos.z);
    EXPECT_EQ(0, gInput.currentLevel);
}

TEST_F(EngineTest, ClickSelectsAPickedSelectableUnit)
{
    PrepareView();
    gEngine->flags |= ENG_FULL_SELECT;
    CAtom unit;
    unit.SysControls = SYS_SELECTING;
    gEngine->pickedUnit = &unit;
    SMouseInput in = MouseAt(300, 300);
    in.leftClick = 1;
    gEngine->HandleMouse(in);
    EXPECT_EQ(&unit, gIEngine->GetSelectedUnit());
    EXPECT_EQ(uint32_t(UNIT_SELECTED), unit.state & UNIT_SELECTED);

    // Clicks outside the view window do nothing.
    gIEngine->DeselectUnit();
    in.winUnderMouse = nullptr;
    gEngine->HandleMouse(in);
    EXPECT_EQ(nullptr, gIEngine->GetSelectedUnit());
}

TEST_F(EngineTest, AClickSendsTheSelectedMovingUnitUnlessItsHookRefuses)
{
    PrepareView();
    gUnitInspector->unitMoves.Init(2);
    static int orders = 0;
    static int answer = 0;
    orders = 0;
    CUnit unit;
    unit.type = UNIT_UNIT_TYPE;
    unit.orderHook = [](int) { return ++orders, answer; };
    gEngine->SelectUnit(&unit, true);
    SMouseInput in = MouseAt(300, 300);
    in.leftClick = 1;
    gEngine->HandleMouse(in);
    EXPECT_EQ(0, orders) << "a unit without move controls is not ordered";
    EXPECT_EQ(nullptr, unit.move);

    unit.moveControls = MOVE_SIMPLE;
    answer = 1;
    gEngine->HandleMouse(in);
    EXPECT_EQ(1, orders);
    EXPECT_EQ(nullptr, unit.move) << "the hook kept the unit back";

    answer = 0;
    gEngine->HandleMouse(in);
    EXPECT_EQ(2, orders);
    EXPECT_NE(nullptr, unit.move) << "sent: the unit has its move record";
    unit.Release();
}

} // namespace
