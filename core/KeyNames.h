#pragma once
// Names of the DirectInput key constants, for files that bind keys by name.

#include <cstdint>

// The code of a key-constant name ("DIK_ESCAPE"; "DIK_RCTRL" is also right Ctrl);
// 0 for an unknown name or null.
uint8_t KeyNameToDIK(const char* name);
