#pragma once
// CWinSuperior: the window manager of the 2D window layer (gWinSuperior).

#include <cstdint>
#include <cstdio>

struct CWinSuperior {
    void Init();
    void Process();
    void DrawWins();
    void ProcessAndDraw();
    // The tooltip block of the configuration file; reads the block up to its ")".
    void ReadHinter(FILE* file);
};
extern CWinSuperior gWinSuperior;

// Column width of list dialogs in pixels ("WIDTH_DIAGS" of the configuration file).
extern int32_t WIDTH_DIAGS;
