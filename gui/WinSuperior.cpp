#include "gui/WinSuperior.h"

#include "core/Scanner.h"

#include <cstring>

CWinSuperior gWinSuperior;
int32_t WIDTH_DIAGS = 40;

void CWinSuperior::Init() {}
void CWinSuperior::Process() {}
void CWinSuperior::DrawWins() {}
void CWinSuperior::ProcessAndDraw() {}

CBaseWin* CWinSuperior::AddWin(int x, int y, int width, int height, uint32_t flags)
{
    auto win = std::make_unique<CBaseWin>();
    win->left = x + (originX < 0 ? 0 : originX);
    win->top = y + (originY < 0 ? 0 : originY);
    win->right = win->left + width - 1;
    win->bottom = win->top + height - 1;
    win->flags = flags;
    windows_.push_back(std::move(win));
    return windows_.back().get();
}

// Tooltips are not drawn yet: the block is skipped so the reader goes on after it.
void CWinSuperior::ReadHinter(FILE* file)
{
    char word[Core::STD_WORD_BUFFER_SIZE];
    while (fscanf(file, "%255s", word) == 1 && strcmp(word, ")") != 0) {
    }
}
