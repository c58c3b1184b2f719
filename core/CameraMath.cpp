#include "core/CameraMath.h"

#include "core/VecMath.h"

#include <cmath>

namespace {

// The clip-space corners of the view volume, near face first.
const D3DXVECTOR3 CLIP_CORNERS[] = {
    {-1, -1, 0}, {1, -1, 0}, {-1, 1, 0}, {1, 1, 0},
    {-1, -1, 1}, {1, -1, 1}, {-1, 1, 1}, {1, 1, 1},
};
static_assert(sizeof CLIP_CORNERS / sizeof CLIP_CORNERS[0] == 8, "eight corners");

// Three corners per plane, wound so that every normal points into the volume.
const int PLANE_CORNERS[][3] = {
    {0, 1, 2},  // near
    {6, 7, 5},  // far
    {2, 6, 4},  // left
    {7, 3, 5},  // right
    {2, 3, 6},  // top
    {1, 0, 4},  // bottom
};
static_assert(sizeof PLANE_CORNERS / sizeof PLANE_CORNERS[0] == 6, "six planes");

const int EDGE_CORNERS[][2] = {
    {4, 5}, {1, 3}, {4, 6}, {5, 7}, {0, 1}, {2, 3},
    {0, 2}, {6, 7}, {0, 4}, {2, 6}, {1, 5}, {3, 7},
};
static_assert(sizeof EDGE_CORNERS / sizeof EDGE_CORNERS[0] == 12, "twelve edges");

} // namespace

void SetIdentity(D3DXMATRIX* m)
{
    D3DXMatrixIdentity(m);
}

void MakePerspectiveFovXY(D3DXMATRIX* m, float angleX, float angleY, float zNear, float zFar)
{
    *m = D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    m->_11 = 1.0f / std::tan(angleX * 0.5f);
    m->_22 = 1.0f / std::tan(angleY * 0.5f);
    m->_33 = zFar / (zFar - zNear);
    m->_34 = 1.0f;
    m->_43 = -zNear * zFar / (zFar - zNear);
}

void MakeYawMatrix(D3DXMATRIX* m, const D3DXVECTOR3& position, float angle)
{
    MatrixRotYPos(m, D3DXVECTOR4(position.x, position.y, position.z, 1.0f), angle);
}

void CalcFrustumPlanes(SFrustum* frustum, const D3DXMATRIX* view, const D3DXMATRIX* projection)
{
    D3DXMATRIX viewProj, inverse;
    D3DXMatrixMultiply(&viewProj, view, projection);
    D3DXMatrixInverse(&inverse, nullptr, &viewProj);
    D3DXVECTOR3* c = frustum->corners;
    for (int i = 0; i < 8; ++i)
        D3DXVec3TransformCoord(&c[i], &CLIP_CORNERS[i], &inverse);
    for (int i = 0; i < 6; ++i) {
        const int* k = PLANE_CORNERS[i];
        D3DXPlaneFromPoints(&frustum->planes[i], &c[k[0]], &c[k[1]], &c[k[2]]);
    }
    for (int i = 0; i < 12; ++i) {
        frustum->edges[2 * i] = c[EDGE_CORNERS[i][0]];
        frustum->edges[2 * i + 1] = c[EDGE_CORNERS[i][1]];
    }
}
