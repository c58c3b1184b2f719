#pragma once
// CWinSuperior: the window manager of the 2D window layer (gWinSuperior).

struct CWinSuperior {
    void Init();
    void Process();
    void DrawWins();
    void ProcessAndDraw();
};
extern CWinSuperior gWinSuperior;
