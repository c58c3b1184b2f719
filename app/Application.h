#pragma once
// The application's state shared by its parts: the buildings of the running presentation,
// the building whose panel is shown and the pictures of the application's windows.

#include "core/Array.h"

class CBaseWin;
class CMyBuilding;
struct IDirect3DTexture9;

// Non-owning: the unit registry owns the buildings; a deleted building leaves a null.
extern TArray<CMyBuilding*> gBuildings;
extern CMyBuilding* gCurBuilding;
extern IDirect3DTexture9* gHintsTex;
extern IDirect3DTexture9* gWindowsTex;
extern CBaseWin* gPresentationWin;

// Called by the presentation loader after each successful presentation start.
void OnPresentationLoaded(int);
// The selector's window at the top of the control column; loads the window pictures once.
void CreatePresentationSelector();
