// The window record: texts, user values, frames, fades, moves, children, toggles, colours
// and scrolling.
#include "WinFixture.h"

#include "core/FrameTimer.h"

#include <string>

namespace {

struct StepGuard {
    explicit StepGuard(float step) { gFrameTimer.step = step; }
    ~StepGuard() { gFrameTimer.step = 0.0f; }
};

} // namespace

TEST_F(WinTest, CaptionsAndHintsAreCutToTheirBuffers)
{
    CBaseWin* win = Win();
    CFont* font = reinterpret_cast<CFont*>(0x10);  // only stored
    win->SetCaption(std::string(300, 'c').c_str(), font, 0xFF00FF00, 2, 3);
    EXPECT_EQ(std::string(255, 'c'), win->caption);
    EXPECT_EQ(font, win->captionFont);
    EXPECT_EQ(0xFF00FF00u, win->captionColor);
    win->SetCaption("text", nullptr, 0, 0, 0);  // no font: emptied
    EXPECT_STREQ("", win->caption);
    win->SetCaptionText("abc");
    EXPECT_STREQ("abc", win->caption);

    win->SetHint(std::string(200, 'h').c_str());
    EXPECT_EQ(std::string(127, 'h'), win->hint);
    win->SetHint(nullptr);
    EXPECT_STREQ("", win->hint);
}

TEST_F(WinTest, UserValuesOnlyAtTheirFourIndexes)
{
    CBaseWin* win = Win();
    int owner = 0;
    win->SetUserData(reinterpret_cast<uintptr_t>(&owner), 0);
    win->SetUserData(77, 4);
    win->SetUserData(78, -1);
    uintptr_t out = 5;
    win->GetUserData(&out, 0);
    EXPECT_EQ(&owner, reinterpret_cast<int*>(out));
    out = 5;
    win->GetUserData(&out, 1);  // never set
    EXPECT_EQ(5u, out);
    win->GetUserData(&out, 4);
    EXPECT_EQ(5u, out);

    const uintptr_t values[3] = {1, 2, 3};
    win->SetUserDataArray(values, 1, 3);
    uintptr_t back[4] = {};
    win->GetUserDataArray(back, 0, 4);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&owner), back[0]);
    EXPECT_EQ(3u, back[3]);
    win->GetUserData(&out, 2);  // the array does not mark values as set
    EXPECT_EQ(5u, out);
    win->SetUserDataArray(values, 3, 3);  // cut at the fourth value
    EXPECT_EQ(1u, win->userValues[3]);
}

TEST_F(WinTest, FramesRunAndWrapAround)
{
    CBaseWin* win = gWinSuperior.AddWin(0, 0, 20, 10, nullptr, nullptr, 40, 0, 59, 9, 0, 0);
    win->SetFrames(3);
    win->OnClick();
    EXPECT_EQ(60, win->sourceRect.left);
    EXPECT_EQ(80, win->sourceRect.right);
    win->NextFrame();
    EXPECT_EQ(80, win->sourceRect.left);
    win->NextFrame();
    EXPECT_EQ(40, win->sourceRect.left);
    EXPECT_EQ(60, win->sourceRect.right);
    EXPECT_EQ(0, win->currentFrame);

    win->SetTexPos(WIN_KEEP, 5);
    EXPECT_EQ(40, win->sourceRect.left);
    EXPECT_EQ(15, win->sourceRect.bottom);
}

