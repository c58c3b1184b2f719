#include "engine/SectionScan.h"

#include "core/Messages.h"
#include "core/Scanner.h"

#include <cstring>

void ScanCountSection(FILE* file, const SSectionKey* keys, size_t count)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, word, 2);  // "[" and the first keyword
    for (; word[0] && strcmp(word, "]") != 0; Core::fscan_word(file, word)) {
        size_t i = 0;
        while (i < count && strcmp(keys[i].word, word) != 0) ++i;
        if (i < count) Core::fscan_int(file, keys[i].value);
        else MsgBox3("Undefine string '", word, "'");
    }
}
