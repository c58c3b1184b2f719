#include "scene/Camera.h"

#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "engine/AnimContainer.h"
#include "engine/Engine.h"
#include "scene/Renderer.h"

#include <algorithm>
#include <cmath>
#include <iterator>

CViewPoint gCameraView;

namespace {

// One float key of a parameter block: its word and the camera field it sets.
struct SFloatKey {
    const char* word;
    float CCamera::*field;
};

const SFloatKey DISTANCE_KEYS[] = {
    {"MinDistance:", &CCamera::MinDistance},       {"MaxDistance:", &CCamera::MaxDistance},
    {"DistanceSpeed:", &CCamera::DistanceSpeed},   {"DistanceAccel:", &CCamera::DistanceAccel},
    {"DistanceDeccel:", &CCamera::DistanceDeccel}, {"FadeTime:", &CCamera::FadeTime},
};
static_assert(std::size(DISTANCE_KEYS) == 6, "DistanceParams keys");

const SFloatKey ROTATION_KEYS[] = {
    {"MinAx:", &CCamera::MinAx}, {"MaxAx:", &CCamera::MaxAx}, {"Speed:", &CCamera::Speed},
};
static_assert(std::size(ROTATION_KEYS) == 3, "RotationParams keys");

const SFloatKey MISSION_DISTANCE_KEYS[] = {
    {"min_distance:", &CCamera::MinDistance},       {"max_distance:", &CCamera::MaxDistance},
    {"distance_speed:", &CCamera::DistanceSpeed},   {"distance_accel:", &CCamera::DistanceAccel},
    {"distance_deccel:", &CCamera::DistanceDeccel}, {"fade_time:", &CCamera::FadeTime},
};
static_assert(std::size(MISSION_DISTANCE_KEYS) == 6, "distance_params keys");

const SFloatKey MISSION_ROTATION_KEYS[] = {
    {"min_ax:", &CCamera::MinAx}, {"max_ax:", &CCamera::MaxAx}, {"speed:", &CCamera::Speed},
};
static_assert(std::size(MISSION_ROTATION_KEYS) == 3, "rotation_params keys");

// A block of float keys up to "};"; other words are skipped.
template <size_t N>
void ScanFloatBlock(FILE* file, CCamera& camera, const SFloatKey (&keys)[N])
{
    char word[Core::WORD_BUFFER_SIZE];
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "};"); Core::fscan_word(file, word))
        for (const SFloatKey& key : keys)
            if (StrEqual(key.word, word)) Core::fscan_float(file, &(camera.*key.field));
}

D3DXVECTOR3 Xyz(const D3DXVECTOR4& v) { return D3DXVECTOR3(v.x, v.y, v.z); }

} // namespace

CCamera::CCamera()
{
    Pos = D3DXVECTOR4(0.0f, -100.0f, 80.0f, 1.0f);
}

bool CCamera::ScanOwnProperty(FILE* file, const char* word)
{
    if (StrEqual(word, "Near:")) {
        Core::fscan_float(file, &zNear);
    } else if (StrEqual(word, "Far:")) {
        Core::fscan_float(file, &zFar);
    } else if (StrEqual(word, "Focus:") || StrEqual(word, "Fov:")) {
        Core::fscan_float(file, &fov);
        fov *= DEGREES_TO_RADIANS;
    } else if (StrEqual(word, "DistanceParams:")) {
        ScanFloatBlock(file, *this, DISTANCE_KEYS);
    } else if (StrEqual(word, "RotationParams:")) {
        ScanFloatBlock(file, *this, ROTATION_KEYS);
    } else {
        return false;
    }
    return true;
}

int CCamera::ScanNativePropertyes(FILE* file, const char* word)
{
    const int result = ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CAtom::ScanNativePropertyes(f, w); });
    return result == SCAN_DONE ? -2 : result;
}

bool CCamera::ScanOwnMissionKey(FILE* file, const char* word)
{
    if (StrEqual(word, "at:") || StrEqual(word, "target:")) {
        Core::fscan_fvec3(file, &target.x);
        target.w = 1.0f;
    } else if (StrEqual(word, "near_far:")) {
        float v[2] = {zNear, zFar};
        Core::fscan_bracketed_floats(file, v, 2);
        zNear = v[0];
        zFar = v[1];
    } else if (StrEqual(word, "distance_params:")) {
        ScanFloatBlock(file, *this, MISSION_DISTANCE_KEYS);
    } else if (StrEqual(word, "rotation_params:")) {
        ScanFloatBlock(file, *this, MISSION_ROTATION_KEYS);
    } else {
        return false;
    }
    return true;
}

