// The mouse cursor: the default cursor of the DirectInput mouse mode, drawing at the mouse
// position with the draw offset, animation frames, and pictures that cannot be loaded.

#include "tests/sprites/SpriteTestSupport.h"

#include "core/Core.h"
#include "core/FrameTimer.h"
#include "core/Input.h"
#include "engine/Engine.h"

#include <memory>
#include <vector>

namespace {

using sprites::DeviceTest;
using sprites::MakeTexture;

// The sprite object filters the picture: its one-pixel outline takes a little of its
// neighbours.
constexpr int EDGE_FILTERING = 64;

std::string DataDirWithCursor(const std::string& name, bool withCursor)
{
    std::string dir = test::TempDir(name);
    test::CopySpriteFiles(dir);
    if (withCursor)
        test::WriteFile(dir + "\\System\\DefaultCursor.bmp",
                        test::ReadFile(test::RunDir() + "\\System\\DefaultCursor.bmp"));
    return dir;
}

// A device started with the given mouse mode on a data folder.
class MouseModeDevice {
public:
    MouseModeDevice(int mouseMode, bool withCursor)
    {
        SetCurrentDirectoryA(DataDirWithCursor("sprites_cursor", withCursor).c_str());
        USE_MOUSE = mouseMode;
        result = device.Init();
    }
    test::TestDevice device;
    int result = -1;
};

void DrawFrameWithCursor(test::Image& image, int mouseX, int mouseY)
{
    gInput.mouseX = mouseX;
    gInput.mouseY = mouseY;
    gGraphics.BeginScene();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET, sprites::BACKGROUND, 1.0f, 0);
    gGraphics.DrawCursor();
    gGraphics.EndScene();
    test::ReadBackBuffer(image);
}

TEST(DefaultCursor, TheDirectInputMouseLoadsItAndDrawsItAtTheMouse)
{
    test::MessageRecorder messages;
    MouseModeDevice started(MOUSE_DX, true);
    ASSERT_EQ(0, started.result);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    ASSERT_NE(nullptr, gGraphics.defaultCursor.texture);
    EXPECT_EQ(&gGraphics.defaultCursor, gGraphics.cursor);
    EXPECT_EQ(1, gGraphics.defaultCursor.frameCount);
    EXPECT_EQ(32, gGraphics.defaultCursor.frameWidth);
    EXPECT_EQ(32, gGraphics.defaultCursor.frameHeight);

    test::Image image;
    DrawFrameWithCursor(image, 100, 80);
    // The arrow's tip is at the mouse, its white body below it, and the picture's
    // transparent part shows the background.
    EXPECT_TRUE(test::ColorNear(0x000000, image.At(100, 80), EDGE_FILTERING));
    EXPECT_TRUE(test::ColorNear(0xFFFFFF, image.At(102, 88), EDGE_FILTERING));
    EXPECT_TRUE(test::ColorNear(sprites::BACKGROUND, image.At(110, 82), 2));
    EXPECT_TRUE(test::ColorNear(sprites::BACKGROUND, image.At(99, 88), 2));
    EXPECT_TRUE(test::ColorNear(sprites::BACKGROUND, image.At(60, 60), 2));

    gGraphics.Release();
    EXPECT_EQ(nullptr, gGraphics.defaultCursor.texture);
    EXPECT_EQ(nullptr, gGraphics.cursor);
}

TEST(DefaultCursor, TheSystemMouseLoadsNoneAndNothingIsDrawn)
{
    test::MessageRecorder messages;
    MouseModeDevice started(MOUSE_SYS, true);
    ASSERT_EQ(0, started.result);
    EXPECT_EQ(nullptr, gGraphics.defaultCursor.texture);
    EXPECT_EQ(nullptr, gGraphics.cursor);
    test::Image image;
    DrawFrameWithCursor(image, 100, 80);
    EXPECT_TRUE(test::ColorNear(sprites::BACKGROUND, image.At(102, 88), 2));
    gGraphics.EnsureCursor();
    EXPECT_EQ(&gGraphics.defaultCursor, gGraphics.cursor);
    EXPECT_EQ(-1, gGraphics.cursor->Draw());
}