TEST_F(WinTest, FadesEndHiddenOrOpaque)
{
    StepGuard step(0.1f);
    CBaseWin* win = Win();
    CBaseWin* child = Win();
    win->AddChilds(child, nullptr);
    win->FadeIn(0);
    EXPECT_EQ(WIN_ACTIVE | WIN_VISIBLE | WIN_FADING, child->flags);
    EXPECT_EQ(0x00FFFFFFu, win->color);
    win->FadeStep();
    EXPECT_EQ(76u, win->color >> 24);  // 0.3 x 255 truncated
    for (int i = 0; i < 4; ++i)
        win->FadeStep();
    EXPECT_EQ(0xFFFFFFFFu, win->color);
    EXPECT_EQ(WIN_ACTIVE | WIN_VISIBLE, win->flags);

    win->FadeOut();
    EXPECT_EQ(WIN_VISIBLE | WIN_FADING, child->flags);
    for (int i = 0; i < 4; ++i)
        win->FadeStep();
    EXPECT_EQ(0x00FFFFFFu, win->color);
    EXPECT_EQ(0u, win->flags);
}

TEST_F(WinTest, ShowHideAndAlphaReachTheSubtree)
{
    CBaseWin* win = Win();
    CBaseWin* child = Win();
    CBaseWin* grandchild = Win();
    win->AddChilds(child, nullptr);
    child->AddChilds(grandchild, nullptr);
    win->Show(0);  // active but not visible
    EXPECT_EQ(WIN_ACTIVE, grandchild->flags);
    grandchild->heldTime = 1.0f;
    win->Hide(1);
    EXPECT_EQ(WIN_VISIBLE, grandchild->flags);
    EXPECT_EQ(0.0f, grandchild->heldTime);
    win->SetAlpha(0x40);
    EXPECT_EQ(0x40FFFFFFu, grandchild->color);

    win->ShowChildren(0x80);
    EXPECT_EQ(WIN_ACTIVE | WIN_VISIBLE, grandchild->flags);
    EXPECT_EQ(0x80FFFFFFu, child->color);
    EXPECT_EQ(0x40FFFFFFu, win->color);
    win->HideChildren(0);
    EXPECT_EQ(0u, child->flags);
    win->HideChildren(0x20);
    EXPECT_EQ(WIN_VISIBLE, child->flags);
    EXPECT_EQ(0x20FFFFFFu, grandchild->color);
}

TEST_F(WinTest, MovesCarryTheWholeSubtree)
{
    CBaseWin* win = Win(10, 20);
    CBaseWin* child = Win(15, 25);
    CBaseWin* grandchild = Win(30, 40);
    win->AddChilds(child, nullptr);
    child->AddChilds(grandchild, nullptr);
    grandchild->MakeToggle(2, 3);

    win->MoveTo(WIN_KEEP, 50);
    EXPECT_EQ(10, win->left);
    EXPECT_EQ(15, child->left);
    EXPECT_EQ(30, grandchild->left);
    EXPECT_EQ(50, win->top);
    EXPECT_EQ(55, child->top);
    EXPECT_EQ(70, grandchild->top);
    EXPECT_EQ(79, grandchild->bottom);
    EXPECT_EQ(70.0f, grandchild->position[1]);
    EXPECT_EQ(73.0f, grandchild->checkPosition[1]);

    win->MoveBy(-5, WIN_KEEP);
    EXPECT_EQ(25, grandchild->left);
    EXPECT_EQ(34, grandchild->right);
    EXPECT_EQ(70, grandchild->top);
    win->SetLeft(0);
    EXPECT_EQ(5, child->left);

    win->SetSize(30, WIN_KEEP);
    EXPECT_EQ(29, win->right);
    EXPECT_EQ(59, win->bottom);
    int r = 0, b = 0, x = 0;
    win->GetRightBottom(&r, &b);
    win->GetPos(&x, nullptr);
    EXPECT_EQ(29, r);
    EXPECT_EQ(59, b);
    EXPECT_EQ(0, x);
}

