// Registration, z order, deletion, origin, modal window and popup of the window manager.
#include "WinFixture.h"

#include "core/FrameTimer.h"

#include <vector>

namespace {

const char kLimit[] = "PROGRAMMER LIMIT: Wins array for CWinSuperior is overflow";

std::vector<CBaseWin*> InZOrder()
{
    gWinSuperior.SortByZ();
    return {gWinSuperior.windows, gWinSuperior.windows + gWinSuperior.count};
}

} // namespace

TEST_F(WinTest, TheLimitHoldsAndDeletionMakesRoomAgain)
{
    std::vector<CBaseWin*> made;
    for (int i = 0; i < MAX_WINS; ++i)
        made.push_back(Win(i, 0));
    EXPECT_EQ(0u, messages->Count()) << messages->Joined();
    EXPECT_EQ(MAX_WINS - 1, made.back()->slot);

    CBaseWin* extra = Win(5, 5);
    ASSERT_EQ(1u, messages->Count());
    EXPECT_EQ(kLimit, messages->Texts()[0]);
    ASSERT_NE(nullptr, extra);  // handed back, unregistered and uninitialised
    EXPECT_EQ(-1, extra->slot);
    EXPECT_EQ(0, extra->left);
    delete extra;  // gives nothing back
    EXPECT_EQ(0, gWinSuperior.freeCount);

    gWinSuperior.DeleteWin(&made[700]);
    EXPECT_EQ(nullptr, made[700]);
    CBaseWin* again = Win(1, 1);
    EXPECT_EQ(700, again->slot);
    EXPECT_EQ(again, gWinSuperior.windows[700]);
    EXPECT_EQ(1u, messages->Count());
}

TEST_F(WinTest, PlacementSizesAndTheSourceRect)
{
    CBaseWin* win = gWinSuperior.AddWin(3, 4, -1, -1, nullptr, nullptr, 10, 20, 29, 59, 0x400,
                                        WIN_VISIBLE);
    EXPECT_EQ(3, win->left);
    EXPECT_EQ(4, win->top);
    EXPECT_EQ(19, win->width);  // r - l
    EXPECT_EQ(39, win->height);
    EXPECT_EQ(21, win->right);
    EXPECT_EQ(42, win->bottom);
    EXPECT_EQ(30, win->sourceRect.right);  // exclusive
    EXPECT_EQ(60, win->sourceRect.bottom);
    EXPECT_EQ(0x400u, win->triggerMode);
    EXPECT_EQ(3.0f, win->position[0]);
    EXPECT_EQ(WIN_VISIBLE, win->flags);
}

TEST_F(WinTest, DeletedSlotsAreReusedAndSortCompactsTheRest)
{
    CBaseWin* a = Win();
    CBaseWin* b = Win();
    CBaseWin* c = Win();
    CBaseWin* d = Win();
    gWinSuperior.DeleteWin(&b);
    gWinSuperior.DeleteWin(&c);
    EXPECT_EQ(2, gWinSuperior.freeCount);
    CBaseWin* e = Win();
    EXPECT_EQ(2, e->slot);  // the last freed first
    EXPECT_EQ(std::vector<CBaseWin*>({a, d, e}), InZOrder());
    EXPECT_EQ(3, gWinSuperior.count);
    EXPECT_EQ(0, gWinSuperior.freeCount);
    EXPECT_EQ(1, d->slot);
    EXPECT_EQ(0u, gWinSuperior.resortRequest);
}

TEST_F(WinTest, ShowBringsAWindowAndItsChildrenToTheTop)
{
    CBaseWin* parent = Win();
    CBaseWin* child = Win();
    CBaseWin* other = Win();
    parent->AddChilds(child, nullptr);
    EXPECT_EQ(std::vector<CBaseWin*>({parent, child, other}), InZOrder());

    parent->Show(1);
    EXPECT_EQ(std::vector<CBaseWin*>({other, parent, child}), InZOrder());
    EXPECT_EQ(WIN_ACTIVE | WIN_VISIBLE, child->flags);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(i, gWinSuperior.windows[i]->slot);

    other->FadeIn(0);
    EXPECT_EQ(other, InZOrder().back());
}

