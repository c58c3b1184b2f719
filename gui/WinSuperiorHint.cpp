// Tooltips: the "HINTER" block of the configuration file, the hint texture and font made by
// Init, and the tooltip rendered once per hovered window into the hint texture, then drawn
// as one sprite above all windows while its time has come.
#include "gui/WinSuperior.h"

#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Messages.h"
#include "core/Scanner.h"

#include <d3dx9.h>

#include <cmath>
#include <cstring>

namespace {

const char HINT_TEXTURE[] = "System/HintTexture.bmp";
// The tooltip keeps this far from the left and top edges, and this far above the mouse.
constexpr float HINT_EDGE = 4.0f;
constexpr float HINT_ABOVE_MOUSE = 5.0f;
const RECT HINT_TEXT_RECT = {3, 1, 200, 200};

struct SHintOption {
    const char* word;
    int32_t option;
};

const SHintOption HINT_FONT_OPTIONS[] = {
    {"non_antialias", FONT_NOT_ANTIALIASED},
    {"bold", FONT_BOLD},
    {"italic", FONT_ITALIC},
};
static_assert(sizeof HINT_FONT_OPTIONS / sizeof HINT_FONT_OPTIONS[0] == 3, "hint font options");

void UnknownWord(const char* word)
{
    MsgBox3("Undefine string '", word, "' in hinter declaration.");
}

IDirect3DTexture9* LoadHintTexture()
{
    IDirect3DTexture9* tex = nullptr;
    if (!Device3D ||
        FAILED(D3DXCreateTextureFromFileExA(Device3D, HINT_TEXTURE, D3DX_DEFAULT_NONPOW2,
                                            D3DX_DEFAULT_NONPOW2, 1, D3DUSAGE_RENDERTARGET,
                                            D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DX_FILTER_NONE,
                                            D3DX_FILTER_NONE, 0, nullptr, nullptr, &tex)))
        return nullptr;
    return tex;
}

} // namespace

// A second start in the same process lets go of the texture of the first.
void CWinSuperior::InitHint()
{
    ReleaseAndClear(hintTexture);
    hintTexture = LoadHintTexture();
    if (!hintTexture)
        MsgBox("CWinSuperior->Init error:  can`t create texture from "
               "'System/HintTexture.bmp'");
    if (hintFontName[0])
        hintFont.Create(hintFontHeight, hintFontWidth, hintFontName, hintFontOptions);
}

void CWinSuperior::ReadHinter(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, word, 1);
    Core::fscan_word(file, word);
    while (word[0] && strcmp(word, ")") != 0) {
        if (strcmp(word, "font:") == 0) {
            ReadHintFont(file);
        } else if (strcmp(word, "backcolor:") == 0) {
            Core::fscan_hex(file, &hintBackColor);
        } else if (strcmp(word, "color:") == 0) {
            Core::fscan_hex(file, &hintTextColor);
        } else {
            UnknownWord(word);
            return;
        }
        Core::fscan_word(file, word);
    }
}

// "[" name height width options "]"; an unknown option is reported and ends the options.
void CWinSuperior::ReadHintFont(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    char name[Core::STRING_BUFFER_SIZE];
    Core::fscan_skip(file, word, 1);
    Core::fscan_string(file, name);
    snprintf(hintFontName, sizeof hintFontName, "%s", name);
    Core::fscan_int(file, &hintFontHeight);
    Core::fscan_int(file, &hintFontWidth);
    for (Core::fscan_word(file, word); word[0] && strcmp(word, "]") != 0;
         Core::fscan_word(file, word)) {
        const SHintOption* found = nullptr;
        for (const SHintOption& option : HINT_FONT_OPTIONS)
            if (strcmp(word, option.word) == 0)
                found = &option;
        if (!found) {
            UnknownWord(word);
            return;
        }
        hintFontOptions |= found->option;
    }
}

void CWinSuperior::DrawHint(CBaseWin* win)
{
    if (!hintTexture || !win)
        return;
    if (!hintRendered) {
        RenderHint(win);
        return;
    }
    hintTimer += gFrameTimer.step;
    if (hintTimer < hintDelay || hintTimer > hintEnd)
        return;
    gGraphics.BeginSprites(false);
    gGraphics.SetZEnable(false);
    gGraphics.DrawTexture(int(hintPos[0]), int(hintPos[1]), &hintRect, hintTexture,
                          0xFFFFFFFF);
}

// Without a font of its own the tooltip takes the device's first font.
void CWinSuperior::RenderHint(CBaseWin* win)
{
    hintRendered = 1;
    hintedWin = win;
    gGraphics.EndSprites();
    IDirect3DSurface9* screen = nullptr;
    IDirect3DSurface9* target = nullptr;
    if (FAILED(Device3D->GetRenderTarget(0, &screen)) ||
        FAILED(hintTexture->GetSurfaceLevel(0, &target))) {
        if (screen)
            screen->Release();
        return;
    }
    Device3D->SetRenderTarget(0, target);
    gGraphics.SetZEnable(false);
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET, hintBackColor, 1.0f, 0);
    CFont& font = hintFont.IsCreated() ? hintFont : gGraphics.fonts[0];
    hintRect = RECT{0, 0, 0, 0};
    font.MeasureText(win->hint, -1, &hintRect);
    hintWidth = float(hintRect.right - hintRect.left + 6);
    hintHeight = float(hintRect.bottom - hintRect.top + 1);
    hintRect.right += 7;
    hintRect.bottom += 2;
    gGraphics.DrawRectXY(0, 0, int(hintWidth), int(hintHeight), hintTextColor);
    font.Draw(win->hint, HINT_TEXT_RECT, hintTextColor);
    Device3D->SetRenderTarget(0, screen);
    screen->Release();
    target->Release();
    gGraphics.SetZEnable(true);
    float x = float(gInput.mouseX) - hintWidth / 2.0f;
    if (std::lround(hintWidth) % 2)
        x += 0.5f;
    const float y = float(gInput.mouseY) - hintHeight - HINT_ABOVE_MOUSE;
    hintPos[0] = x < HINT_EDGE ? HINT_EDGE : x;
    hintPos[1] = y < HINT_EDGE ? HINT_EDGE : y;
    hintPos[2] = 0.0f;
}
