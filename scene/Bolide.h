#pragma once
// CBolide ("BOLIDE", type 16): a projectile. Launched by a weapon, it flies straight or on
// a ballistic arc; when it falls to the engine's ground level it finds the crossing point,
// records it as the last impact, calls its hit callback and deletes itself through the
// unit registry. It owns nothing.

#include "core/VecMath.h"
#include "engine/MapPos.h"
#include "scene/Geometry.h"

#include <cstdint>

constexpr uint32_t BOLIDE_UNIT_TYPE = 16;

enum : uint8_t { BOLIDE_LINEAR = 1, BOLIDE_PARABOLIC = 2 };

// Where the last bolide came down.
struct SBolideImpact {
    D3DXVECTOR4 point{0.0f, 0.0f, 0.0f, 1.0f};
    SMapPos cell;
    int count = 0;  // impacts since start
};
extern SBolideImpact gBolideImpact;

class CBolide : public CGeometry {
public:
    CBolide();
    int ScanNativePropertyes(FILE* file, const char* word) override;
    // 1 once the bolide has hit the ground and is deleted, else 0.
    uint32_t DoIdle() override;
    void CopyFromPrototype(const CAtom* prototype) override;
    // Script inheritance takes this class's values along.
    void CopyTo(CAtom* destination) const override;

    // Takes Pos and Dir (unit length) as the start of the flight.
    void Launch();
    // The ground level bolides fall to: the engine's sea height.
    static float GroundLevel();

    float flightTime = 0.0f;
    float breakoutForce = 0.0f;
    float speed = 0.0f;
    float mass = 0.0f;
    float horizontalSpeed = 0.0f, verticalSpeed = 0.0f;
    float sinYaw = 0.0f, cosYaw = 1.0f;
    D3DXVECTOR4 launchPos{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXVECTOR4 previousPos{0.0f, 0.0f, 0.0f, 1.0f};
    uint8_t flightMode = BOLIDE_LINEAR;
    void (*hitCallback)(CBolide*) = nullptr;

private:
    void CopyOwnTo(CBolide* destination) const;
    bool ScanOwnProperty(FILE* file, const char* word);
    void ScanControls(FILE* file);
    void FlyParabolic(float dt);
    // Finds where the flight crossed the level and records the impact.
    void Impact(float level);
};
