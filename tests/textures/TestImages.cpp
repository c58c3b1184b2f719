#include "tests/textures/TestImages.h"

#include "tests/support/BareDevice.h"

#include "core/Graphics.h"
#include "core/Textures.h"

#include <gtest/gtest.h>

namespace textest {

namespace {

// A device for the whole program: the texture code draws through Device3D.
class DeviceEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(test::EnsureBareDevice());
        ResetUsageParams();
    }
    void TearDown() override { test::ReleaseBareDevice(); }
};

::testing::Environment* const gDeviceEnvironment =
    ::testing::AddGlobalTestEnvironment(new DeviceEnvironment);

} // namespace

Pixels ReadTexels(IDirect3DTexture9* texture)
{
    Pixels out;
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT lock;
    if (!texture || FAILED(texture->GetLevelDesc(0, &desc)) ||
        FAILED(texture->LockRect(0, &lock, nullptr, D3DLOCK_READONLY)))
        return out;
    const uint32_t alpha = desc.Format == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0;
    for (UINT y = 0; y < desc.Height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(
            static_cast<const char*>(lock.pBits) + size_t(y) * lock.Pitch);
        for (UINT x = 0; x < desc.Width; ++x)
            out.push_back(row[x] | alpha);
    }
    texture->UnlockRect(0);
    return out;
}

} // namespace textest
