#pragma once
// The fuzzer's inputs: a seeded random source and the mutations that turn a seed file into
// a hostile one (bit flips, cuts, repeated, swapped and dropped words, huge and negative
// numbers, long words, binary garbage, pieces of other seeds). The same seed and corpus
// always give the same input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

class CFuzzRandom {
public:
    explicit CFuzzRandom(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    // 0 .. n - 1 (0 when n is 0).
    size_t Below(size_t n);
    bool OneIn(size_t n) { return Below(n) == 0; }

private:
    uint64_t state_;
};

enum class EInputKind { Text, Binary };

struct SCorpus {
    std::vector<std::string> seeds;
    // Words of the seeds and of the format, inserted by the mutations.
    std::vector<std::string> words;
    EInputKind kind = EInputKind::Text;
    size_t maxSize = 1 << 16;
};

// The words of the seeds (blank-separated, at most 64 characters) added to corpus.words,
// each once.
void CollectWords(SCorpus& corpus);

// One to eight stacked mutations of one seed, cut to corpus.maxSize.
std::string Mutate(const SCorpus& corpus, CFuzzRandom& random);

// FNV-1a of the bytes: names an input in the findings.
uint64_t InputHash(const std::string& bytes);

} // namespace fuzz
