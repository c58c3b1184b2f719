#pragma once
// CViewPoint: an eye looking at a target, with the pitch and yaw of that direction and the
// projection numbers (field of view, aspect, near and far). Cameras orbit, zoom and pan it;
// the device object builds its view and projection from it. Angles are radians; the yaw is
// atan2(d.x, d.z) of d = target - eye in [0, 2pi), the pitch positive when looking up.
// An eye on its target has no direction: the angles are kept and nothing moves.

#include <d3dx9.h>

struct CViewPoint {
    D3DXVECTOR4 eye{0, 0, 0, 1};
    D3DXVECTOR4 target{0, 0, 0, 1};
    D3DXVECTOR4 angles{0, 0, 0, 0};  // x pitch, y yaw
    float fovX = 0.7f;               // horizontal and vertical angles of the
    float fovY = 0.6f;               // two-angle projection
    float zNear = 3.0f;
    float zFar = 2000.0f;
    D3DXVECTOR4 up{0, 1, 0, 1};
    float fov = 0.785f;
    float aspect = 1.0f;

    void SetEyeTarget(const D3DXVECTOR3* newEye, const D3DXVECTOR3* newTarget, float fieldOfView,
                      float aspectRatio, float nearPlane, float farPlane,
                      const D3DXVECTOR3* upVector);
    // Eye, target, the two projection angles and the clip planes; then UpdateAngles.
    void SetEyeTargetFovXY(const D3DXVECTOR3* newEye, const D3DXVECTOR3* newTarget,
                           float angleX, float angleY, float nearPlane, float farPlane);
    void ComputeAngles();
    // As ComputeAngles with the opposite pitch sign (negative when looking up).
    void UpdateAngles();
    // target = eye + distance along the direction of the angles.
    void ComputeTarget();

    void RotateYaw(float step);
    void SetYaw(float yaw);
    void RotatePitch(float pitch);
    // Adds to the pitch with the eye above the target for positive pitches.
    void StepPitch(float step);
    void MoveAcross(float step);
    void MoveAlong(float step);
    void MoveTarget(const D3DXVECTOR3& newTarget);
    void Raise(float height);
    // 0, or 1 / 2 when the eye was stopped at the minimum / maximum distance.
    int Zoom(float step, float minDistance, float maxDistance);
    void SetNearFar(float nearPlane, float farPlane);

    float GetDistance() const;
    D3DXVECTOR3* GetDirToEye(D3DXVECTOR3* out) const;
    D3DXVECTOR3* GetDirToTarget(D3DXVECTOR3* out) const;

private:
    D3DXVECTOR3 Offset() const;  // target - eye
    void PlaceEyeAroundTarget(float yaw, float horizontalDistance);
};
