#include "tests/controls3d/ControlsFixture.h"

#include "core/Graphics.h"
#include "engine/TexContainer.h"

#include <vector>

namespace controlstest {
namespace {

constexpr int TEX_W = 128;
constexpr int TEX_H = 32;

// Level 0 of a render-target texture as A8R8G8B8 words.
std::vector<uint32_t> ReadTarget(uint16_t index)
{
    std::vector<uint32_t> texels;
    IDirect3DTexture9* texture = gTexContainer->GetTexture(index);
    IDirect3DSurface9* source = nullptr;
    IDirect3DSurface9* copy = nullptr;
    if (!texture || FAILED(texture->GetSurfaceLevel(0, &source))) return texels;
    if (SUCCEEDED(Device3D->CreateOffscreenPlainSurface(TEX_W, TEX_H, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy,
                                                        nullptr)) &&
        SUCCEEDED(Device3D->GetRenderTargetData(source, copy))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            for (int y = 0; y < TEX_H; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const char*>(locked.pBits) +
                                                                   size_t(y) * locked.Pitch);
                texels.insert(texels.end(), row, row + TEX_W);
            }
            copy->UnlockRect();
        }
    }
    if (copy) copy->Release();
    source->Release();
    return texels;
}

int CountIf(const std::vector<uint32_t>& texels, uint32_t value)
{
    int n = 0;
    for (uint32_t t : texels) n += t == value;
    return n;
}

struct LabelDrawTest : ControlsTest {
    uint16_t target = 0;

    void SetUp() override
    {
        ControlsTest::SetUp();
        ASSERT_EQ(0, ReadScript("LABEL_3D Caption { Text: \"WWW\" Font: Big RenderStates: AlphaBlendNormal }; };\n"
                                "LABEL_3D Blank { };\n"
                                "CONTROL_3D Tile { };\n"
                                "CONTROL_GROUP Hud { Controls: { Caption Tile }; };\n"))
            << messages.Joined();
        ASSERT_EQ(0u, messages.Count()) << messages.Joined();
        target = gTexContainer->CreateTexture(TEX_W, TEX_H, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                              D3DPOOL_DEFAULT, 0);
        ASSERT_NE(0, target);
        gGraphics.FillTexture(gTexContainer->GetTexture(target), 0xFF0000FF);
    }
};

TEST_F(LabelDrawTest, ALabelDrawsItsTextIntoItsTextureOnce)
{
    Prototype("Caption")->textures[0] = target;
    auto* label = dynamic_cast<CLabel3D*>(Create("Caption"));
    ASSERT_NE(nullptr, label);
    EXPECT_TRUE(label->controlState & CTRL_REDRAW) << "its first text is waiting to be drawn";
    gGraphics.BeginScene();
    label->Redraw();
    gGraphics.EndScene();
    const std::vector<uint32_t> texels = ReadTarget(target);
    ASSERT_EQ(size_t(TEX_W * TEX_H), texels.size());
    EXPECT_EQ(0x00FFFFFFu, texels[0]) << "cleared to transparent white";
    int text = 0;
    for (uint32_t t : texels) text += (t >> 24) > 0x80;
    EXPECT_GT(text, 20) << "the letters are opaque";
    EXPECT_GT(CountIf(texels, 0x00FFFFFF), TEX_W * TEX_H / 2);
}

TEST_F(LabelDrawTest, ALabelWithoutTextIsClearedToTransparentWhite)
{
    Prototype("Blank")->textures[0] = target;
    auto* label = dynamic_cast<CLabel3D*>(Create("Blank"));
    ASSERT_NE(nullptr, label);
    gGraphics.BeginScene();
    label->Redraw();
    gGraphics.EndScene();
    const std::vector<uint32_t> texels = ReadTarget(target);
    EXPECT_EQ(TEX_W * TEX_H, CountIf(texels, 0x00FFFFFF));
}

TEST_F(LabelDrawTest, TheRendererRedrawsAMarkedLabelAndDrawsTheControlsOverTheScene)
{
    CControl3D* caption = Prototype("Caption");
    caption->textures[0] = target;
    caption->mesh = RectangleMesh("caption", RECT{20, 20, 147, 51});
    CControl3D* tile = Prototype("Tile");
    tile->textures[0] = test::ColourTexture(0xFF00FF00);
    tile->mesh = RectangleMesh("tile", RECT{200, 100, 239, 139});
    gControls3D->CreateActivateControls(gIControls3D->GetControlGroup("Hud"));
    ASSERT_EQ(2, gControls3D->activeControls.Count());
    auto* label = dynamic_cast<CLabel3D*>(*gControls3D->activeControls.At(1));
    ASSERT_NE(nullptr, label);

    RunFrame();
    EXPECT_FALSE(label->controlState & CTRL_REDRAW) << "redrawn and unmarked";
    test::Image picture = Picture();
    EXPECT_TRUE(test::ColorNear(0xFF00FF00, picture.At(220, 120), 8)) << std::hex << picture.At(220, 120);
    EXPECT_TRUE(test::ColorNear(0xFF000000, picture.At(100, 200), 8)) << "nothing drawn there";
    int white = 0, black = 0;
    for (int y = 21; y < 51; ++y)
        for (int x = 21; x < 147; ++x) {
            white += test::ColorNear(0xFFFFFFFF, picture.At(x, y), 40);
            black += test::ColorNear(0xFF000000, picture.At(x, y), 40);
        }
    EXPECT_GT(white, 20) << "the text shows";
    EXPECT_GT(black, 1000) << "the transparent rest lets the background through";

    label->SetText("");
    EXPECT_TRUE(label->controlState & CTRL_REDRAW);
    RunFrame();
    picture = Picture();
    white = 0;
    for (int y = 21; y < 51; ++y)
        for (int x = 21; x < 147; ++x) white += test::ColorNear(0xFFFFFFFF, picture.At(x, y), 40);
    EXPECT_EQ(0, white) << "an empty label shows nothing";
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace controlstest
