// Which window is under the mouse: the topmost active one, children above their parents,
// hidden and disabled windows skipped; hover, wheel, the per-frame pass and the engine's view
// window, which learns about the mouse through the window manager.
#include "tests/winframe/FrameFixture.h"

#include "core/Graphics.h"
#include "engine/CreateEngine.h"
#include "engine/Engine.h"

namespace winframe {
namespace {

TEST_F(FrameTest, TheTopmostActiveWindowIsUnderTheMouse)
{
    CBaseWin* back = Win("back", 10, 10, 100, 100);
    CBaseWin* front = Win("front", 50, 50, 100, 100);
    Frame(60, 60);
    EXPECT_EQ("front", UnderMouse());
    EXPECT_EQ(front->slot, gWinSuperior.slotUnderMouse);
    EXPECT_EQ(10, gWinSuperior.mouseOffsetX);
    EXPECT_EQ(10, gWinSuperior.mouseOffsetY);

    back->Show(1);  // brought to the front
    Frame(60, 60);
    EXPECT_EQ("back", UnderMouse());
    EXPECT_EQ(back->slot, gWinSuperior.slotUnderMouse);
    EXPECT_EQ(gWinSuperior.windows[gWinSuperior.count - 1], back);

    // Edges are inclusive.
    Frame(109, 109);
    EXPECT_EQ("back", UnderMouse());
    Frame(110, 110);
    EXPECT_EQ("front", UnderMouse());
    Frame(150, 150);
    EXPECT_EQ("-", UnderMouse());
    EXPECT_EQ(-1, gWinSuperior.slotUnderMouse);
}

TEST_F(FrameTest, ChildrenLieAboveTheirParents)
{
    CBaseWin* panel = Win("panel", 0, 0, 200, 200);
    CBaseWin* child = Win("child", 20, 20, 30, 30);
    panel->AddChilds(child, nullptr);
    Frame(25, 25);
    EXPECT_EQ("child", UnderMouse());
    panel->Show(1);  // shows the children after itself
    Frame(25, 25);
    EXPECT_EQ("child", UnderMouse());
    Frame(60, 60);
    EXPECT_EQ("panel", UnderMouse());
}

TEST_F(FrameTest, HiddenAndDisabledWindowsNeitherWinNorShield)
{
    Win("below", 0, 0, 100, 100);
    CBaseWin* above = Win("above", 0, 0, 100, 100);
    above->Hide(0);
    Frame(5, 5);
    EXPECT_EQ("below", UnderMouse());

    above->Show(1);
    above->flags &= ~WIN_ACTIVE;  // drawn, but takes no input
    Frame(5, 5);
    EXPECT_EQ("below", UnderMouse());

    above->flags |= WIN_ACTIVE;
    Frame(5, 5);
    EXPECT_EQ("above", UnderMouse());
}

TEST_F(FrameTest, ActiveWindowsRunTheirPerFrameCallbackBeforeTheHitTest)
{
    CBaseWin* a = Win("a", 0, 0, 10, 10);
    CBaseWin* b = Win("b", 20, 0, 10, 10);
    CBaseWin* off = Win("off", 40, 0, 10, 10);
    a->fnOnFrame = b->fnOnFrame = off->fnOnFrame = OnFrame;
    off->Hide(1);
    Frame(5, 5);
    EXPECT_EQ("frame:a frame:b ", Take());
    EXPECT_EQ(nullptr, gWinSuperior.pWinCurrent);  // only while the step runs
}

TEST_F(FrameTest, HoverRunsEveryFrameUnderTheMouseOnly)
{
    CBaseWin* a = Win("a", 0, 0, 50, 50);
    CBaseWin* b = Win("b", 100, 0, 50, 50);
    a->fnOnHover = b->fnOnHover = OnHover;
    Frame(10, 10);
    Frame(11, 10);
    EXPECT_EQ("hover:a hover:a ", Take());
    Frame(75, 10);  // between them
    EXPECT_EQ("", Take());
    Frame(110, 10);
    EXPECT_EQ("hover:b ", Take());
}

TEST_F(FrameTest, TheTooltipStartsAgainOnlyWhenTheMouseReachesAnotherWindow)
{
    CBaseWin* a = Win("a", 0, 0, 50, 50);
    Win("b", 100, 0, 50, 50);
    Frame(10, 10);
    gWinSuperior.hintedWin = a;
    gWinSuperior.hintRendered = 1;
    gWinSuperior.hintTimer = 0.5f;
    gWinSuperior.hintPending = 1;
    Frame(12, 10);
    EXPECT_EQ(1, gWinSuperior.hintRendered);
    EXPECT_EQ(0.5f, gWinSuperior.hintTimer);
    EXPECT_EQ(0, gWinSuperior.hintPending);

    Frame(12, 10, MOUSE_LEFT);  // a button hides it
    EXPECT_EQ(HINT_HIDDEN, gWinSuperior.hintTimer);
    Frame(110, 10);
    Frame(110, 10);  // the window under the mouse of the last frame is not the hinted one
    EXPECT_EQ(0, gWinSuperior.hintRendered);
    EXPECT_EQ(0.0f, gWinSuperior.hintTimer);
}

TEST_F(FrameTest, WithoutWindowsTheFrameDoesNothing)
{
    gWinSuperior.hintTimer = 1.5f;
    gWinSuperior.hintPending = 1;
    gWinSuperior.slotUnderMouse = 7;
    Frame(10, 10);
    EXPECT_EQ(1.5f, gWinSuperior.hintTimer);
    EXPECT_EQ(1, gWinSuperior.hintPending);
    EXPECT_EQ(7, gWinSuperior.slotUnderMouse);
}

TEST_F(FrameTest, TheWheelGoesToTheWindowUnderTheMouse)
{
    CBaseWin* a = Win("a", 0, 0, 50, 50);
    CBaseWin* b = Win("b", 100, 0, 50, 50);
    a->fnOnWheel = b->fnOnWheel = OnWheel;
    Frame(10, 10);
    EXPECT_EQ("", Take());
    gInput.wheelDelta = -120;
    Frame(110, 10);
    EXPECT_EQ("wheel:b ", Take());
    gInput.wheelDelta = 120;
    Frame(75, 10);  // over nothing
    EXPECT_EQ("", Take());
}

TEST_F(FrameTest, TheCursorIsTheWindowsOwnOrTheDefault)
{
    CCursor own;
    CBaseWin* a = Win("a", 0, 0, 50, 50);
    CBaseWin* scrolled = Win("scrolled", 100, 0, 50, 50, 0, WIN_SCROLLED);
    Win("plain", 200, 0, 50, 50);
    a->cursor = &own;
    scrolled->cursor = &own;
    gGraphics.cursor = nullptr;
    Frame(300, 10);  // empty space: the default cursor when none is set
    EXPECT_EQ(&gGraphics.defaultCursor, gGraphics.cursor);
    Frame(10, 10);
    EXPECT_EQ(&own, gGraphics.cursor);
    Frame(110, 10);  // a scrolled window leaves the cursor as it is
    EXPECT_EQ(&own, gGraphics.cursor);
    Frame(210, 10);
    EXPECT_EQ(&gGraphics.defaultCursor, gGraphics.cursor);
    Frame(300, 10);
    EXPECT_EQ(&gGraphics.defaultCursor, gGraphics.cursor);
}

// The engine learns whether the mouse is over its 3D view from the window manager: a button
// lying over the view keeps clicks from the scene.
TEST_F(FrameTest, TheEnginesViewWindowGetsTheMouseThroughTheWindowManager)
{
    ASSERT_EQ(0, CreateEngine(0));
    gEngine->SetViewRect(0, 0, 400, 300);
    gEngine->SetMode(3, 0);
    gEngine->CreateViewWindow();
    CBaseWin* button = Win("button", 100, 100, 40, 20, KEY_ON_RELEASE);

    Frame(50, 50, MOUSE_LEFT);
    Frame(50, 50);
    EXPECT_EQ(gEngine->viewWindow, gWinSuperior.pWinUnderMouse);
    gEngine->UpdateMouseState();
    EXPECT_EQ(1, gEngine->latchedLeft);
    gEngine->latchedLeft = 0;

    Frame(110, 110, MOUSE_LEFT);
    Frame(110, 110);
    EXPECT_EQ(button, gWinSuperior.pWinUnderMouse);
    gEngine->UpdateMouseState();
    EXPECT_EQ(0, gEngine->latchedLeft);
    EXPECT_EQ("click:button ", Take());

    Frame(50, 50);
    DestroyEngine();
    EXPECT_EQ(nullptr, gWinSuperior.pWinUnderMouse);  // the deleted view is forgotten
}

} // namespace
} // namespace winframe
