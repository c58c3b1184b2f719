#include "scene/Weapon.h"

#include "core/Meshes/Skeleton.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "core/VecMath.h"
#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "engine/UnitInspector.h"
#include "scene/Bolide.h"
#include "scene/Unit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

float FrameTime() { return gEngine ? gEngine->frameTime : 0.0f; }

} // namespace

int CWeapon::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CGeometry::ScanNativePropertyes(f, w); });
}

bool CWeapon::ScanOwnProperty(FILE* file, const char* word)
{
    char token[Core::WORD_BUFFER_SIZE];
    if (StrEqual(word, "Armor:")) {
        Core::fscan_float(file, &armor);
    } else if (StrEqual(word, "RateAxAy:")) {
        float rates[2] = {};
        Core::fscan_bracketed_floats(file, rates, 2);
        pitchRate = rates[0] * DEGREES_TO_RADIANS;
        yawRate = rates[1] * DEGREES_TO_RADIANS;
    } else if (StrEqual(word, "WhoAttacked:")) {
        ScanWhoAttacked(file);
    } else if (StrEqual(word, "CannonsOneBone")) {
        oneBone = 1;
    } else if (StrEqual(word, "Bolide:")) {
        ScanBolideClass(file);
    } else if (StrEqual(word, "CannonFirePos:")) {
        ScanFirePosition(file);
    } else if (StrEqual(word, "CannonRecoil:")) {
        float recoil[2] = {};
        Core::fscan_bracketed_floats(file, recoil, 2);
        recoilDistance = recoil[0];
        recoverySpeed = recoil[1];
    } else if (StrEqual(word, "AfterShootsDelay:")) {
        Core::fscan_word(file, token);
        Core::fscan_u8(file, &afterShots);
        Core::fscan_float(file, &afterShotsDelay);
        Core::fscan_word(file, token);
    } else if (StrEqual(word, "RateOfFire:")) {
        int32_t rate = 0;
        Core::fscan_int(file, &rate);
        if (rate > 0)
            shotPeriod = 1.0f / float(rate);
        else
            WarningBox(&gWarningBudget, "CWeapon: RateOfFire must be above 0. UNIT '", name, "'.", nullptr);
    } else {
        return false;
    }
    return true;
}

void CWeapon::ScanWhoAttacked(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, word, 2);
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (StrEqual(word, "land"))
            targets |= WEAPON_TARGET_LAND;
        else if (StrEqual(word, "sea"))
            targets |= WEAPON_TARGET_SEA;
        else if (StrEqual(word, "air"))
            targets |= WEAPON_TARGET_AIR;
        else
            WarningBox(&gWarningBudget, "Undefine string '", word, "' in WhoAttacked. UNIT '", name, "'.", nullptr);
    }
}

void CWeapon::ScanFirePosition(FILE* file)
{
    float xyz[3] = {};
    Core::fscan_bracketed_floats(file, xyz, 3);
    if (firePositionCount >= MAX_FIRE_POSITIONS) {
        WarningBox(&gWarningBudget, "PROGRAMMER LIMIT: MAX_FIRE_POSITIONS. UNIT '", name, "'.", nullptr);
        return;
    }
    SFirePosition& fire = firePositions[firePositionCount++];
    fire = SFirePosition{};
    fire.position = D3DXVECTOR3(xyz[0], xyz[1], xyz[2]);
}

void CWeapon::ScanBolideClass(FILE* file)
{
    char className[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, className);
    CClassTemplate* cls = gUnitInspector ? gUnitInspector->GetClassTemplate(className) : nullptr;
    if (cls && cls->unitType == BOLIDE_UNIT_TYPE) {
        bolideClass = cls;
        return;
    }
    bolideClass = nullptr;
    WarningBox(&gWarningBudget, "CWeapon::ScanNativePropertyes:  not found BOLIDE class '", className,
               "' for UNIT '", name, "'.", nullptr);
}

void CWeapon::CopyFromPrototype(const CAtom* prototype)
{
    CGeometry::CopyFromPrototype(prototype);
    if (const CWeapon* source = dynamic_cast<const CWeapon*>(prototype)) source->CopyOwnTo(this);
}

void CWeapon::CopyTo(CAtom* destination) const
{
    CGeometry::CopyTo(destination);
    if (auto* unit = dynamic_cast<CWeapon*>(destination)) CopyOwnTo(unit);
}

