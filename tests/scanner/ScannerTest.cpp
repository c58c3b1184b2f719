#include "tests/support/Harness.h"

#include "core/Scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A text written to a temporary file and opened for reading as the readers open theirs.
class TextFile {
public:
    explicit TextFile(const std::string& text)
    {
        static const std::string dir = test::TempDir("scanner");
        static int count = 0;
        std::string path = dir + "\\input" + std::to_string(++count) + ".txt";
        test::WriteFile(path, text);
        file_ = fopen(path.c_str(), "r");
    }
    ~TextFile()
    {
        if (file_)
            fclose(file_);
    }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    operator FILE*() const { return file_; }

    std::string Word()
    {
        char word[Core::WORD_BUFFER_SIZE];
        Core::fscan_word(file_, word);
        return word;
    }

private:
    FILE* file_ = nullptr;
};

TEST(ScannerWords, BlanksSeparateWordsAndEndOfFileGivesEmpty)
{
    TextFile f("alpha\tbeta\r\n  gamma\n");
    EXPECT_EQ("alpha", f.Word());
    EXPECT_EQ("beta", f.Word());
    EXPECT_EQ("gamma", f.Word());
    EXPECT_EQ("", f.Word());
    EXPECT_EQ("", f.Word());
}

TEST(ScannerWords, LineCommentSkipsTheLineButNotInsideAWord)
{
    TextFile f("// WIDTH 5\nvalue//note next\n//\nlast");
    EXPECT_EQ("value//note", f.Word());
    EXPECT_EQ("next", f.Word());
    EXPECT_EQ("last", f.Word());
}

TEST(ScannerWords, BlockCommentsBeforeAndAgainstWords)
{
    TextFile f("/* a comment */ first /* two\nlines */second");
    EXPECT_EQ("first", f.Word());
    EXPECT_EQ("second", f.Word());
    EXPECT_EQ("", f.Word());
}

TEST(ScannerWords, BlockCommentClosesAtFirstStarSlashEvenAfterTwoStars)
{
    // Closing at "**/" keeps the rest of the file from being swallowed.
    TextFile f("/* note **/ kept /* a * / b */ after");
    EXPECT_EQ("kept", f.Word());
    EXPECT_EQ("after", f.Word());
}

TEST(ScannerWords, UnclosedCommentAndTrailingSlashEndTheFile)
{
    TextFile unclosed("/* never closed");
    EXPECT_EQ("", unclosed.Word());
    EXPECT_EQ(0, Core::fscan_char(unclosed));
    TextFile slash("word /");
    EXPECT_EQ("word", slash.Word());
    EXPECT_EQ("", slash.Word());
}

TEST(ScannerWords, LoneSlashQuirks)
{
    // A word starting with "/x" loses the slash; a lone "/" then a blank is an empty word.
    TextFile f("/x / next");
    EXPECT_EQ("x", f.Word());
    EXPECT_EQ("", f.Word());
    EXPECT_EQ("next", f.Word());
}

TEST(ScannerWords, OverLongWordIsCutAndItsRestConsumed)
{
    std::string longWord(700, 'a');
    longWord[600] = 'b';
    TextFile f(longWord + " next");
    char word[Core::WORD_BUFFER_SIZE];
    memset(word, '#', sizeof word);
    Core::fscan_word(f, word);
    EXPECT_EQ(std::string(513, 'a'), std::string(word));
    EXPECT_EQ("next", f.Word());

    TextFile small("abcdefgh rest");
    char tiny[4] = {'#', '#', '#', '#'};
    Core::fscan_word(small, tiny, sizeof tiny);
    EXPECT_STREQ("abc", tiny);
    EXPECT_EQ("rest", small.Word());
}

