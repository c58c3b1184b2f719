// Text lists driven through the mouse pass on a real device: rows drawn in their colours,
// selection with Ctrl, clicks below the items, the wheel and the in-place row editor.
#include "tests/winframe/DrawFixture.h"

#include "core/Graphics.h"
#include "gui/MyEdit.h"
#include "gui/TextList.h"

#include <cstring>

namespace winframe {
namespace {

constexpr int LIST_X = 20, LIST_Y = 20, LIST_W = 120, ROW = 14, ROWS = 5;
constexpr D3DCOLOR TEXT = 0xFFFFFFFF, HOVER = 0xFF00FF00, SELECTED = 0xFF0080FF;

int gEdits = 0;
void CountEdit() { ++gEdits; }

// By hue, not brightness: thin glyphs are drawn at part coverage, blended with the background.
bool Greenish(D3DCOLOR c)
{
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return g > r + 60 && g > b + 60;
}

bool Bluish(D3DCOLOR c)
{
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return b > r + 60 && b > g + 30;
}

class ListTest : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();  // also makes the shared row editor
        gEdits = 0;
    }

    CTextList* List(int capacity, uint32_t flags = 0)
    {
        CTextList* list = gWinSuperior.AddTextList(
            LIST_X, LIST_Y, LIST_W, ROWS * ROW, OnClick, &gGraphics.fonts[0], TEXT, HOVER,
            SELECTED, capacity, 16, ROWS, ROW, flags | WIN_ACTIVE | WIN_VISIBLE);
        Name(list, "list");
        return list;
    }
    static int RowY(int row) { return LIST_Y + row * ROW + ROW / 2; }
    // Pixels of the row's band that pass the test.
    int RowPixels(int row, bool (*test)(D3DCOLOR)) const
    {
        int n = 0;
        for (int y = LIST_Y + row * ROW - 3; y < LIST_Y + (row + 1) * ROW - 3; ++y)
            for (int x = LIST_X; x < LIST_X + LIST_W; ++x)
                n += test(image.At(x, y));
        return n;
    }
    // One frame with the keys held, dispatched to the key handlers, then drawn.
    void KeyFrame(std::initializer_list<uint8_t> keys)
    {
        memset(gInput.keys, 0, sizeof gInput.keys);
        for (uint8_t key : keys)
            gInput.keys[key] = 0x80;
        gInput.Dispatch();
        Frame(200, 200);
        DrawFrame();
    }
    void Press(uint8_t key)
    {
        KeyFrame({key});
        KeyFrame({});
    }
    void DoubleClick(int x, int y)
    {
        Click(x, y);
        Click(x, y);
    }
};

TEST_F(ListTest, RowsAreDrawnInTheirColoursAndClicksSelect)
{
    CTextList* list = List(8);
    for (const char* text : {"alpha", "beta", "gamma"})
        list->AddItem(text);
    Frame(200, 200);
    DrawFrame();
    for (int row = 0; row < 3; ++row)
        EXPECT_GT(Marked(LIST_X, LIST_Y + row * ROW - 3, LIST_X + LIST_W - 1,
                         LIST_Y + (row + 1) * ROW - 4), 0) << row;
    EXPECT_EQ(0, Marked(LIST_X, LIST_Y + 3 * ROW, LIST_X + LIST_W - 1, LIST_Y + ROWS * ROW));

    Frame(30, RowY(1));  // hover
    DrawFrame();
    EXPECT_EQ(1, list->GetHoverRow());
    EXPECT_GT(RowPixels(1, Greenish), 0);
    EXPECT_EQ(0, RowPixels(0, Greenish));

    Click(30, RowY(1));
    EXPECT_EQ("click:list ", Take());
    EXPECT_EQ(1, list->GetCurrentIndex());
    EXPECT_STREQ("beta", list->GetCurrentItem());
    Frame(200, 200);
    DrawFrame();
    EXPECT_GT(RowPixels(1, Bluish), 0);
    EXPECT_EQ(0, RowPixels(2, Bluish));

    Click(30, RowY(4));  // below the last item: nothing selected, no callback
    EXPECT_EQ("", Take());
    EXPECT_EQ(1, list->GetCurrentIndex());
    Click(30, RowY(2));  // the next click is not swallowed
    EXPECT_EQ("click:list ", Take());

    Frame(30, RowY(2), MOUSE_RIGHT);
    Frame(30, RowY(2));
    EXPECT_EQ(-1, list->GetCurrentIndex());
    EXPECT_FALSE(list->IsSelected(2));
}

