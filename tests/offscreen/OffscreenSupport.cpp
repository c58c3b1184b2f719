#include "tests/offscreen/OffscreenSupport.h"

#include <cstring>

namespace offscreen {

IDirect3DTexture9* DeviceTest::Target(int width, int height)
{
    IDirect3DTexture9* t = gGraphics.CreateTargetTexture(width, height, D3DFMT_A8R8G8B8);
    if (t)
        textures_.push_back(t);
    return t;
}

void DeviceTest::TearDown()
{
    for (IDirect3DTexture9* t : textures_)
        t->Release();
}

bool ReadTexture(IDirect3DTexture9* texture, test::Image& out)
{
    IDirect3DSurface9* level = nullptr;
    if (FAILED(texture->GetSurfaceLevel(0, &level)))
        return false;
    D3DSURFACE_DESC desc;
    level->GetDesc(&desc);
    IDirect3DSurface9* copy = nullptr;
    bool ok = SUCCEEDED(Device3D->CreateOffscreenPlainSurface(
                  desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
              SUCCEEDED(Device3D->GetRenderTargetData(level, copy));
    D3DLOCKED_RECT lr;
    if (ok && SUCCEEDED(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
        out.width = int(desc.Width);
        out.height = int(desc.Height);
        out.pixels.resize(size_t(out.width) * out.height);
        for (int y = 0; y < out.height; ++y)
            memcpy(&out.pixels[size_t(y) * out.width],
                   static_cast<const char*>(lr.pBits) + y * lr.Pitch, size_t(out.width) * 4);
        copy->UnlockRect();
    } else {
        ok = false;
    }
    if (copy)
        copy->Release();
    level->Release();
    return ok;
}

int CountOther(const test::Image& image, const RECT& r, D3DCOLOR colour)
{
    int n = 0;
    for (int y = r.top; y <= r.bottom; ++y)
        for (int x = r.left; x <= r.right; ++x)
            n += !test::ColorNear(image.At(x, y), colour, 8);
    return n;
}

} // namespace offscreen
