// The sprite batch: how BeginSprites and EndSprites open, switch and close the sprite
// object, and textures drawn inside the batch.

#include "tests/sprites/SpriteTestSupport.h"

#include <vector>

namespace {

using sprites::BACKGROUND;
using sprites::DeviceTest;
using sprites::MakeTexture;

// Stands in for the device's sprite object, passing every call on and counting the
// opening and closing ones.
class CountingSprite final : public ID3DXSprite {
public:
    CountingSprite() : real_(gGraphics.sprite) { gGraphics.sprite = this; }
    ~CountingSprite() { gGraphics.sprite = real_; }

    std::vector<DWORD> begins;
    int ends = 0;

    HRESULT WINAPI QueryInterface(REFIID riid, void** out) override
    {
        return real_->QueryInterface(riid, out);
    }
    ULONG WINAPI AddRef() override { return real_->AddRef(); }
    ULONG WINAPI Release() override { return real_->Release(); }
    HRESULT WINAPI GetDevice(IDirect3DDevice9** device) override
    {
        return real_->GetDevice(device);
    }
    HRESULT WINAPI GetTransform(D3DXMATRIX* m) override { return real_->GetTransform(m); }
    HRESULT WINAPI SetTransform(const D3DXMATRIX* m) override { return real_->SetTransform(m); }
    HRESULT WINAPI SetWorldViewRH(const D3DXMATRIX* w, const D3DXMATRIX* v) override
    {
        return real_->SetWorldViewRH(w, v);
    }
    HRESULT WINAPI SetWorldViewLH(const D3DXMATRIX* w, const D3DXMATRIX* v) override
    {
        return real_->SetWorldViewLH(w, v);
    }
    HRESULT WINAPI Begin(DWORD flags) override
    {
        begins.push_back(flags);
        return real_->Begin(flags);
    }
    HRESULT WINAPI Draw(IDirect3DTexture9* t, const RECT* r, const D3DXVECTOR3* c,
                        const D3DXVECTOR3* p, D3DCOLOR color) override
    {
        return real_->Draw(t, r, c, p, color);
    }
    HRESULT WINAPI Flush() override { return real_->Flush(); }
    HRESULT WINAPI End() override
    {
        ++ends;
        return real_->End();
    }
    HRESULT WINAPI OnLostDevice() override { return real_->OnLostDevice(); }
    HRESULT WINAPI OnResetDevice() override { return real_->OnResetDevice(); }

private:
    ID3DXSprite* real_;
};

using SpriteBatch = DeviceTest;

TEST_F(SpriteBatch, OpensOnceSwitchesBlendingWithOneEndAndOneBeginAndCloses)
{
    BeginFrame();
    {
        CountingSprite counting;
        gGraphics.BeginSprites(false);
        gGraphics.BeginSprites(false);
        EXPECT_EQ(std::vector<DWORD>{D3DXSPRITE_ALPHABLEND}, counting.begins);
        EXPECT_EQ(1, gGraphics.spriteBegun);
        EXPECT_EQ(1, gGraphics.spriteBlended);

        gGraphics.BeginSprites(true);
        EXPECT_EQ((std::vector<DWORD>{D3DXSPRITE_ALPHABLEND, 0}), counting.begins);
        EXPECT_EQ(1, counting.ends);
        EXPECT_EQ(0, gGraphics.spriteBlended);
        gGraphics.BeginSprites(true);
        EXPECT_EQ(2u, counting.begins.size());

        gGraphics.BeginSprites(false);
        EXPECT_EQ(3u, counting.begins.size());
        EXPECT_EQ(2, counting.ends);
        EXPECT_EQ(1, gGraphics.spriteBlended);

        gGraphics.EndSprites();
        gGraphics.EndSprites();
        EXPECT_EQ(3, counting.ends);
        EXPECT_EQ(0, gGraphics.spriteBegun);
    }
    EndFrame();
}

TEST_F(SpriteBatch, OpeningForgetsWhatTheSpriteObjectChanges)
{
    BeginFrame();
    gGraphics.SetVertexShader(&gGraphics.spriteShader11);
    gGraphics.SetBlend(D3DBLEND_ONE, D3DBLEND_ONE);
    gGraphics.SetAlphaTest(D3DCMP_GREATER, 10);
    ASSERT_EQ(D3D_OK, gGraphics.SpriteMesh.BindBuffers());
    gGraphics.BeginSprites(true);
    EXPECT_EQ(nullptr, gGraphics.vertexShader);
    EXPECT_EQ(nullptr, gGraphics.pixelShader);
    EXPECT_EQ(nullptr, gGraphics.streamVBs[0]);
    EXPECT_EQ(nullptr, gGraphics.indexBuffer);
    EXPECT_EQ(0xFFFFFFFFu, gGraphics.srcBlend);
    EXPECT_EQ(0xFFFFFFFFu, gGraphics.destBlend);
    EXPECT_EQ(0xFFFFFFFFu, gGraphics.alphaFunc);
    EXPECT_EQ(0xFFFFFFFFu, gGraphics.alphaRef);
    EXPECT_EQ(0u, gGraphics.RenderStates & RS_BLEND_ON);  // unblended batch
    EndFrame();
}

TEST_F(SpriteBatch, TexturesDrawAtTheirPositionAndSizeWithTheirSourceRectangle)
{
    IDirect3DTexture9* red = Keep(MakeTexture(16, 8, [](int, int) { return 0xFFFF0000; }));
    IDirect3DTexture9* halves = Keep(MakeTexture(32, 8, [](int x, int) -> D3DCOLOR {
        return x < 16 ? 0xFF00FF00 : 0xFF0000FF;
    }));
    ASSERT_TRUE(red && halves);
    BeginFrame();
    gGraphics.BeginSprites(false);
    EXPECT_EQ(D3D_OK, gGraphics.DrawTexture(40, 30, nullptr, red, 0xFFFFFFFF));
    RECT blueHalf = {16, 0, 32, 8};
    EXPECT_EQ(D3D_OK, gGraphics.DrawTexture(200, 100, &blueHalf, halves, 0xFFFFFFFF));
    EndFrame();

    RECT box;
    ASSERT_TRUE(MarkedBox(&box));
    EXPECT_EQ(40, box.left);
    EXPECT_EQ(30, box.top);
    EXPECT_EQ(215, box.right);
    EXPECT_EQ(107, box.bottom);
    EXPECT_EQ(16 * 8, Marked(40, 30, 55, 37));
    EXPECT_EQ(16 * 8, Marked(200, 100, 215, 107));
    EXPECT_TRUE(test::ColorNear(0xFF0000, image.At(47, 33), 2));
    EXPECT_TRUE(test::ColorNear(0x0000FF, image.At(207, 103), 2));
    EXPECT_EQ(0, Marked(0, 60, 199, 239));
}

TEST_F(SpriteBatch, ABlendedBatchMixesByTextureAlphaAndTint)
{
    IDirect3DTexture9* half = Keep(MakeTexture(8, 8, [](int, int) { return 0x80FFFFFF; }));
    ASSERT_NE(nullptr, half);
    BeginFrame();
    gGraphics.BeginSprites(false);
    gGraphics.DrawTexture(10, 10, nullptr, half, 0xFFFF0000);
    EndFrame();
    // Half of red over the background.
    const D3DCOLOR expected = 0x8F1820;
    EXPECT_TRUE(test::ColorNear(expected, image.At(13, 13), 3)) << std::hex << image.At(13, 13);
    EXPECT_TRUE(IsBackground(20, 13));
}

} // namespace
