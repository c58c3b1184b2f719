#pragma once
// Window drawing on a real device: the sample skin as window picture, one drawn frame read
// back, and the skin's own texels to compare the picture with.

#include "tests/support/TestDevice.h"
#include "tests/winframe/FrameFixture.h"

#include <functional>

namespace winframe {

constexpr D3DCOLOR BACKGROUND = 0xFF203040;

class DrawTest : public FrameTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Clears to the background, draws the windows and reads the picture back.
    void DrawFrame();
    // The same with the manager's combined pass.
    void ProcessAndDrawFrame(int x, int y, uint8_t buttons);
    // Texel of the skin.
    D3DCOLOR SkinTexel(int x, int y);
    // Pixels of the w x h block at (x, y) whose colour is not the skin's block at (sx, sy)
    // (colour channels only: windows without blending draw the texel's colour as it is);
    // -1 when the block has no plain area to compare.
    int SkinMismatches(int x, int y, int sx, int sy, int w, int h);
    bool IsBackground(int x, int y) const;
    // Pixels inside the rectangle (inclusive) that are not the background.
    int Marked(int left, int top, int right, int bottom) const;
    // The box of the pixels that pass the test; false when none does.
    bool Box(const std::function<bool(D3DCOLOR)>& test, RECT* box) const;
    // The box of everything drawn.
    RECT DrawnBox() const;
    // A managed A8R8G8B8 texture kept until the test ends.
    IDirect3DTexture9* MakeTexture(int w, int h, D3DCOLOR colour);
    // A window drawn without blending from the skin rectangle (inclusive).
    CBaseWin* SkinWin(const char* name, int x, int y, int l, int t, int r, int b,
                      uint32_t flags = 0);

    test::TestDevice device;
    test::Image image;

private:
    std::vector<D3DCOLOR> skinTexels_;
    int skinWidth_ = 0;
    std::vector<IDirect3DTexture9*> textures_;
};

} // namespace winframe
