#include "core/Strings.h"

#include <cstring>

bool StrEqual(const char* a, const char* b)
{
    return a && b && strcmp(a, b) == 0;
}

unsigned char LowerChar1251(unsigned char c)
{
    bool capital = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF);
    return capital ? c + 32 : c;
}

unsigned char UpperChar1251(unsigned char c)
{
    bool small = (c >= 'a' && c <= 'z') || c >= 0xE0;
    return small ? c - 32 : c;
}

namespace {

using CharMap = unsigned char (*)(unsigned char);

void MapInPlace(char* text, CharMap map)
{
    if (!text)
        return;
    for (; *text; ++text)
        *text = char(map((unsigned char)*text));
}

char* MapCopy(char* out, size_t cap, const char* in, CharMap map)
{
    if (!out || cap == 0)
        return out;
    size_t n = 0;
    if (in)
        for (; in[n] && n < cap - 1; ++n)
            out[n] = char(map((unsigned char)in[n]));
    out[n] = 0;
    return out + n;
}

// A byte as a signed 8-bit value widened to 32 bits, as unsigned so shifts are defined.
uint32_t Widened(char c)
{
    return uint32_t(int32_t(int8_t(c)));
}

} // namespace

void StrLower(char* text)
{
    MapInPlace(text, LowerChar1251);
}

void StrUpper(char* text)
{
    MapInPlace(text, UpperChar1251);
}

char* StrLowerCopy(char* out, size_t cap, const char* in)
{
    return MapCopy(out, cap, in, LowerChar1251);
}

char* StrUpperCopy(char* out, size_t cap, const char* in)
{
    return MapCopy(out, cap, in, UpperChar1251);
}

bool StrCopy(char* out, size_t cap, const char* in)
{
    if (!out || cap == 0)
        return false;
    out[0] = 0;
    return StrAppend(out, cap, in);
}

bool StrAppend(char* out, size_t cap, const char* in)
{
    if (!out || cap == 0)
        return false;
    size_t len = strnlen(out, cap - 1);
    size_t n = in ? strlen(in) : 0;
    bool fits = n <= cap - 1 - len;
    if (!fits)
        n = cap - 1 - len;
    if (n)
        memcpy(out + len, in, n);
    out[len + n] = 0;
    return fits;
}

size_t StrLenSafe(const char* text)
{
    if (!text)
        return 0;
    size_t len = strnlen(text, STR_LEN_SAFE_LIMIT);
    return len < STR_LEN_SAFE_LIMIT ? len : 0;
}

uint32_t StrHash(const char* name)
{
    if (!name)
        return 0;
    uint32_t id = 0;
    size_t len = strlen(name);
    for (size_t i = 0; i < len; i += 4) {
        // A short tail group leaves its missing low bytes zero.
        uint32_t word = 0;
        for (size_t k = 0; k < 4 && i + k < len; ++k)
            word |= Widened(name[i + k]) << (24 - 8 * k);
        id += word;
    }
    return id;
}
