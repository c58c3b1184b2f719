#pragma once
// View matrices for rendering into the six faces of a cube texture from the origin.

#include <d3dx9.h>

constexpr int CUBE_FACE_COUNT = 6;

// Left-handed look-at from the origin for face 0-5 in the Direct3D cube-face order
// (+X, -X, +Y, -Y, +Z, -Z); false and out untouched for any other face.
bool GetCubeMapViewMatrix(D3DXMATRIX* out, int face);