void CWeapon::CopyOwnTo(CWeapon* destination) const
{
    destination->armor = armor;
    destination->pitchRate = pitchRate;
    destination->yawRate = yawRate;
    destination->targets = targets;
    destination->oneBone = oneBone;
    destination->bolideClass = bolideClass;
    destination->firePositionCount = firePositionCount;
    for (int i = 0; i < firePositionCount; ++i) destination->firePositions[i] = firePositions[i];
    destination->recoilDistance = recoilDistance;
    destination->recoverySpeed = recoverySpeed;
    destination->afterShots = afterShots;
    destination->afterShotsDelay = afterShotsDelay;
    destination->shotPeriod = shotPeriod;
}

void CWeapon::SetTarget(const D3DXVECTOR4& point, int mode)
{
    targetUnit = nullptr;
    targetPoint = point;
    weaponState |= WEAPON_ATTACKING;
    if (mode == 1) weaponState |= WEAPON_ONE_SALVO;
}

void CWeapon::WeaponMatrix(D3DXMATRIX* out) const
{
    *out = world;
    if (carrier) D3DXMatrixMultiply(out, out, &carrier->world);
}

void CWeapon::BindToBone(const CSkeleton& skeleton, CKinematicBones& bones, int turret, const SWeaponDesc& desc)
{
    const SBone& node = skeleton.bones[turret];
    bone = uint8_t(turret);
    Pos = node.absolute;
    UpdateWorldMatrix();
    yawBone = bones.At(turret);
    if (yawBone) {
        yawBone->kind = KINEMATIC_TURN_Y;
        yawBone->angleY = desc.ay;
    }
    const int most = oneBone ? 1 : MAX_FIRE_POSITIONS;
    const int barrels = (desc.flags & WEAPON_GUN_BONE_FINAL) ? 0 : std::min(int(node.childCount), most);
    for (int i = 0; i < MAX_FIRE_POSITIONS; ++i) {
        barrelBones[i] = i < barrels ? bones.At(node.children[i]) : nullptr;
        if (!barrelBones[i]) continue;
        barrelBones[i]->kind = KINEMATIC_MOVE_TILT;
        barrelBones[i]->vector = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 1.0f);
        barrelBones[i]->angleX = desc.ax;
    }
    pitchBone = barrelBones[0];
    for (int i = 0; i < firePositionCount; ++i) {
        const int barrel = oneBone ? 0 : i;
        firePositions[i].bone = uint8_t(barrelBones[barrel] ? node.children[barrel] : turret);
    }
}

float CWeapon::BarrelOffset(int firePosition) const
{
    const CKinematicBone* barrel = BarrelBone(firePosition);
    return barrel ? barrel->vector.z : 0.0f;
}

uint32_t CWeapon::DoIdle()
{
    if (weaponState & WEAPON_RELOADING) StepReload(FrameTime());
    if (weaponState & (WEAPON_ATTACKING | WEAPON_ATTACKING2)) {
        const int aimed = Aim();
        if (aimed == 0) {
            FireSalvo();
        } else if (aimed == AIM_OUT_OF_REACH) {
            weaponState &= uint8_t(~(WEAPON_ATTACKING | WEAPON_ATTACKING2 | WEAPON_ONE_SALVO));
        }
    }
    targetUnit = nullptr;
    return 0;
}

// Reloading ends once every fire position is loaded again.
void CWeapon::StepReload(float dt)
{
    const float recovery = recoverySpeed * dt;
    int loaded = 0;
    for (int i = 0; i < firePositionCount; ++i) {
        SFirePosition& fire = firePositions[i];
        if (fire.countdown != 0.0f) {
            fire.countdown -= dt;
            if (fire.countdown < 0.0f) fire.countdown = 0.0f;
            CKinematicBone* barrel = BarrelBone(i);
            if (barrel && barrel->vector.z < 0.0f) barrel->vector.z = std::fmin(0.0f, barrel->vector.z + recovery);
        }
        if (fire.countdown == 0.0f) ++loaded;
    }
    if (loaded == firePositionCount) weaponState &= uint8_t(~WEAPON_RELOADING);
}

void CWeapon::FireSalvo()
{
    for (int i = 0; i < firePositionCount; ++i)
        if (firePositions[i].countdown == 0.0f) Fire(i);
    if (weaponState & WEAPON_ONE_SALVO)
        weaponState &= uint8_t(~(WEAPON_ATTACKING | WEAPON_ATTACKING2 | WEAPON_ONE_SALVO));
}