TEST_F(WinTest, EqualStampsKeepTheirOrder)
{
    CBaseWin* a = Win();
    CBaseWin* b = Win();
    CBaseWin* c = Win();
    a->zStamp = b->zStamp = 7;
    c->zStamp = 3;
    EXPECT_EQ(std::vector<CBaseWin*>({c, a, b}), InZOrder());
}

TEST_F(WinTest, DeletingAWindowTakesItsChildrenAndLeavesItsParent)
{
    CBaseWin* root = Win();
    CBaseWin* mid = Win();
    CBaseWin* leaf = Win();
    CBaseWin* sibling = Win();
    root->AddChilds(mid, sibling, nullptr);
    mid->AddChilds(leaf, nullptr);
    mid->pOnClick = new CDelegate<CEmptyClass>([] {});

    gWinSuperior.DeleteWin(&mid);
    EXPECT_EQ(nullptr, mid);
    EXPECT_EQ(1, root->childCount);
    EXPECT_EQ(sibling, root->children[0]);
    EXPECT_EQ(2, gWinSuperior.freeCount);
    EXPECT_EQ(std::vector<CBaseWin*>({root, sibling}), InZOrder());

    gWinSuperior.DeleteWin(&root);
    EXPECT_EQ(0, InZOrder().size() ? 1 : 0);
    CBaseWin* none = nullptr;
    gWinSuperior.DeleteWin(&none);
    gWinSuperior.DeleteWin(nullptr);
}

TEST_F(WinTest, ContainersAndTheOriginStack)
{
    CBaseWin* box = Win(100, 50, WIN_CONTAINER);
    CBaseWin* inside = Win(5, 6);
    EXPECT_EQ(105, inside->left);
    EXPECT_EQ(56, inside->top);
    EXPECT_EQ(box, gWinSuperior.originWin);
    gWinSuperior.ResetOrigin();
    EXPECT_EQ(5, Win(5, 6)->left);

    CBaseWin* a = Win(10, 20);
    CBaseWin* b = Win(30, 40);
    gWinSuperior.PushOrigin(a);
    gWinSuperior.PushOrigin(b);
    EXPECT_EQ(31, Win(1, 1)->left);
    gWinSuperior.PopOrigin();  // the popped window stays the origin
    EXPECT_EQ(31, Win(1, 1)->left);
    gWinSuperior.PopOrigin();
    EXPECT_EQ(11, Win(1, 1)->left);
    gWinSuperior.PopOrigin();
    EXPECT_EQ(1, Win(1, 1)->left);

    for (int i = 0; i < MAX_ORIGIN_DEPTH; ++i)
        gWinSuperior.PushOrigin(a);
    gWinSuperior.PushOrigin(b);  // the 33rd is ignored
    EXPECT_EQ(MAX_ORIGIN_DEPTH, gWinSuperior.originDepth);
    EXPECT_EQ(11, Win(1, 1)->left);

    // A deleted window is never read back as an origin.
    gWinSuperior.ResetOrigin();
    gWinSuperior.PushOrigin(a);
    gWinSuperior.PushOrigin(b);
    gWinSuperior.DeleteWin(&b);
    EXPECT_EQ(1, gWinSuperior.originDepth);
    gWinSuperior.PopOrigin();
    EXPECT_EQ(a, gWinSuperior.originWin);
}

TEST_F(WinTest, AModalWindowDisablesExactlyTheActiveWindowsUntilHidden)
{
    CBaseWin* active1 = Win(0, 0, WIN_ACTIVE);
    CBaseWin* inactive = Win();
    CBaseWin* active2 = Win(0, 0, WIN_ACTIVE | WIN_VISIBLE);
    CBaseWin* modal = Win(0, 0, WIN_PUSHER);
    CBaseWin* button = Win();
    modal->AddChilds(button, nullptr);

    modal->Show(1);
    EXPECT_EQ(modal, gWinSuperior.pWinPusher);
    EXPECT_EQ(2, gWinSuperior.disabledCount);
    EXPECT_EQ(0u, active1->flags & WIN_ACTIVE);
    EXPECT_EQ(WIN_VISIBLE, active2->flags);
    EXPECT_TRUE(modal->flags & WIN_ACTIVE);
    EXPECT_TRUE(button->flags & WIN_ACTIVE);  // the modal window's own children take input

    modal->Hide(0);
    EXPECT_EQ(nullptr, gWinSuperior.pWinPusher);
    EXPECT_EQ(0, gWinSuperior.disabledCount);
    EXPECT_EQ(WIN_ACTIVE, active1->flags);
    EXPECT_EQ(WIN_ACTIVE | WIN_VISIBLE, active2->flags);
    EXPECT_EQ(0u, inactive->flags);
    EXPECT_EQ(0u, modal->flags & (WIN_ACTIVE | WIN_VISIBLE));
    EXPECT_EQ(0u, button->flags & WIN_ACTIVE);
    EXPECT_EQ(0u, messages->Count());
}

