// Picking of the active 3D control under the cursor, through the controls camera.
#include "engine/Controls3D.h"

#include "core/Graphics.h"
#include "core/Input.h"
#include "engine/MeshContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Control3D.h"
#include "scene/Renderer.h"

#include <cfloat>

namespace {

float DistanceSq(const D3DXMATRIX& world, const D3DXVECTOR3& eye)
{
    const D3DXVECTOR3 position(world._41, world._42, world._43);
    const D3DXVECTOR3 delta = position - eye;
    return D3DXVec3LengthSq(&delta);
}

// Where the renderer draws the control: an attached one under its masters' worlds, so it
// is hit where it is seen, not where its own matrix alone would put it.
D3DXMATRIX DrawnWorld(const CControl3D& control)
{
    D3DXMATRIX world = control.world;
    if (control.master && gRenderer) gRenderer->ComputeAttachedWorld(&world, &control);
    return world;
}

} // namespace

CControl3D* CControls3D::HitControl(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction)
{
    const CAtom* camera = gUnitInspector->mainCamera;
    const D3DXVECTOR3 eye = camera ? D3DXVECTOR3(camera->Pos.x, camera->Pos.y, camera->Pos.z) : origin;
    CControl3D* nearest = nullptr;
    float best = FLT_MAX;
    for (CAtom* unit : frameControls) {
        CControl3D* control = dynamic_cast<CControl3D*>(unit);
        if (!control || !(control->SysControls & SYS_GEOMETRY) || !(control->controlState & CTRL_ACTIVE)) continue;
        const CEngineMesh* record = gIMeshContainer ? gIMeshContainer->GetMesh(control->mesh) : nullptr;
        const D3DXMATRIX world = DrawnWorld(*control);
        D3DXMATRIX inverse;
        // A control that draws nothing (a failed or released mesh) keeps no box worth hitting.
        if (!record || record->mesh.DrawsNothing() || !D3DXMatrixInverse(&inverse, nullptr, &world) ||
            record->mesh.IntersectBox(origin, direction, inverse, &control->Size) != 0)
            continue;
        if (control->master) return control;
        const float distance = DistanceSq(world, eye);
        if (distance < best) {
            best = distance;
            nearest = control;
        }
    }
    return nearest;
}

void CControls3D::ApplyPick(bool leftHeld, bool leftClick)
{
    CControl3D* control = pickedControl;
    if (!leftHeld) {
        control->StorePos();
    } else if (control->optionFlags & CTRL_OPT_PRESS_SHIFT) {
        control->savedPos = control->Pos + control->PressShift;
        pressedControl = control;
    }
    if (leftClick && (control->pressFlags & CTRL_PRESS_ONE_TIME) && control->HasCallback()) control->InvokeCallback();
}

void CControls3D::PickControls()
{
    pickedControl = hoveredControl = nullptr;
    if (frameControls.empty() || !gUnitInspector || !gUnitInspector->controlsCamera) return;
    gUnitInspector->controlsCamera->PreRender();
    D3DXVECTOR3 origin, direction;
    gGraphics.GetPickRay(&origin, &direction, gInput.mouseX, gInput.mouseY);
    pickedControl = hoveredControl = HitControl(origin, direction);
    if (pickedControl) ApplyPick(gInput.leftHeld != 0, gInput.leftClick != 0);
}
