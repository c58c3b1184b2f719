#pragma once
// CSoundManager: DirectSound and the 3D listener (gSoundManager).

#include <windows.h>

struct CSoundManager {
    int Init(HWND window);
    void CommitListener();
};
extern CSoundManager gSoundManager;
