#pragma once
// One-time hints: pictures of "Textures\Hints.tga" shown in one window that fades in and,
// two seconds later, out again. Each hint bit is shown once per run.

#include "core/IntRect.h"

#include <cstdint>

class CBaseWin;

enum : uint32_t { HINT_BUILDING = 1, HINT_FLOOR = 2, HINT_SHOW = 4 };

extern CBaseWin* gHintWin;
extern float gHintTimer;
extern uint32_t gHintsShown;

constexpr float HINT_SHOW_TIME = 2.0f;

void ShowHint(uint32_t bit, int x, int y, const CIntRect& picture);
// Per-frame delegate of the hint window.
void UpdateHintTimer();
