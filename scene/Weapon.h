#pragma once
// CWeapon ("WEAPON", type 14): a turret or cannon, usually carried by a CUnit that made it
// from one of its weapon descriptions (the carrier owns it). Given a target it turns its
// yaw and pitch toward it at its turn rates and, once aimed, fires one CBolide from each
// loaded fire position, with barrel recoil and a reload time. Kinematic bones are not part
// of the program yet: every weapon turns itself, and barrel recoil is kept per fire
// position. Script problems are counted warnings; a weapon without a usable bolide class
// never fires.

#include "scene/Geometry.h"

#include <cstdint>

constexpr uint32_t WEAPON_UNIT_TYPE = 14;
constexpr int MAX_FIRE_POSITIONS = 3;
constexpr int AIM_OUT_OF_REACH = -11111;

// Targets a weapon takes.
enum : uint8_t { WEAPON_TARGET_LAND = 1, WEAPON_TARGET_SEA = 2, WEAPON_TARGET_AIR = 4 };
// Weapon state bits.
enum : uint8_t {
    WEAPON_ATTACKING = 1,
    WEAPON_ATTACKING2 = 2,
    WEAPON_ONE_SALVO = 4,
    WEAPON_RELOADING = 16,
};

struct SFirePosition {
    float countdown = 0.0f;  // seconds until loaded
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    float scale = 1.0f;
    uint8_t bone = 0;
};

class CClassTemplate;

class CWeapon : public CGeometry {
public:
    int ScanNativePropertyes(FILE* file, const char* word) override;
    uint32_t DoIdle() override;
    void CopyFromPrototype(const CAtom* prototype) override;
    // Script inheritance takes this class's values along.
    void CopyTo(CAtom* destination) const override;

    // A point target; mode 1 fires one salvo only.
    void SetTarget(const D3DXVECTOR4& point, int mode);
    // One aiming step: 0 aimed, 1 still turning, AIM_OUT_OF_REACH.
    int Aim();
    // The weapon's matrix in the world: its own, then its carrier's.
    void WeaponMatrix(D3DXMATRIX* out) const;
    // The recoil offset of the barrel of a fire position (<= 0).
    float BarrelOffset(int firePosition) const { return barrelOffset[oneBone ? 0 : firePosition]; }

    float armor = 0.0f;
    float pitchRate = 0.0f, yawRate = 0.0f;  // radians per second
    CAtom* carrier = nullptr;
    uint8_t bone = 255;
    uint8_t targets = 0;
    uint8_t weaponState = 0;
    uint8_t firePositionCount = 0;
    uint8_t oneBone = 0;
    CAtom* targetUnit = nullptr;
    D3DXVECTOR4 targetPoint{0.0f, 0.0f, 0.0f, 1.0f};
    CClassTemplate* bolideClass = nullptr;
    SFirePosition firePositions[MAX_FIRE_POSITIONS];
    float barrelOffset[MAX_FIRE_POSITIONS] = {};
    float recoilDistance = 0.0f, recoverySpeed = 0.0f;
    uint8_t afterShots = 0;
    float afterShotsDelay = 0.5f;
    float shotPeriod = 1.0f;

private:
    void CopyOwnTo(CWeapon* destination) const;
    bool ScanOwnProperty(FILE* file, const char* word);
    void ScanWhoAttacked(FILE* file);
    void ScanFirePosition(FILE* file);
    void ScanBolideClass(FILE* file);
    void StepReload(float dt);
    // The salvo: every loaded fire position fires.
    void FireSalvo();
    bool Fire(int index);
    // The elevation toward a target at that height and distance; OUT_OF_REACH when the
    // bolide cannot get there.
    float PitchTo(float height, float distance) const;
    D3DXVECTOR4 CarrierDirection(const D3DXVECTOR4& toTarget) const;
};
