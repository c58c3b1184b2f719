// Textured quads drawn through the sprite quad and shader: place, size, texture rectangle,
// tint, the flags and the failure warnings, read back from the device.

#include "tests/sprites/SpriteTestSupport.h"

namespace {

using sprites::BACKGROUND;
using sprites::DeviceTest;
using sprites::MakeTexture;

constexpr D3DCOLOR WHITE = 0xFFFFFFFF;

// 128 x 64: red, green, blue and yellow quarters.
D3DCOLOR Quarters(int x, int y)
{
    const D3DCOLOR colors[2][2] = {{0xFFFF0000, 0xFF00FF00}, {0xFF0000FF, 0xFFFFFF00}};
    return colors[y / 32][x / 64];
}

class DrawSprite : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        quarters = Keep(MakeTexture(128, 64, Quarters));
        ASSERT_NE(nullptr, quarters);
    }
    // The bounding box of the drawn pixels is the quad's place and size, within a pixel.
    void ExpectBox(int left, int top, int width, int height)
    {
        RECT box;
        ASSERT_TRUE(MarkedBox(&box));
        EXPECT_NEAR(left, box.left, 1);
        EXPECT_NEAR(top, box.top, 1);
        EXPECT_EQ(width, box.right - box.left + 1);
        EXPECT_EQ(height, box.bottom - box.top + 1);
    }
    IDirect3DTexture9* quarters = nullptr;
};

TEST_F(DrawSprite, DrawsTheWholeTextureAtItsPlaceAndScaledSize)
{
    BeginFrame();
    gGraphics.DrawSprite(40.0f, 30.0f, quarters, nullptr, 1.5f, 2.0f, WHITE, 0);
    EndFrame();
    ExpectBox(40, 30, 192, 128);
    RECT box;
    ASSERT_TRUE(MarkedBox(&box));
    const int cx = box.left + 96, cy = box.top + 64;
    EXPECT_TRUE(test::ColorNear(0xFF0000, image.At(cx - 20, cy - 20), 2));
    EXPECT_TRUE(test::ColorNear(0x00FF00, image.At(cx + 20, cy - 20), 2));
    EXPECT_TRUE(test::ColorNear(0x0000FF, image.At(cx - 20, cy + 20), 2));
    EXPECT_TRUE(test::ColorNear(0xFFFF00, image.At(cx + 20, cy + 20), 2));
}

TEST_F(DrawSprite, ASourceRectangleWithInclusiveCornersPicksThatPartAtItsSize)
{
    BeginFrame();
    RECT yellow = {64, 32, 127, 63};
    gGraphics.DrawSprite(100.0f, 50.0f, quarters, &yellow, 1.0f, 1.0f, WHITE, 0);
    EndFrame();
    ExpectBox(100, 50, 64, 32);
    // Inside the edge rows and columns, which the texture filter may mix with the
    // neighbouring quarters.
    RECT box;
    ASSERT_TRUE(MarkedBox(&box));
    for (int y = box.top + 1; y < box.bottom; ++y)
        for (int x = box.left + 1; x < box.right; ++x)
            ASSERT_TRUE(test::ColorNear(0xFFFF00, image.At(x, y), 2)) << x << "," << y;
}

TEST_F(DrawSprite, TheColourTintsTheTexture)
{
    RECT red = {0, 0, 63, 31};
    BeginFrame();
    gGraphics.DrawSprite(10.0f, 10.0f, quarters, &red, 1.0f, 1.0f, 0xFF808080, 0);
    EndFrame();
    EXPECT_TRUE(test::ColorNear(0x800000, image.At(40, 25), 2)) << std::hex << image.At(40, 25);
}

