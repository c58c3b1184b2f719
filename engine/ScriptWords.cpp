#include "engine/ScriptWords.h"

#include <cstring>

namespace {

bool IsBlank(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void SkipComment(FILE* file, bool block)
{
    int prev = 0;
    for (int c = fgetc(file); c != EOF; prev = c, c = fgetc(file)) {
        if (!block && c == '\n')
            return;
        if (block && prev == '*' && c == '/')
            return;
    }
}

} // namespace

void ReadScriptWord(FILE* file, char* out, size_t size)
{
    size_t n = 0;
    out[0] = 0;
    int c = fgetc(file);
    for (;;) {
        while (c != EOF && IsBlank(c))
            c = fgetc(file);
        if (c != '/')
            break;
        int next = fgetc(file);
        if (next != '/' && next != '*') {
            ungetc(next, file);
            break;
        }
        SkipComment(file, next == '*');
        c = fgetc(file);
    }
    while (c != EOF && !IsBlank(c)) {
        if (n + 1 < size)
            out[n++] = char(c);
        c = fgetc(file);
    }
    out[n] = 0;
}
