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

std::wstring Widen(UINT codePage, const std::string& text)
{
    const int size = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &out[0], size);
    return out;
}

std::string Narrow(UINT codePage, const std::wstring& text)
{
    const int size = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

bool NarrowExactly(UINT codePage, const std::wstring& text, std::string& out)
{
    out = Narrow(codePage, text);
    return Widen(codePage, out) == text;
}
