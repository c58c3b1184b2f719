// List dialogs on a real device: the composed frame and its size, the scroll bar's buttons,
// wheel and track moving the list and the thumb, the close button.
#include "tests/winframe/DrawFixture.h"

#include "core/Graphics.h"
#include "gui/Label.h"
#include "gui/MyEdit.h"
#include "gui/MyButton.h"
#include "gui/TextList.h"
#include "gui/TextListDiag.h"

namespace winframe {
namespace {

int gClosed = 0;
void CountClose() { ++gClosed; }

class DiagTest : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        gClosed = 0;
        savedWidth_ = WIDTH_DIAGS;
    }
    void TearDown() override
    {
        WIDTH_DIAGS = savedWidth_;
        DrawTest::TearDown();
    }
    CTextListDiag* Diag(int x, int y, CDiagCaption record, uint32_t flags = 0)
    {
        CTextListDiag* diag = gWinSuperior.AddTextListDiag(
            x, y, record, OnClick, &gGraphics.fonts[0], 0xFFFFFFFF, 0xFF00FF00, 0xFF0080FF, 64,
            16, 10, 12, flags | WIN_ACTIVE | WIN_VISIBLE);
        Name(diag, "diag");
        return diag;
    }
    static CDiagCaption ScrollRecord()
    {
        CDiagCaption record;
        record.columns = 4;
        record.bodyRows = 3;
        record.hasScrollBar = 1;
        record.listX = 15;
        record.listY = 40;
        record.captionText = "Caption";
        record.hasCloseButton = 1;
        return record;
    }

private:
    int savedWidth_ = 0;
};

