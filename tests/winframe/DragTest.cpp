// Dragging a draggable window with its children.
#include "tests/winframe/FrameFixture.h"

namespace winframe {
namespace {

class DragTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        title = Win("title", 10, 10, 100, 20, KEY_ON_RELEASE, WIN_DRAGGABLE);
        icon = Win("icon", 15, 12, 10, 10);
        title->AddChilds(icon, nullptr);
        title->fnOnFrame = OnFrame;
        title->fnOnRightClick = OnRightClick;
    }
    CBaseWin* title = nullptr;
    CBaseWin* icon = nullptr;
};

TEST_F(DragTest, TheWindowAndItsChildrenFollowTheMouseAndTheReleaseIsNoClick)
{
    Frame(40, 15, MOUSE_LEFT);  // grabbed 30, 5 inside
    EXPECT_EQ(1, gWinSuperior.dragging);
    EXPECT_EQ(title->slot, gWinSuperior.slotUnderMouse);  // the press frame hovers it
    EXPECT_EQ(30, gWinSuperior.grabX);
    EXPECT_EQ(5, gWinSuperior.grabY);
    EXPECT_EQ("frame:title ", Take());

    Frame(140, 65, MOUSE_LEFT);
    EXPECT_EQ(-1, gWinSuperior.slotUnderMouse);  // a dragged window is not hovered
    gInput.wheelDelta = 120;
    Frame(150, 75, MOUSE_LEFT);
    EXPECT_EQ(-1, gWinSuperior.slotUnderMouse);  // nor by its wheel event
    EXPECT_EQ(120, title->left);
    EXPECT_EQ(70, title->top);
    EXPECT_EQ(219, title->right);
    EXPECT_EQ(125, icon->left);  // the child keeps its place in the window
    EXPECT_EQ(72, icon->top);
    EXPECT_EQ(125.0f, icon->position[0]);
    EXPECT_EQ(title, gWinSuperior.pWinUnderMouse);
    EXPECT_EQ("", Take());  // no per-frame callbacks while dragging

    Frame(150, 75);
    EXPECT_EQ(0, gWinSuperior.dragging);
    EXPECT_EQ("", Take());  // the release that ends the drag clicks nothing
    Frame(150, 75);
    EXPECT_EQ("frame:title ", Take());
    EXPECT_EQ(120, title->left);
}

TEST_F(DragTest, ARightClickEndsTheDragWithoutARightClick)
{
    Frame(40, 15, MOUSE_LEFT);
    Frame(60, 15, MOUSE_LEFT | MOUSE_RIGHT);
    Frame(70, 15, MOUSE_LEFT);
    EXPECT_EQ(0, gWinSuperior.dragging);
    EXPECT_EQ(40, title->left);
    EXPECT_EQ("frame:title ", Take());
}

TEST_F(DragTest, TheChildOfADraggableWindowIsNotDragged)
{
    Frame(20, 15, MOUSE_LEFT);  // on the icon
    EXPECT_EQ(0, gWinSuperior.dragging);
    Frame(80, 80, MOUSE_LEFT);
    Frame(80, 80);
    EXPECT_EQ(10, title->left);
}

} // namespace
} // namespace winframe