int CCamera::ScanMissionData(FILE* file, const char* word)
{
    gUnknownWord[0] = 0;
    return ScanMissionBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnMissionKey(f, w); },
        [this](FILE* f, const char* w) { return CAtom::ScanMissionData(f, w); });
}

uint32_t CCamera::GetParamIndex(const char* param)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    if (StrEqual(param, "At") || StrEqual(param, "Target")) return uint32_t(offsetof(CCamera, target) / 4);
#pragma GCC diagnostic pop
    return CAtom::GetParamIndex(param);
}

void CCamera::CopyFromPrototype(const CAtom* prototype)
{
    CAtom::CopyFromPrototype(prototype);
    const CCamera* from = dynamic_cast<const CCamera*>(prototype);
    if (!from) return;
    target = from->target;
    up = from->up;
    fov = from->fov;
    zNear = from->zNear;
    zFar = from->zFar;
    SetDistanceParams(from->MinDistance, from->MaxDistance, from->DistanceSpeed, from->DistanceAccel,
                      from->DistanceDeccel, from->FadeTime);
    SetRotationParams(from->MinAx, from->MaxAx, from->Speed);
}

void CCamera::SetDistanceParams(float minimum, float maximum, float speed, float accel, float deccel, float fade)
{
    MinDistance = minimum;
    MaxDistance = maximum;
    DistanceSpeed = speed;
    DistanceAccel = accel;
    DistanceDeccel = deccel;
    FadeTime = fade;
}

void CCamera::SetRotationParams(float minAx, float maxAx, float speed)
{
    MinAx = minAx;
    MaxAx = maxAx;
    Speed = speed;
}

void CCamera::SetPanParams(float speed, float glideTime)
{
    panSpeed = speed;
    panGlideTime = glideTime;
}

float CCamera::GetDistance() const
{
    const D3DXVECTOR3 d = Xyz(target) - Xyz(Pos);
    return D3DXVec3Length(&d);
}

// An eye on its target has no direction: the last one stands.
D3DXVECTOR4 CCamera::GetDirection() const
{
    D3DXVECTOR3 d = Xyz(target) - Xyz(Pos);
    if (D3DXVec3LengthSq(&d) == 0.0f) return Dir;
    D3DXVec3Normalize(&d, &d);
    return D3DXVECTOR4(d.x, d.y, d.z, 0.0f);
}

void CCamera::UpdateDir()
{
    Dir = GetDirection();
}

// A view without height (a minimised window) keeps the last aspect.
void CCamera::SetViewPoint()
{
    if (gEngine && gEngine->view.Height > 0) aspect = float(gEngine->view.Width) / float(gEngine->view.Height);
    LookThrough();
}

void CCamera::LookThrough()
{
    const D3DXVECTOR3 eye = Xyz(Pos), at = Xyz(target), upVector = Xyz(up);
    gCameraView.SetEyeTarget(&eye, &at, fov, aspect, zNear, zFar, &upVector);
}

void CCamera::SendView()
{
    gGraphics.SetCamera(&gCameraView);
    if (gRenderer) gRenderer->SetViewProj(gGraphics.view, gGraphics.projection);
}

uint32_t CCamera::DoIdle()
{
    SetCamFromAnimations();
    if (!(SysControls & SYS_FOR_CONTROLS3D)) {
        SetViewPoint();
        Orient.x = gCameraView.angles.x;
        Orient.y = gCameraView.angles.y;
    }
    UpdateDir();
    return 0;
}

uint32_t CCamera::PreRender()
{
    SetViewPoint();
    SendView();
    return 0;
}

