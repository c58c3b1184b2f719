#pragma once
// The reference the keyword scanner is measured against: a tokenizer made of nothing but
// pointer walking, memchr and std::from_chars over a buffer already in memory. It splits
// the text as the scanner does (a blank ends a word; comments are recognised where a word
// would begin; a lone slash there is dropped) and converts every number as a float.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bench {

enum class EToken : uint8_t { Word, Number };

// What a pass over a text found; the scanner's pass must find the same.
struct STokenSums {
    size_t words = 0, wordBytes = 0, numbers = 0;
    double numberSum = 0.0;
    bool operator==(const STokenSums& o) const
    {
        return words == o.words && wordBytes == o.wordBytes && numbers == o.numbers && numberSum == o.numberSum;
    }
};

// A word read as a number: a digit first, or a sign or point and then a digit; hexadecimal
// words ("0x...") are words.
bool IsNumberWord(const char* begin, const char* end);

// kinds (optional) receives the kind of every item in order.
STokenSums PlainTokenize(const char* begin, const char* end, std::vector<EToken>* kinds = nullptr);

} // namespace bench
