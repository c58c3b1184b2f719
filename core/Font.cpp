#include "core/Font.h"

#include "core/CodePage.h"
#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Strings.h"

#include <cstring>

namespace {

constexpr int WEIGHT_NORMAL = 400;
constexpr int WEIGHT_BOLD = 700;
constexpr D3DCOLOR MEASURE_COLOR = 0xFFFFFFFF;
// Texts ending in a blank are measured in a copy with a letter appended.
constexpr int BLANK_MEASURE_LIMIT = 1020;
const char BLANK_STOPPER[] = "i";
const char ELLIPSIS[] = "...";
constexpr size_t ELLIPSIS_LENGTH = sizeof ELLIPSIS - 1;

// A given length is a bound: nothing past it is read, so a counted text needs no
// terminator. A negative length takes the whole text.
int Length(const char* text, int length)
{
    if (length < 0 || !text)
        return int(StrLenSafe(text));
    return int(strnlen(text, size_t(length)));
}

} // namespace

HRESULT CFont::Create(int height, int width, const char* faceName, int style)
{
    Release();
    StrCopy(face, sizeof face, faceName);
    // The font description holds LF_FACESIZE characters and D3DX copies the name in
    // unchecked: a longer name is cut here.
    char gdiFace[LF_FACESIZE];
    StrCopy(gdiFace, sizeof gdiFace, face);
    HRESULT hr = D3DXCreateFontW(
        Device3D, height, width, (style & FONT_BOLD) ? WEIGHT_BOLD : WEIGHT_NORMAL, 1,
        (style & FONT_ITALIC) != 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        (style & FONT_NOT_ANTIALIASED) ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY,
        DEFAULT_PITCH | FF_DONTCARE, WideFrom1251(gdiFace).c_str(), &font);
    if (FAILED(hr)) {
        font = nullptr;
        MsgBox2("Can`t create font.. ", face);
    }
    return hr;
}

void CFont::Release()
{
    if (font) {
        font->Release();
        font = nullptr;
    }
}

void CFont::Draw(const char* text, const RECT& rect, D3DCOLOR color)
{
    DrawFormatted(text, rect, color, 0);
}

void CFont::DrawFormatted(const char* text, const RECT& rect, D3DCOLOR color, DWORD format)
{
    if (!font || !text)
        return;
    RECT r = rect;
    font->DrawTextW(nullptr, WideFrom1251(text).c_str(), -1, &r, format | DT_NOCLIP, color);
}

void CFont::DrawAt(int x, int y, const char* text, D3DCOLOR color)
{
    DrawAt(x, y, text, color, DT_NOCLIP);
}

void CFont::DrawAt(int x, int y, const char* text, D3DCOLOR color, DWORD format)
{
    if (!font || !text)
        return;
    RECT r = {x, y, x + 10, y + 10};
    font->DrawTextW(nullptr, WideFrom1251(text).c_str(), -1, &r, format, color);
}

void CFont::MeasureText(const char* text, int length, RECT* rect)
{
    if (!rect)
        return;
    const std::wstring wide = WideFrom1251(text, Length(text, length));
    // Measuring nothing gives a nonsense width on some systems.
    if (!font || wide.empty()) {
        rect->right = rect->left;
        rect->bottom = rect->top;
        return;
    }
    font->DrawTextW(nullptr, wide.c_str(), int(wide.size()), rect, DT_CALCRECT | DT_NOCLIP, MEASURE_COLOR);
}

int CFont::GetTextWidth(const char* text, int* height, int length)
{
    if (height)
        *height = 0;
    int n = Length(text, length);
    if (!font || n == 0)
        return 0;
    RECT r = {0, 0, 0, 0};
    if (text[n - 1] != ' ') {
        MeasureText(text, n, &r);
        if (height)
            *height = r.bottom - r.top;
        return r.right - r.left + 1;
    }
    // The measure ignores trailing blanks: put a letter behind them and take its width off.
    if (n >= BLANK_MEASURE_LIMIT)
        return 0;
    char stopped[BLANK_MEASURE_LIMIT + sizeof BLANK_STOPPER];
    memcpy(stopped, text, size_t(n));
    memcpy(stopped + n, BLANK_STOPPER, sizeof BLANK_STOPPER);
    MeasureText(stopped, -1, &r);
    if (height)
        *height = r.bottom - r.top;
    RECT letter = {0, 0, 0, 0};
    MeasureText(BLANK_STOPPER, -1, &letter);
    return (r.right - r.left) - (letter.right - letter.left);
}

void CFont::FitText(char* destination, size_t capacity, const char* source, int width)
{
    if (!destination || capacity == 0)
        return;
    int n = int(StrLenSafe(source));
    if (n == 0) {
        StrCopy(destination, capacity, "none");
        return;
    }
    // The shortest tail that reaches the width, its first three characters made "...".
    for (int start = n - 1; start >= 0; --start) {
        const char* tail = source + start;
        if (GetTextWidth(tail, nullptr, -1) < width)
            continue;
        StrCopy(destination, capacity, ELLIPSIS);
        if (size_t(n - start) > ELLIPSIS_LENGTH)
            StrAppend(destination, capacity, tail + ELLIPSIS_LENGTH);
        return;
    }
    StrCopy(destination, capacity, source);
}
