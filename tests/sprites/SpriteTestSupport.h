#pragma once
// Shared by the sprite, outline, font and cursor tests: a device on the shipped sprite
// files, pictures made in memory, and one drawn frame read back.

#include "core/Graphics.h"
#include "tests/support/Harness.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <functional>

namespace sprites {

constexpr D3DCOLOR BACKGROUND = 0xFF203040;

// A managed A8R8G8B8 texture with the colour of each texel from the function.
IDirect3DTexture9* MakeTexture(int width, int height,
                               const std::function<D3DCOLOR(int x, int y)>& texel);

// A 320 x 240 device; each test draws between BeginFrame and EndFrame.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Opens the scene and clears to the background.
    void BeginFrame();
    // Closes the scene and reads the picture back into image.
    void EndFrame();
    // Keeps a texture until the test ends.
    IDirect3DTexture9* Keep(IDirect3DTexture9* texture);

    // Pixels inside the rectangle (inclusive) that are not the background.
    int Marked(int left, int top, int right, int bottom) const;
    // The bounding box of every pixel that is not the background; false when none.
    bool MarkedBox(RECT* box) const;
    bool IsBackground(int x, int y) const;

    test::TestDevice device;
    test::Image image;

private:
    std::vector<IDirect3DTexture9*> textures_;
};

} // namespace sprites
