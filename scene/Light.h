#pragma once
// CLight ("FREE_LIGHT" / "DIR_LIGHT", type 10): a directional light. Every frame its idle
// step works out Dir (from Orient, or from the camera's heading when attached to the
// camera) and hands the light to the renderer's light list; the renderer reads its colour,
// multiplier and diffuse/specular switches when it fills the per-unit light constants.
// It owns nothing; unknown words go to CAtom and are reported by the caller.

#include "scene/Atom.h"

constexpr uint32_t LIGHT_UNIT_TYPE = 10;

// Light flags.
enum : uint32_t {
    LIGHT_ATTACH_TO_CAMERA = 1,  // Dir follows the camera's heading
    LIGHT_LOCAL_FOR_UNIT = 2,    // Dir is given to shaders in each unit's own space
};

class CLight : public CAtom {
public:
    CLight();

    int ScanNativePropertyes(FILE* file, const char* word) override;
    int ScanMissionData(FILE* file, const char* word) override;
    uint32_t DoIdle() override;
    uint32_t Render(uint32_t /*pass*/) override { return 0; }
    void CopyFromPrototype(const CAtom* prototype) override;
    // Dir from Orient; the class's start actions are not run for lights.
    void FirstInit() override;

    // Dir for this frame, without handing the light to the renderer.
    void UpdateDirection();

    uint32_t lightFlags = 0;
    float multiplier = 1.0f;
    uint32_t diffuse = 1;
    uint32_t specular = 0;

private:
    bool ScanOwnProperty(FILE* file, const char* word);
    bool ScanOwnMissionKey(FILE* file, const char* word);
};
