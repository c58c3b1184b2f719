#pragma once
// CFont: one ID3DXFont for the window library, the statistic overlay and the engine's font
// container; the device object owns five of them. Texts are code page 1251 and are drawn
// and measured as their letters whatever the system's code page. A font that could not be
// created says so once by message box, then draws nothing and measures 0.

#include <d3dx9.h>

#include <cstddef>

// Style bits of CFont::Create.
enum : int {
    FONT_BOLD = 1,
    FONT_ITALIC = 2,
    FONT_NOT_ANTIALIASED = 8,
};

constexpr int FONT_FACE_SIZE = 124;

struct CFont {
    ID3DXFont* font = nullptr;
    char face[FONT_FACE_SIZE] = {};

    // 0 or the D3DX error; a font made before is released first.
    HRESULT Create(int height, int width, const char* face, int style);
    bool IsCreated() const { return font != nullptr; }
    void Release();

    // Unclipped text in the rectangle.
    void Draw(const char* text, const RECT& rect, D3DCOLOR color);
    void DrawFormatted(const char* text, const RECT& rect, D3DCOLOR color, DWORD format);
    void DrawAt(int x, int y, const char* text, D3DCOLOR color);
    void DrawAt(int x, int y, const char* text, D3DCOLOR color, DWORD format);

    // The extent of the first length characters (negative: all, up to the terminator) from
    // the rectangle's top-left corner; nothing past length is read. An empty text has no
    // extent.
    void MeasureText(const char* text, int length, RECT* rect);
    // Width in pixels of the first length characters (negative: all), trailing blanks
    // included; the height of the text's box goes to *height when asked.
    int GetTextWidth(const char* text, int* height, int length);
    // The source, or its end behind "..." when the source is at least width pixels wide;
    // "none" for an empty source. The result is cut to the destination's capacity.
    void FitText(char* destination, size_t capacity, const char* source, int width);
};
