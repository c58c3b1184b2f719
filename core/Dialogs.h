#pragma once
// The Windows common dialogs, owned by the main window. The system cursor is shown while a
// dialog is open. Nothing is kept afterwards except the colour dialog's 16 custom colours
// and the font dialog's one record, which the next call reuses.

#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <cstdint>

// Non-zero when the user confirmed; out = the chosen path, cut at outCap.
int OpenFileDialog(const char* initialDir, const char* initialName, const char* filter,
                   const char* title, char* out, size_t outCap);
int SaveFileDialog(const char* initialDir, const char* initialName, const char* filter,
                   const char* title, char* out, size_t outCap);
// 1 when confirmed: out = the folder with a trailing "\"; else 0.
int BrowseFolderDialog(const char* initialFolder, const char* title, char* out, size_t outCap);
// The chosen colour as ARGB with alpha 0xFF, or 0 when cancelled.
uint32_t ChooseColorDialog(uint32_t initialArgb);
// The dialog record with the chosen font when confirmed, else null. sizeTenths is the point
// size in tenths (0 keeps the system's default height).
CHOOSEFONTA* ChooseFontDialog(const char* face, uint32_t argb, int sizeTenths);
