// The device's five fonts: text drawn inside its rectangle, code page 1251 text, measuring
// (trailing blanks, empty texts), fitting a text to a width, and fonts that do not exist.

#include "tests/sprites/SpriteTestSupport.h"

#include <cstring>
#include <string>

namespace {

using Fonts = sprites::DeviceTest;

const char LATIN[] = "Hello 42";
// "Привет" in code page 1251 and in UTF-16.
const char CYRILLIC_1251[] = "\xCF\xF0\xE8\xE2\xE5\xF2";
const wchar_t CYRILLIC_WIDE[] = L"\x041F\x0440\x0438\x0432\x0435\x0442";

// The face the system really draws with: Arial or its metric twin Liberation Sans (what the
// test machine's Wine prefix resolves Arial to), never some other host font.
std::string DrawingFace(const CFont& f)
{
    char buffer[1024];
    auto* metrics = reinterpret_cast<OUTLINETEXTMETRICA*>(buffer);
    if (!GetOutlineTextMetricsA(f.font->GetDC(), sizeof buffer, metrics))
        return "";
    return buffer + reinterpret_cast<size_t>(metrics->otmpFaceName);
}

TEST_F(Fonts, StartUpMakesFiveArialFonts)
{
    for (const CFont& f : gGraphics.fonts) {
        ASSERT_TRUE(f.IsCreated());
        EXPECT_STREQ("Arial", f.face);
        const std::string face = DrawingFace(f);
        EXPECT_TRUE(face.rfind("Arial", 0) == 0 || face.rfind("Liberation Sans", 0) == 0) << face;
    }
    D3DXFONT_DESCA desc = {};
    ASSERT_EQ(D3D_OK, gGraphics.fonts[4].font->GetDescA(&desc));
    EXPECT_EQ(25, desc.Height);
    EXPECT_EQ(700u, desc.Weight);
    EXPECT_EQ(DWORD(NONANTIALIASED_QUALITY), DWORD(desc.Quality));
    ASSERT_EQ(D3D_OK, gGraphics.fonts[0].font->GetDescA(&desc));
    EXPECT_EQ(14, desc.Height);
    EXPECT_EQ(400u, desc.Weight);
}

TEST_F(Fonts, EachFontDrawsItsTextInsideTheRectangleAndNowhereElse)
{
    for (int i = 0; i < FONT_COUNT; ++i) {
        SCOPED_TRACE(testing::Message() << "font " << i);
        BeginFrame();
        RECT r = {40, 60, 240, 100};
        gGraphics.DrawText(i, LATIN, r, 0xFFFFFFFF);
        EndFrame();
        RECT box;
        ASSERT_TRUE(MarkedBox(&box));
        // Glyphs may overhang their cell by a pixel or so.
        EXPECT_GE(box.left, 38);
        EXPECT_GE(box.top, 58);
        EXPECT_LE(box.bottom, 100);
        EXPECT_LE(box.right, 240);
        EXPECT_GT(box.right - box.left, 20);
        // The text's own measure covers what was drawn: the ink ends where the advance of
        // the last glyph does, less the blank the glyph keeps on its right.
        int height = 0;
        int width = gGraphics.fonts[i].GetTextWidth(LATIN, &height, -1);
        ABC last = {};
        ASSERT_TRUE(GetCharABCWidthsA(gGraphics.fonts[i].font->GetDC(), '2', '2', &last));
        EXPECT_NEAR(40 + width - 1 - int(last.abcC), box.right, 2);
        EXPECT_LE(box.bottom, 60 + height);
    }
}

TEST_F(Fonts, TextOutsideTheRectangleIsNotClipped)
{
    BeginFrame();
    RECT tiny = {40, 60, 42, 62};
    gGraphics.fonts[2].Draw(LATIN, tiny, 0xFFFFFFFF);
    EndFrame();
    EXPECT_GT(Marked(43, 60, 200, 80), 0);
}

TEST_F(Fonts, CodePage1251TextDrawsAsTheCyrillicLetters)
{
    CFont& font = gGraphics.fonts[3];
    BeginFrame();
    RECT ansi = {20, 20, 300, 60}, wide = {20, 120, 300, 160};
    font.Draw(CYRILLIC_1251, ansi, 0xFFFFFFFF);
    font.font->DrawTextW(nullptr, CYRILLIC_WIDE, -1, &wide, DT_NOCLIP, 0xFFFFFFFF);
    EndFrame();
    ASSERT_GT(Marked(20, 20, 300, 60), 20);
    // The same letters as the wide text, drawn from the font's own glyphs (not its boxes);
    // the edges of a glyph may differ by a shade between the two drawings.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 280; ++x)
            ASSERT_TRUE(test::ColorNear(image.At(20 + x, 20 + y), image.At(20 + x, 120 + y), 48))
                << "at " << x << "," << y;
    WORD glyphs[6];
    ASSERT_EQ(6u, GetGlyphIndicesW(font.font->GetDC(), CYRILLIC_WIDE, 6, glyphs,
                                   GGI_MARK_NONEXISTING_GLYPHS));
    for (WORD g : glyphs)
        EXPECT_NE(0xFFFF, g);
    // Measured as those letters too: labels are centred and carets placed by the measure.
    RECT measured = {0, 0, 0, 0};
    font.font->DrawTextW(nullptr, CYRILLIC_WIDE, -1, &measured, DT_CALCRECT, 0xFFFFFFFF);
    EXPECT_EQ(measured.right - measured.left + 1, font.GetTextWidth(CYRILLIC_1251, nullptr, -1));
}

TEST_F(Fonts, DrawAtUsesTheFormatOfItsSecondForm)
{
    BeginFrame();
    gGraphics.fonts[2].DrawAt(30, 30, LATIN, 0xFFFFFFFF);
    // Right-aligned in the ten-pixel box: the text ends near its right side.
    gGraphics.fonts[2].DrawAt(200, 100, LATIN, 0xFFFFFFFF, DT_RIGHT | DT_NOCLIP);
    EndFrame();
    EXPECT_GT(Marked(30, 30, 120, 50), 0);
    EXPECT_GT(Marked(120, 100, 210, 120), 0);
    EXPECT_EQ(0, Marked(212, 100, 319, 120));
}

// A counted text needs no terminator (a caret measure passes a copy of part of a line):
// nothing past the count is read. The text here ends right before a page that cannot be read.
TEST_F(Fonts, CountedTextsAreNotReadPastTheirCount)
{
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    char* block = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(nullptr, block);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(block + page, page, PAGE_NOACCESS, &old));
    char* text = block + page - 3;
    memcpy(text, "ab ", 3);

