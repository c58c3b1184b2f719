// The building's panel in the control column: its top-view button, its facade of hall,
// floor and attic windows under the top view, the floor hover and the floor's right click.

#include "app/MyBuilding.h"

#include "app/Application.h"
#include "app/Binders.h"
#include "app/Column.h"
#include "app/FlatShow.h"
#include "app/Floor.h"
#include "app/Hints.h"
#include "app/Texts.h"
#include "gui/Label.h"
#include "gui/WinSuperior.h"

#include <cstdio>

namespace {

constexpr uint32_t FLOOR_LABEL_COLOUR = 0xFFFFFFFF;
constexpr int PANEL_GAP = 10, PANEL_EXTRA = 50, FACADE_GAP = 20;
constexpr int ADDRESS_X = 10, ADDRESS_ABOVE_BOTTOM = 15;
constexpr int HOVER_LABEL_LEFT = 60, LABEL_RAISE = 2, LABEL_TEXT_OFFSET = 3;
const CIntRect BUILDING_HINT{0, 0, 149, 17};
constexpr int BUILDING_HINT_LEFT = 80, BUILDING_HINT_BELOW = 40;

} // namespace

void CMyBuilding::AddTopViewButton(int x, int y)
{
    if (!topViewTexture || topViewButton) return;
    topViewButton = AddPictureWin(x + topViewX, y + topViewY, topViewTexture, topViewSource, KEY_ON_RELEASE, 0);
    BindClickDelegate(topViewButton, this, &CMyBuilding::ShowPanel);
    topViewButton->Show(1);
}

void CMyBuilding::ShowPanel()
{
    if (gCurBuilding && gCurBuilding != this) gCurBuilding->HidePanel();
    if (gSelFloor) {
        gSelFloor->Deselect();
        gSelFloor = nullptr;
        gShownFloor = nullptr;
        // The same building's facade stays: its choice marks go with the choice.
        if (selectionOverlay) selectionOverlay->Hide(0);
        if (gSelFloorLabel) gSelFloorLabel->Hide(0);
    }
    if (!gTopViewWin) return;
    const int floorH = faceFloorRect.Height(), hallH = faceHallRect.Height(), atticH = faceAtticRect.Height();
    panelTop = gTopViewWin->bottom + PANEL_GAP;
    panelBottom = gTopViewWin->bottom + numFloors * floorH + atticH + hallH + PANEL_EXTRA;
    gWinSuperior.ResetOrigin();
    if (!hallWindow) {
        const int x = gTopViewWin->left + (gTopViewWin->width - faceHallRect.Width()) / 2;
        int y = gTopViewWin->top + gTopViewWin->height + numFloors * floorH + atticH + FACADE_GAP;
        hallWindow = AddPictureWin(x, y, facadeTexture, faceHallRect, 0, 0);
        const CIntRect& s = floorSelRect;
        const CIntRect& l = floorLightingRect;
        selectionOverlay = gWinSuperior.AddWin(0, 0, 0, 0, nullptr, facadeTexture, s.left, s.top, s.right, s.bottom, 0, 0);
        lightingOverlay = gWinSuperior.AddWin(0, 0, 0, 0, nullptr, facadeTexture, l.left, l.top, l.right, l.bottom, 0, 0);
        y -= floorH;
        for (int i = 0; i < floors.Count(); ++i) {
            CFloor* floor = floors[i];
            CBaseWin* win = AddPictureWin(x, y, facadeTexture, faceFloorRect, KEY_ON_RELEASE, WIN_NOBLEND);
            BindClickDelegate(win, floor, &CFloor::OnSelect);
            BindHoverDelegate(win, this, &CMyBuilding::OnFloorHover);
            BindRightClickDelegate(win, this, &CMyBuilding::OnFloorRightClick);
            win->SetUserData(reinterpret_cast<uintptr_t>(floor), 0);
            floorWindows[i] = win;
            floor->selectionOverlay = selectionOverlay;
            floor->facadeX = x;
            floor->facadeY = y;
            y -= floorH;
        }
        y += floorH - atticH;
        atticWindow = AddPictureWin(x, y, facadeTexture, faceAtticRect, 0, 0);
    }
    if (gAddressLabel) {
        gAddressLabel->MoveTo(gTopViewWin->left + ADDRESS_X, panelBottom - ADDRESS_ABOVE_BOTTOM);
        gAddressLabel->SetText(address);
        gAddressLabel->Show(1);
    }
    hallWindow->Show(1);
    for (int i = 0; i < floors.Count(); ++i)
        floorWindows[i]->Show(1);
    atticWindow->Show(1);
    if (!topViewTexture) {
        gWinSuperior.DeleteWin(&gTopViewSelWin);
    } else if (topViewSelectRect.Width() > 1 && topViewButton) {
        if (!gTopViewSelWin)
            gTopViewSelWin = gWinSuperior.AddWin(0, 0, 0, 0, nullptr, topViewTexture, 0, 0, 0, 0, 0, 0);
        gTopViewSelWin->SetTexture(topViewTexture);
        gTopViewSelWin->MoveTo(topViewButton->left, topViewButton->top);
        const CIntRect& r = topViewSelectRect;
        gTopViewSelWin->SetTexRectLTRB(r.left, r.top, r.right, r.bottom);
        gTopViewSelWin->Show(1);
    } else {
        gWinSuperior.DeleteWin(&gTopViewSelWin);
    }
    gCurBuilding = this;
    if (gShowFlatButton) {
        SetClickDelegateObject(gShowFlatButton, this);
        gShowFlatButton->SetFrames(2);
    }
    ShowHint(HINT_BUILDING, gTopViewWin->left - BUILDING_HINT_LEFT, gTopViewWin->bottom + BUILDING_HINT_BELOW,
             BUILDING_HINT);
}

