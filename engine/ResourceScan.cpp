#include "engine/ResourceScan.h"

#include "core/Messages.h"
#include "core/Scanner.h"

#include <cstring>
#include <iterator>

namespace {

struct SWordBits {
    const char* word;
    uint32_t bits;
};

const SWordBits FVF_WORDS[] = {
    {"xyz", 0x2},    {"normal", 0x10}, {"diffuse", 0x40}, {"specular", 0x80}, {"uv0", 0x100},
    {"uv1", 0x200},  {"xyzw", 0x4},    {"bone", 0x1000},  {"weight", 0x8},
};
static_assert(std::size(FVF_WORDS) == 9, "vertex-format words");

bool IsListEnd(const char* word) { return !word[0] || strcmp(word, "]") == 0; }

} // namespace

uint32_t ScanFVF(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    uint32_t fvf = 0;
    bool known = true;
    for (Core::fscan_word(file, word); !IsListEnd(word); Core::fscan_word(file, word)) {
        const SWordBits* entry = nullptr;
        for (const SWordBits& w : FVF_WORDS)
            if (strcmp(w.word, word) == 0) entry = &w;
        if (entry) {
            fvf |= entry->bits;
        } else if (known) {
            MsgBox3("Undefine FVF '", word, "'");
            known = false;
        }
    }
    return known ? fvf : 0;
}
