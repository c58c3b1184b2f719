// Picking of units: the ray under the cursor against the meshes of the selectable units
// queued for drawing this frame, so that what is picked is what is on screen.

#include "scene/Renderer.h"

#include "core/Meshes/Mesh.h"
#include "engine/MeshContainer.h"
#include "scene/Camera.h"
#include "scene/Geometry.h"

namespace {

bool Selectable(const CAtom* unit)
{
    return unit && unit->id && (unit->SysControls & SYS_GEOMETRY) && (unit->SysControls & SYS_SELECTING);
}

float DistanceSq3(const D3DXVECTOR4& a, const D3DXVECTOR4& b)
{
    const D3DXVECTOR3 d(a.x - b.x, a.y - b.y, a.z - b.z);
    return D3DXVec3LengthSq(&d);
}

} // namespace

// The unit's Size scales the mesh before its world matrix, so the way back undoes the
// world first and the scale after it. A unit queued without a render object of its own
// (the per-frame arrays were full) is taken back by its own world matrix. A mesh that draws
// nothing is not hit whatever box it keeps (a failed load, a released record).
bool CRenderer::RayHitsUnit(const CGeometry* unit, const D3DXVECTOR3& origin, const D3DXVECTOR3& direction) const
{
    const CEngineMesh* record = unit->mesh && gMeshContainer ? gMeshContainer->GetMesh(unit->mesh) : nullptr;
    if (!record || record->mesh.DrawsNothing())
        return false;
    D3DXMATRIX inverse;
    if (HasRenderObject(unit))
        inverse = inverseWorlds[unit->renderObject];
    else if (!D3DXMatrixInverse(&inverse, nullptr, &unit->world))
        return false;
    const D3DXVECTOR4& size = unit->Size;
    if (size.x != 1.0f || size.y != 1.0f || size.z != 1.0f) {
        if (size.x == 0.0f || size.y == 0.0f || size.z == 0.0f)
            return false;  // a flattened unit has no volume to hit
        D3DXMATRIX unscale;
        D3DXMatrixScaling(&unscale, 1.0f / size.x, 1.0f / size.y, 1.0f / size.z);
        inverse *= unscale;
    }
    return record->mesh.Intersect(origin, direction, inverse) >= 0;
}

CAtom* CRenderer::PickUnit(const D3DXVECTOR4& origin, const D3DXVECTOR4& direction)
{
    if (paused)
        return nullptr;
    const D3DXVECTOR3 rayOrigin(origin.x, origin.y, origin.z);
    const D3DXVECTOR3 rayDirection(direction.x, direction.y, direction.z);
    CAtom* nearest = nullptr;
    float nearestDistance = 0;
    for (const SRenderQueue& queue : queues) {
        for (int slot = 0; slot < queue.count; ++slot) {
            CAtom* unit = queue.units[size_t(slot)];
            if (!Selectable(unit) || !RayHitsUnit(static_cast<CGeometry*>(unit), rayOrigin, rayDirection))
                continue;
            if (unit->master)
                return unit;
            const float distance = DistanceSq3(unit->Pos, gCameraView.eye);
            if (!nearest || distance < nearestDistance) {
                nearest = unit;
                nearestDistance = distance;
            }
        }
    }
    return nearest;
}
