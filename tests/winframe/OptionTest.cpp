// Radio boxes, check boxes and tables through the mouse pass and on the read-back picture.
#include "tests/winframe/DrawFixture.h"

#include "core/Graphics.h"
#include "gui/RadioBox.h"
#include "gui/Table.h"
#include "gui/TextList.h"

namespace winframe {
namespace {

// A framed panel of the skin (41 x 57) as the group's picture, the toggled check mark as
// its mark; four rows of 14 pixels.
constexpr RECT PANEL{16, 37, 56, 93};
constexpr RECT MARK{191, 1, 199, 9};
constexpr int X = 30, Y = 20, ROW = 14, MARK_X = 5, MARK_Y = 2;

bool Reddish(D3DCOLOR c)
{
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return r > 40 && g < 8 && b < 8;
}

class OptionTest : public DrawTest {
protected:
    template <class Group>
    Group* Make(Group* (CWinSuperior::*factory)(int, int, int, int, WinFn, int, int, int,
                                                IDirect3DTexture9*, const RECT&, uint32_t,
                                                const RECT&, uint32_t, int))
    {
        Group* group = (gWinSuperior.*factory)(X, Y, 41, 57, OnClick, MARK_X, MARK_Y, ROW,
                                               gWinSuperior.skin, PANEL,
                                               WIN_ACTIVE | WIN_VISIBLE | WIN_NOBLEND, MARK, 0,
                                               4);
        Name(group, "group");
        return group;
    }
    static int RowY(int row) { return Y + MARK_Y + row * ROW + 3; }
    // Whether the mark of the row is in the picture.
    int MarkMismatches(int row) { return SkinMismatches(X + MARK_X, Y + MARK_Y + row * ROW, 191, 1, 9, 9); }
};

TEST_F(OptionTest, ARadioBoxSelectsTheRowUnderTheMouse)
{
    CRadioBox* radio = Make(&CWinSuperior::AddRadioBox);
    EXPECT_EQ(uint32_t(KEY_ON_RELEASE), radio->triggerMode);
    EXPECT_EQ(gWinSuperior.skin, radio->markTexture);
    Click(X + 20, RowY(2));
    EXPECT_EQ(4u, radio->selectedMask);
    EXPECT_EQ("click:group ", Take());
    Click(X + 20, Y + 56);  // below the last row: the last row
    EXPECT_EQ(8u, radio->selectedMask);
    Click(X + 20, Y + 1);  // above the first mark: the first row
    EXPECT_EQ(1u, radio->selectedMask);

    Frame(300, 230);
    DrawFrame();
    EXPECT_EQ(0, MarkMismatches(0));
    EXPECT_GT(MarkMismatches(1), 0);  // the panel shows there
    EXPECT_EQ(0, SkinMismatches(X + 20, Y + 20, 16 + 20, 37 + 20, 15, 15));
}

TEST_F(OptionTest, ACheckBoxTogglesRowsOnTheirOwn)
{
    CCheckBox* check = Make(&CWinSuperior::AddCheckBox);
    Click(X + 20, RowY(1));
    Click(X + 20, RowY(3));
    EXPECT_EQ(0xAu, check->selectedMask);
    Frame(300, 230, 0, 0.5f);  // no double click in between
    Click(X + 20, RowY(1));
    EXPECT_EQ(0x8u, check->selectedMask);
    Frame(300, 230);
    DrawFrame();
    EXPECT_EQ(0, MarkMismatches(3));
    EXPECT_GT(MarkMismatches(1), 0);
}

TEST_F(OptionTest, WithoutMarkTextureOnlyThePictureIsDrawnAndClicksStillCount)
{
    CCheckBox* check = Make(&CWinSuperior::AddCheckBox);
    check->markTexture = nullptr;
    check->selectedMask = 1;
    Click(X + 20, RowY(2));
    EXPECT_EQ(5u, check->selectedMask);
    Frame(300, 230);
    DrawFrame();
    EXPECT_GT(MarkMismatches(0), 0);
    EXPECT_EQ(0, SkinMismatches(X, Y, 16, 37, 41, 57));
}

TEST_F(OptionTest, TheHoveredRowIsLitInTheRowColour)
{
    CRadioBox* radio = Make(&CWinSuperior::AddRadioBox);
    radio->flags &= ~WIN_NOBLEND;
    radio->SetHoverColours(0xFF808080, 0.1f, 0xFFFFFFFF, 0.1f, 0xFFFF0000);
    for (int i = 0; i < 8; ++i) {
        Frame(X + 30, RowY(2));
        DrawFrame();
    }
    EXPECT_EQ(0xFFFF0000u, radio->rowColor);
    EXPECT_EQ(0xFFFFFFFFu, radio->color);
    int lit = 0;
    for (int y = Y + MARK_Y + 2 * ROW; y < Y + MARK_Y + 3 * ROW - 2; ++y)
        for (int x = X + MARK_X; x < X + 40; ++x)
            lit += Reddish(image.At(x, y));
    EXPECT_GT(lit, 20);
    for (int i = 0; i < 8; ++i) {
        Frame(300, 230);
        DrawFrame();
    }
    EXPECT_EQ(0xFFFFFFFFu, radio->rowColor);  // back to the window's hover colour
    EXPECT_EQ(0xFF808080u, radio->color);
}

TEST_F(OptionTest, ATableFillsColumnsAndSelectsTheClickedCell)
{
    CTable* table = gWinSuperior.AddTable(20, 20, 200, 60, OnClick, &gGraphics.fonts[0],
                                          0xFFFFFFFF, 0xFF00FF00, 0xFF0080FF, 5, 8, 3, 0, 60,
                                          14, WIN_ACTIVE | WIN_VISIBLE);
    Name(table, "table");
    EXPECT_EQ(uint32_t(KEY_ON_PRESS), table->triggerMode);
    EXPECT_EQ(0, table->AddCell(""));
    for (const char* text : {"c0", "c1", "c2", "c3", "long cell text"})
        table->AddCell(text);
    EXPECT_EQ(0, table->AddCell("c5"));  // full
    EXPECT_STREQ("long ce", table->CellAt(4));
    Frame(300, 230);
    DrawFrame();
    EXPECT_GT(Marked(20, 17, 79, 27), 0);    // c0
    EXPECT_GT(Marked(80, 31, 139, 41), 0);   // c4 in the second column
    EXPECT_EQ(0, Marked(80, 45, 139, 60));   // no sixth cell
    EXPECT_EQ(0, Marked(140, 17, 219, 60));  // no third column

    Frame(85, 20 + 14 + 5);
    DrawFrame();
    EXPECT_EQ(4, table->hoverCell);
    Click(85, 20 + 14 + 5);
    EXPECT_EQ("click:table ", Take());
    EXPECT_EQ(4, table->currentIndex);
    EXPECT_STREQ("long ce", table->currentText);
    EXPECT_EQ(ITEM_SELECTED, table->selection[4]);
    Frame(85, 20 + 28 + 5, 0, 0.5f);
    Click(85, 20 + 28 + 5);  // an empty cell selects nothing
    EXPECT_EQ(-1, table->currentIndex);
    EXPECT_EQ(ITEM_NOT_SELECTED, table->selection[4]);
    table->Clear();
    EXPECT_EQ(0, table->count);
}

} // namespace
} // namespace winframe
