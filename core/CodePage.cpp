#include "core/CodePage.h"

#include <cstring>

std::wstring WideFrom1251(const char* text, int length)
{
    if (!text)
        return std::wstring();
    const int n = length < 0 ? int(strlen(text)) : int(strnlen(text, size_t(length)));
    std::wstring wide(size_t(n), L'\0');
    if (n > 0 && MultiByteToWideChar(TEXT_CODE_PAGE, 0, text, n, &wide[0], n) != n)
        wide.clear();
    return wide;
}

char CharTo1251(wchar_t c)
{
    char out = 0;
    if (WideCharToMultiByte(TEXT_CODE_PAGE, 0, &c, 1, &out, 1, nullptr, nullptr) != 1)
        return '?';
    return out;
}
