#pragma once
// The control column right of the 3D view: the top view with one button per building, the
// shared labels and overlays of the building panels, the flat popup and the control panel
// with the show-flat and day/night buttons. The window manager owns every window; these
// pointers are cleared when the windows are deleted here. A presentation without
// "HousingTex" gets no top view, so no building can be chosen.

#include "core/IntRect.h"

#include <cstdint>

class CBaseWin;
class CFloor;
class CLabel;
struct IDirect3DTexture9;

constexpr int FLAT_INFO_LABELS = 3;

extern IDirect3DTexture9* gHousingTex;
extern CBaseWin* gTopViewWin;
extern CBaseWin* gTopViewSelWin;
extern CBaseWin* gFloorLabel;
extern CBaseWin* gSelFloorLabel;
extern CLabel* gAddressLabel;
extern CBaseWin* gControlPanel;
extern CBaseWin* gShowFlatButton;
extern CBaseWin* gDayNightButton;
extern CBaseWin* gFlatInfoWin;
extern CLabel* gFlatInfoLabels[FLAT_INFO_LABELS];
extern int32_t gFlatInfoX, gFlatInfoY;
// Whether the window list's want of room for the popup, or for a flat's button, was said:
// once per shortage, not at every click.
extern bool gFlatInfoRoomTold, gFlatButtonRoomTold;
extern CIntRect gTopViewWinRect, gFloorNumberRect, gSelFloorNumberRect;
// The floor chosen on the facade; null when none.
extern CFloor* gSelFloor;
// Set by a hovered floor window, cleared by the buildings' idle step every frame.
extern int32_t gFloorHover;

// Fonts of the column, numbered from 1 as the core's fonts.
enum { COLUMN_FONT_SMALL = 1, COLUMN_FONT_PLAIN = 3, COLUMN_FONT_BOLD = 4, COLUMN_FONT_LARGE = 5 };
struct CFont;
CFont* ColumnFont(int number);

// Hover colours and fade times of the column's buttons.
constexpr uint32_t BUTTON_NORMAL = 0xFFD0D0D0, BUTTON_HOVER = 0xFFFFFFFF;
constexpr float BUTTON_TO_NORMAL = 0.3f, BUTTON_TO_HOVER = 0.2f;

// (Re)creates the top view with the buildings' buttons and the control panel.
void CreateControlPanel();
// After each engine frame: a column whose picture was released with its presentation (one
// ended and none started) is made again without it.
void CheckColumnPicture();
void ShowChooseBuildingMessage();
// The address goes with the building shown.
void HideAddress();
// Deletes the column's shared windows (the buildings delete their own).
void DeleteColumnWindows();
// Moves the label to (x, y) and shows "ЭТАЖ n" of the floor on it.
void LabelFloor(CBaseWin* label, const CFloor* floor, int x, int y, uint32_t colour);
// The panel's dark fill with its light outline (inclusive edges), drawn over the scene.
void DrawPanelFrame(const CIntRect& rect);
// A picture window of the texture at (x, y), sized by the rectangle (inclusive).
CBaseWin* AddPictureWin(int x, int y, IDirect3DTexture9* texture, const CIntRect& rect, uint32_t trigger,
                        uint32_t flags);
