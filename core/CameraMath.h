#pragma once
// Matrix helpers of the camera: identity, the two-angle perspective projection, a yaw
// placement and the view frustum of a view and projection.

#include "core/GraphicsTypes.h"

void SetIdentity(D3DXMATRIX* m);
// Perspective projection from a horizontal and a vertical field of view (radians).
void MakePerspectiveFovXY(D3DXMATRIX* m, float angleX, float angleY, float zNear, float zFar);
// Rotation about Y by the angle (radians), the translation row set to the position.
void MakeYawMatrix(D3DXMATRIX* m, const D3DXVECTOR3& position, float angle);
void CalcFrustumPlanes(SFrustum* frustum, const D3DXMATRIX* view, const D3DXMATRIX* projection);
