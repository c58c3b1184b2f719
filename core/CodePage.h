#pragma once
// Texts are kept in code page 1251 (files, strings, messages) but reach the screen as
// UTF-16 through the wide system calls, so the picture is the same whatever the system's
// code page for non-Unicode programs. A typed character that 1251 lacks becomes "?".

#include <windows.h>

#include <string>

constexpr UINT TEXT_CODE_PAGE = 1251;

// The first length bytes of the text (negative: all of it) as UTF-16, one unit per byte;
// empty for a null text.
std::wstring WideFrom1251(const char* text, int length = -1);
// The character in code page 1251; 0 for U+0000.
char CharTo1251(wchar_t c);

// A whole text from the code page to UTF-16 and back (CP_ACP for the system's, CP_UTF8).
std::wstring Widen(UINT codePage, const std::string& text);
std::string Narrow(UINT codePage, const std::wstring& text);
// The text in the code page when it reads back as the same text: false when a character has
// no spelling there and would be a substitute ("?", or "e" for "é").
bool NarrowExactly(UINT codePage, const std::wstring& text, std::string& out);
