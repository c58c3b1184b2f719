#include "tests/support/Harness.h"

#include "core/Config.h"
#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "gui/WinSuperior.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Reads configuration texts from temporary files; every setting the reader writes is put
// back afterwards so the cases do not see each other's values.
class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreSettings();
        presentParams_ = gGraphics.presentParams;
        clearColor_ = gGraphics.clearColor;
        clearFlags_ = gGraphics.clearFlags;
        input_ = gInput;
        widthDiags_ = WIDTH_DIAGS;
    }
    void TearDown() override
    {
        ResetCoreSettings();
        gGraphics.presentParams = presentParams_;
        gGraphics.clearColor = clearColor_;
        gGraphics.clearFlags = clearFlags_;
        gInput = input_;
        WIDTH_DIAGS = widthDiags_;
    }

    void Read(const std::string& text)
    {
        static const std::string dir = test::TempDir("config");
        static int count = 0;
        std::string path = dir + "\\Application" + std::to_string(++count) + ".cfg";
        test::WriteFile(path, text);
        ReadApplicationConfigFrom(path.c_str());
    }

    test::MessageRecorder messages;
    const D3DPRESENT_PARAMETERS& pp = gGraphics.presentParams;

private:
    D3DPRESENT_PARAMETERS presentParams_;
    D3DCOLOR clearColor_;
    uint32_t clearFlags_;
    CInput input_;
    int32_t widthDiags_;
};

