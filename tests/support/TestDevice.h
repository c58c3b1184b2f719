#pragma once
// A window and a device made directly through gGraphics.Init, for tests that set the device
// parameters themselves. The current folder is a data folder holding the shipped sprite
// shader and sprite quads while the object lives.

#include "core/Graphics.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test {

class TestDevice {
public:
    // Creates the window and resets the settings; adjust gGraphics.presentParams or
    // AppWindowConfig, then call Init.
    explicit TestDevice(DWORD style = WS_POPUP, int width = 320, int height = 240);
    ~TestDevice();
    TestDevice(const TestDevice&) = delete;
    TestDevice& operator=(const TestDevice&) = delete;

    int Init();
    HWND Window() const { return window_; }
    static std::string DataDir();

private:
    HWND window_ = nullptr;
    std::string oldDir_;
};

// Copies the shipped sprite shader and sprite quads into dir\System.
void CopySpriteFiles(const std::string& dir);

// A 2 x 2 texture of one colour in the texture container; its index.
uint16_t ColourTexture(D3DCOLOR argb);

// Identity world, view and projection, no shaders and no lighting: meshes drawn through
// the fixed pipeline are given in clip space.
void UseClipSpace();

// The device's value of a render state.
DWORD RenderState(D3DRENDERSTATETYPE state);
DWORD StageState(int stage, D3DTEXTURESTAGESTATETYPE type);
// Registers c[first .. first + count) of the vertex shader as read from the device.
std::vector<float> VertexConstants(int first, int count);
// The back buffer's description.
D3DSURFACE_DESC BackBufferDesc();

} // namespace test
