#include "core/ViewPoint.h"

#include "core/VecMath.h"

#include <cmath>

namespace {

constexpr float YAW_POSITIVE_X = 1.5707964f;  // looking along +x
constexpr float YAW_NEGATIVE_X = 4.712389f;   // looking along -x
constexpr float HALF_PI = 1.570796f;
constexpr float PITCH_LIMIT = 1.57f;
constexpr float STEP_PITCH_LIMIT = 1.56f;
constexpr float MIN_YAW_STEP = 0.001f;

float Clamp(float v, float lo, float hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// The direction of v, or zero for a zero vector.
D3DXVECTOR3 Unit(const D3DXVECTOR3& v)
{
    float len = D3DXVec3Length(&v);
    return len == 0 ? D3DXVECTOR3(0, 0, 0) : v / len;
}

void Assign(D3DXVECTOR4& to, const D3DXVECTOR3& from)
{
    to = D3DXVECTOR4(from.x, from.y, from.z, 1.0f);
}

} // namespace

D3DXVECTOR3 CViewPoint::Offset() const
{
    return D3DXVECTOR3(target.x - eye.x, target.y - eye.y, target.z - eye.z);
}

void CViewPoint::SetEyeTarget(const D3DXVECTOR3* newEye, const D3DXVECTOR3* newTarget,
                              float fieldOfView, float aspectRatio, float nearPlane,
                              float farPlane, const D3DXVECTOR3* upVector)
{
    if (newEye)
        Assign(eye, *newEye);
    if (newTarget)
        Assign(target, *newTarget);
    if (upVector)
        up = D3DXVECTOR4(upVector->x, upVector->y, upVector->z, up.w);
    fov = fieldOfView;
    aspect = aspectRatio;
    zNear = nearPlane;
    zFar = farPlane;
    ComputeAngles();
}

void CViewPoint::SetEyeTargetFovXY(const D3DXVECTOR3* newEye, const D3DXVECTOR3* newTarget,
                                   float angleX, float angleY, float nearPlane, float farPlane)
{
    if (newEye)
        Assign(eye, *newEye);
    if (newTarget)
        Assign(target, *newTarget);
    fovX = angleX;
    fovY = angleY;
    zNear = nearPlane;
    zFar = farPlane;
    UpdateAngles();
}

void CViewPoint::ComputeAngles()
{
    D3DXVECTOR3 d = Offset();
    float len = D3DXVec3Length(&d);
    if (len == 0)
        return;
    angles.x = std::asin(Clamp(d.y / len, -1.0f, 1.0f));
    if (d.z != 0)
        angles.y = std::atan2(d.x, d.z);
    else
        angles.y = eye.x < target.x ? YAW_POSITIVE_X : YAW_NEGATIVE_X;
    WrapAngle(&angles.y);
}

void CViewPoint::UpdateAngles()
{
    D3DXVECTOR3 d = Offset();
    float len = D3DXVec3Length(&d);
    if (len == 0)
        return;
    ComputeAngles();
    angles.x = std::acos(Clamp(d.y / len, -1.0f, 1.0f)) - HALF_PI;
}

void CViewPoint::ComputeTarget()
{
    float dist = GetDistance();
    float h = std::cos(angles.x) * dist;
    target.x = eye.x + std::sin(angles.y) * h;
    target.y = eye.y + std::sin(angles.x) * dist;
    target.z = eye.z + std::cos(angles.y) * h;
}

void CViewPoint::PlaceEyeAroundTarget(float yaw, float horizontalDistance)
{
    eye.x = target.x - std::sin(yaw) * horizontalDistance;
    eye.z = target.z - std::cos(yaw) * horizontalDistance;
}

void CViewPoint::RotateYaw(float step)
{
    if (std::fabs(step) < MIN_YAW_STEP)
        return;
    D3DXVECTOR3 d = Offset();
    float r = std::sqrt(d.x * d.x + d.z * d.z);
    angles.y += step;
    WrapAngle(&angles.y);
    PlaceEyeAroundTarget(angles.y, r);
}

void CViewPoint::SetYaw(float yaw)
{
    D3DXVECTOR3 d = Offset();
    float r = std::sqrt(d.x * d.x + d.z * d.z);
    angles.y = yaw;
    PlaceEyeAroundTarget(angles.y, r);
}

void CViewPoint::RotatePitch(float pitch)
{
    angles.x = Clamp(pitch, -PITCH_LIMIT, PITCH_LIMIT);
    float dist = GetDistance();
    eye.y = target.y - std::sin(angles.x) * dist;
    PlaceEyeAroundTarget(angles.y, std::cos(angles.x) * dist);
}

void CViewPoint::StepPitch(float step)
{
    angles.x = Clamp(angles.x + step, -STEP_PITCH_LIMIT, STEP_PITCH_LIMIT);
    float dist = GetDistance();
    eye.y = target.y + std::sin(angles.x) * dist;
    PlaceEyeAroundTarget(angles.y, std::cos(angles.x) * dist);
}

void CViewPoint::MoveAcross(float step)
{
    float dx = std::cos(angles.y) * step, dz = -std::sin(angles.y) * step;
    eye.x += dx;
    eye.z += dz;
    target.x += dx;
    target.z += dz;
}

void CViewPoint::MoveAlong(float step)
{
    float dx = std::sin(angles.y) * step, dz = std::cos(angles.y) * step;
    eye.x += dx;
    eye.z += dz;
    target.x += dx;
    target.z += dz;
}

void CViewPoint::MoveTarget(const D3DXVECTOR3& newTarget)
{
    D3DXVECTOR3 d = Offset();
    Assign(target, newTarget);
    Assign(eye, newTarget - d);
}

void CViewPoint::Raise(float height)
{
    eye.y += height;
    target.y += height;
}

int CViewPoint::Zoom(float step, float minDistance, float maxDistance)
{
    D3DXVECTOR3 d = Offset();
    float len = D3DXVec3Length(&d);
    if (len == 0)
        return 0;
    D3DXVECTOR3 u = d / len;
    // Distance measured along the old direction, so a step past the target stops at the
    // minimum on the same side instead of flipping the view around.
    float dist = len + step;
    int result = 0;
    if (dist < minDistance) {
        dist = minDistance;
        result = 1;
    } else if (dist > maxDistance) {
        dist = maxDistance;
        result = 2;
    }
    D3DXVECTOR3 t(target.x, target.y, target.z);
    Assign(eye, t - u * dist);
    return result;
}

void CViewPoint::SetNearFar(float nearPlane, float farPlane)
{
    if (nearPlane != 0)
        zNear = nearPlane;
    if (farPlane != 0)
        zFar = farPlane;
}

float CViewPoint::GetDistance() const
{
    D3DXVECTOR3 d = Offset();
    return D3DXVec3Length(&d);
}

D3DXVECTOR3* CViewPoint::GetDirToEye(D3DXVECTOR3* out) const
{
    *out = Unit(-Offset());
    return out;
}

D3DXVECTOR3* CViewPoint::GetDirToTarget(D3DXVECTOR3* out) const
{
    *out = Unit(Offset());
    return out;
}