TEST_F(ConfigTest, MissingFileIsReportedAndSetsTheExitCode)
{
    ReadApplicationConfigFrom("Z:\\no\\such\\folder\\Application.cfg");
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Can`t find config file 'System/Application.cfg'. \n Application now exit",
              messages.Texts()[0]);
    EXPECT_EQ(1, gExitCode);
}

TEST_F(ConfigTest, WindowKeys)
{
    Read("WINDOWED true\r\nWIDTH 1000 HEIGHT 700\r\nLEFT ON_CENTER TOP 12\r\n"
         "FORCE_BUFFER_WH ON_IDLE_METHOD always UNKNOWN_KEY value\r\n");
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(1, AppWindowConfig.windowed);
    EXPECT_EQ(1000, AppWindowConfig.width);
    EXPECT_EQ(700, AppWindowConfig.height);
    EXPECT_EQ(-1, AppWindowConfig.left);
    EXPECT_EQ(12, AppWindowConfig.top);
    EXPECT_EQ(1, gForceBufferWH);
    EXPECT_EQ(2, AppWindowConfig.idleMethod);
    EXPECT_EQ(0, gExitCode);

    Read("WINDOWED TRUE WIDTH_MAX 5000 HEIGHT_MAX 4000 ON_IDLE_METHOD sometimes");
    EXPECT_EQ(0, AppWindowConfig.windowed);
    EXPECT_EQ(-5000, AppWindowConfig.width);
    EXPECT_EQ(-4000, AppWindowConfig.height);
    EXPECT_EQ(2, AppWindowConfig.idleMethod);
}

TEST_F(ConfigTest, WinStyleWords)
{
    Read("WIN_STYLE [ WS_OVERLAPPEDWINDOW ~WS_MAXIMIZEBOX ]");
    EXPECT_EQ(0x00CE0000u, AppWindowConfig.winStyle);
    EXPECT_EQ(0, AppWindowConfig.noWindow);

    Read("WIN_STYLE [ WS_POPUP WS_SOMETHING NO_WINDOW ~WS_THICKFRAME WS_MAXIMIZE ]");
    EXPECT_EQ(0x81000000u, AppWindowConfig.winStyle);
    EXPECT_EQ(1, AppWindowConfig.noWindow);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ConfigTest, ApplicationNameQuotedPlainAndCut)
{
    Read("APPLICATION_NAME \"\xC6\xE8\xEB\xEE\xE9 \xEA\xEE\xEC\xEF\xEB\xE5\xEA\xF1\" WIDTH 10");
    EXPECT_STREQ("\xC6\xE8\xEB\xEE\xE9 \xEA\xEE\xEC\xEF\xEB\xE5\xEA\xF1",
                 AppWindowConfig.applicationName);
    EXPECT_EQ(10, AppWindowConfig.width);

    Read("APPLICATION_NAME Plain WIDTH 20");
    EXPECT_STREQ("Plain", AppWindowConfig.applicationName);
    EXPECT_EQ(20, AppWindowConfig.width);

    Read("APPLICATION_NAME \"" + std::string(300, 'n') + "\" WIDTH 30");
    EXPECT_EQ(std::string(95, 'n'), std::string(AppWindowConfig.applicationName));
    EXPECT_EQ(30, AppWindowConfig.width);
}

TEST_F(ConfigTest, DeviceKeys)
{
    Read("COLOR_FORMAT D3DFMT_R5G6B5\n"
         "MULTISAMPLING [ Type: 4x Quality: 2 ]\n"
         "DEPTH_FORMAT D3DFMT_D24S8\n"
         "CLEAR_FLAGS [ D3DCLEAR_TARGET D3DCLEAR_STENCIL ]\n"
         "CLEAR_COLOR 80ff0010\n"
         "REFRESH_RATE 60\n"
         "PRESENT_INTERVAL INTERVAL_TWO\n");
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(D3DFMT_R5G6B5, pp.BackBufferFormat);
    EXPECT_EQ(D3DMULTISAMPLE_4_SAMPLES, pp.MultiSampleType);
    EXPECT_EQ(2u, pp.MultiSampleQuality);
    EXPECT_EQ(D3DFMT_D24S8, pp.AutoDepthStencilFormat);
    EXPECT_TRUE(pp.EnableAutoDepthStencil);
    EXPECT_EQ(5u, gGraphics.clearFlags);
    EXPECT_EQ(0x80FF0010u, gGraphics.clearColor);
    EXPECT_EQ(60u, pp.FullScreen_RefreshRateInHz);
    EXPECT_EQ(2u, pp.PresentationInterval);

    Read("DEPTH_FORMAT DEPTH_DISABLE COLOR_FORMAT UNKNOWN PRESENT_INTERVAL INTERVAL_FOUR");
    EXPECT_FALSE(pp.EnableAutoDepthStencil);
    EXPECT_EQ(D3DFMT_UNKNOWN, pp.BackBufferFormat);
    EXPECT_EQ(8u, pp.PresentationInterval);
}

TEST_F(ConfigTest, UnknownDeviceWordsAreReportedAndReadingGoesOn)
{
    Read("COLOR_FORMAT D3DFMT_R8G8B8\n"
         "MULTISAMPLING [ Type: 3x Samples: 4 Quality: 1 ]\n"
         "DEPTH_FORMAT D3DFMT_D15S1\n"
         "CLEAR_FLAGS [ D3DCLEAR_TARGET D3DCLEAR_ALL D3DCLEAR_ZBUFFER ]\n"
         "PRESENT_INTERVAL INTERVAL_FIVE\n"
         "WIDTH 640\n");
    ASSERT_EQ(5u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Unknown COLOR_FORMAT in 'Application.cfg'", messages.Texts()[0]);
    // "Samples:" is unknown; its value "4" is read as another unknown word, said with it.
    EXPECT_EQ(0u, messages.Texts()[1].rfind(
                      "Unknown string in <MULTISAMPLING> of file 'Application.cfg'\n\n 1 more like this in '", 0));
    EXPECT_EQ("Unknown DEPTH_FORMAT in 'Application.cfg'", messages.Texts()[2]);
    EXPECT_EQ("Unknown CLEAR_FLAGS parameter in 'Application.cfg'", messages.Texts()[3]);
    EXPECT_EQ("Unknown PRESENT_INTERVAL in 'Application.cfg'", messages.Texts()[4]);
    EXPECT_EQ(D3DFMT_X8R8G8B8, pp.BackBufferFormat);
    EXPECT_EQ(D3DMULTISAMPLE_NONE, pp.MultiSampleType);
    EXPECT_EQ(1u, pp.MultiSampleQuality);
    EXPECT_EQ(3u, gGraphics.clearFlags);
    EXPECT_EQ(640, AppWindowConfig.width);
}

TEST_F(ConfigTest, ModesAndCooperativeFlags)
{
    EXPECT_EQ(5u, gInput.mouseCoopFlags);
    EXPECT_EQ(10u, gInput.keyboardCoopFlags);
    Read("SOUND DX_SOUND USE_MOUSE SYS_MOUSE WIDTH_DIAGS 48\n"
         "MOUSE_COOP_FLAGS [ DISCL_NONEXCLUSIVE DISCL_BACKGROUND OTHER ]\n"
         "KEYBOARD_COOP_FLAGS [ DISCL_EXCLUSIVE DISCL_FOREGROUND ]\n");
    EXPECT_EQ(SOUND_DX, gSoundMode);
    EXPECT_EQ(MOUSE_SYS, USE_MOUSE);
    EXPECT_EQ(48, WIDTH_DIAGS);
    EXPECT_EQ(10u, gInput.mouseCoopFlags);
    EXPECT_EQ(5u, gInput.keyboardCoopFlags);

    Read("SOUND NO_SOUND USE_MOUSE NO_SUCH_MOUSE");
    EXPECT_EQ(SOUND_DX, gSoundMode);
    EXPECT_EQ(MOUSE_NONE, USE_MOUSE);
    Read("SOUND FMOD_SOUND USE_MOUSE DX_MOUSE");
    EXPECT_EQ(SOUND_FMOD, gSoundMode);
    EXPECT_EQ(MOUSE_DX, USE_MOUSE);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ConfigTest, TexturesPathTakesTheRestOfTheLineWithoutBlanks)
{
    EXPECT_STREQ("Textures\\", gTexturesPath);
    Read("TexturesPath  Data \\ My Textures\\ \r\nWIDTH 77\r\n");
    EXPECT_STREQ("Data\\MyTextures\\", gTexturesPath);
    EXPECT_EQ(77, AppWindowConfig.width);

    Read("TexturesPath\nWIDTH 78");
    EXPECT_STREQ("", gTexturesPath);
    EXPECT_EQ(78, AppWindowConfig.width);

    Read("TexturesPath " + std::string(400, 't') + "\nWIDTH 79");
    EXPECT_EQ(std::string(255, 't'), std::string(gTexturesPath));
    EXPECT_EQ(79, AppWindowConfig.width);
}

TEST_F(ConfigTest, CommentsAndHinterBlockAreSkipped)
{
    Read("// WIDTH 1\n/* WIDTH 2\nHEIGHT 3 */ WIDTH 4\n"
         "HINTER ( font: [ \"Arial\" 14 0 bold ] color: FF000050 backcolor: FFEEEEAA )\n"
         "HEIGHT 5 /* WIDTH 6 **/ TOP 7\n");
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(4, AppWindowConfig.width);
    EXPECT_EQ(5, AppWindowConfig.height);
    EXPECT_EQ(7, AppWindowConfig.top);
}

TEST_F(ConfigTest, UnclosedListsStopAtTheEndOfTheFile)
{
    // Each of these would loop forever if a list did not stop at the end of the file.
    const char* lists[] = {"WIN_STYLE [ WS_POPUP", "MULTISAMPLING [ Type: 4x",
                           "CLEAR_FLAGS [ D3DCLEAR_TARGET", "MOUSE_COOP_FLAGS [ DISCL_EXCLUSIVE",
                           "KEYBOARD_COOP_FLAGS [", "HINTER ( font: [ Arial",
                           "MULTISAMPLING [ Quality:", "APPLICATION_NAME \"open"};
    for (const char* text : lists) {
        Read(text);
        EXPECT_EQ(0, gExitCode) << text;
    }
    EXPECT_EQ(0x80000000u, AppWindowConfig.winStyle);
    EXPECT_EQ(1u, gGraphics.clearFlags);
    EXPECT_EQ(D3DMULTISAMPLE_4_SAMPLES, pp.MultiSampleType);
    EXPECT_STREQ("open", AppWindowConfig.applicationName);
}

TEST_F(ConfigTest, OverLongWordsAreBounded)
{
    Read(std::string(1000, 'W') + " WIDTH 9 LEFT " + std::string(700, '1') + " TOP 3");
    EXPECT_EQ(9, AppWindowConfig.width);
    EXPECT_EQ(INT32_MAX, AppWindowConfig.left);  // held at the limit, not wrapped
    EXPECT_EQ(3, AppWindowConfig.top);
}

TEST_F(ConfigTest, SampleConfiguration)
{
    Read(test::ReadFile(test::RunDir() + "\\System\\Application.cfg"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(1, AppWindowConfig.windowed);
    EXPECT_EQ(1280, AppWindowConfig.width);
    EXPECT_EQ(960, AppWindowConfig.height);
    EXPECT_EQ(uint32_t(WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX & ~WS_THICKFRAME),
              AppWindowConfig.winStyle);
    EXPECT_EQ(MOUSE_SYS, USE_MOUSE);
    EXPECT_EQ(SOUND_NONE, gSoundMode);
    EXPECT_NE(0u, gGraphics.clearColor);
    // The name is Russian in code page 1251: its first letter is "Ж" (0xC6).
    EXPECT_EQ('\xC6', AppWindowConfig.applicationName[0]);
}

} // namespace
