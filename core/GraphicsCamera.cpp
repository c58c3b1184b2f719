// The camera: view and projection from a view point, their inverse and frustum, and the
// picking ray through a window pixel.

#include "core/Graphics.h"

#include "core/CameraMath.h"

void CGraphics::ApplyViewpoint(CViewPoint* cam, const D3DXMATRIX& proj)
{
    camera = cam;
    D3DXVECTOR3 eye(cam->eye.x, cam->eye.y, cam->eye.z);
    D3DXVECTOR3 at(cam->target.x, cam->target.y, cam->target.z);
    D3DXVECTOR3 up(cam->up.x, cam->up.y, cam->up.z);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixInverse(&inverseView, nullptr, &view);
    projection = proj;
    // The matrices are also wanted without a device (picking, culling).
    if (Device3D) {
        Device3D->SetTransform(D3DTS_VIEW, &view);
        Device3D->SetTransform(D3DTS_PROJECTION, &projection);
    }
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    CalcFrustumPlanes(&frustum, &view, &projection);
}

void CGraphics::SetCamera(CViewPoint* cam)
{
    if (!cam)
        cam = &defaultCamera;
    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, cam->fov, cam->aspect, cam->zNear, cam->zFar);
    ApplyViewpoint(cam, proj);
    cam->ComputeTarget();
}

void CGraphics::SetCameraFovXY(CViewPoint* cam)
{
    if (!cam)
        cam = &defaultCamera;
    D3DXMATRIX proj;
    MakePerspectiveFovXY(&proj, cam->fovX, cam->fovY, cam->zNear, cam->zFar);
    ApplyViewpoint(cam, proj);
    cam->UpdateAngles();
}

void CGraphics::GetPickRay(D3DXVECTOR3* origin, D3DXVECTOR3* direction, int x, int y) const
{
    const CViewPoint* cam = camera ? camera : &defaultCamera;
    if (origin)
        *origin = D3DXVECTOR3(cam->eye.x, cam->eye.y, cam->eye.z);
    if (!direction)
        return;
    float px = ((x - int(viewport.X)) * 2.0f / float(viewport.Width) - 1.0f) / projection._11;
    float py = -((y - int(viewport.Y)) * 2.0f / float(viewport.Height) - 1.0f) / projection._22;
    const D3DXMATRIX& m = inverseView;
    D3DXVECTOR3 d(px * m._11 + py * m._21 + m._31, px * m._12 + py * m._22 + m._32,
                  px * m._13 + py * m._23 + m._33);
    D3DXVec3Normalize(direction, &d);
}
