#pragma once
// CCamera (type 11) and CShadowCamera (type 2): the units through which the scene is seen.
// A camera holds eye (Pos), target, up, field of view and clip planes, hands them every
// frame to the view point the cameras share and to the device and renderer, and moves
// under the mouse (zoom with speed and braking between two distances, rotation within
// pitch limits, panning with a short glide) unless an animation or smooth mover drives it.
// The engine's mouse handling sets its motion flags. A shadow camera looks from the light
// for the shadow pass and follows the main camera. Missing shadow resources are counted
// warnings on the unit classes' budget; a degenerate view (no height, eye on the target)
// keeps the last aspect and direction.

#include "core/ViewPoint.h"
#include "scene/Atom.h"

// Motion flags, set by the engine's mouse handling.
enum : uint32_t {
    CAM_ZOOM = 1,
    CAM_ROTATE_HELD = 2,
    CAM_ROTATING = 4,
    CAM_PAN = 8,
    CAM_EDGE_LEFT = 16,
    CAM_EDGE_RIGHT = 32,
    CAM_EDGE_TOP = 64,
    CAM_EDGE_BOTTOM = 128,
    CAM_EDGES = 0xF0,
    CAM_ROTATED = 0x100,
};

// Eye-target distance times this is the world step of one pixel of panning.
constexpr float PAN_DISTANCE_FACTOR = 0.00077f;

// The view point every camera sets and moves; the device builds its matrices from it.
extern CViewPoint gCameraView;

class CCamera : public CAtom {
public:
    CCamera();

    int ScanNativePropertyes(FILE* file, const char* word) override;
    int ScanMissionData(FILE* file, const char* word) override;
    uint32_t GetParamIndex(const char* param) override;
    uint32_t DoIdle() override;
    uint32_t PreRender() override;
    uint32_t Render(uint32_t /*pass*/) override { return 0; }
    void CopyFromPrototype(const CAtom* prototype) override;

    // Called by the engine once per frame for the main camera.
    void UpdateMotion();
    void SetCamFromAnimations();
    float GetDistance() const;
    D3DXVECTOR4 GetDirection() const;
    // True while an animation or smooth mover drives the camera.
    bool UnderProgramControl() const { return !animations.Empty() || !smoothMovers.Empty(); }

    void SetDistanceParams(float minimum, float maximum, float speed, float accel, float deccel, float fade);
    void SetRotationParams(float minAx, float maxAx, float speed);
    void SetPanParams(float speed, float glideTime);

    D3DXVECTOR4 target{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXVECTOR4 up{0.0f, 1.0f, 0.0f, 1.0f};
    float fov = 0.785398f;
    float zNear = 5.0f;
    float zFar = 1000.0f;
    uint32_t motionFlags = 0;
    float zoomTime = 0.0f;
    float zoomSpeed = 0.0f;
    float DistanceSpeed = 0.8f;
    float DistanceAccel = 5.0f;
    float DistanceDeccel = 3.0f;
    float zoomDirection = 0.0f;
    float MinDistance = 10.0f;
    float MaxDistance = 1000.0f;
    float FadeTime = 0.3f;  // zoom time given by one wheel input
    int32_t rotationStart[2] = {0, 0};
    float MinAx = -1.5f;
    float MaxAx = -0.2f;
    float Speed = 0.003f;  // radians per mouse pixel
    float panTime = 0.0f;
    float panGlideTime = 0.1f;
    float panSpeed = 1.0f;
    float panStep[2] = {0.0f, 0.0f};
    int32_t panStart[2] = {0, 0};
    // The last usable width / height of the engine's view.
    float aspect = 1.0f;

protected:
    // The shared view point from this camera, with the aspect of the engine's view.
    void SetViewPoint();
    // The shared view point from this camera with its current aspect.
    void LookThrough();
    // The device camera and the renderer's matrices from the shared view point.
    void SendView();
    void UpdateDir();

private:
    void UpdateZoom(float dt);
    void UpdateRotation();
    void UpdatePan(float dt);
    void TakeEye();
    bool ScanOwnProperty(FILE* file, const char* word);
    bool ScanOwnMissionKey(FILE* file, const char* word);
};

// Shadow camera flags.
enum : uint16_t {
    SHADOW_ATTACH_TO_CAMERA = 1,
    SHADOW_CAMERA_DISTANCING = 2,
};

class CShadowCamera : public CCamera {
public:
    int ScanNativePropertyes(FILE* file, const char* word) override;
    int ScanMissionData(FILE* file, const char* word) override;
    uint32_t DoIdle() override;
    uint32_t PreRender() override { return 0; }
    uint32_t Render(uint32_t pass) override;
    void CopyFromPrototype(const CAtom* prototype) override;

    // The eye moved by the main camera's target and distance.
    void FollowCamera(const CCamera& main, float seaHeight);

    uint16_t shadowMap = 0;
    uint16_t depthBuffer = 0;
    uint16_t preShadowMap = 0;
    uint16_t preShadowMapBacker = 0;
    uint16_t preShadowPixelShader = 0;
    uint16_t shadowFlags = 0;
    uint32_t clearColor = 0xFFFFFFFF;
    uint32_t fillColor = 0;
    float CameraDistance[2] = {0.0f, 0.0f};
    float ShadowCameraDistance[2] = {0.0f, 0.0f};

private:
    bool ScanOwnProperty(FILE* file, const char* word);
    void ScanDistancing(FILE* file);
};
