#pragma once
// CCamera: a view unit steered by the engine's mouse handling through its motion flags.
// Until the camera class is built this holds the fields the engine writes; its per-frame
// operations do nothing.

#include "scene/Atom.h"

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

class CCamera : public CAtom {
public:
    uint32_t PreRender() override { return 0; }
    void UpdateMotion() {}
    // True while an animation or smooth mover drives the camera.
    bool UnderProgramControl() const { return programControlled; }

    D3DXVECTOR3 eye{0, 0, -10};
    D3DXVECTOR3 target{0, 0, 0};
    uint32_t motionFlags = 0;
    float zoomSpeed = 0.0f;
    float zoomDirection = 0.0f;
    float zoomTime = 0.0f;
    float fadeTime = 0.3f;
    int32_t rotationStart[2] = {0, 0};
    float panTime = 0.0f;
    float panGlideTime = 0.0f;
    int32_t panStart[2] = {0, 0};
    bool programControlled = false;
};
