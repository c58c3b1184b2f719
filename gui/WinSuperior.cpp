#include "gui/WinSuperior.h"

CWinSuperior gWinSuperior;

void CWinSuperior::Init() {}
void CWinSuperior::Process() {}
void CWinSuperior::DrawWins() {}
void CWinSuperior::ProcessAndDraw() {}
