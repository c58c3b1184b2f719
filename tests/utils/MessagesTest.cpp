#include "tests/support/Harness.h"

#include "core/Messages.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const std::string TAIL = "\n\n Next this Warnings will be skiped.";

TEST(Messages, NullPartsAddNothing)
{
    test::MessageRecorder messages;
    MsgBox(nullptr);
    MsgBox3("a", nullptr, "b");
    MsgBox9("1", "2", "3", "4", "5", "6", "7", "8", "9");
    ASSERT_EQ(3u, messages.Count());
    EXPECT_EQ("", messages.Texts()[0]);
    EXPECT_EQ("ab", messages.Texts()[1]);
    EXPECT_EQ("123456789", messages.Texts()[2]);
}

TEST(Messages, OverlongTextIsCutAt2047)
{
    test::MessageRecorder messages;
    std::string longPart(3000, 'x');
    MsgBox(longPart.c_str());
    std::string first(2040, 'a');
    MsgBox3(first.c_str(), "0123456789", "tail");
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ(std::string(2047, 'x'), messages.Texts()[0]);
    EXPECT_EQ(first + "0123456", messages.Texts()[1]);
    EXPECT_EQ(2047u, strlen(gMsgBuffer));
}

TEST(Messages, PartMayBeTheSharedBufferItself)
{
    test::MessageRecorder messages;
    MsgBox("first");
    MsgBox2(gMsgBuffer, " second");
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("first second", messages.Texts()[1]);
}

TEST(Messages, WarningBudgetOfOneShowsOneWarningWithTail)
{
    test::MessageRecorder messages;
    int budget = 1;
    WarningBox(&budget, "Undefine string '", "WORD", "'", nullptr);
    WarningBox(&budget, "dropped", nullptr);
    EXPECT_EQ(0, budget);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Undefine string 'WORD'" + TAIL, messages.Texts()[0]);
}

TEST(Messages, SpentBudgetShowsNothingAndStaysUnchanged)
{
    test::MessageRecorder messages;
    int zero = 0, negative = -3;
    WarningBox(&zero, "a", nullptr);
    WarningBox(&negative, "b", nullptr);
    EXPECT_EQ(0, zero);
    EXPECT_EQ(-3, negative);
    EXPECT_EQ(0u, messages.Count());
}

TEST(Messages, BudgetOfFourShowsFourWithTailOnTheLast)
{
    test::MessageRecorder messages;
    int budget = 4;
    for (int i = 0; i < 6; ++i)
        WarningBox(&budget, "w", nullptr);
    ASSERT_EQ(4u, messages.Count());
    EXPECT_EQ("w", messages.Texts()[2]);
    EXPECT_EQ("w" + TAIL, messages.Texts()[3]);
    EXPECT_EQ(4, gWarningBudget);
}

} // namespace
