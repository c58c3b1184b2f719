#include "tests/support/Harness.h"

#include "core/Messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

// While a file is read each kind of message (its first part) is said once, when the file
// is done, with the number of further ones; a repeated warning spends no budget.
TEST(Messages, AFileSaysEachKindOnceWithItsCount)
{
    test::MessageRecorder messages;
    int budget = 2;
    {
        CFileMessages outer("Outer.txt");
        for (int i = 0; i < 44; ++i)
            MsgBox("PROGRAMMER LIMIT: MAX_MATERS.");
        {
            CFileMessages inner("Inner.txt");
            MsgBox3("Unknown word '", "a", "'");
            MsgBox3("Unknown word '", "b", "'");
        }
        ASSERT_EQ(1u, messages.Count());
        EXPECT_EQ("Unknown word 'a'\n\n 1 more like this in 'Inner.txt'.", messages.Texts()[0]);
        for (int i = 0; i < 5; ++i)
            WarningBox(&budget, "Undefine string '", "x", "'", nullptr);
        EXPECT_EQ(1, budget);
        for (size_t kind = 0; kind < CFileMessages::FILE_MESSAGE_KINDS; ++kind)
            MsgBox(std::to_string(kind).c_str());
    }
    ASSERT_EQ(1u + CFileMessages::FILE_MESSAGE_KINDS + 1, messages.Count()) << messages.Joined();
    EXPECT_EQ("PROGRAMMER LIMIT: MAX_MATERS.\n\n 43 more like this in 'Outer.txt'.", messages.Texts()[1]);
    EXPECT_EQ("Undefine string 'x'\n\n 4 more like this in 'Outer.txt'.", messages.Texts()[2]);
    EXPECT_EQ("2 further messages about 'Outer.txt' were not shown.", messages.Texts().back());
}

} // namespace
