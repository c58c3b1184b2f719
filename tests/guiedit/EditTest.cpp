// Typing into a focused edit field through the input layer, focus moving with clicks.
#include "tests/guiedit/EditFixture.h"

#include <algorithm>

namespace guiedit {
namespace {

int gEnterCalls = 0;
void CountEnter() { ++gEnterCalls; }
int Red(D3DCOLOR c) { return int((c >> 16) & 0xFF); }

class FieldTest : public EditTest {
protected:
    void SetUp() override
    {
        EditTest::SetUp();
        gEnterCalls = 0;
        field = Edit(20, 20, "12", CountEnter);
        other = Edit(20, 60, "other");
    }
    CMyEdit* field = nullptr;
    CMyEdit* other = nullptr;
};

TEST_F(FieldTest, FirstCharacterAfterTheClickReplacesTheText)
{
    Click(30, 25);
    ASSERT_EQ(field, gWinSuperior.pWinFocused);
    EXPECT_EQ(1, gInput.textMode);
    Type("5");
    EXPECT_STREQ("5", field->text);
    Press(DIK_HOME);
    Type("1");
    EXPECT_STREQ("15", field->text);
    EXPECT_EQ(1, field->caretIndex);
    Press(DIK_END);
    Type("a");
    EXPECT_STREQ("15a", field->text);
    Press(DIK_LEFT);
    Press(DIK_BACK);
    EXPECT_STREQ("1a", field->text);
    EXPECT_EQ(1, field->caretIndex);
    Press(DIK_DELETE);
    EXPECT_STREQ("1", field->text);
    Press(DIK_RIGHT);  // already at the end
    EXPECT_EQ(1, field->caretIndex);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(FieldTest, MaxLengthDropsFurtherCharacters)
{
    field->SetMaxLength(4);
    Click(30, 25);
    Type("123456");
    EXPECT_STREQ("123", field->text);
}

TEST_F(FieldTest, EnterReportsOnceAndKeepsTheFocus)
{
    Click(30, 25);
    Type("7");
    Press(DIK_RETURN);
    EXPECT_EQ(1, gEnterCalls);
    Press(DIK_NUMPADENTER);
    EXPECT_EQ(1, gEnterCalls);  // no change since
    EXPECT_EQ(field, gWinSuperior.pWinFocused);
    Type("8");  // Enter armed replace on type
    EXPECT_STREQ("8", field->text);
    Click(30, 65);  // the other field takes the focus; the change is reported
    EXPECT_EQ(2, gEnterCalls);
    EXPECT_EQ(other, gWinSuperior.pWinFocused);
    EXPECT_EQ(1, gInput.currentLevel);
}

TEST_F(FieldTest, UnchangedEnterIsNotReportedAgainOnFocusLoss)
{
    Click(30, 25);
    Press(DIK_RETURN);
    EXPECT_EQ(1, gEnterCalls);
    Click(300, 200);  // empty space
    EXPECT_EQ(nullptr, gWinSuperior.pWinFocused);
    EXPECT_EQ(1, gEnterCalls);
    EXPECT_EQ(0, gInput.textMode);
    EXPECT_EQ(0, gInput.currentLevel);
}

TEST_F(FieldTest, EscapeRestoresTheTextAndGivesTheKeyboardBack)
{
    Click(30, 25);
    Type("99");
    Press(DIK_ESCAPE);
    EXPECT_STREQ("12", field->text);
    EXPECT_EQ(nullptr, gWinSuperior.pWinFocused);
    EXPECT_EQ(0, gInput.textMode);
    EXPECT_EQ(0, gInput.currentLevel);
}

TEST_F(FieldTest, ReadOnlyFieldTakesNoFocus)
{
    field->flags |= WIN_READONLY;
    Click(30, 25);
    EXPECT_EQ(nullptr, gWinSuperior.pWinFocused);
}

TEST_F(FieldTest, DeletingTheFocusedFieldGivesTheKeyboardBack)
{
    Click(30, 25);
    CBaseWin* win = field;
    gWinSuperior.DeleteWin(&win);
    EXPECT_EQ(nullptr, gWinSuperior.pWinFocused);
    EXPECT_EQ(0, gInput.currentLevel);
    EXPECT_EQ(0, gInput.textMode);
}

TEST_F(FieldTest, FloatFieldKeepsItsRange)
{
    field->SetFloat(100.5f);
    field->SetFloatRange(0.0f, 100.0f);
    field->SetText("10.5");
    Click(30, 25);
    gWinSuperior.replaceOnType = 0;
    Press(DIK_HOME);
    Type("-");
    EXPECT_STREQ("10.5", field->text);
    Press(DIK_RIGHT);
    Press(DIK_RIGHT);
    Type("0");  // 100.5 is out of range
    EXPECT_STREQ("10.5", field->text);
    Press(DIK_END);
    Type("a1");
    EXPECT_STREQ("10.51", field->text);
}

TEST_F(FieldTest, IntegerFieldIsNormalisedByEnter)
{
    field->SetInt(0);
    field->SetText("007");
    Click(30, 25);
    Press(DIK_RETURN);
    EXPECT_STREQ("7", field->text);
    EXPECT_EQ(1, field->caretIndex);
    field->SetIntRange(-50, 50);
    Type("-");
    Type("5");
    Type("1");  // -51 is out of range
    EXPECT_STREQ("-5", field->text);
}

TEST_F(FieldTest, HexadecimalFieldTakesDigitsAndX)
{
    field->SetHex(0);
    field->SetText("");
    Click(30, 25);
    Type("0xa1");
    EXPECT_STREQ("0x1", field->text);
}

TEST_F(FieldTest, FocusedTextIsDrawnWithItsCaret)
{
    // Thin strokes are drawn at part coverage: the text is judged by its brightest pixel.
    auto brightest = [this] {
        int most = 0;
        for (int y = 15; y < 40; ++y)
            for (int x = 18; x < 120; ++x)
                most = std::max(most, Red(image.At(x, y)));
        return most;
    };
    Frame(300, 200);
    const int grey = brightest();
    EXPECT_GT(grey, Red(BACKGROUND) + 0x10);
    EXPECT_LE(grey, 0x88);
    Click(30, 25);
    EXPECT_EQ(1, gWinSuperior.caretPhase);
    EXPECT_GT(brightest(), grey + 0x20);  // white when focused
    char text[LABEL_TEXT_SIZE];
    EXPECT_EQ(1, gWinSuperior.GetFocusedText(text));
    EXPECT_STREQ("12", text);
    EXPECT_EQ(12, gWinSuperior.GetFocusedInt());
}

} // namespace
} // namespace guiedit