TEST(ScannerWords, SkipKeepsTheLastWordAndBlockEnds)
{
    TextFile f("a b c }; x y }; tail");
    char buffer[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(f, buffer, 2, sizeof buffer);
    EXPECT_STREQ("b", buffer);
    EXPECT_FALSE(Core::fscan_is_end(f, buffer));
    EXPECT_TRUE(Core::fscan_is_end(f, buffer));
    EXPECT_EQ(1, Core::fscan_skip_block(f));
    EXPECT_EQ(0, Core::fscan_skip_block(f));
    EXPECT_EQ(0, Core::fscan_skip_block(nullptr));
}

TEST(ScannerWords, WordLevelComments)
{
    TextFile f("// rest of line\nA /* x\n y */ B /*inline*/ C /* z**/ D");
    char word[256];
    ASSERT_EQ(1, fscanf(f, "%255s", word));
    EXPECT_EQ(1, Core::fscan_comment(f, word));
    ASSERT_EQ(1, fscanf(f, "%255s", word));
    EXPECT_STREQ("A", word);
    EXPECT_EQ(0, Core::fscan_comment(f, word));
    ASSERT_EQ(1, fscanf(f, "%255s", word));
    EXPECT_EQ(2, Core::fscan_comment(f, word));
    ASSERT_EQ(1, fscanf(f, "%255s", word));
    EXPECT_STREQ("B", word);
    ASSERT_EQ(1, fscanf(f, "%255s", word));
    EXPECT_EQ(2, Core::fscan_comment(f, word));
    ASSERT_EQ(1, fscanf(f, "%255s", word));
    EXPECT_STREQ("C", word);
    ASSERT_EQ(1, fscanf(f, "%255s", word));
    EXPECT_EQ(2, Core::fscan_comment(f, word));
    ASSERT_EQ(1, fscanf(f, "%255s", word));
    EXPECT_STREQ("D", word);
}

TEST(ScannerStrings, QuotedAndPlain)
{
    TextFile f("  \"two words\" next plain other\"quoted\"");
    char out[Core::STRING_BUFFER_SIZE];
    EXPECT_EQ(1, Core::fscan_string(f, out));
    EXPECT_STREQ("two words", out);
    EXPECT_EQ(0, Core::fscan_string(f, out));
    EXPECT_STREQ("next", out);
    EXPECT_EQ(0, Core::fscan_string(f, out));
    EXPECT_STREQ("plain", out);
    EXPECT_EQ(0, Core::fscan_string(f, out));
    EXPECT_STREQ("other", out);
    EXPECT_EQ(0, Core::fscan_string(f, out));
    EXPECT_STREQ("quoted", out);
    EXPECT_EQ(0, Core::fscan_string(f, out));
    EXPECT_STREQ("", out);
}

TEST(ScannerStrings, OverLongStringsStayInTheirBuffer)
{
    TextFile f("\"" + std::string(600, 'q') + "\" " + std::string(600, 'p') + " next");
    char out[Core::STRING_BUFFER_SIZE + 8];
    memset(out, '#', sizeof out);
    EXPECT_EQ(1, Core::fscan_string(f, out));
    EXPECT_EQ(std::string(512, 'q'), std::string(out));
    EXPECT_EQ('#', out[Core::STRING_BUFFER_SIZE]);
    // The quoted string is cut at its limit: its rest, to the quote, is no word of its own.
    memset(out, '#', sizeof out);
    EXPECT_EQ(0, Core::fscan_string(f, out));
    EXPECT_EQ(std::string(512, 'p'), std::string(out));
    EXPECT_EQ('#', out[Core::STRING_BUFFER_SIZE]);
    EXPECT_EQ("next", f.Word());
}

TEST(ScannerStrings, QuotedRest)
{
    TextFile f(" two\nlines\" after");
    char out[Core::QUOTED_REST_BUFFER_SIZE];
    Core::fscan_quoted_rest(f, out, "\"whole\"");
    EXPECT_STREQ("whole", out);
    Core::fscan_quoted_rest(f, out, "\"first");
    EXPECT_STREQ("first two\nlines", out);
    EXPECT_EQ("after", f.Word());

    std::string longFirst = "\"" + std::string(400, 'r') + "\"";
    Core::fscan_quoted_rest(f, out, longFirst.c_str());
    EXPECT_EQ(std::string(256, 'r'), std::string(out));
}

// A caller's array with a guard byte right behind it; the slack takes what a reader that
// ran past the guard would write, so such a fault fails the test instead of the stack.
template <size_t N>
struct SGuarded {
    char text[N];
    char guard = 'G';
    char slack[Core::WORD_BUFFER_SIZE] = {};
};

// Every reader that stores text fills a caller's array to that array's size and no further,
// whatever size it has (the word buffer of a string-sized array included).
TEST(ScannerBuffers, ArraysAreFilledToTheirOwnSize)
{
    const std::string hostile(700, 'h');
    TextFile f(hostile + " " + hostile + " " + hostile + " \"" + hostile + "\" " + hostile + "\" next");
    SGuarded<Core::STRING_BUFFER_SIZE> word;
    Core::fscan_word(f, word.text);
    EXPECT_EQ(Core::STRING_BUFFER_SIZE - 1, strlen(word.text));
    EXPECT_EQ('G', word.guard);
    SGuarded<16> skipped;
    Core::fscan_skip(f, skipped.text, 1);
    EXPECT_EQ(15u, strlen(skipped.text));
    EXPECT_EQ('G', skipped.guard);
    SGuarded<16> end;
    EXPECT_FALSE(Core::fscan_is_end(f, end.text));
    EXPECT_EQ('G', end.guard);
    SGuarded<64> quoted;
    EXPECT_EQ(1, Core::fscan_string(f, quoted.text));
    EXPECT_EQ(63u, strlen(quoted.text));
    EXPECT_EQ('G', quoted.guard);
    SGuarded<32> rest;
    Core::fscan_quoted_rest(f, rest.text, "\"first");
    EXPECT_EQ(31u, strlen(rest.text));
    EXPECT_EQ('G', rest.guard);
    EXPECT_EQ("next", f.Word());
}

TEST(ScannerNumbers, IntegersFloatsAndNarrowTargets)
{
    TextFile f("12abc -7 abc 2.5 70000 300 123 /*c*/ 9 1 2 3");
    int32_t i = -1;
    Core::fscan_int(f, &i);
    EXPECT_EQ(12, i);
    Core::fscan_int(f, &i);
    EXPECT_EQ(-7, i);
    Core::fscan_int(f, &i);
    EXPECT_EQ(0, i);
    float v = 0;
    Core::fscan_float(f, &v);
    EXPECT_FLOAT_EQ(2.5f, v);
    uint16_t w = 0;
    Core::fscan_u16(f, &w);
    EXPECT_EQ(uint16_t(70000 & 0xFFFF), w);
    uint8_t b = 0;
    Core::fscan_u8(f, &b);
    EXPECT_EQ(uint8_t(300 & 0xFF), b);
    uint32_t u = 0;
    Core::fscan_uint(f, &u);
    EXPECT_EQ(123u, u);
    long l = 0;
    Core::fscan_long(f, &l);
    EXPECT_EQ(9, l);
    int32_t three[3] = {};
    Core::fscan_ints(f, three, 3);
    EXPECT_EQ(1, three[0]);
    EXPECT_EQ(3, three[2]);
    Core::fscan_int(f, &i);
    EXPECT_EQ(0, i);
}

// Numbers read as the C library reads them, bit for bit, whether the word takes the quick
// way or not; an integer beyond 32 bits is held at the nearest limit (a count written with
// twenty digits must not wrap to a small one).
TEST(ScannerNumbers, ConversionsMatchTheCLibrary)
{
    const char* const words[] = {"1.5",  "-0.25", "+3",         "+-3",         "1e400", "-1e400", "1e-400",
                                 ".5",   "-.5",   "5.",         "1e",          "0x10",  "inf",    "1.5f",
                                 "12ab", "1/4",   "2147483648", "99999999999", "-2147483649",
                                 "0.1000000000000000055511151231257827", "123456789012345678901234567890",
                                 "99999999999999999999", "-99999999999999999999"};
    std::string text;
    for (const char* w : words)
        text += std::string(w) + " ";
    TextFile floats(text), ints(text);
    for (const char* w : words) {
        float f = 0;
        Core::fscan_float(floats, &f);
        const float expected = float(atof(w));
        EXPECT_EQ(0, memcmp(&expected, &f, sizeof f)) << w;
        int32_t i = 0;
        Core::fscan_int(ints, &i);
        EXPECT_EQ(std::clamp<long long>(strtoll(w, nullptr, 10), INT32_MIN, INT32_MAX), i) << w;
    }
}

TEST(ScannerNumbers, HexInEveryWriting)
{
    EXPECT_EQ(4278255360u, Core::ParseHex("FF00FF00"));
    EXPECT_EQ(4278255360u, Core::ParseHex("0xFF00FF00"));
    EXPECT_EQ(4278255360u, Core::ParseHex("0Xff00ff00"));
    EXPECT_EQ(4278255360u, Core::ParseHex("ff00ff00"));
    EXPECT_EQ(0xABu, Core::ParseHex("aB"));
    EXPECT_EQ(0u, Core::ParseHex(""));
    // A ninth digit wraps to the lowest one instead of shifting out of the word.
    EXPECT_EQ(1u, Core::ParseHex("100000001"));

    TextFile f("FF00FF00 0xff00ff00 1234");
    uint32_t u = 0;
    Core::fscan_hex(f, &u);
    EXPECT_EQ(4278255360u, u);
    Core::fscan_hex(f, &u);
    EXPECT_EQ(4278255360u, u);
    uint16_t w = 0;
    Core::fscan_hex16(f, &w);
    EXPECT_EQ(0x1234, w);
}

TEST(ScannerNumbers, LabeledValues)
{
    TextFile f("pos: 1.5 2.5 3.5 color: 80FF0000 00000010\nbool: true");
    float a = 0, b = 0, c = 0;
    Core::fscan_labeled_floats(f, &a, &b, &c, nullptr);
    EXPECT_FLOAT_EQ(1.5f, a);
    EXPECT_FLOAT_EQ(3.5f, c);
    uint32_t x = 0, y = 0;
    Core::fscan_labeled_hexs(f, &x, &y, nullptr);
    EXPECT_EQ(0x80FF0000u, x);
    EXPECT_EQ(0x10u, y);
    EXPECT_EQ(0, Core::fscan_bool(f, 7));  // the label "bool:" is not "true"
    EXPECT_EQ(7, Core::fscan_bool(f, 7));
}

TEST(ScannerBrackets, RectAndVectors)
{
    test::MessageRecorder messages;
    TextFile f("[ 1 2 3 4 ] [ 0.5 1 -2 ] [ 1 2 3 4 ]");
    int32_t r[4] = {};
    Core::fscan_rect(f, r);
    EXPECT_EQ(1, r[0]);
    EXPECT_EQ(2, r[1]);
    EXPECT_EQ(3, r[2]);
    EXPECT_EQ(4, r[3]);
    float v3[3] = {};
    Core::fscan_fvec3(f, v3);
    EXPECT_FLOAT_EQ(0.5f, v3[0]);
    EXPECT_FLOAT_EQ(-2.0f, v3[2]);
    float v4[4] = {};
    Core::fscan_fvec4(f, v4);
    EXPECT_FLOAT_EQ(4.0f, v4[3]);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(ScannerBrackets, MissingBracketsAreReportedAndReadingGoesOn)
{
    test::MessageRecorder messages;
    TextFile f("1 2 3 4 ] next [ 5 6 7 8 9 ]");
    int32_t r[4] = {};
    Core::fscan_rect(f, r);
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Core::fscan_rect: Imporper param.", messages.Texts()[0]);
    // The first number was taken as the bracket; the "]" read as a number is 0.
    EXPECT_EQ(2, r[0]);
    EXPECT_EQ(0, r[3]);
    EXPECT_EQ("Core::fscan_rect: Imporper params count.", messages.Texts()[1]);
    messages.Clear();
    Core::fscan_rect(f, r);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Core::fscan_rect: Imporper params count.", messages.Texts()[0]);
    EXPECT_EQ("]", f.Word());

    messages.Clear();
    TextFile vec("1 2 3 ]");
    float v[3] = {};
    Core::fscan_fvec3(vec, v);
    EXPECT_TRUE(messages.Contains("Core::fscan_fvec3: Imporper param.")) << messages.Joined();
}

TEST(ScannerText, ParseSize)
{
    int w = -1, h = -1;
    Core::ParseSize("1024x768", &w, &h);
    EXPECT_EQ(1024, w);
    EXPECT_EQ(768, h);
    w = h = -1;
    Core::ParseSize("1024X768", &w, &h);
    EXPECT_EQ(-1, w);
    EXPECT_EQ(-1, h);
    Core::ParseSize("640x480", nullptr, &h);
    EXPECT_EQ(480, h);
}

TEST(ScannerText, StripQuotes)
{
    char out[32];
    EXPECT_EQ(4, StripQuotes(out, "\"abc\""));
    EXPECT_STREQ("abc", out);
    strcpy(out, "junk");
    EXPECT_EQ(0, StripQuotes(out, "\""));
    EXPECT_STREQ("", out);
    strcpy(out, "junk");
    EXPECT_EQ(0, StripQuotes(out, ""));
    EXPECT_STREQ("", out);
    EXPECT_EQ(1, StripQuotes(out, "\"\""));
    EXPECT_STREQ("", out);
}

std::string Grouped(const std::string& text, size_t capacity = 64)
{
    char buffer[64];
    memset(buffer, '#', sizeof buffer);
    strcpy(buffer, text.c_str());
    FormatThousands(buffer, capacity);
    EXPECT_EQ('#', buffer[sizeof buffer - 1]);
    return buffer;
}

TEST(ScannerText, FormatThousands)
{
    EXPECT_EQ("1 234 567.89", Grouped("1234567.89"));
    EXPECT_EQ("123.45", Grouped("123.45"));
    EXPECT_EQ("1 234,5", Grouped("1234,5"));
    EXPECT_EQ("123 456.0", Grouped("123456.0"));
    EXPECT_EQ("1234567", Grouped("1234567"));
    EXPECT_EQ("12 345 678,5", Grouped("12345678,5"));
}

TEST(ScannerText, FormatThousandsNeverWritesPastItsCapacity)
{
    char buffer[16];
    memset(buffer, '#', sizeof buffer);
    strcpy(buffer, "1234567.89");  // 11 bytes; grouped needs 13
    FormatThousands(buffer, 12);
    EXPECT_STREQ("1234567.89", buffer);
    EXPECT_EQ('#', buffer[12]);
    FormatThousands(buffer, 13);
    EXPECT_STREQ("1 234 567.89", buffer);
}

} // namespace
