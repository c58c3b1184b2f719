#pragma once
// CLabel: one line of text drawn with a font (not owned), with a caret position and
// optional number modes (integer, float with a decimals limit, digit-count limit,
// hexadecimal) and value ranges; the base of the edit field. Made by
// CWinSuperior::AddLabel. Texts are cut to the label's max length; a label without font
// draws nothing and measures 0; a prefixed number that does not fit becomes the text
// LABEL_TOO_LONG.

#include "gui/BaseWin.h"

constexpr int LABEL_TEXT_SIZE = 128;
extern const char LABEL_TOO_LONG[];

// Number mode bits.
enum : uint32_t {
    LABEL_INT = 1,
    LABEL_FLOAT = 2,
    LABEL_DIGITS = 4,
    LABEL_HEX = 8,
};

class CLabel : public CBaseWin {
public:
    CFont* font = nullptr;
    char text[LABEL_TEXT_SIZE] = {};
    uint32_t numberMode = 0;
    int32_t maxLength = LABEL_TEXT_SIZE;  // capacity including the terminator
    int32_t caretX = 0;                   // pixels from the start of the text
    int32_t caretIndex = 0;
    int32_t decimals = 0;   // digits kept after the point, once a limit was given
    int32_t maxDigits = 0;  // digits kept in all; 0 = no limit
    float floatMin = -1000000000.0f, floatMax = 1000000000.0f;
    int32_t intMin = -2000000000, intMax = 2000000000;
    int32_t textX = 0, textY = 0;  // relative to left/top
    // Whether a decimals limit was given: 0 then keeps the point and no digit after it.
    bool decimalsSet = false;

    // Font, text (null empties it) and colour, which also becomes the normal and hover
    // colour.
    void SetFont(CFont* newFont, const char* newText, uint32_t colour);
    // The text, unclipped, 3 pixels above its offset, in the window colour; no sprite.
    void Draw() override;
    void SetTextOffset(int x, int y);

    // Pixel offset of a caret after the first i characters (stored as caretX); a trailing
    // blank measures as the letter i.
    int CaretX(int i);
    int TextWidth();
    void GetText(char* buffer) const;  // buffer of LABEL_TEXT_SIZE bytes
    char* TextPtr() { return text; }
    // Null or empty empties the text; the caret goes behind the text.
    void SetText(const char* newText);
    void SetPrefixedText(const char* prefix, const char* newText);

    void SetInt(int value);
    void SetPrefixInt(const char* prefix, int value);
    void SetFloat(float value);
    void SetPrefixFloat(const char* prefix, float value);
    void SetHex(uint32_t value);
    int GetInt();
    // Also re-formats the text through SetFloat.
    float GetFloat();

    // Clamped to 1..LABEL_TEXT_SIZE, the size of the text buffer.
    void SetMaxLength(int n);
    void SetDecimals(int n);
    void SetMaxDigits(int n);
    void SetFloatRange(float min, float max);
    void SetIntRange(int min, int max);
    void SetFloatFormat(int digits, int decimalCount, float value);
    void SetIntFormat(int digits, int value);
    void TrimDecimals();
    void TrimDigits();
    // The text with ch inserted at the caret, into buffer (LABEL_TEXT_SIZE bytes); false when
    // it would not fit the max length. The label is unchanged.
    bool InsertCharCopy(char* buffer, char ch) const;

private:
    // The text cut to the max length, caret behind it.
    void Assign(const char* newText);
    // Cuts the text at position n; the caret goes there.
    void CutAt(int n);
    // The float text of the value, rounded to the decimals limit, then cut to the digits limit.
    void FormatFloat(float value);
    int MeasureWidth(const char* s, int n) const;
};