TEST_F(WinTest, ChildArraysGrowBySixteen)
{
    CBaseWin* parent = Win();
    CBaseWin* kids[17];
    for (CBaseWin*& k : kids)
        k = Win();
    parent->AddChildArray(kids, 16);
    EXPECT_EQ(16, parent->childCapacity);
    CBaseWin** before = parent->children;
    parent->AddChilds(kids[16], nullptr);
    EXPECT_EQ(32, parent->childCapacity);
    EXPECT_NE(before, parent->children);
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(kids[i], parent->children[i]);
        EXPECT_EQ(parent, kids[i]->parent);
    }
    EXPECT_EQ(nullptr, parent->children[17]);

    parent->RemoveChild(kids[3]);
    EXPECT_EQ(16, parent->childCount);
    EXPECT_EQ(kids[4], parent->children[3]);
    EXPECT_EQ(nullptr, kids[3]->parent);
    gWinSuperior.DeleteWin(&kids[3]);

    parent->ReserveChildren(40);
    EXPECT_EQ(40, parent->childCapacity);
    EXPECT_EQ(kids[16], parent->children[15]);
}

TEST_F(WinTest, TogglesFlipOnClick)
{
    CBaseWin* win = Win(5, 5);
    win->OnClick();
    EXPECT_EQ(1, win->IsToggled());  // not a toggle yet
    win->MakeToggle(1, 2);
    EXPECT_EQ(6.0f, win->checkPosition[0]);
    win->OnClick();
    EXPECT_EQ(0, win->IsToggled());
    win->OnClick();
    EXPECT_EQ(1, win->IsToggled());
}

TEST_F(WinTest, HoverColoursBlendTowardsTheirEnds)
{
    StepGuard step(0.05f);
    CBaseWin* win = Win();
    win->SetHoverColours(0xFF000000, 0.2f, 0xFFFFFFFF, 0.1f);
    EXPECT_EQ(0xFF000000u, win->color);

    gWinSuperior.pWinUnderMouse = win;
    win->UpdateHighlight();
    EXPECT_EQ(0xFF7F7F7Fu, win->color);  // half way, truncated
    win->UpdateHighlight();
    EXPECT_EQ(0xFFFFFFFFu, win->color);
    EXPECT_EQ(0.0f, win->highlightTimer);
    win->UpdateHighlight();  // at the hover colour nothing runs
    EXPECT_EQ(0.0f, win->highlightTimer);

    gWinSuperior.pWinUnderMouse = nullptr;
    win->UpdateHighlight();
    EXPECT_EQ(0xFFBFBFBFu, win->color);  // a quarter of the way back
    for (int i = 0; i < 3; ++i)
        win->UpdateHighlight();
    EXPECT_EQ(0xFF000000u, win->color);
}

TEST_F(WinTest, ScrollingMovesOnlyScrolledChildrenWithinTheTopBound)
{
    CBaseWin* list = Win(0, 100);
    CBaseWin* row = Win(0, 110, WIN_SCROLLED);
    CBaseWin* fixed = Win(0, 90);
    list->AddChilds(row, fixed, nullptr);
    list->Scroll(-10);  // no scroll buttons yet: nothing
    EXPECT_EQ(110, row->top);

    list->scrollOffset = 0;
    list->scrollStep = 8;
    list->Scroll(5);
    EXPECT_EQ(0, list->scrollOffset);
    EXPECT_EQ(110, row->top);
    list->Scroll(-12);
    EXPECT_EQ(-12, list->scrollOffset);
    EXPECT_EQ(98, row->top);
    EXPECT_EQ(90, fixed->top);

    CBaseWin* up = Win();
    list->AddChilds(up, nullptr);
    gWinSuperior.pWinUnderMouse = up;
    CBaseWin::OnScrollUp();
    EXPECT_EQ(-4, list->scrollOffset);
    EXPECT_EQ(106, row->top);
    CBaseWin::OnScrollUp();  // past the bound: only the part used moves the rows
    EXPECT_EQ(0, list->scrollOffset);
    EXPECT_EQ(110, row->top);
    CBaseWin::OnScrollDown();
    EXPECT_EQ(-8, list->scrollOffset);
    EXPECT_EQ(102, row->top);
}
