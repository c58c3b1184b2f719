// The statistic overlay: its panel redrawn once a second from the frame counters and shown
// at its position every frame; the full panel's picture missing.

#include "core/FrameTimer.h"
#include "core/Statistic.h"
#include "tests/offscreen/OffscreenSupport.h"

#include <string>

namespace {

using offscreen::CountOther;
using offscreen::ReadTexture;

constexpr D3DCOLOR BACKGROUND = 0xFF203040;
const char IMAGE[] = "System\\Statistic.bmp";

class Statistic : public offscreen::DeviceTest {
protected:
    void TearDown() override
    {
        ReleaseAndClear(stat.panel);
        ReleaseAndClear(stat.image);
        DeleteFileA(IMAGE);
        gFrameTimer.step = 0.0f;
        offscreen::DeviceTest::TearDown();
    }
    void ShipImage() { test::WriteFile(IMAGE, test::ReadFile(test::RunDir() + "\\" + IMAGE)); }
    // One frame of step seconds with the overlay drawn last; the picture is read back.
    void Frame(float step)
    {
        gFrameTimer.step = step;
        gGraphics.BeginScene();
        gGraphics.Clear(BACKGROUND);
        stat.Draw();
        gGraphics.EndScene();
        ASSERT_TRUE(test::ReadBackBuffer(screen));
    }
    // Columns of the panel texture holding text inside the rectangle (inclusive).
    int TextColumns(const RECT& r, D3DCOLOR background)
    {
        test::Image panel;
        EXPECT_TRUE(ReadTexture(stat.panel, panel));
        int columns = 0;
        for (int x = r.left; x <= r.right && x < panel.width; ++x)
            columns += CountOther(panel, RECT{x, r.top, x, r.bottom}, background) > 0;
        return columns;
    }

    CStatistic stat;
    test::Image screen;
};

TEST_F(Statistic, CompactPanelShowsTheFrameRateInsideItsAreaOnly)
{
    stat.Init(10, 20, STATISTIC_COMPACT);
    ASSERT_EQ(1, stat.enabled);
    EXPECT_EQ(nullptr, stat.image);
    Frame(0.5f);
    EXPECT_EQ(0, stat.fps);
    EXPECT_EQ(1, stat.frames);
    Frame(0.75f);
    EXPECT_EQ(2, stat.fps);
    EXPECT_EQ(0, stat.frames);
    EXPECT_NEAR(0.25f, stat.accumulator, 1e-5f);

    // The translucent panel darkens its shown area and leaves the rest of the screen.
    const RECT shown = {10, 20, 99, 43};
    EXPECT_GT(CountOther(screen, shown, BACKGROUND), 90 * 24 * 9 / 10);
    EXPECT_EQ(0, CountOther(screen, RECT{0, 0, 319, 19}, BACKGROUND));
    EXPECT_EQ(0, CountOther(screen, RECT{0, 44, 319, 239}, BACKGROUND));
    EXPECT_EQ(0, CountOther(screen, RECT{100, 0, 319, 239}, BACKGROUND));
    EXPECT_EQ(0, CountOther(screen, RECT{0, 0, 9, 239}, BACKGROUND));
    // The label and the number are both in the panel.
    EXPECT_GT(TextColumns(RECT{2, 3, 28, 20}, 0x60000000), 3);
    EXPECT_GT(TextColumns(RECT{32, 3, 80, 20}, 0x60000000), 1);
    EXPECT_TRUE(gGraphics.onBackBuffer);
    EXPECT_EQ(0, gGraphics.viewportPushCount);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(Statistic, ALongFrameRefreshesOnceAndKeepsTheRemainder)
{
    stat.Init(0, 0, STATISTIC_COMPACT);
    Frame(2.5f);
    EXPECT_EQ(1, stat.fps);
    EXPECT_NEAR(1.5f, stat.accumulator, 1e-5f);
    Frame(0.0f);
    EXPECT_EQ(1, stat.fps);
    EXPECT_NEAR(0.5f, stat.accumulator, 1e-5f);
}

TEST_F(Statistic, FullPanelWritesTheFrameCountersOfTheRedrawnFrame)
{
    ShipImage();
    stat.Init(150, 40, 0);
    ASSERT_EQ(1, stat.enabled) << messages.Joined();
    ASSERT_NE(nullptr, stat.image);
    const RECT vertices = {70, 114, 127, 125};

    // Counters are cleared at each scene begin; set them as the frame's drawing would.
    gFrameTimer.step = 1.0f;
    gGraphics.BeginScene();
    gGraphics.counters.vertices = 0;
    stat.Draw();
    gGraphics.EndScene();
    test::Image panel;
    ASSERT_TRUE(ReadTexture(stat.panel, panel));
    const D3DCOLOR picture = panel.At(120, 118);
    const int narrow = TextColumns(vertices, picture);

    gGraphics.BeginScene();
    gGraphics.counters.vertices = 123456789;
    stat.Draw();
    gGraphics.EndScene();
    const int wide = TextColumns(vertices, picture);
    EXPECT_GT(narrow, 1);
    EXPECT_GT(wide, narrow + 20);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();

    Frame(0.0f);
    // The shown area is 128 x 147 at (150, 40); its rounded corners are transparent.
    EXPECT_GT(CountOther(screen, RECT{150, 40, 277, 186}, BACKGROUND), 128 * 147 * 9 / 10);
    EXPECT_EQ(0, CountOther(screen, RECT{0, 0, 149, 239}, BACKGROUND));
    EXPECT_EQ(0, CountOther(screen, RECT{150, 187, 319, 239}, BACKGROUND));
    EXPECT_EQ(0, CountOther(screen, RECT{150, 40, 150, 40}, BACKGROUND));
}

TEST_F(Statistic, AMissingPictureLeavesTheFullPanelDisabledAfterOneMessage)
{
    stat.Init(0, 0, 0);
    EXPECT_EQ(0, stat.enabled);
    EXPECT_EQ(nullptr, stat.image);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Can`t load ImageTexture for Statistic", messages.Texts()[0]);
    Frame(2.0f);
    EXPECT_EQ(0, stat.frames);
    EXPECT_EQ(0, CountOther(screen, RECT{0, 0, 319, 239}, BACKGROUND));
}

} // namespace
