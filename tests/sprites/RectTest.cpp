// Rectangle outlines: the four edges are drawn in the colour and nothing inside or around.

#include "tests/sprites/SpriteTestSupport.h"

namespace {

using Outline = sprites::DeviceTest;

TEST_F(Outline, DrawsTheFourEdgesOnly)
{
    BeginFrame();
    gGraphics.BeginSprites(false);
    EXPECT_EQ(D3D_OK, gGraphics.DrawRectXY(50, 40, 150, 100, 0xFFFFFF00));
    EXPECT_EQ(0, gGraphics.spriteBegun);
    EndFrame();

    RECT box;
    ASSERT_TRUE(MarkedBox(&box));
    EXPECT_NEAR(50, box.left, 1);
    EXPECT_NEAR(40, box.top, 1);
    EXPECT_NEAR(150, box.right, 1);
    EXPECT_NEAR(100, box.bottom, 1);
    // Each edge is a line of about its length, one pixel thick.
    EXPECT_NEAR(100, Marked(52, 38, 148, 42), 3);
    EXPECT_NEAR(100, Marked(52, 98, 148, 102), 3);
    EXPECT_NEAR(60, Marked(48, 42, 52, 98), 3);
    EXPECT_NEAR(60, Marked(148, 42, 152, 98), 3);
    EXPECT_EQ(0, Marked(53, 43, 147, 97));
    EXPECT_TRUE(test::ColorNear(0xFFFF00, image.At(100, box.top), 2));
}

TEST_F(Outline, TheRectangleFormDrawsTheSameAndHonoursTheColoursAlpha)
{
    gGraphics.BlendOff();
    BeginFrame();
    RECT r = {10, 10, 30, 20};
    EXPECT_EQ(D3D_OK, gGraphics.DrawRect(r, 0x80FFFFFF));
    EndFrame();
    RECT box;
    ASSERT_TRUE(MarkedBox(&box));
    EXPECT_NEAR(10, box.left, 1);
    EXPECT_NEAR(30, box.right, 1);
    // Half white over the background.
    EXPECT_TRUE(test::ColorNear(0x8F97A0, image.At(20, box.top), 3))
        << std::hex << image.At(20, box.top);
}

} // namespace
