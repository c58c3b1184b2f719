#pragma once
// The keyword text scanner: reads one item (character, word, quoted string, number,
// hexadecimal value, bracketed rectangle or vector, block end, comment) from an open text
// stream. The stream position is the only state. Nothing here fails loudly except
// malformed brackets (a message, then reading goes on); at end of file words come back
// empty and numbers 0. Over-long words are cut to the caller's buffer and the rest of the
// word is consumed, so the next read starts at the next word.

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace Core {

// Buffer sizes (the longest item plus its terminator).
constexpr size_t WORD_BUFFER_SIZE = 514;
constexpr size_t NUMBER_BUFFER_SIZE = 256;
constexpr size_t HEX_BUFFER_SIZE = 66;
constexpr size_t STRING_BUFFER_SIZE = 513;
constexpr size_t QUOTED_REST_BUFFER_SIZE = 257;
// Words read with the standard conversion "%255s" (labels, "%s"-style readers).
constexpr size_t STD_WORD_BUFFER_SIZE = 256;

bool IsBlank(int c);

// The next character that is neither blank nor inside a comment; 0 at end of file.
int fscan_char(FILE* file);
// The readers that store text take the size of out: a caller's array is sized by the
// overloads below, a pointer must come with its size.

// One word, comments before it skipped; empty at end of file.
void fscan_word(FILE* file, char* out, size_t size);
template <size_t N> void fscan_word(FILE* file, char (&out)[N]) { fscan_word(file, out, N); }
// n words; buffer holds the last.
void fscan_skip(FILE* file, char* buffer, int n, size_t size);
template <size_t N> void fscan_skip(FILE* file, char (&buffer)[N], int n) { fscan_skip(file, buffer, n, N); }
// A quoted string (without its quotes) or one plain word: 1 when it was quoted, else 0.
// At most STRING_BUFFER_SIZE - 1 characters are kept; a quoted string is read to its
// closing quote or the end of the file all the same.
int fscan_string(FILE* file, char* out, size_t size);
template <size_t N> int fscan_string(FILE* file, char (&out)[N]) { return fscan_string(file, out, N); }
// The rest of a quoted string whose first word (starting with a quote) was already read.
// At most QUOTED_REST_BUFFER_SIZE - 1 characters are kept; the rest is passed over.
void fscan_quoted_rest(FILE* file, char* out, const char* first, size_t size);
template <size_t N> void fscan_quoted_rest(FILE* file, char (&out)[N], const char* first)
{
    fscan_quoted_rest(file, out, first, N);
}
// One word of text that is read through unread, so that a skipping reader sees the words
// the reading one sees: a quote at the start of a word opens a quoted string, passed over
// to its closing quote as fscan_string reads it (a word right after that quote is a word
// of its own); out then holds the quote alone. Any other word is read as fscan_word reads it.
void fscan_skipped_word(FILE* file, char* out, size_t size);
template <size_t N> void fscan_skipped_word(FILE* file, char (&out)[N]) { fscan_skipped_word(file, out, N); }
// A word that opens a block: readers take a block's opening word by its place, so a brace
// with text glued to it opens one as well.
inline bool IsBlockOpener(const char* word) { return word[0] == '{'; }
// For readers that take "%s" words: skips the comment the word opens.
// 1 for "//", 2 for "/*", 0 when the word opens no comment.
int fscan_comment(FILE* file, const char* word);

int fscan_bool(FILE* file, int value);
void fscan_float(FILE* file, float* value);
void fscan_int(FILE* file, int32_t* value);
void fscan_uint(FILE* file, uint32_t* value);
void fscan_long(FILE* file, long* value);
void fscan_u16(FILE* file, uint16_t* value);
void fscan_u8(FILE* file, uint8_t* value);
void fscan_floats(FILE* file, float* values, int n);
void fscan_ints(FILE* file, int32_t* values, int n);

uint32_t ParseHex(const char* text);
// A whole word that is a plain decimal number (optional sign, digits, point, exponent),
// converted exactly as the C library converts it; false for any other word, which the
// caller then hands to the C library. Much faster than the library on this platform.
bool ParseDecimal(const char* text, double* value);
// The same for a plain integer (optional sign, digits); false also beyond 64 bits.
bool ParseInteger(const char* text, long long* value);
// The leading integer of text as atol reads it (0 without one), held at the 32-bit limits
// instead of wrapping.
int32_t ParseInt32(const char* text);
void fscan_hex(FILE* file, uint32_t* value);
void fscan_hex16(FILE* file, uint16_t* value);

// "[" numbers "]"; a missing bracket is reported and reading goes on.
void fscan_rect(FILE* file, int32_t rect[4]);
void fscan_fvec3(FILE* file, float v[3]);
void fscan_fvec4(FILE* file, float v[4]);
// "[" n floats "]" with the brackets taken by position, whatever they are.
void fscan_bracketed_floats(FILE* file, float* values, int n);

// Reads one word into buffer: true when it is exactly "};".
bool fscan_is_end(FILE* file, char* buffer, size_t size);
template <size_t N> bool fscan_is_end(FILE* file, char (&buffer)[N]) { return fscan_is_end(file, buffer, N); }
// Skips words up to and including "};": 1 when found, 0 at end of file or without a file.
int fscan_skip_block(FILE* file);
// Reads through unread, as fscan_skipped_word reads, up to and including the "};" that
// closes the block being read, the blocks nested in it included; depth counts the blocks
// open, that one included. 1 when it was closed, 0 at end of file.
int fscan_skip_nested_block(FILE* file, int depth = 1);

// A label word (discarded), then the values; the lists end at a null pointer.
void fscan_labeled_float(FILE* file, float* value);
void fscan_labeled_floats(FILE* file, float* first, ...);
void fscan_labeled_hex(FILE* file, uint32_t* value);
void fscan_labeled_hexs(FILE* file, uint32_t* first, ...);

// Splits "1024x768" at the first lower-case "x"; either pointer may be null. Nothing is
// written when there is no "x".
void ParseSize(const char* text, int* width, int* height);

} // namespace Core

// Copies in without its first and last character; returns strlen(in) - 1. A text shorter
// than two characters gives an empty out and 0.
int StripQuotes(char* out, const char* in);

// Groups the digits before the last "." or "," by three with a blank (1234567.89 ->
// 1 234 567.89). Leaves the text unchanged when it has no separator or when the grouped
// text would not fit in capacity bytes.
void FormatThousands(char* text, size_t capacity);