TEST_F(ListTest, CtrlExtendsTheSelectionUnlessSingleSelect)
{
    CTextList* list = List(8);
    for (const char* text : {"a", "b", "c"})
        list->AddItem(text);
    Click(30, RowY(0));
    gInput.keys[DIK_LCONTROL] = 0x80;
    Click(30, RowY(2));
    EXPECT_TRUE(list->IsSelected(0));
    EXPECT_TRUE(list->IsSelected(2));
    EXPECT_EQ(2, list->GetCurrentIndex());
    Click(30, RowY(2));  // Ctrl on a selected item deselects it: no current item
    EXPECT_FALSE(list->IsSelected(2));
    EXPECT_EQ(-1, list->GetCurrentIndex());
    EXPECT_EQ(nullptr, list->GetCurrentItem());

    list->flags |= WIN_SINGLESELECT;
    Click(30, RowY(1));
    EXPECT_TRUE(list->IsSelected(1));
    EXPECT_FALSE(list->IsSelected(0));
    gInput.keys[DIK_LCONTROL] = 0;
}

TEST_F(ListTest, TheWheelScrollsToFourEmptyRowsBelowTheLastItem)
{
    CTextList* list = List(16);
    for (int i = 0; i < 10; ++i)
        list->AddItem(("item" + std::to_string(i)).c_str());
    for (int i = 0; i < 20; ++i) {
        gInput.wheelDelta = -120;
        Frame(30, RowY(1));
    }
    EXPECT_EQ(9, list->topRow);
    DrawFrame();
    EXPECT_GT(RowPixels(0, [](D3DCOLOR c) { return !test::ColorNear(c, BACKGROUND, 2); }), 0);
    EXPECT_EQ(0, Marked(LIST_X, LIST_Y + ROW, LIST_X + LIST_W - 1, LIST_Y + ROWS * ROW));
    for (int i = 0; i < 20; ++i) {
        gInput.wheelDelta = 120;
        Frame(30, RowY(1));
    }
    EXPECT_EQ(0, list->topRow);
    list->SetTop(-3);  // never above the first item
    EXPECT_EQ(0, list->topRow);
    // A click on the visible first row selects the item at the top row.
    list->Scroll(3);
    Click(30, RowY(0));
    EXPECT_EQ(3, list->GetCurrentIndex());
}

TEST_F(ListTest, ItemsRefusedRemovedMovedAndValued)
{
    CTextList* list = List(3, WIN_ITEMVALUES);
    EXPECT_EQ(0, list->AddItem(""));
    EXPECT_EQ(0, list->AddItem(nullptr));
    EXPECT_EQ(1, list->AddItemWithValue("one", 11));
    EXPECT_EQ(2, list->AddItemWithValue("two", 22));
    EXPECT_EQ(3, list->AddItemWithValue("a very long item text", 33));
    EXPECT_EQ(0, list->AddItem("four"));  // full
    EXPECT_EQ(3, list->count);
    EXPECT_STREQ("a very long ite", list->ItemAt(2));  // item width 16
    EXPECT_EQ(0, list->SelectIndex(99));
    EXPECT_EQ(1, list->SelectByText("two"));
    list->MoveCurrentUp();
    EXPECT_STREQ("two", list->ItemAt(0));
    EXPECT_EQ(0, list->GetCurrentIndex());
    uint32_t value = 0;
    EXPECT_STREQ("two", list->GetCurrentValue(&value));
    EXPECT_EQ(22u, value);
    EXPECT_EQ(2, list->RemoveCurrent());
    EXPECT_STREQ("one", list->GetItem(&value, 0));
    EXPECT_EQ(11u, value);
    EXPECT_EQ(nullptr, list->GetItem(&value, 5));
    EXPECT_EQ(0u, value);
    list->AddItemWithValue("one more", 44);
    list->KeepPrefix("one");
    EXPECT_EQ(2, list->count);
    EXPECT_STREQ("one more", list->ItemAt(1));
    EXPECT_EQ(44u, list->values[1]);
}

