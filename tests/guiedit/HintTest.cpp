// The "HINTER" block reader, and the tooltip shown over a window with a hint.
#include "tests/guiedit/EditFixture.h"

#include "core/Scanner.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace guiedit {
namespace {

class HinterReadTest : public ::testing::Test {
protected:
    void TearDown() override { gWinSuperior.hintFont.Release(); }

    // Reads the block from text that follows the word "HINTER"; the word after it.
    std::string Read(const std::string& text)
    {
        const std::string path = dir + "\\hinter.cfg";
        test::WriteFile(path, text);
        FILE* file = fopen(path.c_str(), "rb");
        if (!file)
            return "no file";
        gWinSuperior.ReadHinter(file);
        char word[Core::WORD_BUFFER_SIZE];
        Core::fscan_word(file, word);
        fclose(file);
        return word;
    }

    test::MessageRecorder messages;
    std::string dir = test::TempDir("guiedit_hinter");
    CWinSuperior saved = gWinSuperior;
};

TEST_F(HinterReadTest, EveryKey)
{
    gWinSuperior.hintFontOptions = 0;
    EXPECT_EQ("NEXT", Read("( font: [ \"Times New Roman\" 14 6 bold italic non_antialias ]\n"
                           "  color: FF102030 backcolor: 80FFFFFF )\nNEXT"));
    EXPECT_STREQ("Times New Roman", gWinSuperior.hintFontName);
    EXPECT_EQ(14, gWinSuperior.hintFontHeight);
    EXPECT_EQ(6, gWinSuperior.hintFontWidth);
    EXPECT_EQ(FONT_BOLD | FONT_ITALIC | FONT_NOT_ANTIALIASED, gWinSuperior.hintFontOptions);
    EXPECT_EQ(0xFF102030u, gWinSuperior.hintTextColor);
    EXPECT_EQ(0x80FFFFFFu, gWinSuperior.hintBackColor);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    gWinSuperior = saved;
}

TEST_F(HinterReadTest, ColoursAloneKeepTheDefaultsOfTheOthers)
{
    EXPECT_EQ("NEXT", Read("( color: FF00FF00 ) NEXT"));
    EXPECT_EQ(0xFF00FF00u, gWinSuperior.hintTextColor);
    EXPECT_EQ(0xFFEEEEAAu, gWinSuperior.hintBackColor);
    EXPECT_STREQ("", gWinSuperior.hintFontName);
    gWinSuperior = saved;
}

TEST_F(HinterReadTest, UnknownWordsAreReported)
{
    EXPECT_EQ("FF00FF00", Read("( colour: FF00FF00 ) NEXT"));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Undefine string 'colour:' in hinter declaration.", messages.Texts()[0]);

    EXPECT_EQ("color:", Read("( font: [ Arial 12 0 heavy ] color: FF000000 )"));
    // The option loop ends at the unknown word; its "]" then ends the block.
    ASSERT_EQ(3u, messages.Count());
    EXPECT_EQ("Undefine string 'heavy' in hinter declaration.", messages.Texts()[1]);
    EXPECT_EQ("Undefine string ']' in hinter declaration.", messages.Texts()[2]);
    gWinSuperior = saved;
}

TEST_F(HinterReadTest, EndOfFileWithoutTheBlockEndStops)
{
    EXPECT_EQ("", Read("( color: FF000000"));
    EXPECT_EQ("", Read("( font: [ Arial 12 0 bold"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    gWinSuperior = saved;
}

class TooltipTest : public EditTest {
protected:
    void SetUp() override
    {
        EditTest::SetUp();
        win = gWinSuperior.AddWin(100, 100, 80, 40, nullptr, nullptr, 0, 0, 0, 0,
                                  KEY_ON_RELEASE, WIN_ACTIVE | WIN_VISIBLE);
        win->SetHint("Three rooms");
        gWinSuperior.AddWin(200, 100, 40, 40, nullptr, nullptr, 0, 0, 0, 0, KEY_ON_RELEASE,
                            WIN_ACTIVE | WIN_VISIBLE);
    }
    // Pixels of the tooltip's back colour.
    int Shown() const
    {
        int n = 0;
        for (D3DCOLOR c : image.pixels)
            n += test::ColorNear(c, gWinSuperior.hintBackColor, 8);
        return n;
    }
    // Frames at the mouse until the hint timer passed seconds.
    void RestUntil(float seconds, int x = 140, int y = 120)
    {
        for (int i = 0; i < 200 && gWinSuperior.hintTimer + STEP <= seconds; ++i)
            Frame(x, y);
    }
    CBaseWin* win = nullptr;
};

TEST_F(TooltipTest, ShownAfterTheDelayAboveTheMouseAndHiddenAtTheEnd)
{
    RestUntil(0.5f);
    EXPECT_EQ(0, Shown());
    RestUntil(0.65f);
    ASSERT_GT(Shown(), 0);
    RECT box{800, 800, -1, -1};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (test::ColorNear(image.At(x, y), gWinSuperior.hintBackColor, 8)) {
                box.left = std::min<LONG>(box.left, x);
                box.right = std::max<LONG>(box.right, x);
                box.top = std::min<LONG>(box.top, y);
                box.bottom = std::max<LONG>(box.bottom, y);
            }
    EXPECT_LT(box.bottom, 120 - 5);
    EXPECT_NEAR((box.left + box.right) / 2.0, 140.0, 3.0);
    int text = 0;
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x)
            text += !test::ColorNear(image.At(x, y), gWinSuperior.hintBackColor, 40);
    EXPECT_GT(text, 10);  // border and letters
    RestUntil(3.2f);
    EXPECT_EQ(0, Shown());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(TooltipTest, LeavingTheWindowOrClickingHidesIt)
{
    RestUntil(1.0f);
    ASSERT_GT(Shown(), 0);
    Frame(210, 120);  // another window
    EXPECT_EQ(0, Shown());
    Frame(140, 120);  // back: the tooltip starts again
    EXPECT_EQ(0, Shown());
    RestUntil(1.0f, 140, 120);
    ASSERT_GT(Shown(), 0);
    Click(140, 120);
    EXPECT_EQ(0, Shown());
    Frame(140, 120);
    EXPECT_EQ(0, Shown());
}

TEST_F(TooltipTest, KeptFourPixelsFromTheTopLeftEdges)
{
    win->MoveTo(0, 0);
    RestUntil(0.7f, 2, 2);
    ASSERT_GT(Shown(), 0);
    EXPECT_EQ(4.0f, gWinSuperior.hintPos[0]);
    EXPECT_EQ(4.0f, gWinSuperior.hintPos[1]);
}

// A hint font named longer than a font description holds is made with the name cut.
TEST_F(TooltipTest, AnOverlongFontNameIsCut)
{
    CFont font;
    EXPECT_EQ(D3D_OK, font.Create(14, 0, std::string(300, 'F').c_str(), 0));
    EXPECT_TRUE(font.IsCreated());
    font.Release();
}

} // namespace
} // namespace guiedit

namespace guiedit {
namespace {

TEST_F(EditTest, WithoutHintTextureNoTooltipIsDrawn)
{
    const std::string dir = test::TempDir("guiedit_nohint");
    char old[MAX_PATH];
    GetCurrentDirectoryA(sizeof old, old);
    SetCurrentDirectoryA(dir.c_str());
    gWinSuperior.Init();
    SetCurrentDirectoryA(old);
    EXPECT_EQ(nullptr, gWinSuperior.hintTexture);
    ASSERT_EQ(2u, messages.Count());  // the skin and the hint texture
    EXPECT_EQ("CWinSuperior->Init error:  can`t create texture from "
              "'System/HintTexture.bmp'",
              messages.Texts()[1]);
    CBaseWin* win = gWinSuperior.AddWin(100, 100, 80, 40, nullptr, nullptr, 0, 0, 0, 0,
                                        KEY_ON_RELEASE, WIN_ACTIVE | WIN_VISIBLE);
    win->SetHint("Hint");
    for (int i = 0; i < 30; ++i)
        Frame(140, 120);
    for (D3DCOLOR c : image.pixels)
        ASSERT_TRUE(test::ColorNear(c, BACKGROUND, 0));
}

} // namespace
} // namespace guiedit