bool CWeapon::Fire(int index)
{
    if (!bolideClass || !gUnitInspector) return false;
    CAtom* unit = gUnitInspector->CreateUnitFromTemplate(bolideClass, map);
    CBolide* bolide = dynamic_cast<CBolide*>(unit);
    if (!bolide) {
        if (unit) gUnitInspector->DeleteUnit(unit);
        return false;
    }
    SFirePosition& fire = firePositions[index];
    fire.countdown = shotPeriod;
    weaponState |= WEAPON_RELOADING;
    const D3DXVECTOR4 local(fire.position.x, fire.position.y, fire.position.z, 1.0f);
    if (!yawBone || !gEngine || gEngine->TransformPoint(&bolide->Pos, &bolide->Dir, local, carrier, fire.bone, -1)) {
        D3DXMATRIX m;
        WeaponMatrix(&m);
        const D3DXVECTOR4 ahead(0.0f, 0.0f, 1.0f, 0.0f);
        D3DXVec4Transform(&bolide->Pos, &local, &m);
        D3DXVec4Transform(&bolide->Dir, &ahead, &m);
    }
    D3DXVec4Normalize(&bolide->Dir, &bolide->Dir);
    bolide->Launch();
    CKinematicBone* barrel = BarrelBone(index);
    if (barrel && recoilDistance != 0.0f) barrel->vector.z = -recoilDistance;
    return true;
}

float CWeapon::PitchTo(float height, float distance) const
{
    const CBolide* shot = bolideClass ? dynamic_cast<const CBolide*>(bolideClass->prototype) : nullptr;
    if (shot && shot->flightMode == BOLIDE_PARABOLIC) return BallisticElevation(height, distance, shot->speed);
    return atan2f(height, distance);
}

// The way from the weapon to the target in its carrier's frame: through the carrier's
// world matrix, or for a carrier kept on the plane by its yaw alone.
D3DXVECTOR4 CWeapon::CarrierDirection(const D3DXVECTOR4& toTarget) const
{
    D3DXVECTOR4 local(toTarget.x, toTarget.y, toTarget.z, 0.0f);
    const CUnit* unit = dynamic_cast<const CUnit*>(carrier);
    if (!carrier) return local;
    if (!unit || (unit->weaponOptions & WEAPON_CARRIER_ON_PLANE)) {
        const float c = cosf(-carrier->Orient.y), s = sinf(-carrier->Orient.y);
        return D3DXVECTOR4(local.x * c + local.z * s, local.y, local.z * c - local.x * s, 0.0f);
    }
    D3DXMATRIX inverse;
    if (D3DXMatrixInverse(&inverse, nullptr, &carrier->world)) D3DXVec4Transform(&local, &local, &inverse);
    local.w = 0.0f;
    return local;
}

D3DXVECTOR4 CWeapon::AimOrigin() const
{
    const D3DXVECTOR4 pivot(0.0f, 0.0f, 0.0f, 1.0f);
    const int pivotBone = pitchBone && firePositionCount ? firePositions[0].bone : bone;
    D3DXVECTOR4 origin;
    if (yawBone && gEngine && gEngine->TransformPoint(&origin, nullptr, pivot, carrier, pivotBone, -1) == 0)
        return origin;
    D3DXMATRIX m;
    WeaponMatrix(&m);
    return D3DXVECTOR4(m._41, m._42, m._43, m._44);
}

int CWeapon::TurnBones(const D3DXVECTOR4& local, float pitch, float dt)
{
    int turning = TurnToward(&yawBone->angleY, nullptr, local, yawRate * dt);
    if (!pitchBone) return turning;
    turning |= TurnTowardAngle(&pitchBone->angleX, pitch, pitchRate * dt);
    for (CKinematicBone* barrel : barrelBones)
        if (barrel) barrel->angleX = pitchBone->angleX;
    return turning;
}

// The weapon's angles are relative to its carrier; the target's height is measured from
// the first fire position.
int CWeapon::Aim()
{
    if (targetUnit) targetPoint = targetUnit->Pos;
    UpdateWorldMatrix();
    const D3DXVECTOR4 local = CarrierDirection(targetPoint - AimOrigin());
    const float fireHeight = firePositionCount ? firePositions[0].position.y : 0.0f;
    const float distance = sqrtf(local.x * local.x + local.z * local.z);
    const float pitch = PitchTo(local.y - fireHeight, distance);
    if (pitch == OUT_OF_REACH) return AIM_OUT_OF_REACH;
    const float dt = FrameTime();
    if (yawBone) return TurnBones(local, pitch, dt);
    int turning = TurnToward(&Orient.y, nullptr, local, yawRate * dt);
    turning |= TurnTowardAngle(&Orient.x, pitch, pitchRate * dt);
    UpdateWorldMatrix();
    return turning;
}
