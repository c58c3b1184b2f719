// The label's number modes: integers, floats with their decimals and digit limits,
// hexadecimal words and prefixed numbers.
#include "gui/Label.h"

#include "core/Strings.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char LABEL_TOO_LONG[] = "simbols more length.";

namespace {

// Room for the widest float in "%f" (3.4e38 has 39 integer digits) behind a prefix.
constexpr int NUMBER_TEXT_SIZE = 2 * LABEL_TEXT_SIZE;

} // namespace

void CLabel::SetInt(int value)
{
    char s[NUMBER_TEXT_SIZE];
    snprintf(s, sizeof s, "%d", value);
    Assign(s);
    numberMode |= LABEL_INT;
}

void CLabel::SetPrefixInt(const char* prefix, int value)
{
    char s[NUMBER_TEXT_SIZE];
    const int n = snprintf(s, sizeof s, "%s%d", prefix ? prefix : "", value);
    if (n < 0 || n >= maxLength) {
        Assign(LABEL_TOO_LONG);
        return;
    }
    Assign(s);
    numberMode = 0;
}

// A decimals limit rounds at its last digit: a cut would show 38.1 (38.099998 in single
// precision) as 38.09. The "#" keeps the point of a limit of 0.
void CLabel::FormatFloat(float value)
{
    char s[NUMBER_TEXT_SIZE];
    if (decimalsSet)
        snprintf(s, sizeof s, "%#.*f", decimals, double(value));
    else
        snprintf(s, sizeof s, "%f", double(value));
    StrCopy(text, size_t(maxLength), s);
    // The caret stays unless the text got shorter than its place.
    const int length = int(strlen(text));
    if (caretIndex > length) {
        caretIndex = length;
        CaretX(length);
    }
    if (decimalsSet)
        TrimDecimals();
    if (maxDigits)
        TrimDigits();
}

void CLabel::SetFloat(float value)
{
    FormatFloat(value);
    numberMode |= LABEL_FLOAT;
}

void CLabel::SetPrefixFloat(const char* prefix, float value)
{
    FormatFloat(value);
    char s[NUMBER_TEXT_SIZE];
    const int n = snprintf(s, sizeof s, "%s%s", prefix ? prefix : "", text);
    if (n < 0 || n >= maxLength) {
        Assign(LABEL_TOO_LONG);
        return;
    }
    Assign(s);
    numberMode = 0;
}

void CLabel::SetHex(uint32_t value)
{
    char s[NUMBER_TEXT_SIZE];
    snprintf(s, sizeof s, "%08X", unsigned(value));
    Assign(s);
    numberMode |= LABEL_HEX;
}

// The leading decimal part; values beyond the int range stop at its ends.
int CLabel::GetInt()
{
    if (!text[0])
        return 0;
    numberMode |= LABEL_INT;
    const long long value = strtoll(text, nullptr, 10);
    return value < INT_MIN ? INT_MIN : (value > INT_MAX ? INT_MAX : int(value));
}

float CLabel::GetFloat()
{
    if (!text[0])
        return 0.0f;
    numberMode |= LABEL_FLOAT;
    if (decimalsSet)
        TrimDecimals();
    const float value = strtof(text, nullptr);
    SetFloat(value);
    return value;
}

void CLabel::SetMaxLength(int n)
{
    maxLength = n < 1 ? 1 : (n > LABEL_TEXT_SIZE ? LABEL_TEXT_SIZE : n);
    if (int(strlen(text)) >= maxLength)
        CutAt(maxLength - 1);
}

void CLabel::SetDecimals(int n)
{
    decimals = n < 0 ? 0 : n;
    decimalsSet = true;
    numberMode |= LABEL_FLOAT;
}

void CLabel::SetMaxDigits(int n)
{
    maxDigits = n < 0 ? 0 : n;
    numberMode |= LABEL_DIGITS;
}

void CLabel::SetFloatRange(float min, float max)
{
    floatMin = min;
    floatMax = max;
    numberMode |= LABEL_FLOAT;
}

void CLabel::SetIntRange(int min, int max)
{
    intMin = min;
    intMax = max;
    numberMode |= LABEL_INT;
}

void CLabel::SetFloatFormat(int digits, int decimalCount, float value)
{
    numberMode |= LABEL_FLOAT;
    SetMaxDigits(digits);
    SetDecimals(decimalCount);
    SetFloat(value);
}

void CLabel::SetIntFormat(int digits, int value)
{
    numberMode |= LABEL_INT;
    SetMaxDigits(digits);
    SetInt(value);
}

// Decimals 0 keeps the point.
void CLabel::TrimDecimals()
{
    const char* point = strchr(text, '.');
    if (point && int(strlen(point + 1)) > decimals)
        CutAt(int(point - text) + 1 + decimals);
    numericValue = strtof(text, nullptr);
}

// Only the characters 0 to 9 count.
void CLabel::TrimDigits()
{
    int digits = 0;
    for (int i = 0; text[i]; ++i) {
        if (text[i] < '0' || text[i] > '9')
            continue;
        if (++digits > maxDigits) {
            CutAt(i);
            return;
        }
    }
}