TEST(DefaultCursor, AMissingPictureIsReportedAndStartUpGoesOn)
{
    test::MessageRecorder messages;
    MouseModeDevice started(MOUSE_DX, false);
    EXPECT_EQ(0, started.result);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Can`t load cursor 'System/DefaultCursor.bmp'", messages.Texts()[0]);
    EXPECT_EQ(nullptr, gGraphics.defaultCursor.texture);
    EXPECT_EQ(-1, gGraphics.defaultCursor.Draw());
    test::Image image;
    DrawFrameWithCursor(image, 100, 80);
    EXPECT_TRUE(test::ColorNear(sprites::BACKGROUND, image.At(102, 88), 2));
}

// The program's own frame draws the cursor on top of everything at the mouse position.
TEST(DefaultCursor, TheFrameDrawsItLast)
{
    test::MessageRecorder messages;
    std::string dir = DataDirWithCursor("sprites_cursorframe", true);
    test::WriteFile(dir + "\\System\\Application.cfg",
                    "WINDOWED true\nWIDTH 320\nHEIGHT 240\nCLEAR_COLOR FF808080\n"
                    "USE_MOUSE DX_MOUSE\n");
    test::WriteFile(dir + "\\Scripts\\Start.txt", "");
    test::Program program;
    ASSERT_EQ(1, program.Start(dir)) << messages.Joined();
    gIEngine->Stop();
    ASSERT_EQ(&gGraphics.defaultCursor, gGraphics.cursor);
    gInput.mouseX = 30;
    gInput.mouseY = 40;
    gCore.RenderFrame();
    test::Image image;
    ASSERT_TRUE(test::ReadBackBuffer(image));
    EXPECT_TRUE(test::ColorNear(0xFFFFFF, image.At(32, 48), EDGE_FILTERING));
    EXPECT_TRUE(test::ColorNear(0x000000, image.At(30, 45), EDGE_FILTERING));
    EXPECT_TRUE(test::ColorNear(0x808080, image.At(45, 42), 2));
    program.Stop();
    EXPECT_FALSE(messages.Contains("cursor")) << messages.Joined();
}

using Cursor = DeviceTest;

TEST_F(Cursor, ADescriptionNameLoadsNothingAndDrawsNothing)
{
    test::MessageRecorder messages;
    CCursor c;
    EXPECT_EQ(0, c.Load("System/Animated.txt"));
    EXPECT_EQ(nullptr, c.texture);
    EXPECT_EQ(1, c.step);
    EXPECT_EQ(-1, c.Draw());
    EXPECT_EQ(0u, messages.Count());
}

TEST_F(Cursor, LoadingAgainGivesTheFormerPictureBack)
{
    std::string file = test::TempDir("sprites_cursorfile") + "\\c.bmp";
    test::WriteFile(file, test::ReadFile(test::RunDir() + "\\System\\DefaultCursor.bmp"));
    CCursor c;
    ASSERT_EQ(0, c.Load(file.c_str()));
    IDirect3DTexture9* first = c.texture;
    first->AddRef();
    ASSERT_EQ(0, c.Load(file.c_str()));
    EXPECT_EQ(0u, first->Release());  // only the reference taken here was left
}

TEST_F(Cursor, CreateCursorKeepsItsOwnReferenceAndRefusesNoTexture)
{
    EXPECT_EQ(nullptr, gGraphics.CreateCursor(nullptr, 0, 0, 8, 8, 0, 0.1f, 1, 0, 0));
    IDirect3DTexture9* strip = MakeTexture(32, 8, [](int, int) { return 0xFFFFFFFF; });
    ASSERT_NE(nullptr, strip);
    std::unique_ptr<CCursor> c(gGraphics.CreateCursor(strip, 0, 0, 8, 8, CURSOR_PING_PONG, 0.1f,
                                                      4, 0, 0));
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(1, c->step);
    EXPECT_EQ(0, c->frame);
    EXPECT_EQ(1u, strip->Release());
    c.reset();
}

std::vector<int> Frames(CCursor& c, int steps, float seconds)
{
    std::vector<int> shown{c.frame};
    for (int i = 1; i < steps; ++i) {
        c.Advance(seconds);
        shown.push_back(c.frame);
    }
    return shown;
}

TEST_F(Cursor, PingPongShowsTheLastFrameOnceAndTheFirstTwice)
{
    IDirect3DTexture9* strip = Keep(MakeTexture(32, 8, [](int, int) { return 0xFFFFFFFF; }));
    std::unique_ptr<CCursor> c(gGraphics.CreateCursor(strip, 0, 0, 8, 8, CURSOR_PING_PONG, 0.1f,
                                                      4, 0, 0));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 2, 1, 0, 0, 1, 2, 3, 2, 1, 0, 0, 1}),
              Frames(*c, 16, 0.15f));
}

TEST_F(Cursor, WrapStartsOverAndNoFlagStaysOnTheLastFrame)
{
    IDirect3DTexture9* strip = Keep(MakeTexture(32, 8, [](int, int) { return 0xFFFFFFFF; }));
    std::unique_ptr<CCursor> wrap(
        gGraphics.CreateCursor(strip, 0, 0, 8, 8, CURSOR_WRAP, 0.1f, 4, 0, 0));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 0, 1}), Frames(*wrap, 6, 0.15f));
    std::unique_ptr<CCursor> once(gGraphics.CreateCursor(strip, 0, 0, 8, 8, 0, 0.1f, 4, 0, 0));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 3, 3}), Frames(*once, 6, 0.15f));
    // Time below the duration gathers until it passes it.
    std::unique_ptr<CCursor> slow(
        gGraphics.CreateCursor(strip, 0, 0, 8, 8, CURSOR_WRAP, 0.1f, 4, 0, 0));
    EXPECT_EQ((std::vector<int>{0, 0, 1, 1, 2}), Frames(*slow, 5, 0.06f));
}

TEST_F(Cursor, OneFrameIgnoresItsDuration)
{
    IDirect3DTexture9* strip = Keep(MakeTexture(8, 8, [](int, int) { return 0xFFFFFFFF; }));
    std::unique_ptr<CCursor> c(gGraphics.CreateCursor(strip, 0, 0, 8, 8, CURSOR_WRAP, 0.01f, 1,
                                                      0, 0));
    EXPECT_EQ((std::vector<int>{0, 0, 0}), Frames(*c, 3, 1.0f));
    EXPECT_EQ(0.0f, c->frameTime);
}

// Red, green, blue and yellow frames of 8 x 8 behind a 4-texel margin.
D3DCOLOR StripTexel(int x, int y)
{
    const D3DCOLOR colors[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
    if (x < 4 || y < 4)
        return 0xFFFFFFFF;
    return colors[(x - 4) / 8];
}

TEST_F(Cursor, DrawsTheCurrentFrameAtTheMousePlusItsOffset)
{
    IDirect3DTexture9* strip = Keep(MakeTexture(36, 12, StripTexel));
    ASSERT_NE(nullptr, strip);
    std::unique_ptr<CCursor> c(
        gGraphics.CreateCursor(strip, 4, 4, 8, 8, CURSOR_WRAP, 1.0f, 4, -3, -2));
    c->frame = 2;
    gGraphics.SetCursor(c.get());
    gGraphics.EnsureCursor();
    EXPECT_EQ(c.get(), gGraphics.cursor);
    const float oldStep = gFrameTimer.step;
    gFrameTimer.step = 0.0f;
    gInput.mouseX = 150;
    gInput.mouseY = 120;
    BeginFrame();
    gGraphics.DrawCursor();
    EndFrame();
    gFrameTimer.step = oldStep;
    gGraphics.SetCursor(nullptr);

    RECT box;
    ASSERT_TRUE(MarkedBox(&box));
    EXPECT_EQ(147, box.left);
    EXPECT_EQ(118, box.top);
    EXPECT_EQ(154, box.right);
    EXPECT_EQ(125, box.bottom);
    EXPECT_TRUE(test::ColorNear(0x0000FF, image.At(150, 121), 2));
}

} // namespace
