#pragma once
// CCursor: the mouse cursor picture, a texture or a strip of animation frames side by side,
// drawn with the device's sprite object at the mouse position once per frame. It holds a
// reference to its texture. A picture that cannot be loaded is reported by message box and
// leaves the cursor without texture, which then draws nothing.

#include <d3d9.h>

// Animation flags.
enum : int {
    CURSOR_WRAP = 1,       // back to the first frame after the last
    CURSOR_PING_PONG = 2,  // back and forth
};

struct CCursor {
    int offsetX, offsetY;  // added to the mouse position
    int frameCount;
    float frameTime;       // seconds since the last frame change
    float frameDuration;   // seconds
    int frame;
    int flags;
    int step;              // +1 or -1
    int frameWidth, frameHeight;
    IDirect3DTexture9* texture;
    int sourceX, sourceY;  // top-left of the first frame in the texture

    CCursor() { Clear(); }
    ~CCursor() { Release(); }
    CCursor(const CCursor&) = delete;
    CCursor& operator=(const CCursor&) = delete;

    // Every field zero, no texture (a held one is not released).
    void Clear();
    // Gives the texture back and clears the record.
    void Release();
    // A picture file at its own size, one frame; a ".txt" name loads nothing. 0 or the D3DX
    // error.
    HRESULT Load(const char* file);
    // 0, or -1 without texture.
    int Draw();
    // Moves the animation on by the time step (seconds).
    void Advance(float seconds);
};