TEST_F(WinTest, ASecondModalWindowIsReportedAndReplacesTheFirst)
{
    CBaseWin* below = Win(0, 0, WIN_ACTIVE);
    CBaseWin* first = Win(0, 0, WIN_PUSHER);
    CBaseWin* second = Win(0, 0, WIN_PUSHER);
    first->Show(1);
    first->Show(1);  // showing the same one again is no second modal window
    EXPECT_EQ(0u, messages->Count());
    second->Show(1);
    ASSERT_EQ(1u, messages->Count());
    EXPECT_EQ("PROGRAMMER ERROR:  pWinPusher!=NULL.", messages->Texts()[0]);
    EXPECT_EQ(second, gWinSuperior.pWinPusher);
    EXPECT_EQ(0u, first->flags & WIN_ACTIVE);

    first->Hide(0);  // not the modal window any more: nothing comes back
    EXPECT_EQ(0u, below->flags & WIN_ACTIVE);
    second->Hide(0);
    EXPECT_EQ(WIN_ACTIVE, below->flags & WIN_ACTIVE);
    EXPECT_EQ(WIN_ACTIVE, first->flags & WIN_ACTIVE);  // it was active when disabled
}

TEST_F(WinTest, DeletingWindowsWhileAModalWindowIsUp)
{
    CBaseWin* doomed = Win(0, 0, WIN_ACTIVE);
    CBaseWin* kept = Win(0, 0, WIN_ACTIVE);
    CBaseWin* modal = Win(0, 0, WIN_PUSHER);
    modal->Show(1);
    gWinSuperior.DeleteWin(&doomed);
    EXPECT_EQ(1, gWinSuperior.disabledCount);

    gWinSuperior.DeleteWin(&modal);  // deleting the modal window gives the others back
    EXPECT_EQ(nullptr, gWinSuperior.pWinPusher);
    EXPECT_EQ(0, gWinSuperior.disabledCount);
    EXPECT_EQ(WIN_ACTIVE, kept->flags);

    CBaseWin* parent = Win();
    CBaseWin* childModal = Win(0, 0, WIN_PUSHER);
    parent->AddChilds(childModal, nullptr);
    childModal->Show(1);
    EXPECT_EQ(0u, kept->flags & WIN_ACTIVE);
    gWinSuperior.DeleteWin(&parent);
    EXPECT_EQ(WIN_ACTIVE, kept->flags);
    EXPECT_EQ(nullptr, gWinSuperior.pWinPusher);
}

TEST_F(WinTest, PopupsAreRememberedUntilDeleted)
{
    CBaseWin* popup = Win(0, 0, WIN_POPUP);
    EXPECT_EQ(nullptr, gWinSuperior.pWinPopup);
    popup->Show(1);
    EXPECT_EQ(popup, gWinSuperior.pWinPopup);
    Win()->Show(1);
    EXPECT_EQ(popup, gWinSuperior.pWinPopup);
    gWinSuperior.DeleteWin(&popup);
    EXPECT_EQ(nullptr, gWinSuperior.pWinPopup);
}

TEST_F(WinTest, TheCaretBlinksEveryFourTenths)
{
    gFrameTimer.step = 0.25f;
    EXPECT_EQ(0, gWinSuperior.CaretBlink());
    EXPECT_EQ(1, gWinSuperior.CaretBlink());
    EXPECT_NEAR(0.1f, gWinSuperior.caretTimer, 1e-5f);
    EXPECT_EQ(1, gWinSuperior.CaretBlink());
    EXPECT_EQ(0, gWinSuperior.CaretBlink());
    gFrameTimer.step = 0.0f;
}
