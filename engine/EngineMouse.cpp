// The engine's mouse work in the 3D view: camera steering, clicks, selection and the
// rotation keys of a selected unit.
#include "engine/Engine.h"

#include "core/Graphics.h"
#include "engine/Controls3D.h"
#include "engine/Iconer.h"
#include "engine/UnitInspector.h"
#include "gui/WinSuperior.h"
#include "scene/Camera.h"
#include "scene/Unit.h"

#include <cstdlib>

SMouseInput ReadMouseInput()
{
    SMouseInput in;
    in.x = gInput.mouseX;
    in.y = gInput.mouseY;
    in.leftClick = gInput.leftClick;
    in.rightClick = gInput.rightClick;
    in.middleClick = gInput.middleClick;
    in.rightHeld = gInput.rightHeld;
    in.middleHeld = gInput.middleHeld;
    in.altDown = gInput.AltDown();
    in.wheel = gInput.wheelDelta;
    in.winUnderMouse = gWinSuperior.pWinUnderMouse;
    return in;
}


bool CEngine::OverViewWindow(const SMouseInput& in) const
{
    return viewWindow && in.winUnderMouse == viewWindow;
}

bool CEngine::ControlPicked() const
{
    return gControls3D && gControls3D->ControlPicked();
}


void CEngine::UpdateMouseState()
{
    UpdateMouseState(ReadMouseInput());
}

void CEngine::UpdateMouseState(const SMouseInput& in)
{
    if (stopped || !flags || !OverViewWindow(in) || !InsideView(in.x, in.y))
        return;
    latchedLeft = in.leftClick;
    latchedRight = in.rightClick;
    latchedMiddle = in.middleClick;
    if ((flags & ENG_WHEEL) && in.wheel)
        latchedWheel = in.wheel;
}


// The ray through the cursor, computed with the graphics viewport set to the view
// rectangle on screen for the call (only the ray reads it, so the device is not touched).
void CEngine::ComputePickRay(const SMouseInput& in)
{
    const D3DVIEWPORT9 saved = gGraphics.viewport;
    gGraphics.viewport = view;
    gGraphics.viewport.X = DWORD(int(view.X) + offsetX);
    gGraphics.viewport.Y = DWORD(int(view.Y) + offsetY);
    D3DXVECTOR3 origin, direction;
    gGraphics.GetPickRay(&origin, &direction, in.x, in.y);
    gGraphics.viewport = saved;
    rayOrigin = D3DXVECTOR4(origin.x, origin.y, origin.z, 1.0f);
    rayDirection = D3DXVECTOR4(direction.x, direction.y, direction.z, 0.0f);
}

void CEngine::HandleMouse(const SMouseInput& in)
{
    CCamera* camera = gUnitInspector->GetCamera();
    if (stopped || !camera)
        return;
    if (!InsideView(in.x, in.y)) {
        camera->motionFlags = 0;
        return;
    }
    ComputePickRay(in);
    if (camera->UnderProgramControl())
        return;
    if (flags & ENG_EDGE_MARKS)
        HandleEdgeMarks(camera, in);
    if (flags & ENG_WHEEL)
        HandleZoom(camera, in);
    const bool rightClick = in.rightClick || latchedRight;
    if (rightClick && OverViewWindow(in) && !(camera->motionFlags & CAM_ROTATING)) {
        camera->motionFlags &= ~CAM_ROTATED;
        if ((flags & ENG_SELECT) && selectedUnit)
            PopRotationTable();
        DeselectUnit();
    }
    HandleRotation(camera, in);
    if (flags & ENG_SECOND_DRAG)
        HandlePan(camera, in);
    if ((in.leftClick || latchedLeft) && OverViewWindow(in) && !ControlPicked())
        HandleClick();
}

void CEngine::HandleEdgeMarks(CCamera* camera, const SMouseInput& in)
{
    const int x0 = int(view.X) + offsetX, y0 = int(view.Y) + offsetY;
    camera->motionFlags &= ~uint32_t(CAM_EDGES);
    if (in.x == x0)
        camera->motionFlags |= CAM_EDGE_LEFT;
    if (in.x == x0 + int(view.Width) - 1)
        camera->motionFlags |= CAM_EDGE_RIGHT;
    if (in.y == y0)
        camera->motionFlags |= CAM_EDGE_TOP;
    if (in.y == y0 + int(view.Height) - 1)
        camera->motionFlags |= CAM_EDGE_BOTTOM;
}

