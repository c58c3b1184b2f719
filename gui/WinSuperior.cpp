#include "gui/WinSuperior.h"

CWinSuperior gWinSuperior;

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
