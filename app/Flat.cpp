#include "app/Flat.h"

#include "core/Scanner.h"
#include "gui/WinSuperior.h"

#include <cstring>

CFlat::~CFlat()
{
    if (button) gWinSuperior.DeleteWin(&button);
}

// Positional: labels and brackets between the values are the author's, so they are skipped
// by count; only a "]" where the label would open tells that the flat has none.
void CFlat::Scan(CFlat* flat, int number, uint16_t texture, FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    flat->number = number;
    flat->textureId = texture;
    Core::fscan_skip(file, word, 2);
    Core::fscan_float(file, &flat->pricePerArea);
    Core::fscan_skip(file, word, 2);
    Core::fscan_float(file, &flat->areaA);
    Core::fscan_float(file, &flat->areaB);
    Core::fscan_skip(file, word, 2);
    Core::fscan_rect(file, &flat->source.left);
    Core::fscan_skip(file, word, 2);
    Core::fscan_int(file, &flat->buttonX);
    Core::fscan_int(file, &flat->buttonY);
    Core::fscan_skip(file, word, 2);
    if (strcmp(word, "]") == 0 || word[0] == 0) return;
    Core::fscan_word(file, word);
    Core::fscan_int(file, &flat->labelX);
    Core::fscan_int(file, &flat->labelY);
    Core::fscan_hex(file, &flat->labelColour);
    Core::fscan_skip(file, word, 2);
}
