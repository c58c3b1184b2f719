#pragma once
// CStatistic: the frame-rate and counter overlay of the core object. The panel is drawn into
// its own render-target texture once a second and copied to the screen every frame. A
// texture that cannot be made is reported once and leaves the overlay disabled. The
// textures are released with the device (and by a second Init).

#include "core/GraphicsTypes.h"

// Init flags.
enum : int {
    STATISTIC_COMPACT = 1,  // frame rate only, on a translucent panel
};

struct CStatistic {
    int enabled = 0;
    float accumulator = 0.0f;  // seconds of the current second
    int frames = 0;            // frames counted in the current second
    int fps = 0;               // frames of the last full second
    D3DXVECTOR3 position = {0.0f, 0.0f, 0.0f};
    IDirect3DTexture9* panel = nullptr;
    IDirect3DTexture9* image = nullptr;  // the full panel's background picture
    int flags = 0;

    void Init(int x, int y, int flags);
    // Before the device goes: releases both textures and disables the overlay.
    void Release();
    void Draw();

private:
    bool Compact() const { return (flags & STATISTIC_COMPACT) != 0; }
    void Redraw();
    void DrawCompact();
    void DrawFull();
};
