#pragma once
// CBillboard ("BILLBOARD", type 12): a geometry unit that turns toward the viewer every
// idle step, optionally placed on a ring around its anchor or kept at a constant apparent
// size. It may be the auxiliary billboard the renderer makes for a unit whose class names
// one; it then follows that unit (its owner) and belongs to it. CBillLight ("BILL_LIGHT",
// type 13) is a billboard used as a light glow: it may appear after a random delay and,
// once told to switch off, leaves its master's light list and deletes itself after a
// random delay. Unknown words in "BillControls:" are a message box and reading goes on.

#include "scene/Geometry.h"

constexpr uint32_t BILLBOARD_UNIT_TYPE = 12;
constexpr uint32_t BILL_LIGHT_UNIT_TYPE = 13;

// Billboard controls.
enum : uint32_t {
    BILL_ON = 1,
    BILL_FACE_AY = 2,
    BILL_FACE_AX = 4,
    BILL_POS_RING = 8,
    BILL_AUTO_SIZING = 16,
    BILL_FACE_ONE_CAM = 32,
    BILL_OWN_MATRIX = 64,  // the subclass builds the world matrix
};
constexpr float AUTO_SIZE_SCALE = 0.01f;

class CBillboard : public CGeometry {
public:
    int ScanNativePropertyes(FILE* file, const char* word) override;
    int ScanMissionData(FILE* file, const char* word) override;
    uint32_t DoIdle() override;
    void CopyFromPrototype(const CAtom* prototype) override;
    void CopyTo(CAtom* destination) const override;
    // Controls, limits and relative position; the source's Size becomes the base size.
    void CopyParams(const CBillboard& source);

    uint32_t controls = 0;
    D3DXVECTOR4 placedPos{0.0f, 0.0f, 0.0f, 1.0f};  // the world position of the matrix
    float yawLimits[2] = {-6.29f, 6.29f};
    float pitchLimits[2] = {-1.57f, 1.57f};
    D3DXVECTOR4 relativePos{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXVECTOR4 baseSize{1.0f, 1.0f, 1.0f, 1.0f};

protected:
    // Yaw-pitch-roll of Orient (pitch negated) at the placed position.
    void BuildWorld();

private:
    bool ScanOwnProperty(FILE* file, const char* word);
    bool ScanOwnMissionKey(FILE* file, const char* word);
    void ScanBillControls(FILE* file);
    D3DXVECTOR4 Anchor();
};

// Bill-light phases.
enum : uint16_t { BILL_LIGHT_SWITCHING_OFF = 1, BILL_LIGHT_WAITING = 2 };

class CBillLight : public CBillboard {
public:
    // Out of the master's light list.
    void Release() override;
    int ScanNativePropertyes(FILE* file, const char* word) override;
    uint32_t DoIdle() override;
    void CopyFromPrototype(const CAtom* prototype) override;
    void CopyTo(CAtom* destination) const override;
    // With a delay the light starts hidden and appears after a random part of it.
    void FirstInit() override;
    // Starts the countdown to its removal; ignored while already switching off.
    void StartSwitchOff();

    uint16_t phase = 0;
    uint16_t savedMesh = 0;
    float delay = 0.0f;  // seconds
    float countdown = 0.0f;
    float spin = 0.0f;  // roll per radian of yaw

private:
    bool ScanOwnProperty(FILE* file, const char* word);
    // Deleted through the registry (which releases it first).
    void RemoveSelf();
};
