#pragma once
// Shared by the off-screen and statistic tests: a 320 x 240 device and the texels of a
// render-target texture read back through a system-memory copy.

#include "core/Graphics.h"
#include "tests/support/Harness.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <vector>

namespace offscreen {

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, device.Init()); }
    // A render-target texture released when the test ends.
    IDirect3DTexture9* Target(int width, int height);
    void TearDown() override;

    test::TestDevice device;
    test::MessageRecorder messages;

private:
    std::vector<IDirect3DTexture9*> textures_;
};

// Level 0 of a render-target texture; false when the device cannot copy it.
bool ReadTexture(IDirect3DTexture9* texture, test::Image& out);

// Texels inside the rectangle (inclusive) that differ from the colour.
int CountOther(const test::Image& image, const RECT& r, D3DCOLOR colour);

} // namespace offscreen
