#include "tests/fuzz/Mutator.h"

#include <algorithm>
#include <iterator>
#include <set>

namespace fuzz {

uint64_t CFuzzRandom::Next()
{
    // splitmix64: every seed, also 0, gives a full-period stream.
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

size_t CFuzzRandom::Below(size_t n)
{
    return n ? size_t(Next() % n) : 0;
}

uint64_t InputHash(const std::string& bytes)
{
    uint64_t hash = 0xCBF29CE484222325ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

namespace {

// Number words at the edges of counts, sizes, limits and of the conversions that read them.
const char* const NUMBERS[] = {
    "0", "-0", "1", "-1", "2", "3", "4", "5", "7", "8", "15", "16", "17", "24", "31", "32", "40", "41",
    "63", "64", "65", "127", "128", "255", "256", "257", "511", "512", "513", "1023", "1024", "2047",
    "2048", "2049", "4095", "4096", "8192", "8193", "32767", "32768", "65535", "65536", "65537",
    "131071", "131072", "131073", "1000000", "16777216", "2147483647", "-2147483648", "2147483648",
    "-2147483649", "4294967295", "4294967296", "9223372036854775807", "-9223372036854775808",
    "18446744073709551615", "99999999999999999999999999", "-99999999999999999999", "1e38", "-1e38",
    "3.5e38", "1e39", "-1e39", "1e308", "1e309", "1e-45", "1e-320", "nan", "-nan", "inf", "-inf",
    "0.0001", "-0.5", "0.5", "1.5", "1e", "0x10", "FFFFFFFF", "80000000", "7FFFFFFF", "1x1", "0x0",
    "16x16", "8192x8192", "8208x8208", "99999x99999", "-16x-16", "65536x65536", "1/0", "1/4", "0/0",
};

const unsigned char BYTES[] = {0,   1,   0x7F, 0x80, 0xFF, '"', '[', ']', '{', '}', ';', '/', '*',
                               '\n', '\r', '\t', ' ', '\\', 'x', '-', '.', '0', '9', 0xC0, 0xFF};

const uint32_t INTEGERS[] = {0,      1,      2,      3,      4,      8,          16,         18,
                             24,     32,     64,     0x7F,   0x80,   0xFF,       0x100,      0x7FFF,
                             0x8000, 0xFFFF, 0x10000, 2048,  2049,   0x7FFFFFFF, 0x80000000, 0xFFFFFFFE,
                             0xFFFFFFFF};

// Structure words every text format shares.
const char* const MARKS[] = {"[", "]", "{", "}", "};", "\"", "//", "/*", "*/", ">>", ":"};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

struct SWord {
    size_t begin = 0, end = 0;
};

// A random word of the text; false when it has none.
bool PickWord(const std::string& s, CFuzzRandom& r, SWord& word)
{
    if (s.empty()) return false;
    size_t at = r.Below(s.size());
    for (int pass = 0; pass < 2; ++pass, at = 0) {
        while (at < s.size() && IsBlank(s[at])) ++at;
        if (at == s.size()) continue;
        word.begin = word.end = at;
        while (word.begin > 0 && !IsBlank(s[word.begin - 1])) --word.begin;
        while (word.end < s.size() && !IsBlank(s[word.end])) ++word.end;
        return true;
    }
    return false;
}

// A word with a digit when one of a few tries finds it, else any word.
bool PickNumberWord(const std::string& s, CFuzzRandom& r, SWord& word)
{
    for (int i = 0; i < 8; ++i) {
        if (!PickWord(s, r, word)) return false;
        if (std::any_of(s.begin() + long(word.begin), s.begin() + long(word.end),
                        [](char c) { return c >= '0' && c <= '9'; }))
            return true;
    }
    return true;
}

size_t Position(const std::string& s, CFuzzRandom& r) { return r.Below(s.size() + 1); }

// Mostly short, now and then long.
size_t Length(CFuzzRandom& r, size_t most)
{
    const size_t limit = r.OneIn(8) ? most : std::min<size_t>(most, 32);
    return 1 + r.Below(limit);
}

std::string RandomBytes(CFuzzRandom& r, size_t n)
{
    std::string bytes(n, '\0');
    for (char& c : bytes) c = char(r.Next());
    return bytes;
}

using Mutation = void (*)(std::string&, const SCorpus&, CFuzzRandom&);

void FlipBits(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    if (s.empty()) return;
    for (size_t n = 1 + r.Below(4); n > 0; --n) s[r.Below(s.size())] ^= char(1 << r.Below(8));
}

void SetByte(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    if (s.empty()) return;
    s[r.Below(s.size())] = char(BYTES[r.Below(std::size(BYTES))]);
}

void InsertGarbage(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    s.insert(Position(s, r), RandomBytes(r, Length(r, 4096)));
}

void Cut(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    s.resize(r.Below(s.size() + 1));
}

void EraseRange(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    if (s.empty()) return;
    const size_t at = r.Below(s.size());
    s.erase(at, Length(r, s.size() - at));
}

void DuplicateRange(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    if (s.empty()) return;
    const size_t from = r.Below(s.size());
    const std::string piece = s.substr(from, Length(r, s.size() - from));
    for (size_t n = r.OneIn(4) ? 1 + r.Below(16) : 1; n > 0; --n) s.insert(Position(s, r), piece);
}

void RepeatWord(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    SWord w;
    if (!PickWord(s, r, w)) return;
    const std::string word = s.substr(w.begin, w.end - w.begin);
    std::string repeats;
    for (size_t n = r.OneIn(4) ? 1 + r.Below(300) : 1 + r.Below(4); n > 0; --n) repeats += " " + word;
    s.insert(w.end, repeats);
}

void SwapWords(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    SWord a, b;
    if (!PickWord(s, r, a) || !PickWord(s, r, b) || a.begin == b.begin) return;
    if (b.begin < a.begin) std::swap(a, b);
    const std::string first = s.substr(a.begin, a.end - a.begin);
    const std::string second = s.substr(b.begin, b.end - b.begin);
    s.replace(b.begin, b.end - b.begin, first);
    s.replace(a.begin, a.end - a.begin, second);
}

void DropWord(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    SWord w;
    if (PickWord(s, r, w)) s.erase(w.begin, w.end - w.begin);
}

void ReplaceNumber(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    SWord w;
    const std::string number = NUMBERS[r.Below(std::size(NUMBERS))];
    if (PickNumberWord(s, r, w))
        s.replace(w.begin, w.end - w.begin, number);
    else
        s += " " + number;
}

void LongWord(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    static const size_t LENGTHS[] = {25, 26, 27, 31, 32, 33, 63, 64, 127, 255, 256, 257, 260,
                                     511, 512, 513, 514, 1024, 2047, 2048, 4096, 70000};
    const size_t length = LENGTHS[r.Below(std::size(LENGTHS))];
    SWord w;
    const bool found = PickWord(s, r, w);
    std::string word = found ? s.substr(w.begin, w.end - w.begin) : "W";
    std::string text;
    while (text.size() < length) text += r.OneIn(2) ? word : std::string(1, char('A' + r.Below(26)));
    text.resize(length);
    if (r.OneIn(3)) text = "\"" + text + (r.OneIn(2) ? "\"" : "");
    if (found)
        s.replace(w.begin, w.end - w.begin, text);
    else
        s += text;
}

void InsertWord(std::string& s, const SCorpus& corpus, CFuzzRandom& r)
{
    const size_t pool = corpus.words.size() + std::size(MARKS);
    const size_t pick = r.Below(pool);
    const std::string word = pick < corpus.words.size() ? corpus.words[pick] : MARKS[pick - corpus.words.size()];
    SWord w;
    const size_t at = PickWord(s, r, w) ? (r.OneIn(2) ? w.begin : w.end) : Position(s, r);
    s.insert(at, " " + word + " ");
}

void Splice(std::string& s, const SCorpus& corpus, CFuzzRandom& r)
{
    const std::string& other = corpus.seeds[r.Below(corpus.seeds.size())];
    s = s.substr(0, Position(s, r)) + other.substr(Position(other, r));
}

// A 1, 2 or 4-byte little-endian integer, half the time within the first 64 bytes (headers).
void PutInteger(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    const size_t width = size_t(1) << r.Below(3);
    if (s.size() < width) return;
    const size_t span = s.size() - width + 1;
    const size_t at = r.OneIn(2) ? r.Below(std::min<size_t>(span, 64)) : r.Below(span);
    const uint32_t value = r.OneIn(4) ? uint32_t(r.Next()) : INTEGERS[r.Below(std::size(INTEGERS))];
    for (size_t i = 0; i < width; ++i) s[at + i] = char(value >> (8 * i));
}

void AddToInteger(std::string& s, const SCorpus&, CFuzzRandom& r)
{
    const size_t width = size_t(1) << r.Below(3);
    if (s.size() < width) return;
    const size_t span = s.size() - width + 1;
    const size_t at = r.OneIn(2) ? r.Below(std::min<size_t>(span, 64)) : r.Below(span);
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i) value |= uint32_t(uint8_t(s[at + i])) << (8 * i);
    const uint32_t delta = uint32_t(1 + r.Below(35));
    value = r.OneIn(2) ? value + delta : value - delta;
    for (size_t i = 0; i < width; ++i) s[at + i] = char(value >> (8 * i));
}

struct SMutation {
    Mutation apply;
    unsigned textWeight, binaryWeight;
};

const SMutation MUTATIONS[] = {
    {FlipBits, 3, 8},     {SetByte, 3, 4},      {InsertGarbage, 2, 2}, {Cut, 2, 3},
    {EraseRange, 2, 3},   {DuplicateRange, 2, 2}, {RepeatWord, 4, 0},  {SwapWords, 4, 0},
    {DropWord, 3, 0},     {ReplaceNumber, 8, 0}, {LongWord, 3, 0},     {InsertWord, 6, 0},
    {Splice, 1, 1},       {PutInteger, 0, 8},   {AddToInteger, 0, 6},
};
static_assert(std::size(MUTATIONS) == 15, "mutations");

Mutation PickMutation(EInputKind kind, CFuzzRandom& r)
{
    unsigned total = 0;
    for (const SMutation& m : MUTATIONS) total += kind == EInputKind::Text ? m.textWeight : m.binaryWeight;
    size_t pick = r.Below(total);
    for (const SMutation& m : MUTATIONS) {
        const unsigned weight = kind == EInputKind::Text ? m.textWeight : m.binaryWeight;
        if (pick < weight) return m.apply;
        pick -= weight;
    }
    return FlipBits;
}

} // namespace

void CollectWords(SCorpus& corpus)
{
    std::set<std::string> known(corpus.words.begin(), corpus.words.end());
    for (const std::string& seed : corpus.seeds) {
        size_t at = 0;
        while (at < seed.size()) {
            while (at < seed.size() && IsBlank(seed[at])) ++at;
            const size_t begin = at;
            while (at < seed.size() && !IsBlank(seed[at])) ++at;
            const std::string word = seed.substr(begin, at - begin);
            if (!word.empty() && word.size() <= 64 && known.insert(word).second) corpus.words.push_back(word);
        }
    }
}

std::string Mutate(const SCorpus& corpus, CFuzzRandom& random)
{
    std::string input = corpus.seeds.empty() ? std::string() : corpus.seeds[random.Below(corpus.seeds.size())];
    for (size_t n = size_t(1) << random.Below(4); n > 0; --n) {
        PickMutation(corpus.kind, random)(input, corpus, random);
        if (input.size() > corpus.maxSize) input.resize(corpus.maxSize);
    }
    return input;
}

} // namespace fuzz
