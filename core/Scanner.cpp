#include "core/Scanner.h"

#include "core/Messages.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace Core {

namespace {

// One character of the stream. The program reads on one thread, so the stream's lock is
// not taken: a locked getc per character costs more than the scanning itself.
inline int Next(FILE* file)
{
    return _getc_nolock(file);
}

inline bool Blank(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Skips a "/*" comment whose opener was already read. A comment closes at the first
// "*/", "**/" included. False when the file ended inside it.
bool SkipBlockComment(FILE* file)
{
    int prev = 0;
    for (int c = Next(file); c != EOF; c = Next(file)) {
        if (prev == '*' && c == '/')
            return true;
        prev = c;
    }
    return false;
}

// Skips to the end of the line; returns the character that ended it (EOF included).
int SkipLine(FILE* file)
{
    int c = Next(file);
    while (c != EOF && c != '\r' && c != '\n')
        c = Next(file);
    return c;
}

// Reads quoted text to its closing quote (consumed) or the end of the file, line ends
// included, storing at most limit characters from len on: a quoted text ends at the same
// place for every reader, whatever its buffer.
void ReadQuoted(FILE* file, char* out, size_t len, size_t limit)
{
    for (int c = Next(file); c != EOF && c != '"'; c = Next(file))
        if (len < limit)
            out[len++] = char(c);
    out[len] = 0;
}

// Appends characters to out until a blank, the end of the file or, with stopAtQuote, a
// double quote (the ending character is consumed); stores at most limit characters in
// all and consumes the rest of the word.
void ReadRestOfWord(FILE* file, char* out, size_t len, size_t limit, bool stopAtQuote = false)
{
    for (int c = Next(file); c != EOF && !Blank(c) && !(stopAtQuote && c == '"');
         c = Next(file))
        if (len < limit)
            out[len++] = char(c);
    out[len] = 0;
}

// The word whose first character c came from fscan_char.
void ReadWord(FILE* file, int c, char* out, size_t size)
{
    out[0] = 0;
    if (c == 0 || Blank(c))
        return;
    size_t len = 0;
    if (size > 1)
        out[len++] = char(c);
    ReadRestOfWord(file, out, len, size - 1);
}

void ReadNumberWord(FILE* file, char* word)
{
    fscan_word(file, word, NUMBER_BUFFER_SIZE);
}

// Reads the opening bracket, n numbers through readNumber, the closing bracket; reports
// a missing bracket with the reader's name and goes on.
template <typename T, typename ReadNumber>
void ScanBracketed(FILE* file, T* values, int n, const char* name, ReadNumber readNumber)
{
    char word[WORD_BUFFER_SIZE];
    fscan_word(file, word);
    if (word[0] != '[')
        MsgBox2(name, ": Imporper param.");
    for (int i = 0; i < n; ++i)
        readNumber(file, &values[i]);
    fscan_word(file, word);
    if (word[0] != ']')
        MsgBox2(name, ": Imporper params count.");
}

void ReadLabel(FILE* file)
{
    char label[STD_WORD_BUFFER_SIZE];
    if (fscanf(file, "%255s", label) != 1)
        label[0] = 0;
}

} // namespace

bool IsBlank(int c)
{
    return Blank(c);
}

int fscan_char(FILE* file)
{
    int c;
    do
        c = Next(file);
    while (Blank(c));
    for (;;) {
        if (c == EOF)
            return 0;
        if (c != '/')
            return c;
        c = Next(file);
        if (c == EOF)
            return 0;
        if (c == '/') {
            c = SkipLine(file);
        } else if (c == '*') {
            if (!SkipBlockComment(file))
                return 0;
            c = Next(file);
        } else {
            // A lone "/" is dropped: "/x" reads as "x", "/" then a blank as an empty word.
            return c;
        }
        while (Blank(c))
            c = Next(file);
    }
}

void fscan_word(FILE* file, char* out, size_t size)
{
    ReadWord(file, fscan_char(file), out, size);
}

void fscan_skip(FILE* file, char* buffer, int n, size_t size)
{
    buffer[0] = 0;
    for (int i = 0; i < n; ++i)
        fscan_word(file, buffer, size);
}

int fscan_string(FILE* file, char* out, size_t size)
{
    const size_t limit = std::min(size, STRING_BUFFER_SIZE) - 1;
    out[0] = 0;
    int c = Next(file);
    for (size_t skipped = 1; Blank(c) && skipped < STRING_BUFFER_SIZE - 1; ++skipped)
        c = Next(file);
    if (c == EOF)
        return 0;
    if (c != '"') {
        size_t len = 0;
        if (limit > 0)
            out[len++] = char(c);
        ReadRestOfWord(file, out, len, limit, true);
        return 0;
    }
    // Quoted: blanks belong to the string.
    ReadQuoted(file, out, 0, limit);
    return 1;
}

void fscan_quoted_rest(FILE* file, char* out, const char* first, size_t size)
{
    const size_t limit = std::min(size, QUOTED_REST_BUFFER_SIZE) - 1;
    size_t n = strlen(first);
    bool closed = n > 1 && first[n - 1] == '"';
    size_t end = closed ? n - 1 : n;
    size_t len = 0;
    for (size_t i = 1; i < end && len < limit; ++i)
        out[len++] = first[i];
    if (closed) {
        out[len] = 0;
        return;
    }
    ReadQuoted(file, out, len, limit);
}

void fscan_skipped_word(FILE* file, char* out, size_t size)
{
    const int c = fscan_char(file);
    if (c != '"' || size < 2)
        return ReadWord(file, c, out, size);
    out[0] = '"';  // alone, which no keyword or bracket matches; the text is passed over
    ReadQuoted(file, out, 1, 1);
}

int fscan_comment(FILE* file, const char* word)
{
    if (word[0] != '/')
        return 0;
    if (word[1] == '/') {
        int c = Next(file);
        while (c != EOF && c != '\r' && c != '\n')
            c = Next(file);
        return 1;
    }
    if (word[1] == '*') {
        if (!strstr(word + 2, "*/"))
            SkipBlockComment(file);
        return 2;
    }
    return 0;
}

int fscan_bool(FILE* file, int value)
{
    char word[STD_WORD_BUFFER_SIZE];
    if (fscanf(file, "%255s", word) != 1)
        return 0;
    return strcmp(word, "true") == 0 ? value : 0;
}

void fscan_float(FILE* file, float* value)
{
    char word[NUMBER_BUFFER_SIZE];
    ReadNumberWord(file, word);
    double v;
    *value = float(ParseDecimal(word, &v) ? v : atof(word));
}

void fscan_int(FILE* file, int32_t* value)
{
    char word[NUMBER_BUFFER_SIZE];
    ReadNumberWord(file, word);
    *value = ParseInt32(word);
}

void fscan_uint(FILE* file, uint32_t* value)
{
    int32_t v;
    fscan_int(file, &v);
    *value = uint32_t(v);
}

void fscan_long(FILE* file, long* value)
{
    int32_t v;
    fscan_int(file, &v);
    *value = v;
}

void fscan_u16(FILE* file, uint16_t* value)
{
    int32_t v;
    fscan_int(file, &v);
    *value = uint16_t(v);
}

void fscan_u8(FILE* file, uint8_t* value)
{
    int32_t v;
    fscan_int(file, &v);
    *value = uint8_t(v);
}

void fscan_floats(FILE* file, float* values, int n)
{
    for (int i = 0; i < n; ++i)
        fscan_float(file, &values[i]);
}

void fscan_ints(FILE* file, int32_t* values, int n)
{
    for (int i = 0; i < n; ++i)
        fscan_int(file, &values[i]);
}

void fscan_hex(FILE* file, uint32_t* value)
{
    char word[HEX_BUFFER_SIZE];
    fscan_word(file, word, sizeof word);
    *value = ParseHex(word);
}

void fscan_hex16(FILE* file, uint16_t* value)
{
    uint32_t v;
    fscan_hex(file, &v);
    *value = uint16_t(v);
}

void fscan_rect(FILE* file, int32_t rect[4])
{
    ScanBracketed(file, rect, 4, "Core::fscan_rect", fscan_int);
}

void fscan_fvec3(FILE* file, float v[3])
{
    ScanBracketed(file, v, 3, "Core::fscan_fvec3", fscan_float);
}

void fscan_fvec4(FILE* file, float v[4])
{
    ScanBracketed(file, v, 4, "Core::fscan_fvec4", fscan_float);
}

void fscan_bracketed_floats(FILE* file, float* values, int n)
{
    char word[WORD_BUFFER_SIZE];
    fscan_word(file, word);
    fscan_floats(file, values, n);
    fscan_word(file, word);
}

bool fscan_is_end(FILE* file, char* buffer, size_t size)
{
    buffer[0] = 0;
    fscan_word(file, buffer, size);
    return strcmp(buffer, "};") == 0;
}

int fscan_skip_block(FILE* file)
{
    if (!file)
        return 0;
    char word[WORD_BUFFER_SIZE];
    for (;;) {
        if (fscan_is_end(file, word))
            return 1;
        if (feof(file))
            return 0;
    }
}

int fscan_skip_nested_block(FILE* file, int depth)
{
    char word[WORD_BUFFER_SIZE];
    while (depth > 0) {
        fscan_skipped_word(file, word);
        if (!word[0])
            return 0;
        if (IsBlockOpener(word))
            ++depth;
        else if (strcmp(word, "};") == 0)
            --depth;
    }
    return 1;
}

void fscan_labeled_float(FILE* file, float* value)
{
    fscan_labeled_floats(file, value, nullptr);
}

void fscan_labeled_floats(FILE* file, float* first, ...)
{
    ReadLabel(file);
    va_list args;
    va_start(args, first);
    for (float* p = first; p; p = va_arg(args, float*))
        if (fscanf(file, "%f", p) != 1)
            *p = 0.0f;
    va_end(args);
}

void fscan_labeled_hex(FILE* file, uint32_t* value)
{
    fscan_labeled_hexs(file, value, nullptr);
}

void fscan_labeled_hexs(FILE* file, uint32_t* first, ...)
{
    ReadLabel(file);
    va_list args;
    va_start(args, first);
    for (uint32_t* p = first; p; p = va_arg(args, uint32_t*)) {
        unsigned v = 0;
        if (fscanf(file, "%x", &v) != 1)
            v = 0;
        *p = v;
    }
    va_end(args);
}

} // namespace Core
