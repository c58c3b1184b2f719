// The label's text, its drawing and the caret measure.
#include "gui/Label.h"

#include "core/Graphics.h"
#include "core/Strings.h"

#include <cstdio>
#include <cstring>

namespace {

// The text's top-left corner sits this many pixels above its offset.
constexpr int TEXT_RAISE = 3;
constexpr int MEASURE_EXTENT = 1000;
// A trailing blank is measured as this letter: the measure ignores trailing blanks.
constexpr char BLANK_STANDIN = 'i';

} // namespace

void CLabel::SetFont(CFont* newFont, const char* newText, uint32_t colour)
{
    font = newFont;
    Assign(newText);
    color = normalColor = hoverColor = colour;
}

void CLabel::Draw()
{
    if (!text[0] || !font)
        return;
    gGraphics.EndSprites();
    font->DrawAt(left + textX, top + textY - TEXT_RAISE, text, color);
}

void CLabel::SetTextOffset(int x, int y)
{
    textX = x;
    textY = y;
}

int CLabel::MeasureWidth(const char* s, int n) const
{
    RECT r{0, 0, MEASURE_EXTENT, MEASURE_EXTENT};
    font->MeasureText(s, n, &r);
    return r.right - r.left;
}

// A caret index past the text measures the whole text.
int CLabel::CaretX(int i)
{
    const int length = int(strlen(text));
    i = i < length ? i : length;
    if (!font || i <= 0) {
        caretX = 0;
        return 0;
    }
    if (text[i - 1] != ' ') {
        caretX = MeasureWidth(text, i);
        return caretX;
    }
    char copy[LABEL_TEXT_SIZE];
    memcpy(copy, text, size_t(i));
    copy[i - 1] = BLANK_STANDIN;
    copy[i] = 0;
    caretX = MeasureWidth(copy, i);
    return caretX;
}

int CLabel::TextWidth()
{
    return font && text[0] ? MeasureWidth(text, -1) : 0;
}

void CLabel::GetText(char* buffer) const
{
    StrCopy(buffer, LABEL_TEXT_SIZE, text);
}

void CLabel::SetText(const char* newText)
{
    Assign(newText);
}

void CLabel::SetPrefixedText(const char* prefix, const char* newText)
{
    char joined[LABEL_TEXT_SIZE];
    snprintf(joined, sizeof joined, "%s%s", prefix ? prefix : "", newText ? newText : "");
    Assign(joined);
}

void CLabel::Assign(const char* newText)
{
    StrCopy(text, size_t(maxLength), newText ? newText : "");
    caretIndex = int(strlen(text));
    CaretX(caretIndex);
}

void CLabel::CutAt(int n)
{
    text[n] = 0;
    caretIndex = n;
    CaretX(n);
}

bool CLabel::InsertCharCopy(char* buffer, char ch) const
{
    const int length = int(strlen(text));
    memcpy(buffer, text, size_t(length) + 1);
    if (length + 1 >= maxLength)
        return false;
    const int at = caretIndex < 0 ? 0 : (caretIndex > length ? length : caretIndex);
    memmove(buffer + at + 1, buffer + at, size_t(length - at) + 1);
    buffer[at] = ch;
    return true;
}
