#include "core/Cursor.h"

#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Messages.h"

#include <d3dx9.h>

#include <cstring>

namespace {

constexpr D3DCOLOR CURSOR_TINT = 0xFFFFFFFF;
const char DESCRIPTION_SUFFIX[] = ".txt";

bool EndsWith(const char* text, const char* suffix)
{
    size_t n = strlen(text), m = strlen(suffix);
    return n >= m && memcmp(text + n - m, suffix, m) == 0;
}

} // namespace

void CCursor::Clear()
{
    offsetX = offsetY = 0;
    frameCount = 0;
    frameTime = frameDuration = 0.0f;
    frame = 0;
    flags = 0;
    step = 0;
    frameWidth = frameHeight = 0;
    texture = nullptr;
    sourceX = sourceY = 0;
}

void CCursor::Release()
{
    if (texture)
        texture->Release();
    Clear();
}

HRESULT CCursor::Load(const char* file)
{
    Release();
    step = 1;
    if (!file || EndsWith(file, DESCRIPTION_SUFFIX))
        return 0;
    HRESULT hr = D3DXCreateTextureFromFileExA(
        Device3D, file, D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_UNKNOWN,
        D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, gGraphics.textureColorKey, nullptr,
        nullptr, &texture);
    if (FAILED(hr)) {
        texture = nullptr;
        MsgBox3("Can`t load cursor '", file, "'");
        return hr;
    }
    D3DSURFACE_DESC desc = {};
    texture->GetLevelDesc(0, &desc);
    frameCount = 1;
    frameWidth = int(desc.Width);
    frameHeight = int(desc.Height);
    return 0;
}

void CCursor::Advance(float seconds)
{
    if (frameCount < 2)
        return;
    frameTime += seconds;
    if (frameTime <= frameDuration)
        return;
    frameTime -= frameDuration;
    frame += step;
    if (frame >= frameCount) {
        if (flags & CURSOR_PING_PONG) {
            frame = frameCount - 2;
            step = -step;
        }
        if (flags & CURSOR_WRAP)
            frame = 0;
        // Without either the last frame stays, rather than one beyond the strip.
        if (!(flags & (CURSOR_WRAP | CURSOR_PING_PONG)))
            frame = frameCount - 1;
    }
    if (frame < 0 && (flags & CURSOR_PING_PONG)) {
        frame = 0;
        step = -step;
    }
}

int CCursor::Draw()
{
    if (!texture)
        return -1;
    ID3DXSprite* sprite = gGraphics.sprite;
    if (!sprite)
        return -1;
    Advance(gFrameTimer.step);
    int left = sourceX + (frameCount < 2 ? 0 : frame * frameWidth);
    RECT source = {left, sourceY, left + frameWidth, sourceY + frameHeight};
    D3DXVECTOR3 position(float(gInput.mouseX + offsetX), float(gInput.mouseY + offsetY), 0.0f);
    // The sprite object cannot be begun twice: a batch left open is closed first.
    gGraphics.EndSprites();
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    sprite->SetTransform(&identity);
    sprite->Draw(texture, &source, nullptr, &position, CURSOR_TINT);
    sprite->End();
    return 0;
}
