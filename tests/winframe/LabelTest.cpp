// Label texts and number modes, and the caret measure with a real font.
#include "tests/winframe/DrawFixture.h"

#include "gui/Label.h"

#include <climits>
#include <string>

namespace winframe {
namespace {

class LabelTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        label = gWinSuperior.AddLabel(0, 0, nullptr, "start", 0xFFFFFFFF, 0);
    }
    CLabel* label = nullptr;
};

TEST_F(LabelTest, TextsAreCutToTheMaxLengthWithTheCaretBehindThem)
{
    EXPECT_STREQ("start", label->TextPtr());
    EXPECT_EQ(5, label->caretIndex);
    const std::string longText(200, 'x');
    label->SetText(longText.c_str());
    EXPECT_EQ(std::string(127, 'x'), label->text);
    EXPECT_EQ(127, label->caretIndex);
    label->SetText(nullptr);
    EXPECT_STREQ("", label->text);
    EXPECT_EQ(0, label->caretIndex);
    EXPECT_EQ(0, label->caretX);

    label->SetPrefixedText("Floor ", "7");
    char copy[LABEL_TEXT_SIZE];
    label->GetText(copy);
    EXPECT_STREQ("Floor 7", copy);

    label->SetMaxLength(500);  // no more than the buffer holds
    EXPECT_EQ(LABEL_TEXT_SIZE, label->maxLength);
    label->SetMaxLength(4);
    EXPECT_STREQ("Flo", label->text);
    EXPECT_EQ(3, label->caretIndex);
    label->SetText("abcdef");
    EXPECT_STREQ("abc", label->text);
}

TEST_F(LabelTest, IntegersAndHexadecimalWords)
{
    label->SetInt(-42);
    EXPECT_STREQ("-42", label->text);
    EXPECT_EQ(3, label->caretIndex);
    EXPECT_EQ(uint32_t(LABEL_INT), label->numberMode);
    EXPECT_EQ(-42, label->GetInt());
    label->SetText("12abc");
    EXPECT_EQ(12, label->GetInt());
    label->SetText("99999999999");
    EXPECT_EQ(INT_MAX, label->GetInt());
    label->SetText("");
    EXPECT_EQ(0, label->GetInt());

    label->SetHex(31);
    EXPECT_STREQ("0000001F", label->text);
    EXPECT_EQ(8, label->caretIndex);
    EXPECT_EQ(uint32_t(LABEL_INT | LABEL_HEX), label->numberMode);

    label->SetIntFormat(2, 12345);
    EXPECT_STREQ("12345", label->text);
    EXPECT_EQ(2, label->maxDigits);
    label->SetIntRange(-5, 5);
    EXPECT_EQ(-5, label->intMin);
    EXPECT_EQ(uint32_t(LABEL_INT | LABEL_DIGITS | LABEL_HEX), label->numberMode);
}

TEST_F(LabelTest, FloatsKeepTheirDecimalsAndDigits)
{
    label->SetText("");
    label->SetFloat(2.5f);
    EXPECT_STREQ("2.500000", label->text);
    EXPECT_EQ(0, label->caretIndex);  // the caret is not moved
    EXPECT_EQ(uint32_t(LABEL_FLOAT), label->numberMode);

    label->SetDecimals(2);
    label->SetFloat(3.14159f);
    EXPECT_STREQ("3.14", label->text);
    EXPECT_FLOAT_EQ(3.14f, label->numericValue);
    label->SetFloat(38.1f);  // rounded, not cut from 38.099998
    EXPECT_STREQ("38.10", label->text);
    label->SetDecimals(0);  // keeps the point
    label->SetFloat(3.14159f);
    EXPECT_STREQ("3.", label->text);

    label->SetFloatFormat(4, 2, 3.14159f);
    EXPECT_STREQ("3.14", label->text);
    label->SetFloatFormat(2, 2, 3.14159f);
    EXPECT_STREQ("3.1", label->text);
    label->SetFloatFormat(3, 6, 123.456f);
    EXPECT_STREQ("123.", label->text);  // only digits count
    EXPECT_EQ(uint32_t(LABEL_FLOAT | LABEL_DIGITS), label->numberMode);

    label->SetFloatFormat(0, 3, 0.0f);
    label->SetText("2.71828");
    EXPECT_FLOAT_EQ(2.718f, label->GetFloat());
    EXPECT_STREQ("2.718", label->text);
    label->SetText("");
    EXPECT_EQ(0.0f, label->GetFloat());
    label->SetFloatRange(-1.0f, 1.0f);
    EXPECT_EQ(1.0f, label->floatMax);
}

TEST_F(LabelTest, PrefixedNumbersThatDoNotFitSaySo)
{
    label->SetPrefixInt("Floor ", 12);
    EXPECT_STREQ("Floor 12", label->text);
    EXPECT_EQ(8, label->caretIndex);
    EXPECT_EQ(0u, label->numberMode);
    label->SetDecimals(1);
    label->SetPrefixFloat("Area ", 54.26f);
    EXPECT_STREQ("Area 54.3", label->text);
    EXPECT_EQ(0u, label->numberMode);

    const std::string prefix(125, 'p');
    label->SetPrefixInt(prefix.c_str(), 123);
    EXPECT_STREQ(LABEL_TOO_LONG, label->text);
    EXPECT_STREQ("simbols more length.", label->text);
    label->SetPrefixFloat(prefix.c_str(), 1.5f);
    EXPECT_STREQ("simbols more length.", label->text);
}

TEST_F(LabelTest, ACharacterIsInsertedAtTheCaretIntoACopy)
{
    label->SetText("abc");
    label->caretIndex = 1;
    char buffer[LABEL_TEXT_SIZE];
    ASSERT_TRUE(label->InsertCharCopy(buffer, 'X'));
    EXPECT_STREQ("aXbc", buffer);
    EXPECT_STREQ("abc", label->text);
    label->caretIndex = 99;  // a caret past the text inserts at its end
    ASSERT_TRUE(label->InsertCharCopy(buffer, 'X'));
    EXPECT_STREQ("abcX", buffer);
    label->SetMaxLength(4);
    EXPECT_FALSE(label->InsertCharCopy(buffer, 'X'));
    EXPECT_STREQ("abc", buffer);
}

using CaretTest = DrawTest;

int Measure(const char* text)
{
    RECT r{0, 0, 1000, 1000};
    gGraphics.fonts[2].MeasureText(text, -1, &r);
    return r.right - r.left;
}

TEST_F(CaretTest, TheCaretIsMeasuredWithTheFontAndATrailingBlankCounts)
{
    CLabel* label = gWinSuperior.AddLabel(0, 0, &gGraphics.fonts[2], "ab cd", 0xFFFFFFFF, 0);
    EXPECT_EQ(Measure("ab cd"), label->caretX);  // SetText leaves the caret behind the text
    EXPECT_EQ(Measure("ab cd"), label->TextWidth());
    EXPECT_EQ(Measure("ab"), label->CaretX(2));
    EXPECT_EQ(Measure("abi"), label->CaretX(3));
    EXPECT_GT(label->CaretX(3), Measure("ab"));
    EXPECT_EQ(Measure("abi"), label->caretX);
    EXPECT_EQ(0, label->CaretX(0));
    EXPECT_EQ(Measure("ab cd"), label->CaretX(50));

    label->font = nullptr;
    EXPECT_EQ(0, label->CaretX(2));
    EXPECT_EQ(0, label->TextWidth());
    label->font = &gGraphics.fonts[2];
    label->SetText("");
    EXPECT_EQ(0, label->TextWidth());
}

} // namespace
} // namespace winframe