void CEngine::HandleZoom(CCamera* camera, const SMouseInput& in)
{
    if (!(in.wheel || latchedWheel) || !OverViewWindow(in)) {
        camera->motionFlags &= ~uint32_t(CAM_ZOOM);
        return;
    }
    if (!latchedWheel)
        latchedWheel = in.wheel;
    camera->motionFlags |= CAM_ZOOM;
    if (camera->zoomSpeed == 0.0f)
        camera->zoomDirection = latchedWheel < 1 ? 1.0f : -1.0f;
    camera->zoomTime = camera->FadeTime;
}

void CEngine::HandleRotation(CCamera* camera, const SMouseInput& in)
{
    const bool held = in.rightHeld || (in.middleHeld && in.altDown);
    if (!held) {
        if (camera->motionFlags & CAM_ROTATING)
            camera->motionFlags |= CAM_ROTATED;
        camera->motionFlags &= ~uint32_t(CAM_ROTATE_HELD | CAM_ROTATING);
        return;
    }
    // A press that passes over another window (a panel over the view) goes on.
    if (!(flags & ENG_DRAG) || !OverViewWindow(in))
        return;
    if (!(camera->motionFlags & CAM_ROTATE_HELD)) {
        camera->motionFlags |= CAM_ROTATE_HELD;
        camera->motionFlags &= ~uint32_t(CAM_ROTATED);
        dragStartX = in.x;
        dragStartY = in.y;
        return;
    }
    const bool moved = std::abs(in.x - dragStartX) >= DRAG_THRESHOLD ||
                       std::abs(in.y - dragStartY) >= DRAG_THRESHOLD;
    if (moved && !(camera->motionFlags & CAM_ROTATING)) {
        camera->motionFlags |= CAM_ROTATING;
        camera->rotationStart[0] = in.x;
        camera->rotationStart[1] = in.y;
    }
}

void CEngine::HandlePan(CCamera* camera, const SMouseInput& in)
{
    if (!in.middleHeld || in.altDown) {
        camera->motionFlags &= ~uint32_t(CAM_PAN);
        return;
    }
    camera->panTime = camera->panGlideTime;
    if (!(camera->motionFlags & CAM_PAN)) {
        camera->motionFlags |= CAM_PAN;
        camera->panStart[0] = in.x;
        camera->panStart[1] = in.y;
    }
}

void CEngine::HandleClick()
{
    if ((flags & ENG_SELECT) && selectedUnit) {
        PopRotationTable();
        selectedUnit->SetMapPos(pickedMapPos);
        selectedUnit = nullptr;
        return;
    }
    if (pickedUnit && (pickedUnit->SysControls & SYS_SELECTING) &&
        !(flags & ENG_NO_CLICK_SELECT)) {
        SelectUnit(pickedUnit, (flags & ENG_FULL_SELECT) != 0);
        return;
    }
    if (!selectedUnit)
        return;
    if (orderCallback)
        orderCallback(0);
    CUnit* unit = AsUnit(selectedUnit);
    if (!unit || !unit->moveControls)
        return;
    const int hook = unit->orderHook ? unit->orderHook(0) : 0;
    if (!(hook & 1))
        unit->StartMoves(&pickedPoint, 1);
}

void CEngine::SelectUnit(CAtom* unit, bool full)
{
    if (selectCallback)
        selectCallback(0);
    if (full) {
        if (selectedUnit) {
            CUnit* old = AsUnit(selectedUnit);
            if (old && old->deselectHook)
                old->deselectHook(0);
            selectedUnit->state &= ~uint32_t(UNIT_SELECTED);
        }
        selectedUnit = unit;
        unit->state |= UNIT_SELECTED;
        if (CUnit* moving = AsUnit(unit)) {
            if (moving->selectHook)
                moving->selectHook(unit);
            moving->RegisterIcon();
        }
    }
    if ((flags & ENG_SELECT) && !(selectState & 1) && gInput.PushLevel(&rotationTable))
        selectState |= 1;
}

void CEngine::DeselectUnit()
{
    if (deselectCallback)
        deselectCallback(0);
    if (!selectedUnit)
        return;
    CUnit* unit = AsUnit(selectedUnit);
    if (unit && unit->deselectHook)
        unit->deselectHook(0);
    if (gIconer)
        gIconer->RemoveIconFrame(selectedUnit);
    selectedUnit->state &= ~uint32_t(UNIT_SELECTED);
    selectedUnit = nullptr;
}

void CEngine::ForgetUnit(const CAtom* unit)
{
    if (pickedUnit == unit)
        pickedUnit = nullptr;
    if (selectedUnit == unit)
        selectedUnit = nullptr;
}

void CEngine::RotateSelectedUnit()
{
    const CKeyHandler* key = gInput.lastMatched;
    if (!selectedUnit || !key)
        return;
    const int step = selectedUnit->mapPos.direction + key->userValue * selectedUnit->PlaceRotation();
    selectedUnit->SetDirection(step & 7);
}
