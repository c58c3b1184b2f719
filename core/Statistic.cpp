#include "core/Statistic.h"

#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Messages.h"

#include <cstdio>

namespace {

const char IMAGE_FILE[] = "System/Statistic.bmp";
constexpr int PANEL_WIDTH = 128;
constexpr int COMPACT_HEIGHT = 32;
constexpr int FULL_HEIGHT = 256;
constexpr RECT COMPACT_SHOWN = {0, 0, 90, 24};
constexpr RECT FULL_SHOWN = {0, 0, 128, 147};
constexpr D3DCOLOR COMPACT_BACKGROUND = 0x60000000;
constexpr D3DCOLOR LABEL_COLOUR = 0xBBFFFFFF;
constexpr D3DCOLOR WHITE = 0xFFFFFFFF;
constexpr D3DCOLOR MAGENTA_KEY = 0xFFFF00FF;
constexpr int SMALL_FONT = 0;
constexpr int PANEL_FONT = 2;

void DrawNumber(int font, int value, const RECT& rect)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    gGraphics.DrawText(font, text, rect, WHITE);
}

} // namespace

void CStatistic::Init(int x, int y, int nflags)
{
    Release();
    flags = nflags;
    position = D3DXVECTOR3(float(x), float(y), 0.0f);
    const UINT height = Compact() ? COMPACT_HEIGHT : FULL_HEIGHT;
    if (FAILED(D3DXCreateTexture(Device3D, PANEL_WIDTH, height, 1, D3DUSAGE_RENDERTARGET,
                                 D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &panel))) {
        panel = nullptr;
        MsgBox("Can`t create RenderTarget for Statistic");
        return;
    }
    if (!Compact() &&
        FAILED(D3DXCreateTextureFromFileExA(Device3D, IMAGE_FILE, D3DX_DEFAULT_NONPOW2,
                                            D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_A8R8G8B8,
                                            D3DPOOL_DEFAULT, D3DX_FILTER_NONE,
                                            D3DX_FILTER_NONE, MAGENTA_KEY, nullptr, nullptr,
                                            &image))) {
        image = nullptr;
        MsgBox("Can`t load ImageTexture for Statistic");
        return;
    }
    enabled = 1;
}

void CStatistic::Release()
{
    ReleaseAndClear(panel);
    ReleaseAndClear(image);
    enabled = 0;
}

void CStatistic::Draw()
{
    if (!enabled)
        return;
    accumulator += gFrameTimer.step;
    ++frames;
    if (accumulator >= 1.0f) {
        accumulator -= 1.0f;
        fps = frames;
        frames = 0;
        if (panel)
            Redraw();
    }
    gGraphics.BeginSprites(false);
    const RECT& shown = Compact() ? COMPACT_SHOWN : FULL_SHOWN;
    gGraphics.DrawTexture(int(position.x), int(position.y), &shown, panel, WHITE);
    gGraphics.EndSprites();
}

void CStatistic::Redraw()
{
    gGraphics.EndSprites();
    gGraphics.BeginOffscreen(panel, nullptr, false);
    if (Compact())
        DrawCompact();
    else
        DrawFull();
    gGraphics.EndOffscreen();
    gGraphics.RestoreViewport();
}

void CStatistic::DrawCompact()
{
    gGraphics.SetViewport(0, 0, PANEL_WIDTH, COMPACT_HEIGHT);
    gGraphics.ClearRect(0, 0, PANEL_WIDTH, COMPACT_HEIGHT, COMPACT_BACKGROUND);
    gGraphics.DrawText(PANEL_FONT, "FPS:", RECT{2, 3, 10, 10}, LABEL_COLOUR);
    DrawNumber(PANEL_FONT, fps, RECT{32, 3, 60, 10});
}

void CStatistic::DrawFull()
{
    gGraphics.SetViewport(0, 0, PANEL_WIDTH, FULL_HEIGHT);
    gGraphics.BeginSprites(true);
    gGraphics.DrawTexture(0, 0, &FULL_SHOWN, image, WHITE);
    gGraphics.EndSprites();
    const SFrameCounters& c = gGraphics.counters;
    DrawNumber(PANEL_FONT, fps, RECT{80, 3, 90, 10});
    DrawNumber(SMALL_FONT, c.drawCalls, RECT{82, 24, 90, 38});
    DrawNumber(SMALL_FONT, c.vertices, RECT{70, 114, 90, 120});
    DrawNumber(SMALL_FONT, c.primitives, RECT{70, 126, 90, 140});
}
