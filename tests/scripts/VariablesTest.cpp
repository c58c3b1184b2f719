#include "tests/scripts/ScriptFiles.h"

#include "core/Scanner.h"
#include "engine/Variables.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using scripts::TextFile;

float AsFloat(uint32_t word)
{
    float f;
    memcpy(&f, &word, sizeof f);
    return f;
}

// Reads "name value" entries up to the end of the file; returns each AddVariable result.
std::vector<int> AddAll(CVariablesPool& pool, FILE* file)
{
    std::vector<int> results;
    char name[Core::WORD_BUFFER_SIZE];
    for (Core::fscan_word(file, name); name[0]; Core::fscan_word(file, name))
        results.push_back(pool.AddVariable(name, file));
    return results;
}

TEST(Variables, NumbersAreTypedByTheirText)
{
    test::MessageRecorder messages;
    CVariablesPool pool;
    ASSERT_EQ(0, pool.Init(16, 64));
    TextFile file("numbers", "Int 5\nFloat 5.0\nHex 0x10\nList [ 1 2.5 3 ]\nHexList [ 0x10 ]\n");
    EXPECT_EQ(std::vector<int>(5, 0), AddAll(pool, file));

    uint32_t v[4] = {};
    EXPECT_EQ(0, pool.GetVariable("Int", v));
    EXPECT_EQ(5u, v[0]);
    EXPECT_EQ(0, pool.GetVariable("Float", v));
    EXPECT_EQ(5.0f, AsFloat(v[0]));
    EXPECT_EQ(0, pool.GetVariable("Hex", v));
    EXPECT_EQ(16u, v[0]);
    EXPECT_EQ(3, pool.GetVariable("List", v, 4));
    EXPECT_EQ(1u, v[0]);
    EXPECT_EQ(2.5f, AsFloat(v[1]));
    EXPECT_EQ(3u, v[2]);
    EXPECT_EQ(1, pool.GetVariable("HexList", v, 4));
    EXPECT_EQ(0u, v[0]) << "list elements are decimal";
    EXPECT_EQ(1 + 1 + 1 + 3 + 1, pool.valuesUsed);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(Variables, StringsTakeWholeWordsWithTheirTerminator)
{
    CVariablesPool pool;
    ASSERT_EQ(0, pool.Init(8, 64));
    TextFile file("strings", "Four \"abcd\"\nThree \"abc\"\nBlanks \"two  words here\"\n");
    AddAll(pool, file);
    char text[64];
    EXPECT_EQ(2, pool.GetVariable("Four", text, 16));
    EXPECT_STREQ("abcd", text);
    EXPECT_EQ(1, pool.GetVariable("Three", text, 16));
    EXPECT_STREQ("abc", text);
    EXPECT_EQ(4, pool.GetVariable("Blanks", text, 16));
    EXPECT_STREQ("two  words here", text);
}

TEST(Variables, LongNameIsRefusedAndItsValueConsumed)
{
    test::MessageRecorder messages;
    CVariablesPool pool;
    ASSERT_EQ(0, pool.Init(8, 64));
    const std::string name58(58, 'a'), name59(59, 'b');
    TextFile file("names", name58 + " 1\n" + name59 + " [ 7 8 ]\nNext 3\n");
    EXPECT_EQ((std::vector<int>{0, -4, 0}), AddAll(pool, file));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Variable name is too long: '" + name59 + "'.", messages.Texts()[0]);
    int32_t v = 0;
    EXPECT_EQ(0, pool.GetVariable(name58.c_str(), &v));
    EXPECT_EQ(1, v);
    EXPECT_EQ(0, pool.GetVariable("Next", &v));
    EXPECT_EQ(3, v);
    EXPECT_EQ(2, pool.recordCount);
}

TEST(Variables, OverflowGivesTheRecordBack)
{
    test::MessageRecorder messages;
    CVariablesPool pool;
    ASSERT_EQ(0, pool.Init(8, 4));
    TextFile file("overflow", "A [ 1 2 3 ]\nBig [ 1 2 3 ]\nSmall 9\nLast 10\n");
    EXPECT_EQ((std::vector<int>{0, -3, 0, -3}), AddAll(pool, file));
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("Variables Pool is overflow. Last variable: 'Big'.", messages.Texts()[0]);
    EXPECT_EQ(-3, pool.GetVariable("Big", nullptr)) << "a failed value must not be found";
    int32_t v = 0;
    EXPECT_EQ(0, pool.GetVariable("Small", &v));
    EXPECT_EQ(9, v);
    EXPECT_EQ(4, pool.valuesUsed);
    EXPECT_EQ(2, pool.recordCount);
}

// No value is longer than 128 words, so a buffer of that many holds any value whole.
TEST(Variables, LongListAndStringKeepTheFirst128WordsAndTheirPlace)
{
    test::MessageRecorder messages;
    CVariablesPool pool;
    ASSERT_EQ(0, pool.Init(8, 512));
    std::string list = "Long [";
    for (int i = 1; i <= 130; ++i) list += " " + std::to_string(i);
    TextFile file("longlist", list + " ]\nText \"" + std::string(512, 's') + "\"\nAfter 5\n");
    EXPECT_EQ((std::vector<int>{0, 0, 0}), AddAll(pool, file));
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("Variables: list is too long: 'Long'.", messages.Texts()[0]);
    EXPECT_EQ("Variables: string is too long: 'Text'.", messages.Texts()[1]);
    char text[VARIABLE_LIST_MAX * 4 + 4];
    memset(text, 'g', sizeof text);
    EXPECT_EQ(0, pool.GetVariable("Text", text));
    EXPECT_EQ(std::string(511, 's'), text);
    EXPECT_EQ('g', text[VARIABLE_LIST_MAX * 4]) << "nothing past 128 words";
    uint32_t v[130] = {};
    EXPECT_EQ(128, pool.GetVariable("Long", v, 130));
    EXPECT_EQ(128u, v[127]);
    EXPECT_EQ(0u, v[128]);
    int32_t after = 0;
    EXPECT_EQ(0, pool.GetVariable("After", &after));
    EXPECT_EQ(5, after);
}

TEST(Variables, SizedReadTruncatesAndMissingLeavesTheBuffer)
{
    CVariablesPool pool;
    ASSERT_EQ(0, pool.Init(4, 16));
    TextFile file("sized", "Color [ 1 2 3 4 5 ]\n");
    AddAll(pool, file);
    uint32_t v[6] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(5, pool.GetVariable("Color", v, 4));
    EXPECT_EQ(4u, v[3]);
    EXPECT_EQ(0xAAu, v[4]) << "nothing past maxWords";
    const uint32_t before[6] = {v[0], v[1], v[2], v[3], v[4], v[5]};
    EXPECT_EQ(-3, pool.GetVariable("Missing", v, 6));
    EXPECT_EQ(-3, pool.GetVariable("Missing", v));
    EXPECT_EQ(0, memcmp(before, v, sizeof v));
    EXPECT_EQ(0, pool.GetVariable("Color", nullptr));
}

TEST(Variables, InitOnceResetKeepsCapacity)
{
    test::MessageRecorder messages;
    CVariablesPool pool;
    EXPECT_EQ(-2, pool.GetVariable("X", nullptr));
    EXPECT_EQ("Variables: is not initialized.", messages.Texts().at(0));
    EXPECT_EQ(-3, pool.Init(4, 0));
    pool.Reset();

    CVariablesPool sized;
    ASSERT_EQ(0, sized.Init(4, 16));
    EXPECT_EQ(-1, sized.Init(100, 100));
    EXPECT_EQ(4, sized.recordCapacity);
    EXPECT_EQ(16, sized.valueCapacity);
    TextFile file("reset", "A 1\n");
    AddAll(sized, file);
    sized.Reset();
    EXPECT_EQ(-3, sized.GetVariable("A", nullptr));
    EXPECT_EQ(4, sized.recordCapacity);
    EXPECT_EQ(16, sized.valueCapacity);
    EXPECT_EQ(0, sized.valuesUsed);
}

// A script may ask for 2^31 records: that is refused as memory short, not reserved (and
// cleared by every Reset).
TEST(Variables, CapacitiesBeyondAContainerAreRefused)
{
    CVariablesPool pool;
    EXPECT_EQ(-2, pool.Init(2147483647, 2147483647));
    EXPECT_EQ(nullptr, pool.records);
    EXPECT_EQ(nullptr, pool.values);
    pool.Reset();
    TextFile file("huge", "1\n");
    EXPECT_EQ(-2, pool.AddVariable("A", file));
}

TEST(Variables, FullRecordsAndUninitialisedPool)
{
    CVariablesPool none;
    TextFile a("noinit", "1\n");
    EXPECT_EQ(-2, none.AddVariable("A", a));

    CVariablesPool pool;
    ASSERT_EQ(0, pool.Init(1, 16));
    TextFile file("full", "1 2\n");
    EXPECT_EQ(0, pool.AddVariable("A", file));
    EXPECT_EQ(-1, pool.AddVariable("B", file));
}

} // namespace
