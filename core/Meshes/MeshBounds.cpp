// Picking a mesh with a ray, and its bounds: the ray is taken into the mesh's space and
// tested against the user bound records or the bound box.

#include "core/Meshes/Mesh.h"

#include "core/Strings.h"

#include <algorithm>
#include <cmath>

namespace {

struct SMeshRay {
    D3DXVECTOR3 origin, direction;
};

SMeshRay ToMeshSpace(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, const D3DXMATRIX& matrix)
{
    SMeshRay ray;
    D3DXVec3TransformCoord(&ray.origin, &origin, &matrix);
    D3DXVec3TransformNormal(&ray.direction, &direction, &matrix);
    return ray;
}

D3DXVECTOR3 Xyz(const D3DXVECTOR4& v) { return D3DXVECTOR3(v.x, v.y, v.z); }

bool HitsBox(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum, const SMeshRay& ray)
{
    return D3DXBoxBoundProbe(&minimum, &maximum, &ray.origin, &ray.direction) != FALSE;
}

// A box by its corners, a sphere by its radius, or accepted without a test when the
// record's second float is above 0; only spheres ignore the exclusion flag.
bool HitsRecord(const SBoundRecord& record, const SMeshRay& ray)
{
    const bool excluded = (record.flags & BOUND_EXCLUDED) != 0;
    if (record.radius == 0)
        return !excluded && HitsBox(Xyz(record.first), Xyz(record.second), ray);
    if (record.second2 <= 0) {
        const D3DXVECTOR3 centre = Xyz(record.first);
        return D3DXSphereBoundProbe(&centre, record.radius, &ray.origin, &ray.direction) != FALSE;
    }
    return !excluded;
}

float Length3(const D3DXVECTOR4& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

} // namespace

int CMesh::Intersect(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, const D3DXMATRIX& matrix) const
{
    const SMeshRay ray = ToMeshSpace(origin, direction, matrix);
    if (userBoundCount <= 0 || !userBounds)
        return HitsBox(Xyz(corners[0]), Xyz(corners[6]), ray) ? 0 : -1;
    for (int i = 0; i < userBoundCount; ++i)
        if (HitsRecord(userBounds[i], ray))
            return i;
    return -1;
}

int CMesh::IntersectBox(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, const D3DXMATRIX& matrix,
                        const D3DXVECTOR4* scale) const
{
    const SMeshRay ray = ToMeshSpace(origin, direction, matrix);
    D3DXVECTOR3 minimum = Xyz(corners[0]), maximum = Xyz(corners[6]);
    if (scale) {
        const D3DXVECTOR3 s = Xyz(*scale);
        minimum = D3DXVECTOR3(minimum.x * s.x, minimum.y * s.y, minimum.z * s.z);
        maximum = D3DXVECTOR3(maximum.x * s.x, maximum.y * s.y, maximum.z * s.z);
    }
    return HitsBox(minimum, maximum, ray) ? 0 : -1;
}

// Loaded meshes keep their vertices only in the buffer, so "has vertices" is the count.
float CMesh::ComputeBoundRadius()
{
    float largest = -1;
    if (vertexCount > 0) {
        for (const D3DXVECTOR4& c : corners)
            largest = std::max(largest, Length3(c));
    } else if (skeleton.boneCount > 0 && skeleton.bones) {
        for (int i = 0; i < skeleton.boneCount; ++i)
            largest = std::max(largest, Length3(skeleton.bones[i].absolute));
    } else {
        return 0;
    }
    boundRadius = largest;
    return largest;
}

void CMesh::GetBoundBox(D3DXVECTOR4* minimum, D3DXVECTOR4* maximum) const
{
    if (minimum)
        *minimum = corners[0];
    if (maximum)
        *maximum = corners[6];
}

bool CMesh::PointInBox(const D3DXVECTOR4& point, float margin) const
{
    const D3DXVECTOR4& lo = corners[0];
    const D3DXVECTOR4& hi = corners[6];
    return point.x >= lo.x - margin && point.x <= hi.x + margin && point.y >= lo.y - margin &&
           point.y <= hi.y + margin && point.z >= lo.z - margin && point.z <= hi.z + margin;
}

int CMesh::FindMaterial(const char* name) const
{
    for (int i = 0; materials && i < materialCount; ++i)
        if (StrEqual(materials[i].name, name))
            return i;
    return -1;
}

int CMesh::FindSubMesh(uint32_t id) const
{
    for (int i = 0; subMeshes && i < subMeshCount; ++i)
        if (subMeshes[i].id == id)
            return i;
    return -1;
}
