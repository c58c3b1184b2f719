#pragma once
// The application's state shared by its parts: the buildings of the running presentation,
// the building whose panel is shown and the pictures of the application's windows.

#include "core/Array.h"

class CBaseWin;
class CLabel;
class CMyBuilding;
struct IDirect3DTexture9;

// Non-owning: the unit registry owns the buildings; a deleted building leaves a null.
extern TArray<CMyBuilding*> gBuildings;
extern CMyBuilding* gCurBuilding;
extern IDirect3DTexture9* gHintsTex;
extern IDirect3DTexture9* gWindowsTex;
constexpr int MAX_PRESENTATIONS = 256;
extern CBaseWin* gPresentationWin;
extern CBaseWin* gSelectorBar;
extern CBaseWin* gSelectorButton;
extern CLabel* gSelectorCaption;
extern CBaseWin* gPresentationButtons[MAX_PRESENTATIONS];
extern CLabel* gPresentationLabels[MAX_PRESENTATIONS];

// Called by the presentation loader after each successful presentation start.
void OnPresentationLoaded(int);
// The selector's window at the top of the control column; loads the window pictures once.
void CreatePresentationSelector();
// Its bar with caption and drop-down button, which open the list; start-up makes none.
void CreateSelectorBar();
// One entry per presentation of the list under the bar.
void ShowPresentationList();
void OnPresentationHover();
// Starts the chosen presentation in the next engine frame, with no building shown.
void OnPresentationClick();
void DeleteSelectorWindows();
