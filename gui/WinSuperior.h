#pragma once
// CWinSuperior: the window manager of the 2D window layer (gWinSuperior). It owns every
// window; callers keep the pointers it hands out. Until the manager is built, AddWin keeps
// plain windows and nothing is hit-tested (pWinUnderMouse stays null).

#include "gui/BaseWin.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

struct CWinSuperior {
    CBaseWin* pWinUnderMouse = nullptr;
    int32_t originX = -1, originY = -1;

    void Init();
    void Process();
    void DrawWins();
    void ProcessAndDraw();
    // A window at (x, y) relative to the origin, width x height, with the given flags.
    CBaseWin* AddWin(int x, int y, int width, int height, uint32_t flags);
    void ResetOrigin() { originX = originY = -1; }
    // The tooltip block of the configuration file; reads the block up to its ")".
    void ReadHinter(FILE* file);

private:
    std::vector<std::unique_ptr<CBaseWin>> windows_;
};
extern CWinSuperior gWinSuperior;

// Column width of list dialogs in pixels ("WIDTH_DIAGS" of the configuration file).
extern int32_t WIDTH_DIAGS;
