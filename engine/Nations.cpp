#include "engine/Nations.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"

#include <cstring>
#include <iterator>

CNations* gNations = nullptr;
INations* gINations = nullptr;

namespace {

D3DXCOLOR ScanColor(FILE* file)
{
    uint32_t argb = 0;
    Core::fscan_hex(file, &argb);
    return D3DXCOLOR(argb);
}

bool IsFiller(FILE*, const char* word) { return StrEqual(word, "blabla"); }

} // namespace

int CNation::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(file, word, IsFiller,
                          [this](FILE* f, const char* w) { return CAtom::ScanNativePropertyes(f, w); });
}

int CNation::ScanMissionData(FILE* file, const char* word)
{
    return ScanMissionBlock(file, word, IsFiller,
                            [this](FILE* f, const char* w) { return CAtom::ScanMissionData(f, w); });
}

CNation* CNations::FindNation(const char* name)
{
    for (const std::unique_ptr<CNation>& nation : nations)
        if (StrEqual(nation->name, name)) return nation.get();
    return nullptr;
}

int CNations::FirstScan(FILE* file)
{
    struct SColorKey {
        const char* word;
        D3DXCOLOR* color;
    };
    const SColorKey colors[] = {
        {"OurColor:", &OurColor}, {"EnemyColor:", &EnemyColor}, {"AllyColor:", &AllyColor},
        {"NeutralColor:", &NeutralColor},
    };
    static_assert(std::size(colors) == 4, "nation colours");
    int32_t count = 0;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        const SColorKey* key = nullptr;
        for (const SColorKey& k : colors)
            if (StrEqual(k.word, word)) key = &k;
        if (key) {
            *key->color = ScanColor(file);
        } else if (StrEqual(word, "NationCount:")) {
            Core::fscan_int(file, &count);
        } else {
            MsgBox3("Undefine string '", word, "'");
            Core::fscan_word(file, word);
        }
    }
    gamerNation = nullptr;
    nations.clear();
    capacity = count > 1 ? count - 1 : 0;
    return 0;
}

int CNations::ScanNation(FILE* file)
{
    if (int32_t(nations.size()) >= capacity || nations.size() >= 32) {
        WarningBox(&warningBudget, "Nations:  nations limit is exceed.", nullptr);
        gExitCode = 1;
        return -1;
    }
    nations.push_back(std::make_unique<CNation>());
    CNation& nation = *nations.back();
    nation.mask = 1u << (nations.size() - 1);
    char text[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(file, text);
    nation.SetName(text);
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "};"); Core::fscan_word(file, word))
        if (!StrEqual(word, "blabla"))
            WarningBox(&warningBudget, "For nation '", nation.name, "' undefined string '", word, "'.", nullptr);
    return 0;
}

int CNations::ScanGamerNation(FILE* file)
{
    char name[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(file, name);
    gamerNation = FindNation(name);
    if (!gamerNation) WarningBox(&warningBudget, "Not found gamer nation '", name, "'.", nullptr);
    return 0;
}
