#include "tests/sprites/SpriteTestSupport.h"

namespace sprites {

IDirect3DTexture9* MakeTexture(int width, int height,
                               const std::function<D3DCOLOR(int x, int y)>& texel)
{
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTexture(Device3D, UINT(width), UINT(height), 1, 0, D3DFMT_A8R8G8B8,
                                 D3DPOOL_MANAGED, &texture)))
        return nullptr;
    D3DLOCKED_RECT lr;
    if (FAILED(texture->LockRect(0, &lr, nullptr, 0))) {
        texture->Release();
        return nullptr;
    }
    for (int y = 0; y < height; ++y) {
        D3DCOLOR* row = reinterpret_cast<D3DCOLOR*>(static_cast<char*>(lr.pBits) + y * lr.Pitch);
        for (int x = 0; x < width; ++x)
            row[x] = texel(x, y);
    }
    texture->UnlockRect(0);
    return texture;
}

void DeviceTest::SetUp()
{
    ASSERT_EQ(0, device.Init());
}

void DeviceTest::TearDown()
{
    for (IDirect3DTexture9* t : textures_)
        t->Release();
}

void DeviceTest::BeginFrame()
{
    gGraphics.BeginScene();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET, BACKGROUND, 1.0f, 0);
}

void DeviceTest::EndFrame()
{
    gGraphics.EndSprites();
    gGraphics.EndScene();
    ASSERT_TRUE(test::ReadBackBuffer(image));
}

IDirect3DTexture9* DeviceTest::Keep(IDirect3DTexture9* texture)
{
    if (texture)
        textures_.push_back(texture);
    return texture;
}

bool DeviceTest::IsBackground(int x, int y) const
{
    return test::ColorNear(image.At(x, y), BACKGROUND, 2);
}

int DeviceTest::Marked(int left, int top, int right, int bottom) const
{
    int n = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (x >= 0 && y >= 0 && x < image.width && y < image.height && !IsBackground(x, y))
                ++n;
    return n;
}

bool DeviceTest::MarkedBox(RECT* box) const
{
    bool any = false;
    *box = {image.width, image.height, -1, -1};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            if (IsBackground(x, y))
                continue;
            any = true;
            box->left = x < box->left ? x : box->left;
            box->top = y < box->top ? y : box->top;
            box->right = x > box->right ? x : box->right;
            box->bottom = y > box->bottom ? y : box->bottom;
        }
    return any;
}

} // namespace sprites