TEST_F(DiagTest, TheFrameIsComposedOnceAndDrawnAsOneSprite)
{
    CTextListDiag* diag = Diag(10, 5, ScrollRecord());
    EXPECT_EQ(214, diag->width);
    EXPECT_EQ(226, diag->height);
    EXPECT_EQ(223, diag->right);
    EXPECT_EQ(230, diag->bottom);
    EXPECT_EQ(256, diag->textureWidth);
    EXPECT_EQ(256, diag->textureHeight);
    EXPECT_EQ(WIN_KIND_LIST_DIAG, diag->kind);
    ASSERT_EQ(7, diag->childCount);  // up, down, thumb, track, close, list, label; no edit
    EXPECT_EQ(diag->scrollUp, diag->children[0]);
    EXPECT_EQ(diag->track, diag->children[3]);
    EXPECT_EQ(diag->closeButton, diag->children[4]);
    EXPECT_EQ(diag->list, diag->children[5]);
    EXPECT_EQ(diag->captionLabel, diag->children[6]);
    EXPECT_EQ(nullptr, diag->edit);
    EXPECT_EQ(10 + 31 + 160, diag->scrollUp->left);
    EXPECT_EQ(10 + 37 + 160, diag->closeButton->left);
    EXPECT_EQ(10 + 15, diag->list->left);
    EXPECT_EQ(5 + 40, diag->list->top);

    Frame(300, 235);
    DrawFrame();
    const RECT box = DrawnBox();
    EXPECT_EQ(10, box.left);
    EXPECT_EQ(5, box.top);
    EXPECT_EQ(223, box.right);
    EXPECT_EQ(230, box.bottom);
    // The frame's edge pieces are in the picture: its corners and the middle of a band.
    EXPECT_GT(Marked(10, 5, 14, 9), 0);
    EXPECT_GT(Marked(219, 226, 223, 230), 0);
    EXPECT_GT(Marked(100, 100, 104, 104), 0);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(DiagTest, TextureSidesArePowersOfTwoAndKeptWhenTheSizeStays)
{
    CDiagCaption record;
    record.columns = 1;
    WIDTH_DIAGS = 994;  // 1024 wide
    CTextListDiag* diag = Diag(0, 0, record);
    EXPECT_EQ(1024, diag->textureWidth);
    EXPECT_EQ(64, diag->textureHeight);
    IDirect3DTexture9* first = diag->texture;
    diag->Create(record, nullptr, &gGraphics.fonts[0], 0xFFFFFFFF, 0, 0, 4, 8, 2, 12);
    EXPECT_EQ(first, diag->texture);
    EXPECT_EQ(1, diag->childCount);  // the new list replaces the old one
    WIDTH_DIAGS = 1070;  // 1100 wide
    diag->Create(record, nullptr, &gGraphics.fonts[0], 0xFFFFFFFF, 0, 0, 4, 8, 2, 12);
    EXPECT_EQ(2048, diag->textureWidth);
    EXPECT_EQ(1100, diag->width);
    record.hasEdit = 1;
    record.textLines = 2;
    WIDTH_DIAGS = 40;
    CTextListDiag* tall = Diag(0, 0, record);
    EXPECT_EQ(58 + 26 + 22, tall->height);
    ASSERT_NE(nullptr, tall->edit);
    EXPECT_EQ(tall->top + 62, tall->edit->top);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(DiagTest, ButtonsWheelAndTrackScrollTheListAndTheThumbFollows)
{
    CTextListDiag* diag = Diag(10, 5, ScrollRecord());
    for (int i = 0; i < 30; ++i)
        diag->AddItem(("unit" + std::to_string(i)).c_str());
    CTextList* list = diag->list;
    const int thumbTop = diag->top + 35;
    EXPECT_EQ(thumbTop, diag->thumb->top);

    Click(diag->scrollDown->left + 5, diag->scrollDown->top + 5);
    EXPECT_EQ(1, list->topRow);
    EXPECT_EQ(thumbTop + int(1.0f / 24.0f * 160.0f), diag->thumb->top);
    Click(diag->scrollUp->left + 5, diag->scrollUp->top + 5);
    EXPECT_EQ(0, list->topRow);

    for (int i = 0; i < 40; ++i) {
        gInput.wheelDelta = -120;
        Frame(list->left + 5, list->top + 5);
    }
    EXPECT_EQ(24, list->topRow);  // 30 items, 10 rows, 4 empty rows below
    EXPECT_EQ(thumbTop + 160, diag->thumb->top);

    const int trackX = diag->track->left + 5;
    Frame(trackX, diag->track->top + diag->trackHeight / 2, MOUSE_LEFT);
    EXPECT_EQ(13, list->topRow);  // (30 + 6 - 10) / 2
    Frame(trackX, diag->track->top, MOUSE_LEFT);
    EXPECT_EQ(0, list->topRow);
    EXPECT_EQ(thumbTop, diag->thumb->top);
    Frame(trackX, diag->track->bottom + 20, MOUSE_LEFT);  // dragged below: the last top row
    Frame(trackX, diag->track->bottom, MOUSE_LEFT);
    EXPECT_EQ(24, list->topRow);
    Frame(trackX, diag->track->bottom);

    diag->Clear();
    EXPECT_EQ(0, list->topRow);
    diag->AddItem("one");
    Frame(trackX, diag->track->bottom, MOUSE_LEFT);  // too few items: the track does nothing
    EXPECT_EQ(0, list->topRow);
    Frame(trackX, diag->track->bottom);
}

TEST_F(DiagTest, TheCloseButtonHidesTheDialogAndCallsBack)
{
    CTextListDiag* diag = Diag(10, 5, ScrollRecord());
    diag->onClose = CountClose;
    diag->AddItem("a");
    Click(diag->closeButton->left + 5, diag->closeButton->top + 5);
    EXPECT_EQ(1, gClosed);
    EXPECT_FALSE(diag->flags & WIN_VISIBLE);
    EXPECT_FALSE(diag->list->flags & WIN_ACTIVE);
    EXPECT_EQ(1, diag->list->count);  // hidden, not deleted
    Frame(300, 235);
    DrawFrame();
    EXPECT_EQ(0, Marked(0, 0, 319, 239));
    diag->Show(1);
    Frame(300, 235);
    DrawFrame();
    EXPECT_GT(Marked(10, 5, 223, 230), 0);
}

TEST_F(DiagTest, AListClickInsideTheDialogSelectsItsItem)
{
    CTextListDiag* diag = Diag(10, 5, ScrollRecord());
    diag->AddItem("first");
    diag->AddItem("second");
    Click(diag->list->left + 5, diag->list->top + 12 + 5);
    EXPECT_EQ(1, diag->GetCurrentIndex());
    EXPECT_STREQ("second", diag->GetCurrentItem());
    EXPECT_EQ("click:? ", Take());  // the list itself, unnamed
}

} // namespace
} // namespace winframe
