#include "core/Sound.h"

CSoundManager gSoundManager;

int CSoundManager::Init(HWND)
{
    return -1;
}

void CSoundManager::CommitListener() {}
