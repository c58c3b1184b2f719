// Which callback an event calls, and how a callback without arguments finds its window and
// its owner.
#include "WinFixture.h"

#include <string>

namespace {

std::string gCalls;
CBaseWin* gSeenUnderMouse = nullptr;
CBaseWin* gSeenCurrent = nullptr;

void PlainClick() { gCalls += "fn "; }
void AfterClick() { gCalls += "after "; }
void PlainOther() { gCalls += "plain "; }

void Watch()
{
    gSeenUnderMouse = gWinSuperior.pWinUnderMouse;
    gSeenCurrent = gWinSuperior.pWinCurrent;
    gCalls += "watch ";
}

// The owner of a window, found through the window's user value 0.
struct Owner {
    int clicks = 0;
    static void OnClick()
    {
        uintptr_t value = 0;
        gWinSuperior.pWinUnderMouse->GetUserData(&value, 0);
        ++reinterpret_cast<Owner*>(value)->clicks;
    }
    void Method() { gCalls += "method "; }
};

IDelegate* Delegate(Owner* owner) { return new CDelegate<Owner>(owner, &Owner::Method); }
// A delegate with nothing to call answers -2.
IDelegate* EmptyDelegate() { return new CDelegate<Owner>(nullptr, nullptr); }

class WinEventTest : public WinTest {
protected:
    void SetUp() override
    {
        WinTest::SetUp();
        gCalls.clear();
        gSeenUnderMouse = gSeenCurrent = nullptr;
        win = Win(0, 0, WIN_ACTIVE);
    }
    std::string Fire(EWinEvent event)
    {
        gCalls.clear();
        gWinSuperior.Dispatch(win, event);
        return gCalls;
    }
    CBaseWin* win = nullptr;
    Owner owner;
};

} // namespace

TEST_F(WinEventTest, ReleaseClicksCallTheDelegateFirstAndAfterClickOnItsResult)
{
    win->fnOnClick = PlainClick;
    win->fnAfterClick = AfterClick;
    EXPECT_EQ("fn ", Fire(WEV_CLICK_RELEASE));
    win->pOnClick = Delegate(&owner);
    EXPECT_EQ("method ", Fire(WEV_CLICK_RELEASE));
    delete win->pOnClick;
    win->pOnClick = EmptyDelegate();
    EXPECT_EQ("after ", Fire(WEV_CLICK_RELEASE));
}

TEST_F(WinEventTest, PressAndRepeatClicks)
{
    win->fnOnClick = PlainClick;
    win->fnAfterClick = AfterClick;
    win->pOnClick = EmptyDelegate();
    EXPECT_EQ("", Fire(WEV_CLICK_PRESS));  // the result is ignored
    EXPECT_EQ("fn ", Fire(WEV_CLICK_REPEAT));  // plain only
    win->MakeToggle(0, 0);
    Fire(WEV_CLICK_REPEAT);  // the virtual step runs first in every click mode
    EXPECT_EQ(0, win->IsToggled());
}

TEST_F(WinEventTest, HoverRunsThePlainFunctionOnlyWhileActive)
{
    win->fnOnHover = PlainOther;
    EXPECT_EQ("plain ", Fire(WEV_HOVER));
    win->flags &= ~WIN_ACTIVE;
    EXPECT_EQ("", Fire(WEV_HOVER));
    win->pOnHover = Delegate(&owner);
    EXPECT_EQ("method ", Fire(WEV_HOVER));
}

TEST_F(WinEventTest, LeftHeldPrefersThePlainFunction)
{
    win->pOnLeftHeld = Delegate(&owner);
    EXPECT_EQ("method ", Fire(WEV_LEFT_HELD));
    win->fnOnLeftHeld = PlainOther;
    EXPECT_EQ("plain ", Fire(WEV_LEFT_HELD));
}

TEST_F(WinEventTest, EventsWithOnlyOneKindOfCallback)
{
    win->fnOnClick = PlainClick;
    EXPECT_EQ("", Fire(WEV_DBLCLICK));
    win->pOnDblClick = Delegate(&owner);
    EXPECT_EQ("method ", Fire(WEV_DBLCLICK));
    win->fnOnRightHeld = PlainOther;
    EXPECT_EQ("plain ", Fire(WEV_RIGHT_HELD));
    win->fnOnWheel = Watch;
    EXPECT_EQ("watch ", Fire(WEV_WHEEL));
}

TEST_F(WinEventTest, DelegateFirstEvents)
{
    struct Case {
        EWinEvent event;
        IDelegate* CBaseWin::*delegate;
        WinFn CBaseWin::*plain;
    };
    const Case cases[] = {
        {WEV_FRAME, &CBaseWin::pOnFrame, &CBaseWin::fnOnFrame},
        {WEV_RIGHT_CLICK, &CBaseWin::pOnRightClick, &CBaseWin::fnOnRightClick},
        {WEV_PRE_DRAW, &CBaseWin::pOnPreDraw, &CBaseWin::fnOnPreDraw},
        {WEV_POST_DRAW, &CBaseWin::pOnPostDraw, &CBaseWin::fnOnPostDraw},
    };
    for (const Case& c : cases) {
        EXPECT_EQ("", Fire(c.event));
        win->*c.plain = PlainOther;
        EXPECT_EQ("plain ", Fire(c.event));
        win->*c.delegate = Delegate(&owner);
        EXPECT_EQ("method ", Fire(c.event));
    }
}

TEST_F(WinEventTest, CallbacksFindTheirWindowAndOwner)
{
    win->fnOnFrame = Watch;
    Fire(WEV_FRAME);
    EXPECT_EQ(win, gSeenCurrent);
    EXPECT_EQ(nullptr, gWinSuperior.pWinCurrent);  // only while the step runs

    win->SetDrawCallbacks(Watch, nullptr);
    Fire(WEV_PRE_DRAW);
    EXPECT_EQ(win, gSeenCurrent);

    win->fnOnRightClick = Watch;
    Fire(WEV_RIGHT_CLICK);
    EXPECT_EQ(win, gSeenUnderMouse);
    EXPECT_EQ(win, gWinSuperior.pWinUnderMouse);
    EXPECT_EQ(win->slot, gWinSuperior.slotUnderMouse);

    win->SetUserData(reinterpret_cast<uintptr_t>(&owner), 0);
    win->fnOnClick = Owner::OnClick;
    Fire(WEV_CLICK_RELEASE);
    Fire(WEV_CLICK_PRESS);
    EXPECT_EQ(2, owner.clicks);
}

namespace {
CBaseWin* gClosing = nullptr;
void CloseSelf() { gWinSuperior.DeleteWin(&gClosing); }
} // namespace

TEST_F(WinEventTest, AWindowMayDeleteItselfFromItsOwnClick)
{
    gClosing = win;
    win->fnOnClick = CloseSelf;
    win->fnAfterClick = AfterClick;
    Fire(WEV_CLICK_RELEASE);
    EXPECT_EQ(nullptr, gClosing);
    EXPECT_EQ(nullptr, gWinSuperior.pWinUnderMouse);  // no stale window under the mouse
    EXPECT_EQ(1, gWinSuperior.freeCount);
}