    CFont& font = gGraphics.fonts[2];
    RECT counted = {0, 0, 1000, 1000}, whole = counted;
    font.MeasureText(text, 2, &counted);
    font.MeasureText("ab", -1, &whole);
    EXPECT_EQ(whole.right, counted.right);
    EXPECT_GT(counted.right, 0);
    EXPECT_EQ(font.GetTextWidth("ab ", nullptr, -1), font.GetTextWidth(text, nullptr, 3));
    VirtualFree(block, 0, MEM_RELEASE);
}

TEST_F(Fonts, MeasuresTrailingBlanksAndNothingForEmptyTexts)
{
    CFont& font = gGraphics.fonts[2];
    int ab = font.GetTextWidth("ab", nullptr, -1);
    EXPECT_GT(ab, 0);
    EXPECT_GT(font.GetTextWidth("ab ", nullptr, -1), ab);
    EXPECT_EQ(ab, font.GetTextWidth("abcd", nullptr, 2));
    int height = -1;
    EXPECT_EQ(0, font.GetTextWidth("", &height, -1));
    EXPECT_EQ(0, height);
    EXPECT_EQ(0, font.GetTextWidth("abc", nullptr, 0));
    EXPECT_EQ(0, font.GetTextWidth(std::string(1020, ' ').c_str(), nullptr, -1));
    EXPECT_GT(font.GetTextWidth(std::string(1019, ' ').c_str(), nullptr, -1), 0);

    RECT r = {5, 6, 5, 6};
    font.MeasureText("", -1, &r);
    EXPECT_EQ(5, r.right);
    EXPECT_EQ(6, r.bottom);
    font.MeasureText("abc", -1, &r);
    EXPECT_GT(r.right, 5);
    EXPECT_GT(r.bottom, 6);
}

TEST_F(Fonts, FitTextKeepsTheEndOfATextThatIsTooWide)
{
    CFont& font = gGraphics.fonts[2];
    const std::string source = "a rather long name of a flat in the building";
    const int whole = font.GetTextWidth(source.c_str(), nullptr, -1);
    char out[128];

    font.FitText(out, sizeof out, source.c_str(), whole + 10);
    EXPECT_EQ(source, out);

    font.FitText(out, sizeof out, source.c_str(), whole / 2);
    std::string fitted = out;
    ASSERT_GT(fitted.size(), 3u);
    EXPECT_EQ("...", fitted.substr(0, 3));
    EXPECT_EQ(source.substr(source.size() - (fitted.size() - 3)), fitted.substr(3));
    EXPECT_LT(fitted.size(), source.size());
    // The tail taken is the shortest one that reaches the width.
    const std::string tail = source.substr(source.size() - fitted.size());
    EXPECT_GE(font.GetTextWidth(tail.c_str(), nullptr, -1), whole / 2);
    EXPECT_LT(font.GetTextWidth(tail.c_str() + 1, nullptr, -1), whole / 2);

    font.FitText(out, sizeof out, "", 50);
    EXPECT_STREQ("none", out);
    char small[6];
    font.FitText(small, sizeof small, source.c_str(), whole + 10);
    EXPECT_STREQ("a rat", small);
}

TEST(FontWithoutDevice, CreationFailsWithItsMessageAndTheFontDrawsAndMeasuresNothing)
{
    test::MessageRecorder messages;
    ASSERT_EQ(nullptr, Device3D);
    CFont font;
    EXPECT_TRUE(FAILED(font.Create(15, 6, "Arial", FONT_BOLD)));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Can`t create font.. Arial", messages.Texts()[0]);
    EXPECT_FALSE(font.IsCreated());
    RECT r = {0, 0, 10, 10};
    font.Draw(LATIN, r, 0xFFFFFFFF);
    font.DrawAt(0, 0, LATIN, 0xFFFFFFFF);
    EXPECT_EQ(0, font.GetTextWidth(LATIN, nullptr, -1));
}

TEST(FontRelease, TheDeviceGivesItsFontsBack)
{
    test::TestDevice device;
    ASSERT_EQ(0, device.Init());
    gGraphics.Release();
    for (const CFont& f : gGraphics.fonts)
        EXPECT_FALSE(f.IsCreated());
}

} // namespace
