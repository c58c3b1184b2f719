#include "core/CubeMap.h"

namespace {

struct CubeFaceView {
    D3DXVECTOR3 look;
    D3DXVECTOR3 up;
};

const CubeFaceView CUBE_FACE_VIEWS[] = {
    {{1, 0, 0}, {0, 1, 0}},  {{-1, 0, 0}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, -1}},
    {{0, -1, 0}, {0, 0, 1}}, {{0, 0, 1}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}},
};
static_assert(sizeof CUBE_FACE_VIEWS / sizeof CUBE_FACE_VIEWS[0] == CUBE_FACE_COUNT);

} // namespace

bool GetCubeMapViewMatrix(D3DXMATRIX* out, int face)
{
    if (!out || face < 0 || face >= CUBE_FACE_COUNT)
        return false;
    const D3DXVECTOR3 eye(0, 0, 0);
    D3DXMatrixLookAtLH(out, &eye, &CUBE_FACE_VIEWS[face].look, &CUBE_FACE_VIEWS[face].up);
    return true;
}
