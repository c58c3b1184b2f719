#pragma once
// CWeapon ("WEAPON", type 14): a turret or cannon, usually carried by a CUnit that made it
// from one of its weapon descriptions (the carrier owns it). Given a target it turns its
// yaw and pitch toward it at its turn rates and, once aimed, fires one CBolide from each
// loaded fire position, with barrel recoil and a reload time. A weapon bound to a bone of
// its carrier turns that kinematic bone and tilts and recoils the barrel bones below it,
// and fires from the barrels' tips carried through the bone chain; one without a bone
// turns itself and has no barrels to recoil. Script problems are counted warnings; a
// weapon without a usable bolide class never fires.

#include "engine/Kinematics.h"
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
    uint8_t bone = 0;  // skeleton bone of the carrier the position is given in
};

class CClassTemplate;
struct CSkeleton;
struct SWeaponDesc;

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
    // Binds the weapon to bone `turret` of the carrier's skeleton: that kinematic bone turns
    // it, the turret's children (the first only with "CannonsOneBone", none when the
    // description makes the turret bone the final gun bone) are its barrels, one per fire
    // position, tilted by its pitch; fire positions without a barrel sit on the turret bone.
    // The description's angles are the bones' first ones.
    void BindToBone(const CSkeleton& skeleton, CKinematicBones& bones, int turret, const SWeaponDesc& desc);
    // The recoil offset of the barrel of a fire position (<= 0; 0 without a barrel bone).
    float BarrelOffset(int firePosition) const;

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
    CKinematicBone* yawBone = nullptr;
    CKinematicBone* pitchBone = nullptr;  // the first barrel
    CKinematicBone* barrelBones[MAX_FIRE_POSITIONS] = {};
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
    // Where the weapon turns from, in the world: its pitch bone's pivot on a carrier's
    // bone, else its own origin.
    D3DXVECTOR4 AimOrigin() const;
    // One step of the bones toward the yaw (along the way in the carrier's frame) and pitch.
    int TurnBones(const D3DXVECTOR4& local, float pitch, float dt);
    CKinematicBone* BarrelBone(int firePosition) const { return barrelBones[oneBone ? 0 : firePosition]; }
};
