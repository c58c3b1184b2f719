#include "core/Strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Strings, HashExamples)
{
    struct Case {
        const char* name;
        uint32_t id;
    };
    const Case cases[] = {
        {"", 0},
        {"abcd", 0x61626364},
        {"abcde", 0xC6626364},
        {"ab", 0x61620000},
        {"Bone01", 0x72A06E65},
        {"a\xC0" "cd", 0xFFC06364},  // a code page 1251 letter widens with ones
        {"Floor", 0xB86C6F6F},
        {"\xC0", 0xC0000000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.id, StrHash(c.name)) << c.name;
    EXPECT_EQ(3094114159u, StrHash("Floor"));
    EXPECT_EQ(0u, StrHash(nullptr));
}

TEST(Strings, HashTellsGroupsApartButSumsCollide)
{
    EXPECT_NE(StrHash("Floor01"), StrHash("Floor02"));
    EXPECT_NE(StrHash("Hall"), StrHash("Halm"));
    // The groups are summed, so swapping whole groups gives the same id.
    EXPECT_EQ(StrHash("abcdefgh"), StrHash("efghabcd"));
}

TEST(Strings, EqualIsExactAndNullSafe)
{
    EXPECT_TRUE(StrEqual("WIDTH", "WIDTH"));
    EXPECT_FALSE(StrEqual("WIDTH", "width"));
    EXPECT_FALSE(StrEqual("WIDTH", "WIDTH:"));
    EXPECT_FALSE(StrEqual(nullptr, nullptr));
    EXPECT_FALSE(StrEqual("", nullptr));
}

TEST(Strings, CaseMappingCoversCodePage1251)
{
    char text[] = "AbZ\xC0\xDF\xA8\xB8[`";
    StrLower(text);
    EXPECT_STREQ("abz\xE0\xFF\xA8\xB8[`", text);
    StrUpper(text);
    EXPECT_STREQ("ABZ\xC0\xDF\xA8\xB8[`", text);
    StrLower(nullptr);
}

TEST(Strings, CaseCopiesStayWithinCapacity)
{
    char out[6] = "?????";
    char* end = StrLowerCopy(out, "TEXTURES\\A.TGA");
    EXPECT_STREQ("textu", out);
    EXPECT_EQ(out + 5, end);
    end = StrUpperCopy(out, "\xE0z");
    EXPECT_STREQ("\xC0Z", out);
    EXPECT_EQ(out + 2, end);
    EXPECT_EQ(out, StrLowerCopy(out, 0, "x"));
}

TEST(Strings, CopyAndAppendReportWhatDidNotFit)
{
    char out[8];
    EXPECT_TRUE(StrCopy(out, sizeof out, "Data"));
    EXPECT_TRUE(StrAppend(out, sizeof out, "\\a"));
    EXPECT_FALSE(StrAppend(out, sizeof out, "bcdef"));
    EXPECT_STREQ("Data\\ab", out);
    EXPECT_TRUE(StrCopy(out, sizeof out, nullptr));
    EXPECT_STREQ("", out);
}

TEST(Strings, LenSafeNeedsATerminatorWithinTheLimit)
{
    EXPECT_EQ(0u, StrLenSafe(nullptr));
    EXPECT_EQ(3u, StrLenSafe("abc"));
    std::vector<char> text(STR_LEN_SAFE_LIMIT + 100, 'x');
    text.back() = 0;
    EXPECT_EQ(0u, StrLenSafe(text.data()));
    text[STR_LEN_SAFE_LIMIT - 1] = 0;
    EXPECT_EQ(STR_LEN_SAFE_LIMIT - 1, StrLenSafe(text.data()));
}

} // namespace
