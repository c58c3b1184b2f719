// Clicks in the three trigger modes, double and right clicks, the modal window, the popup and
// callbacks that delete windows.
#include "tests/winframe/FrameFixture.h"

#include <gtest/gtest.h>

namespace winframe {
namespace {

int Count(const std::string& trace, const std::string& word)
{
    int n = 0;
    for (size_t at = trace.find(word); at != std::string::npos; at = trace.find(word, at + 1))
        ++n;
    return n;
}

TEST_F(FrameTest, AReleaseModeWindowClicksOnceOnTheRelease)
{
    CBaseWin* button = Win("button", 0, 0, 50, 50, KEY_ON_RELEASE);
    button->fnOnLeftHeld = OnLeftHeld;
    Frame(10, 10, MOUSE_LEFT);
    Frame(10, 10, MOUSE_LEFT);
    EXPECT_EQ("held:button held:button ", Take());
    EXPECT_EQ(2 * STEP, button->heldTime);
    Frame(10, 10);
    EXPECT_EQ("click:button ", Take());
    EXPECT_EQ(0.0f, button->heldTime);
    Frame(10, 10);
    EXPECT_EQ("", Take());
}

TEST_F(FrameTest, TheReleaseClicksTheWindowUnderTheMouseAtThatTime)
{
    Win("a", 0, 0, 50, 50, KEY_ON_RELEASE);
    Win("b", 100, 0, 50, 50, KEY_ON_RELEASE);
    Frame(10, 10, MOUSE_LEFT);
    Frame(110, 10, MOUSE_LEFT);
    Frame(110, 10);
    EXPECT_EQ("click:b ", Take());
    Frame(10, 10, MOUSE_LEFT);
    Frame(75, 10);  // released over nothing
    EXPECT_EQ("", Take());
}

TEST_F(FrameTest, AutoRepeatClicksAtOnceThenAfterTheDelayAtMostOncePerFrame)
{
    Win("r", 0, 0, 50, 50, KEY_AUTO_REPEAT);
    const float sixteenth = 0.0625f;  // longer than the repeat interval
    for (int frame = 0; frame < 7; ++frame)  // held time up to 0.375 s
        Frame(10, 10, MOUSE_LEFT, sixteenth);
    EXPECT_EQ("click:r ", Take());
    for (int frame = 0; frame < 4; ++frame) {
        Frame(10, 10, MOUSE_LEFT, sixteenth);
        EXPECT_EQ("click:r ", Take()) << frame;
    }
    Frame(10, 10, 0, sixteenth);
    EXPECT_EQ("", Take());  // the release of an auto-repeat window is no click

    // At 1/32 s a frame, the repeat interval of 0.05 s gives about 20 clicks a second.
    for (int frame = 0; frame < 13; ++frame)  // up to 0.40625 s held
        Frame(10, 10, MOUSE_LEFT);
    EXPECT_EQ("click:r ", Take());
    for (int frame = 0; frame < 32; ++frame)
        Frame(10, 10, MOUSE_LEFT);
    const int repeats = Count(Take(), "click:r");
    EXPECT_GE(repeats, 19);
    EXPECT_LE(repeats, 21);
}

TEST_F(FrameTest, APressModeWindowClicksOnPressAndItsReleaseClicksNothing)
{
    Win("below", 0, 0, 200, 100, KEY_ON_RELEASE);
    Win("press", 0, 0, 50, 50, KEY_ON_PRESS);
    Frame(10, 10, MOUSE_LEFT);
    EXPECT_EQ("click:press ", Take());
    Frame(10, 10, MOUSE_LEFT);
    Frame(10, 10, MOUSE_LEFT);
    EXPECT_EQ("", Take());
    Frame(110, 10, MOUSE_LEFT);
    Frame(110, 10);  // released over another window: the press is over, no click
    EXPECT_EQ("", Take());
    EXPECT_EQ(0, gWinPressHandled);
    Click(110, 10);
    EXPECT_EQ("click:below ", Take());
}

// A press that ends away from its window must not eat the next click, and the window
// pressed last clicks again on its next press.
TEST_F(FrameTest, APressEndedOverEmptySpaceLeavesNothingBehind)
{
    Win("release", 100, 0, 50, 50, KEY_ON_RELEASE);
    Win("press", 0, 0, 50, 50, KEY_ON_PRESS);
    Frame(10, 10, MOUSE_LEFT);
    Frame(75, 10, MOUSE_LEFT);
    Frame(75, 10);
    EXPECT_EQ("click:press ", Take());
    Click(110, 10);
    EXPECT_EQ("click:release ", Take());
    Frame(10, 10, MOUSE_LEFT);
    EXPECT_EQ("click:press ", Take());
}

void OnDoubleClick() { gTrace += "double:" + UnderMouse() + " "; }

TEST_F(FrameTest, DoubleClicks)
{
    CBaseWin* press = Win("press", 0, 0, 50, 50, KEY_ON_PRESS);
    CBaseWin* release = Win("release", 100, 0, 50, 50, KEY_ON_RELEASE);
    press->pOnDblClick = new CDelegate<CEmptyClass>(OnDoubleClick);
    release->pOnDblClick = new CDelegate<CEmptyClass>(OnDoubleClick);
    Click(10, 10);
    Click(10, 10);
    EXPECT_EQ("click:press click:press double:press ", Take());

    Frame(10, 10, 0, 0.5f);  // long enough for the next click to be a single one
    press->flags |= WIN_DBLCLICK;  // the double click is one more click
    Click(10, 10);
    Click(10, 10);
    EXPECT_EQ("click:press click:press double:press click:press ", Take());

    Frame(110, 10, 0, 0.5f);
    Click(110, 10);
    Click(110, 10);
    EXPECT_EQ("click:release double:release click:release ", Take());
}

void OnRightHeld() { gTrace += "rheld:" + UnderMouse() + " "; }

TEST_F(FrameTest, RightButton)
{
    CBaseWin* win = Win("w", 0, 0, 50, 50, KEY_ON_RELEASE);
    win->fnOnRightClick = OnRightClick;
    win->fnOnRightHeld = OnRightHeld;
    Frame(10, 10, MOUSE_LEFT);
    Frame(10, 10, MOUSE_LEFT | MOUSE_RIGHT);
    EXPECT_GT(win->heldTime, 0.0f);
    EXPECT_EQ("rheld:w ", Take());
    Frame(10, 10, MOUSE_LEFT);
    EXPECT_EQ("right:w ", Take());
    EXPECT_EQ(0.0f, win->heldTime);  // reset by the right click
    EXPECT_EQ(HINT_HIDDEN, gWinSuperior.hintTimer);
}

TEST_F(FrameTest, AModalWindowBlocksOthersUntilItIsClosed)
{
    CBaseWin* other = Win("other", 0, 0, 50, 50, KEY_ON_RELEASE);
    CBaseWin* modal = Win("modal", 100, 0, 100, 100, KEY_ON_RELEASE, WIN_PUSHER);
    CBaseWin* ok = Win("ok", 110, 10, 20, 20, KEY_ON_RELEASE);
    modal->AddChilds(ok, nullptr);
    modal->Show(1);
    Click(10, 10);
    EXPECT_EQ("", Take());
    EXPECT_EQ(0u, other->flags & WIN_ACTIVE);

    Frame(300, 300, MOUSE_RIGHT);
    Frame(300, 300);  // a right click on empty space closes it
    EXPECT_EQ(nullptr, gWinSuperior.pWinPusher);
    EXPECT_EQ(0u, modal->flags & WIN_VISIBLE);
    Click(10, 10);
    EXPECT_EQ("click:other ", Take());

    modal->Show(1);
    Click(115, 15);  // a click on a child closes the modal window and then goes on
    EXPECT_EQ("click:ok ", Take());
    EXPECT_EQ(nullptr, gWinSuperior.pWinPusher);
    EXPECT_EQ(WIN_ACTIVE, other->flags & WIN_ACTIVE);
    EXPECT_EQ(0u, ok->flags & WIN_ACTIVE);
}

// Shown by a per-frame callback while the pass walks an array with a hole: the windows after
// the caller still have their turn in that pass.
TEST_F(FrameTest, AModalWindowShownByAPerFrameCallbackHasItsTurnAtOnce)
{
    CBaseWin* hole = Win("hole", 0, 0, 10, 10);
    CBaseWin* caller = Win("caller", 200, 0, 10, 10);
    gModal = Win("modal", 0, 0, 50, 50, KEY_ON_RELEASE, WIN_PUSHER);
    gModal->Hide(0);
    gModal->fnOnFrame = OnFrame;
    Frame(10, 10);  // sorted: the array keeps its order from here on
    gWinSuperior.DeleteWin(&hole);
    caller->fnOnFrame = ShowModal;
    Frame(10, 10);
    EXPECT_EQ("frame:modal ", Take());
    EXPECT_EQ("modal", UnderMouse());
}

TEST_F(FrameTest, APopupGoesWhenAButtonIsPressedOutsideIt)
{
    Win("other", 300, 0, 50, 50);
    CBaseWin* popup = Win("popup", 0, 0, 200, 200, 0, WIN_POPUP);
    CBaseWin* child = Win("child", 10, 10, 100, 100);
    CBaseWin* grandchild = Win("grandchild", 20, 20, 20, 20);
    child->AddChilds(grandchild, nullptr);
    popup->AddChilds(child, nullptr);
    popup->Show(1);
    ASSERT_EQ(popup, gWinSuperior.pWinPopup);
    for (int x : {5, 50, 25}) {  // the popup, its child, the child's child
        Click(x, x);
        EXPECT_EQ(popup, gWinSuperior.pWinPopup) << x;
    }
    Frame(250, 10, MOUSE_LEFT);  // over empty space it stays
    Frame(250, 10);
    EXPECT_EQ(popup, gWinSuperior.pWinPopup);
    const int before = gWinSuperior.count - gWinSuperior.freeCount;
    Frame(310, 10, MOUSE_RIGHT);
    EXPECT_EQ(nullptr, gWinSuperior.pWinPopup);
    EXPECT_EQ(before - 3, gWinSuperior.count - gWinSuperior.freeCount);
    EXPECT_EQ("other", UnderMouse());
}

CBaseWin* gDoomed = nullptr;
void DeleteDoomed()
{
    gTrace += "delete ";
    gWinSuperior.DeleteWin(&gDoomed);
}

TEST_F(FrameTest, AWindowMayDeleteItselfFromItsOwnCallbacks)
{
    Win("below", 0, 0, 100, 100, KEY_ON_RELEASE);
    const struct {
        WinFn CBaseWin::*callback;
        uint32_t trigger;
        uint8_t buttons;
    } cases[] = {
        {&CBaseWin::fnOnClick, KEY_ON_RELEASE, 0},
        {&CBaseWin::fnOnClick, KEY_ON_PRESS, MOUSE_LEFT},
        {&CBaseWin::fnOnClick, KEY_AUTO_REPEAT, MOUSE_LEFT},
        {&CBaseWin::fnOnFrame, 0, 0},
        {&CBaseWin::fnOnHover, 0, 0},
        {&CBaseWin::fnOnLeftHeld, 0, MOUSE_LEFT},
        {&CBaseWin::fnOnRightHeld, 0, MOUSE_RIGHT},
        {&CBaseWin::fnOnWheel, 0, 0},
    };
    for (const auto& c : cases) {
        gDoomed = Win("doomed", 0, 0, 50, 50, c.trigger);
        gDoomed->fnOnClick = nullptr;
        gDoomed->*c.callback = DeleteDoomed;
        gDoomed->fnAfterClick = OnClick;
        gInput.wheelDelta = 120;
        Frame(10, 10, MOUSE_LEFT);
        Frame(10, 10, c.buttons);
        Frame(10, 10);
        EXPECT_EQ(nullptr, gDoomed);
        EXPECT_EQ(1, Count(Take(), "delete"));
        Frame(10, 10);
        EXPECT_EQ("below", UnderMouse());
        Frame(10, 10);  // the press that deleted its window ended with the release
        EXPECT_EQ(0, gWinPressHandled);
        Frame(10, 10, 0, 0.5f);  // no double click with the next case
    }
    Click(10, 10);
    EXPECT_EQ("click:below ", Take());
}

TEST_F(FrameTest, ADraggedWindowDeletedByItsOwnCallbackEndsTheDrag)
{
    gDoomed = Win("dragged", 0, 0, 50, 50, 0, WIN_DRAGGABLE);
    gDoomed->fnOnLeftHeld = DeleteDoomed;
    Frame(10, 10, MOUSE_LEFT);
    ASSERT_EQ(1, gWinSuperior.dragging);
    Frame(20, 20, MOUSE_LEFT);
    EXPECT_EQ(nullptr, gDoomed);
    EXPECT_EQ(0, gWinSuperior.dragging);
    Frame(20, 20, MOUSE_LEFT);
    Frame(20, 20);
    EXPECT_EQ("-", UnderMouse());
}

// A window whose own click step asks for its press-mode callbacks to be skipped once.
class CSwallowing : public CBaseWin {
public:
    void OnClick() override { gWinSuperior.swallowClick = swallow; }
    int swallow = 1;
};

TEST_F(FrameTest, ASwallowedPressClickRunsNoCallbacks)
{
    CSwallowing* win = new CSwallowing;
    ASSERT_EQ(0, gWinSuperior.RegisterWin(win));
    win->Init(0, 0, 50, 50, OnClick, nullptr, nullptr, KEY_ON_PRESS, WIN_ACTIVE);
    Name(win, "list");
    Click(10, 10);
    EXPECT_EQ("", Take());
    EXPECT_EQ(0, gWinSuperior.swallowClick);
    win->swallow = 0;
    Frame(10, 10, 0, 0.5f);
    Click(10, 10);
    EXPECT_EQ("click:list ", Take());
}

} // namespace
} // namespace winframe
