#include "gui/WinSuperior.h"

#include "core/Scanner.h"

#include <cstring>

CWinSuperior gWinSuperior;
int32_t WIDTH_DIAGS = 40;

void CWinSuperior::Init() {}
void CWinSuperior::Process() {}
void CWinSuperior::DrawWins() {}
void CWinSuperior::ProcessAndDraw() {}

// Tooltips are not drawn yet: the block is skipped so the reader goes on after it.
void CWinSuperior::ReadHinter(FILE* file)
{
    char word[Core::STD_WORD_BUFFER_SIZE];
    while (fscanf(file, "%255s", word) == 1 && strcmp(word, ")") != 0) {
    }
}
