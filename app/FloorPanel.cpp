// The floor in the control column: selection on the facade, the floor plan with one
// button per flat, and the floor's interior for the flat show.

#include "app/Floor.h"

#include "app/Application.h"
#include "app/Column.h"
#include "app/Flat.h"
#include "app/FlatShow.h"
#include "app/Hints.h"
#include "app/MyBuilding.h"
#include "core/Messages.h"
#include "engine/AnimContainer.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "gui/WinSuperior.h"
#include "scene/Geometry.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr uint32_t SELECTED_LABEL_COLOUR = 0xFF10FF40;
constexpr int OVERLAY_MARGIN = 2, SELECTED_LABEL_RIGHT = 6, LABEL_RAISE = 2;
constexpr int FLATS_BELOW_PANEL = 20, FLATS_PLAN_TOP = 10, FLATS_PLAN_BOTTOM = 20, FLATS_EMPTY_HEIGHT = 60;
const CIntRect FLOOR_HINT{0, 17, 255, 49};
constexpr int FLOOR_HINT_LEFT = 260, FLOOR_HINT_ABOVE = 50;
constexpr size_t LEFT_OUT_TEXT_SIZE = 256;
constexpr int PLAN_WINDOWS = 1;
const char INTERIOR_CLASS[] = "Interior";

CGeometry* SelectionUnit()
{
    return gIUnitInspector ? dynamic_cast<CGeometry*>(gIUnitInspector->FindUnitByName("SelFloorRect")) : nullptr;
}

} // namespace

void CFloor::OnSelect()
{
    CBaseWin* clicked = gWinSuperior.pWinUnderMouse;
    if (gSelFloor) gSelFloor->Deselect();
    gSelFloor = this;
    if (const uint16_t animation = gIAnimContainer ? gIAnimContainer->FindAnimFileIndex("FloorAnimation") : 0)
        AddAnimation(animation, 0);
    if (CGeometry* selection = SelectionUnit()) {
        // The box gives its record back before it takes one here, so a full attach pool does
        // not keep it on the floor chosen before; a box left off the floor is not drawn.
        if (selection->master != this) {
            if (selection->master) selection->master->DetachSlave(selection);
            selection->AssignMaster(this, NOT_ATTACHED);
        }
        selection->mesh = selection->master == this ? selectMesh : 0;
    }
    if (selectionOverlay) {
        selectionOverlay->MoveTo(facadeX - OVERLAY_MARGIN, facadeY - OVERLAY_MARGIN);
        selectionOverlay->Show(1);
    }
    if (clicked)
        LabelFloor(gSelFloorLabel, this, clicked->right + SELECTED_LABEL_RIGHT, clicked->top - LABEL_RAISE,
                   SELECTED_LABEL_COLOUR);
    if (gCurBuilding) gCurBuilding->GetPanelRect(&flatsArea);
    flatsArea.top = flatsArea.bottom + FLATS_BELOW_PANEL;
    IDirect3DTexture9* plan = flatsTexture && gITexContainer ? gITexContainer->GetTexture(flatsTexture) : nullptr;
    // The plan and the popup its flats open come first; the flats that do not fit after them
    // are left out.
    const int room = gWinSuperior.FreeWinCount() - PLAN_WINDOWS - FLAT_INFO_WINDOWS;
    int shown = 0;
    if (plan && room >= 0) {
        gWinSuperior.ResetOrigin();
        flatsWindow = AddPictureWin(flatsArea.left + (flatsArea.Width() - flatsSource.Width()) / 2,
                                    flatsArea.top + FLATS_PLAN_TOP, plan, flatsSource, 0, WIN_CONTAINER);
        flatsArea.bottom = flatsArea.top + flatsWindow->height + FLATS_PLAN_BOTTOM;
        shown = std::min(flats.Count(), room / FLAT_BUTTON_WINDOWS);
        for (int i = 0; i < shown; ++i)
            flats[i]->AddButton(flatsWindow, MaskOf(flats[i]->textureId), flatsArea);
        gWinSuperior.ResetOrigin();
        flatsWindow->Show(1);
    } else {
        flatsArea.bottom = flatsArea.top + FLATS_EMPTY_HEIGHT;
    }
    if (plan && shown < flats.Count()) SayFlatsLeftOut(shown);
    if (gShowFlatButton)
        ShowHint(HINT_FLOOR, gShowFlatButton->left - FLOOR_HINT_LEFT, gShowFlatButton->top - FLOOR_HINT_ABOVE,
                 FLOOR_HINT);
}

// Said once for the floor, not at every choice of it.
void CFloor::SayFlatsLeftOut(int shown)
{
    if (flatsLeftOutSaid) return;
    flatsLeftOutSaid = true;
    char text[LEFT_OUT_TEXT_SIZE];
    snprintf(text, sizeof text,
             "PROGRAMMER LIMIT: building '%s', floor %d: %d of %d flats are not shown, the window list is full.",
             gCurBuilding ? gCurBuilding->name : "", number, flats.Count() - shown, flats.Count());
    MsgBox(text);
}

void CFloor::Deselect()
{
    gWinSuperior.DeleteWin(&gFlatInfoWin);
    for (CLabel*& label : gFlatInfoLabels)
        label = nullptr;
    DeleteFlatsWindow();
    if (CGeometry* selection = SelectionUnit()) selection->mesh = 0;
}

void CFloor::DeleteFlatsWindow()
{
    gWinSuperior.DeleteWin(&flatsWindow);
    for (int i = 0; i < flats.Count(); ++i)
        flats[i]->ForgetWindows();
}

void CFloor::DrawFlatsFrame()
{
    if (flatsArea.Width() < 2) return;
    DrawPanelFrame(flatsArea);
}

// An interior left from an earlier show goes first, so no unit is left behind. One the floor
// cannot carry (the attach pool is full) is not made; one whose class has no mesh to take
// goes again with what it made.
void CFloor::ShowInterior()
{
    if (!interiorMesh || !gIUnitInspector) return;
    if (gInteriorUnit) gIUnitInspector->DeleteUnit(gInteriorUnit);
    gInteriorUnit = nullptr;
    gInteriorTimer = 0.0f;
    CAtom* made = CreateAttachedUnit(gIUnitInspector->GetClassTemplate(INTERIOR_CLASS), nullptr, 0);
    CGeometry* interior = dynamic_cast<CGeometry*>(made);
    if (!interior) {
        if (made) {
            gIUnitInspector->DeleteUnit(made);
            SayInteriorNotGeometry();
        }
        return;
    }
    interior->mesh = interiorMesh;
    gInteriorUnit = interior;
}
