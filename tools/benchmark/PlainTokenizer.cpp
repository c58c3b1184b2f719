#include "tools/benchmark/PlainTokenizer.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

namespace bench {

namespace {

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool Digit(char c)
{
    return c >= '0' && c <= '9';
}

float ToFloat(const char* begin, const char* end)
{
    const char* from = *begin == '+' ? begin + 1 : begin;
    double value = 0.0;
    const std::from_chars_result r = std::from_chars(from, end, value);
    if (r.ec == std::errc::result_out_of_range)
        value = strtod(std::string(begin, end).c_str(), nullptr);
    return float(value);
}

// After "/*": the first character behind the closing "*/", or end.
const char* SkipBlockComment(const char* p, const char* end)
{
    while (const char* star = static_cast<const char*>(memchr(p, '*', size_t(end - p)))) {
        if (star + 1 < end && star[1] == '/')
            return star + 2;
        p = star + 1;
    }
    return end;
}

} // namespace

bool IsNumberWord(const char* begin, const char* end)
{
    const char* p = begin;
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    if (p < end && *p == '.')
        ++p;
    if (p >= end || !Digit(*p))
        return false;
    return !memchr(begin, 'x', size_t(end - begin)) && !memchr(begin, 'X', size_t(end - begin));
}

STokenSums PlainTokenize(const char* p, const char* end, std::vector<EToken>* kinds)
{
    STokenSums sums;
    for (;;) {
        while (p < end && Blank(*p))
            ++p;
        if (p >= end)
            break;
        if (*p == '/' && p + 1 < end && p[1] == '/') {
            while (p < end && *p != '\r' && *p != '\n')
                ++p;
            continue;
        }
        if (*p == '/' && p + 1 < end && p[1] == '*') {
            p = SkipBlockComment(p + 2, end);
            continue;
        }
        if (*p == '/' && ++p == end)
            break;
        const char* begin = p;
        while (p < end && !Blank(*p))
            ++p;
        const bool number = IsNumberWord(begin, p);
        if (number) {
            ++sums.numbers;
            sums.numberSum += ToFloat(begin, p);
        } else {
            ++sums.words;
            sums.wordBytes += size_t(p - begin);
        }
        if (kinds)
            kinds->push_back(number ? EToken::Number : EToken::Word);
        if (p < end)
            ++p;  // the blank that ended the word
    }
    return sums;
}

} // namespace bench