TEST_F(DrawSprite, BlendsOnlyWhenAskedAndLeavesBlendingAloneWithFlag4)
{
    IDirect3DTexture9* half = Keep(MakeTexture(16, 16, [](int, int) { return 0x80FF0000; }));
    ASSERT_NE(nullptr, half);
    BeginFrame();
    gGraphics.DrawSprite(10.0f, 10.0f, half, nullptr, 1.0f, 1.0f, WHITE, SPRITE_BLEND);
    EXPECT_EQ(DWORD(D3DBLEND_SRCALPHA), test::RenderState(D3DRS_SRCBLEND));
    EXPECT_EQ(DWORD(D3DBLEND_INVSRCALPHA), test::RenderState(D3DRS_DESTBLEND));
    gGraphics.DrawSprite(50.0f, 10.0f, half, nullptr, 1.0f, 1.0f, WHITE, 0);
    EXPECT_EQ(DWORD(FALSE), test::RenderState(D3DRS_ALPHABLENDENABLE));

    gGraphics.SetBlend(D3DBLEND_ONE, D3DBLEND_ONE);
    gGraphics.DrawSprite(90.0f, 10.0f, half, nullptr, 1.0f, 1.0f, WHITE,
                         SPRITE_KEEP_BLEND | SPRITE_BLEND);
    EXPECT_EQ(DWORD(TRUE), test::RenderState(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(DWORD(D3DBLEND_ONE), test::RenderState(D3DRS_SRCBLEND));
    EXPECT_EQ(DWORD(D3DBLEND_ONE), test::RenderState(D3DRS_DESTBLEND));
    EndFrame();
    EXPECT_TRUE(test::ColorNear(0x8F1820, image.At(17, 17), 3)) << std::hex << image.At(17, 17);
    EXPECT_TRUE(test::ColorNear(0xFF0000, image.At(57, 17), 2)) << std::hex << image.At(57, 17);
    // Added: red on top of the background.
    EXPECT_TRUE(test::ColorNear(0xFF3040, image.At(97, 17), 2)) << std::hex << image.At(97, 17);
}

TEST_F(DrawSprite, TheAlphaTestDropsTransparentTexelsOnlyWithFlag2)
{
    IDirect3DTexture9* cut = Keep(MakeTexture(16, 16, [](int x, int) -> D3DCOLOR {
        return x < 8 ? 0x0100FF00 : 0xFF00FF00;
    }));
    ASSERT_NE(nullptr, cut);
    BeginFrame();
    gGraphics.DrawSprite(10.0f, 10.0f, cut, nullptr, 1.0f, 1.0f, WHITE, SPRITE_ALPHA_TEST);
    EXPECT_EQ(DWORD(D3DCMP_GREATEREQUAL), test::RenderState(D3DRS_ALPHAFUNC));
    EXPECT_EQ(2u, test::RenderState(D3DRS_ALPHAREF));
    gGraphics.DrawSprite(50.0f, 10.0f, cut, nullptr, 1.0f, 1.0f, WHITE, 0);
    EXPECT_EQ(DWORD(FALSE), test::RenderState(D3DRS_ALPHATESTENABLE));
    EndFrame();
    EXPECT_TRUE(IsBackground(13, 17));
    EXPECT_TRUE(test::ColorNear(0x00FF00, image.At(21, 17), 2));
    EXPECT_TRUE(test::ColorNear(0x00FF00, image.At(53, 17), 2));
    EXPECT_TRUE(test::ColorNear(0x00FF00, image.At(61, 17), 2));
}

TEST_F(DrawSprite, SetsItsOwnStatesUnlessTheFlagsKeepThem)
{
    BeginFrame();
    gGraphics.SetAddressMode(0, D3DTADDRESS_WRAP);
    gGraphics.DrawSprite(10.0f, 10.0f, quarters, nullptr, 1.0f, 1.0f, WHITE, 0);
    EXPECT_EQ(&gGraphics.spriteShader11, gGraphics.vertexShader);
    EXPECT_EQ(nullptr, gGraphics.pixelShader);
    EXPECT_EQ(gGraphics.declarations[SPRITE_DECLARATION], gGraphics.declaration);
    EXPECT_EQ(quarters, gGraphics.stageTextures[0]);
    EXPECT_EQ(DWORD(D3DZB_FALSE), test::RenderState(D3DRS_ZENABLE));
    DWORD address = 0;
    Device3D->GetSamplerState(0, D3DSAMP_ADDRESSU, &address);
    EXPECT_EQ(DWORD(D3DTADDRESS_CLAMP), address);
    EXPECT_EQ(DWORD(D3DTOP_MODULATE), test::StageState(0, D3DTSS_COLOROP));
    EXPECT_EQ(DWORD(D3DTA_DIFFUSE), test::StageState(0, D3DTSS_COLORARG2));

    // A pixel shader of level 30 kept by flag 8 takes the level-30 vertex shader.
    // Only the level is looked at: the pair is put into the cache without a shader object.
    ShaderPair ps30 = {};
    ps30.level = 30;
    gGraphics.pixelShader = &ps30;
    gGraphics.DrawSprite(10.0f, 10.0f, quarters, nullptr, 1.0f, 1.0f, WHITE, SPRITE_KEEP_PIXEL);
    EXPECT_EQ(&gGraphics.spriteShader30, gGraphics.vertexShader);
    EXPECT_EQ(&ps30, gGraphics.pixelShader);
    gGraphics.pixelShader = nullptr;

    gGraphics.DrawSprite(10.0f, 10.0f, quarters, nullptr, 1.0f, 1.0f, WHITE,
                         SPRITE_KEEP_VERTEX);
    EXPECT_EQ(&gGraphics.spriteShader30, gGraphics.vertexShader);
    EndFrame();
}

TEST_F(DrawSprite, Flag256DrawsFromTheSecondQuadsBuffers)
{
    BeginFrame();
    gGraphics.DrawSprite(30.0f, 20.0f, quarters, nullptr, 1.0f, 1.0f, WHITE,
                         SPRITE_SECOND_QUAD | SPRITE_ACCEPTED);
    IDirect3DVertexBuffer9* bound = nullptr;
    UINT offset = 0, stride = 0;
    Device3D->GetStreamSource(0, &bound, &offset, &stride);
    EXPECT_EQ(gGraphics.SpriteMesh2.vertexBuffer, bound);
    if (bound)
        bound->Release();
    EndFrame();
    ExpectBox(30, 20, 128, 64);
}

TEST_F(DrawSprite, ANullTextureOnlyClosesTheSpriteBatch)
{
    BeginFrame();
    gGraphics.BeginSprites(false);
    gGraphics.DrawSprite(10.0f, 10.0f, nullptr, nullptr, 1.0f, 1.0f, WHITE, 0);
    EXPECT_EQ(0, gGraphics.spriteBegun);
    EndFrame();
    EXPECT_EQ(0, Marked(0, 0, image.width - 1, image.height - 1));
}

TEST_F(DrawSprite, OutlinesBetweenSpritesDoNotLoseTheQuadsBuffers)
{
    BeginFrame();
    gGraphics.DrawSprite(10.0f, 10.0f, quarters, nullptr, 0.25f, 0.25f, WHITE, 0);
    gGraphics.DrawRectXY(100, 100, 120, 120, 0xFFFFFFFF);
    gGraphics.DrawSprite(200.0f, 150.0f, quarters, nullptr, 0.25f, 0.25f, WHITE, 0);
    EndFrame();
    EXPECT_EQ(32 * 16, Marked(195, 145, 240, 175));
}

// Missing quad files: the sprite quad's bind warning, twice at most, and nothing drawn.
TEST(DrawSpriteWithoutQuads, WarnsTwiceAtMostAndDrawsNothing)
{
    test::MessageRecorder messages;
    test::TestDevice device;
    std::string dir = test::TempDir("sprites_noquads");
    test::WriteFile(dir + "\\System\\SpriteShader.hls",
                    test::ReadFile(test::RunDir() + "\\System\\SpriteShader.hls"));
    test::WriteFile(dir + "\\System\\SpriteMesh.msh",
                    test::ReadFile(test::RunDir() + "\\System\\SpriteMesh.msh"));
    SetCurrentDirectoryA(dir.c_str());
    ASSERT_EQ(0, device.Init());
    messages.Clear();
    IDirect3DTexture9* white = MakeTexture(8, 8, [](int, int) { return WHITE; });
    ASSERT_NE(nullptr, white);
    gGraphics.drawSpriteWarningBudget = 2;
    gGraphics.BeginScene();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET, BACKGROUND, 1.0f, 0);
    for (int i = 0; i < 3; ++i)
        gGraphics.DrawSprite(10.0f, 10.0f, white, nullptr, 1.0f, 1.0f, WHITE,
                             SPRITE_SECOND_QUAD);
    gGraphics.EndScene();
    white->Release();
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Error in CGraphics::DrawSprite (SpriteMesh.SetBuffers()).", messages.Texts()[0]);
    test::Image image;
    ASSERT_TRUE(test::ReadBackBuffer(image));
    EXPECT_TRUE(test::ColorNear(BACKGROUND, image.At(12, 12), 2));
}

} // namespace
