#include "tests/winframe/DrawFixture.h"

#include "core/FrameTimer.h"
#include "tests/support/WinReset.h"

#include <algorithm>

namespace winframe {

namespace {

constexpr int TOLERANCE = 2;

bool SameColour(D3DCOLOR a, D3DCOLOR b)
{
    return test::ColorNear(a | 0xFF000000, b | 0xFF000000, TOLERANCE);
}

} // namespace

void DrawTest::SetUp()
{
    FrameTest::SetUp();
    ASSERT_EQ(0, device.Init());
    test::InitWindowManagerFromRunDir();
    ASSERT_NE(nullptr, gWinSuperior.skin) << messages.Joined();
}

void DrawTest::TearDown()
{
    FrameTest::TearDown();
    for (IDirect3DTexture9* t : textures_)
        t->Release();
    test::ReleaseWindowManagerTextures();
}

void DrawTest::DrawFrame()
{
    gGraphics.BeginScene();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET, BACKGROUND, 1.0f, 0);
    gWinSuperior.DrawWins();
    gGraphics.EndScene();
    ASSERT_TRUE(test::ReadBackBuffer(image));
}

void DrawTest::ProcessAndDrawFrame(int x, int y, uint8_t buttons)
{
    gFrameTimer.step = STEP;
    gInput.BeginMouseFrame();
    gInput.ApplySystemMouse(POINT{x, y}, buttons);
    gGraphics.BeginScene();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET, BACKGROUND, 1.0f, 0);
    gWinSuperior.ProcessAndDraw();
    gGraphics.EndScene();
    ASSERT_TRUE(test::ReadBackBuffer(image));
}

D3DCOLOR DrawTest::SkinTexel(int x, int y)
{
    if (skinTexels_.empty()) {
        D3DSURFACE_DESC desc;
        gWinSuperior.skin->GetLevelDesc(0, &desc);
        D3DLOCKED_RECT lr;
        if (FAILED(gWinSuperior.skin->LockRect(0, &lr, nullptr, D3DLOCK_READONLY)))
            return 0;
        skinWidth_ = int(desc.Width);
        for (UINT row = 0; row < desc.Height; ++row) {
            const D3DCOLOR* texels = reinterpret_cast<const D3DCOLOR*>(
                static_cast<const char*>(lr.pBits) + row * lr.Pitch);
            skinTexels_.insert(skinTexels_.end(), texels, texels + desc.Width);
        }
        gWinSuperior.skin->UnlockRect(0);
    }
    return skinTexels_[size_t(y) * skinWidth_ + x];
}

// The sprite object samples between texels under some drivers, so only pixels inside a
// plain area of the skin (the texel equals its eight neighbours) are compared.
int DrawTest::SkinMismatches(int x, int y, int sx, int sy, int w, int h)
{
    D3DSURFACE_DESC desc;
    gWinSuperior.skin->GetLevelDesc(0, &desc);
    int compared = 0, mismatched = 0;
    for (int dy = 0; dy < h; ++dy)
        for (int dx = 0; dx < w; ++dx) {
            const D3DCOLOR texel = SkinTexel(sx + dx, sy + dy);
            bool plain = true;
            for (int ny = sy + dy - 1; ny <= sy + dy + 1; ++ny)
                for (int nx = sx + dx - 1; nx <= sx + dx + 1; ++nx)
                    if (nx >= 0 && ny >= 0 && nx < int(desc.Width) && ny < int(desc.Height) &&
                        SkinTexel(nx, ny) != texel)
                        plain = false;
            if (!plain)
                continue;
            ++compared;
            if (!SameColour(image.At(x + dx, y + dy), texel))
                ++mismatched;
        }
    return compared ? mismatched : -1;
}

bool DrawTest::IsBackground(int x, int y) const
{
    return test::ColorNear(image.At(x, y), BACKGROUND, TOLERANCE);
}

int DrawTest::Marked(int left, int top, int right, int bottom) const
{
    int n = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (!IsBackground(x, y))
                ++n;
    return n;
}

bool DrawTest::Box(const std::function<bool(D3DCOLOR)>& test, RECT* box) const
{
    bool any = false;
    *box = RECT{image.width, image.height, -1, -1};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            if (!test(image.At(x, y)))
                continue;
            any = true;
            box->left = std::min<LONG>(box->left, x);
            box->top = std::min<LONG>(box->top, y);
            box->right = std::max<LONG>(box->right, x);
            box->bottom = std::max<LONG>(box->bottom, y);
        }
    return any;
}

RECT DrawTest::DrawnBox() const
{
    RECT box;
    Box([](D3DCOLOR c) { return !test::ColorNear(c, BACKGROUND, TOLERANCE); }, &box);
    return box;
}

IDirect3DTexture9* DrawTest::MakeTexture(int w, int h, D3DCOLOR colour)
{
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTexture(Device3D, UINT(w), UINT(h), 1, 0, D3DFMT_A8R8G8B8,
                                 D3DPOOL_MANAGED, &texture)))
        return nullptr;
    D3DLOCKED_RECT lr;
    if (SUCCEEDED(texture->LockRect(0, &lr, nullptr, 0))) {
        for (int y = 0; y < h; ++y) {
            D3DCOLOR* row =
                reinterpret_cast<D3DCOLOR*>(static_cast<char*>(lr.pBits) + y * lr.Pitch);
            for (int x = 0; x < w; ++x)
                row[x] = colour;
        }
        texture->UnlockRect(0);
    }
    textures_.push_back(texture);
    return texture;
}

CBaseWin* DrawTest::SkinWin(const char* name, int x, int y, int l, int t, int r, int b,
                            uint32_t flags)
{
    CBaseWin* win = gWinSuperior.AddWin(x, y, r - l + 1, b - t + 1, OnClick, gWinSuperior.skin,
                                        l, t, r, b, KEY_ON_RELEASE,
                                        flags | WIN_ACTIVE | WIN_VISIBLE | WIN_NOBLEND);
    Name(win, name);
    return win;
}

} // namespace winframe