TEST_F(ListTest, ADoubleClickEditsTheRowInPlaceAndEnterWritesItBack)
{
    ASSERT_NE(nullptr, gWinEdit);
    CTextList* list = List(8, WIN_DBLCLICK);
    list->fnOnRowEdited = CountEdit;
    for (const char* text : {"a", "b", "c"})
        list->AddItem(text);
    list->Scroll(1);
    DoubleClick(30, RowY(1));  // item 2 under the top row 1
    ASSERT_EQ(gWinEdit, gWinSuperior.pWinFocused);
    EXPECT_TRUE(gWinEdit->flags & WIN_VISIBLE);
    EXPECT_EQ(LIST_X, gWinEdit->left);
    EXPECT_EQ(LIST_Y + ROW, gWinEdit->top);
    EXPECT_EQ(LIST_W, gWinEdit->width);
    EXPECT_EQ(2, list->editedRow);
    EXPECT_STREQ("c", gWinEdit->text);

    Press(DIK_7);  // the first character replaces the text
    Press(DIK_8);
    EXPECT_STREQ("78", gWinEdit->text);
    Press(DIK_RETURN);
    EXPECT_STREQ("78", list->ItemAt(2));
    EXPECT_EQ(1, gEdits);
    EXPECT_EQ(-1, list->editedRow);
    EXPECT_EQ(nullptr, gWinSuperior.pWinFocused);
    EXPECT_FALSE(gWinEdit->flags & WIN_VISIBLE);
    EXPECT_EQ(0, gInput.currentLevel);
    EXPECT_EQ(0, gInput.textMode);
    Press(DIK_RETURN);
    EXPECT_EQ(1, gEdits);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ListTest, EscapeRestoresTheRowAndAClickElsewhereWritesIt)
{
    CTextList* list = List(8, WIN_DBLCLICK);
    list->fnOnRowEdited = CountEdit;
    list->AddItem("first");
    list->AddItem("second");
    DoubleClick(30, RowY(0));
    ASSERT_EQ(gWinEdit, gWinSuperior.pWinFocused);
    Press(DIK_5);
    Press(DIK_ESCAPE);
    EXPECT_STREQ("first", list->ItemAt(0));
    EXPECT_STREQ("first", gWinEdit->text);
    EXPECT_EQ(-1, list->GetCurrentIndex());  // the selection is gone
    EXPECT_FALSE(gWinEdit->flags & WIN_VISIBLE);
    EXPECT_EQ(0, gEdits);
    EXPECT_EQ(0, gInput.currentLevel);

    Frame(200, 200, 0, 0.5f);  // no double click with the next click
    DoubleClick(30, RowY(1));
    Press(DIK_9);
    Click(30, 200);  // a press anywhere else ends the edit
    EXPECT_STREQ("9", list->ItemAt(1));
    EXPECT_EQ(1, gEdits);
    EXPECT_EQ(nullptr, gWinSuperior.pWinFocused);
    EXPECT_EQ(0, gInput.currentLevel);
}

TEST_F(ListTest, NoSelectListsSelectNothing)
{
    CTextList* list = List(4, WIN_NOSELECT);
    list->AddItem("x");
    Click(30, RowY(0));
    EXPECT_EQ(-1, list->GetCurrentIndex());
    EXPECT_EQ(list, gWinSuperior.rowEditList);
}

} // namespace
} // namespace winframe