void CMyBuilding::HidePanel()
{
    DeletePanelWindows();
    if (gSelFloorLabel) gSelFloorLabel->Hide(0);
}

// The floors forget the overlay that goes with the windows.
void CMyBuilding::DeletePanelWindows()
{
    for (CBaseWin*& win : floorWindows)
        gWinSuperior.DeleteWin(&win);
    gWinSuperior.DeleteWin(&hallWindow);
    gWinSuperior.DeleteWin(&atticWindow);
    gWinSuperior.DeleteWin(&selectionOverlay);
    gWinSuperior.DeleteWin(&lightingOverlay);
    for (int i = 0; i < floors.Count(); ++i)
        floors[i]->selectionOverlay = nullptr;
}

void CMyBuilding::GetPanelRect(CIntRect* rect) const
{
    *rect = gTopViewWin ? CIntRect(gTopViewWin->left, panelTop, gTopViewWin->right, panelBottom) : CIntRect();
}

void CMyBuilding::DrawPanel()
{
    CIntRect panel;
    GetPanelRect(&panel);
    DrawPanelFrame(panel);
    if (!gFloorHover) {
        if (lightingOverlay) lightingOverlay->Hide(0);
        if (gFloorLabel) gFloorLabel->Hide(0);
    }
    if (gSelFloor) gSelFloor->DrawFlatsFrame();
}

// Puts a floor label by a facade window: "ЭТАЖ n" in the small font.
void LabelFloor(CBaseWin* label, const CFloor* floor, int x, int y, uint32_t colour)
{
    if (!label || !floor) return;
    char text[WIN_CAPTION_SIZE];
    snprintf(text, sizeof text, "%s%d", FLOOR_PREFIX, floor->number);
    label->MoveTo(x, y);
    label->SetCaption(text, ColumnFont(COLUMN_FONT_SMALL), colour, LABEL_TEXT_OFFSET, LABEL_TEXT_OFFSET);
    label->Show(1);
}

void CMyBuilding::OnFloorHover()
{
    CBaseWin* win = gWinSuperior.pWinUnderMouse;
    if (!win) return;
    gFloorHover = 1;
    if (lightingOverlay) {
        lightingOverlay->MoveTo(win->left, win->top);
        lightingOverlay->Show(1);
    }
    uintptr_t floor = 0;
    win->GetUserData(&floor, 0);
    LabelFloor(gFloorLabel, reinterpret_cast<const CFloor*>(floor), win->left - HOVER_LABEL_LEFT,
               win->top - LABEL_RAISE, FLOOR_LABEL_COLOUR);
}

void CMyBuilding::OnFloorRightClick()
{
    if (gSelFloorLabel) gSelFloorLabel->Hide(0);
    if (selectionOverlay) selectionOverlay->Hide(0);
    if (gSelFloor) gSelFloor->Deselect();
    gSelFloor = nullptr;
}