// Each animation moves the target (its target channel, relative to the target the first
// relative animation began with) and, with angles, puts the eye behind the target along
// them at the current distance. An animation without values cannot say where to look.
void CCamera::SetCamFromAnimations()
{
    for (const CAnimInstance* instance = animations.First(); instance; instance = instance->next) {
        const CAnimValues* values = instance->player.SampleColorUv();
        if (!values || !instance->file) {
            WarningBox(&gWarningBudget, "CCamera::SetCamFromAnimations  Error:  \n\n    For Camera '", name,
                       "' animation don`t have a position or target.",
                       "\n    Please declare 'StoreValues' keyword in animation description befor file declaration.",
                       nullptr);
            return;
        }
        const uint32_t flags = instance->file->data.flags;
        if (flags & ANIM_TARGET) {
            target = values->target;
            if ((flags & ANIM_RELATIVE) && animBase) {
                target.x += animBase->target.x;
                target.y += animBase->target.y;
                target.z += animBase->target.z;
            }
        }
        if (flags & ANIM_ANGLE) {
            // The view direction of the angles (pitch x, yaw y), pointing back to the eye.
            const float cosPitch = cosf(Orient.x);
            Dir = D3DXVECTOR4(-sinf(Orient.y) * cosPitch, -sinf(Orient.x), -cosf(Orient.y) * cosPitch, 0.0f);
            const float distance = gCameraView.GetDistance();
            Pos = D3DXVECTOR4(target.x + Dir.x * distance, target.y + Dir.y * distance, target.z + Dir.z * distance, 1.0f);
        }
    }
}

void CCamera::TakeEye()
{
    Pos = gCameraView.eye;
    Pos.w = 1.0f;
}

void CCamera::UpdateMotion()
{
    if (UnderProgramControl()) return;
    const float dt = gFrameTimer.step;
    UpdateZoom(dt);
    UpdateRotation();
    UpdatePan(dt);
}

void CCamera::UpdateZoom(float dt)
{
    if (zoomDirection != 0.0f && zoomTime > 0.0f) {
        if (zoomDirection > 0.0f)
            zoomSpeed = std::min(zoomSpeed + DistanceAccel * dt, DistanceSpeed);
        else
            zoomSpeed = std::max(zoomSpeed - DistanceAccel * dt, -DistanceSpeed);
    }
    if (!(motionFlags & CAM_ZOOM)) {
        zoomTime = std::max(zoomTime - dt, 0.0f);
        if (zoomTime == 0.0f) {
            zoomDirection = 0.0f;
            const float brake = DistanceDeccel * dt;
            zoomSpeed = zoomSpeed > 0.0f ? std::max(zoomSpeed - brake, 0.0f) : std::min(zoomSpeed + brake, 0.0f);
        }
    }
    if (zoomSpeed == 0.0f) return;
    if (gCameraView.Zoom(zoomSpeed * dt * gCameraView.GetDistance(), MinDistance, MaxDistance) != 0)
        zoomSpeed = 0.0f;
    TakeEye();
}

void CCamera::UpdateRotation()
{
    if (!(motionFlags & CAM_ROTATING)) return;
    const float yawStep = float(gInput.mouseX - rotationStart[0]) * Speed;
    if (yawStep != 0.0f) {
        gCameraView.RotateYaw(yawStep);
        rotationStart[0] = gInput.mouseX;
        TakeEye();
    }
    const float pitchStep = float(gInput.mouseY - rotationStart[1]) * Speed;
    if (pitchStep != 0.0f) {
        gCameraView.RotatePitch(std::clamp(gCameraView.angles.x - pitchStep, MinAx, MaxAx));
        Orient.x = gCameraView.angles.x;
        Orient.y = gCameraView.angles.y;
        rotationStart[1] = gInput.mouseY;
        TakeEye();
    }
}

void CCamera::UpdatePan(float dt)
{
    const float k = gCameraView.GetDistance() * PAN_DISTANCE_FACTOR;
    if (!(motionFlags & CAM_PAN)) {
        panTime -= dt;
        if (panTime < 0.0f) {
            panTime = 0.0f;
            panStep[0] = panStep[1] = 0.0f;
        }
    } else {
        panStep[0] = float(panStart[0] - gInput.mouseX);
        panStep[1] = float(panStart[1] - gInput.mouseY);
        panStart[0] = gInput.mouseX;
        panStart[1] = gInput.mouseY;
    }
    if (panStep[0] != 0.0f) {
        gCameraView.MoveAcross(panStep[0] * panSpeed * k);
        target = gCameraView.target;
        TakeEye();
    }
    if (panStep[1] != 0.0f) {
        gCameraView.MoveAlong(-panStep[1] * panSpeed * k);
        target = gCameraView.target;
        TakeEye();
    }
}
