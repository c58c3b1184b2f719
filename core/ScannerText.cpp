#include "core/Scanner.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace Core {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The word without a leading '+' when a digit or point follows the sign (or no sign is
// there); null for anything else, which is left to the C library.
const char* PlainNumberStart(const char* text, bool point)
{
    const char* p = text + (*text == '+' || *text == '-');
    if (!IsDigit(*p) && !(point && *p == '.'))
        return nullptr;
    return *text == '+' ? text + 1 : text;
}

// The whole word through std::from_chars, which gives the C library's results for plain
// numbers without its locale and stream overhead.
template <class T>
bool ParseWhole(const char* text, bool point, T* value)
{
    const char* start = PlainNumberStart(text, point);
    if (!start)
        return false;
    const char* end = start + strlen(start);
    const std::from_chars_result r = std::from_chars(start, end, *value);
    return r.ec == std::errc() && r.ptr == end;
}

} // namespace

bool ParseDecimal(const char* text, double* value)
{
    return ParseWhole(text, true, value);
}

bool ParseInteger(const char* text, long long* value)
{
    return ParseWhole(text, false, value);
}

int32_t ParseInt32(const char* text)
{
    const char* p = text;
    while (isspace((unsigned char)*p))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    // Past the 32-bit range more digits change nothing.
    long long v = 0;
    for (; IsDigit(*p); ++p)
        if (v <= INT32_MAX)
            v = v * 10 + (*p - '0');
    return int32_t(std::clamp(negative ? -v : v, (long long)INT32_MIN, (long long)INT32_MAX));
}

uint32_t ParseHex(const char* text)
{
    if (!text)
        return 0;
    size_t n = strlen(text);
    size_t first = (n >= 2 && (text[1] == 'x' || text[1] == 'X')) ? 2 : 0;
    uint32_t value = 0;
    for (size_t i = n; i > first; --i) {
        unsigned c = static_cast<unsigned char>(text[i - 1]);
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c < 'a')
            digit = c - 55;
        else
            digit = c - 87;
        // Digits beyond the eighth wrap around instead of shifting past the word.
        unsigned shift = unsigned(4 * (n - i)) & 31u;
        value |= digit << shift;
    }
    return value;
}

void ParseSize(const char* text, int* width, int* height)
{
    const char* x = strchr(text, 'x');
    if (!x)
        return;
    if (width)
        *width = int(atol(text));
    if (height)
        *height = int(atol(x + 1));
}

} // namespace Core

int StripQuotes(char* out, const char* in)
{
    size_t n = strlen(in);
    if (n < 2) {
        out[0] = 0;
        return 0;
    }
    memmove(out, in + 1, n - 2);
    out[n - 2] = 0;
    return int(n - 1);
}

void FormatThousands(char* text, size_t capacity)
{
    const char* sep = strrchr(text, '.');
    const char* comma = strrchr(text, ',');
    if (!sep || (comma && comma > sep))
        sep = comma;
    if (!sep)
        return;
    size_t len = strlen(text);
    size_t head = size_t(sep - text);
    if (head < 4)
        return;
    size_t blanks = (head - 1) / 3;
    if (len + blanks + 1 > capacity)
        return;
    // Move from the end, inserting a blank in front of every third character counted
    // back from the separator.
    memmove(text + head + blanks, text + head, len - head + 1);
    size_t dst = head + blanks;
    for (size_t src = head, count = 0; src > 0; --src) {
        text[--dst] = text[src - 1];
        if (++count % 3 == 0 && src - 1 > 0)
            text[--dst] = ' ';
    }
}
