#include "tests/support/Harness.h"

#include "core/Core.h"
#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Program.h"

#include "core/Messages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace {

TEST(Startup, MissingConfigIsRecordedNotShown)
{
    test::MessageRecorder messages;
    std::string dir = test::TempDir("noconfig");
    test::Program program;
    EXPECT_EQ(-1, program.Start(dir));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Can`t find config file 'System/Application.cfg'. \n Application now exit",
              messages.Texts()[0]);
    EXPECT_EQ(nullptr, AppWindowConfig.hWnd);
}

TEST(Startup, SampleRunsFramesAndClears)
{
    test::MessageRecorder messages;
    test::Program program;
    ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
    ASSERT_TRUE(program.RunFrames(3));
    test::Image image;
    ASSERT_TRUE(test::ReadBackBuffer(image));
    EXPECT_GT(image.width, 1000);
    program.Stop();
    EXPECT_FALSE(program.Running());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace

namespace {

constexpr unsigned FRAMED = WS_OVERLAPPEDWINDOW;

TEST(Placement, MaximaAreLoweredToTheScreen)
{
    SWindowPlacement p = ComputeWindowPlacement(true, FRAMED, 0, 0, -5000, -5000, 1920, 1080);
    EXPECT_EQ(1920, p.width);
    EXPECT_EQ(1046, p.height);
    p = ComputeWindowPlacement(true, FRAMED, 0, 0, -800, -600, 1920, 1080);
    EXPECT_EQ(800, p.width);
    EXPECT_EQ(600, p.height);
}

TEST(Placement, OnCenter)
{
    SWindowPlacement p = ComputeWindowPlacement(true, FRAMED, -1, -1, 1000, 700, 1920, 1080);
    EXPECT_EQ(460, p.left);
    EXPECT_EQ(175, p.top);
    EXPECT_EQ(FRAMED, p.style);
}

TEST(Placement, MaximizedWindowCoversTheScreen)
{
    SWindowPlacement p =
        ComputeWindowPlacement(true, FRAMED | WS_MAXIMIZE, 50, 60, 640, 480, 1920, 1080);
    EXPECT_EQ(0, p.left);
    EXPECT_EQ(0, p.top);
    EXPECT_EQ(1920, p.width);
    EXPECT_EQ(1080, p.height);
}

TEST(Placement, FullScreenIgnoresPositionAndStyle)
{
    SWindowPlacement p = ComputeWindowPlacement(false, FRAMED, -1, 100, 1024, 768, 1920, 1080);
    EXPECT_EQ(0, p.left);
    EXPECT_EQ(0, p.top);
    EXPECT_EQ(0u, p.style);
    EXPECT_EQ(1024, p.width);
    EXPECT_EQ(768, p.height);
}

TEST(FrameTimer, FirstStepIsZeroAndALongPauseIsCapped)
{
    CFrameTimer timer;
    timer.Update();
    EXPECT_EQ(0.0f, timer.step);
    EXPECT_EQ(1u, timer.started);
    // A two-second pause, without sleeping: move the last reading back.
    timer.lastCounter -= 2 * timer.frequency;
    timer.Update();
    EXPECT_FLOAT_EQ(MAX_FRAME_STEP, timer.step);
    timer.lastCounter -= timer.frequency / 20;
    timer.Update();
    EXPECT_GE(timer.step, 0.05f);
    EXPECT_LT(timer.step, MAX_FRAME_STEP);
}

TEST(Startup, ExitCodeBeforeTheFirstFrameEndsTheLoop)
{
    test::MessageRecorder messages;
    test::Program program;
    ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
    HWND window = AppWindowConfig.hWnd;
    ASSERT_TRUE(IsWindow(window));
    gCore.SetExitFlag();
    // The first frame destroys the window; its destruction posts WM_QUIT.
    for (int i = 0; i < 100 && program.RunFrames(1); ++i) {
    }
    EXPECT_FALSE(program.Running());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, Device3D);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(Startup, SampleConfigurationMakesACaptionedWindow)
{
    test::MessageRecorder messages;
    test::Program program;
    ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
    HWND window = AppWindowConfig.hWnd;
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    char title[96] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(AppWindowConfig.applicationName, title);
    EXPECT_EQ('\xC6', title[0]);
    EXPECT_EQ(MOUSE_SYS, USE_MOUSE);
    // The configured clear colour reaches the device (read before presenting: a discarded
    // back buffer has no defined content afterwards; and before the first frame starts the
    // presentation, whose renderer has its own clear colour).
    gGraphics.BeginFrame();
    test::Image image;
    bool read = test::ReadBackBuffer(image);
    gGraphics.EndScene();
    ASSERT_TRUE(read);
    uint32_t centre = image.At(image.width / 2, image.height / 2);
    EXPECT_EQ(0xFF304050u, gGraphics.clearColor);
    EXPECT_TRUE(test::ColorNear(gGraphics.clearColor, centre, 2)) << std::hex << centre;
    ASSERT_TRUE(program.RunFrames(2));
    program.Stop();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found)
{
    wchar_t name[8] = {};
    GetClassNameW(window, name, 8);
    if (wcscmp(name, L"#32770") == 0 && IsWindowVisible(window))
        *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

// The title and a real message box show code page 1251 texts as their letters whatever the
// system's code page (this case runs once more under code page 1252): the title as the
// caption bar shows it and as whoever asks the window for it reads it.
TEST(Startup, CodePage1251TitleAndMessageBoxShowTheirLetters)
{
    test::MessageRecorder messages;
    test::Program program;
    ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
    const std::wstring name = L"Жилой комплекс «Кестрел Вейл»";
    wchar_t title[64] = {}, asked[64] = {}, caption[64] = {}, text[64] = {};
    InternalGetWindowText(AppWindowConfig.hWnd, title, 64);  // as the caption bar shows it
    GetWindowTextW(AppWindowConfig.hWnd, asked, 64);         // through WM_GETTEXT
    std::thread reader([&, owner = GetCurrentThreadId()] {
        HWND box = nullptr;
        for (int i = 0; i < 1000 && !box; ++i, Sleep(10))
            EnumThreadWindows(owner, FindMessageBox, reinterpret_cast<LPARAM>(&box));
        GetWindowTextW(box, caption, 64);
        GetDlgItemTextW(box, 0xFFFF, text, 64);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    MessageSink recorder = SetMessageSink(nullptr);
    MsgBox3("Undefine string '", "\xC4\xEE\xEC", "'");  // "Дом" in code page 1251
    SetMessageSink(recorder);
    reader.join();
    EXPECT_EQ(name, title);
    EXPECT_EQ(name, asked);
    EXPECT_EQ(name, caption);
    EXPECT_EQ(std::wstring(L"Undefine string 'Дом'"), text);
    program.Stop();
}

} // namespace
