#pragma once
// CUnit: the geometry unit that can move, carry weapons, own a select plane and light
// night lights ("UNIT", type 18); buildings, ships, humans and the application's buildings
// derive from it. It borrows its move record and its night-light unit list from the unit
// registry and gives them back on Release and OnHide. Weapon descriptions are shared by
// the class and its units; each unit owns one CWeapon per description. Every problem is a
// counted warning and reading goes on. A unit whose weapons sit on bones takes one
// kinematic bone per skeleton bone at its first initialisation, binds those weapons to
// them and gives them back on Release. Icons come with their own class. Night
// lights are bill lights made from the unit's and its class's records when it is dark and
// switched off by day.

#include "engine/Kinematics.h"
#include "engine/UnitInspector.h"
#include "scene/Geometry.h"

#include <d3dx9.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

constexpr uint32_t UNIT_UNIT_TYPE = 18;
constexpr int MAX_WEAPON_DESCS = 16;
constexpr int32_t NO_WEAPON_BONE = -1;
constexpr uint8_t WEAPON_BONE_NONE = 255;

enum : uint16_t { MOVE_SIMPLE = 1 };
enum : uint16_t { WEAPON_CARRIER_ON_PLANE = 1 };
enum : uint16_t { WEAPON_GUN_BONE_FINAL = 1 };
// Bits of a move record's mode word.
enum : uint32_t { MOVE_PAUSED = 2, MOVE_STARTING = 4, MOVE_KEEP = 8 };
constexpr uint32_t MOVE_KIND_POINTS = 1;

struct CBillLightData;

// One weapon a class mounts: its class, where it sits and how far it may turn.
struct SWeaponDesc {
    CClassTemplate* weaponClass = nullptr;
    int32_t boneHash = NO_WEAPON_BONE;  // StrHash of the bone name
    D3DXVECTOR4 position{0.0f, 0.0f, 0.0f, 1.0f};
    float ax = 0.0f, ay = 0.0f;  // radians
    float arcOfFire[4] = {0.0f, 1.57f, -3.1417f, 3.1417f};
    uint16_t flags = 0;
};
using CWeaponDescs = std::vector<SWeaponDesc>;

class CUnit : public CGeometry {
public:
    ~CUnit() override;
    void Release() override;
    int ScanNativePropertyes(FILE* file, const char* word) override;
    int ScanMissionData(FILE* file, const char* word) override;
    // Each weapon's idle step; 0.
    uint32_t DoIdle() override;
    uint32_t Process() override;
    void OnHide() override;
    void CopyFromPrototype(const CAtom* prototype) override;
    // Script inheritance takes the unit values along with the geometry.
    void CopyTo(CAtom* destination) const override;
    void FirstInit() override;

    // Shows the unit's individual icon when it belongs to the viewer's nation. 0.
    virtual int RegisterIcon();
    // Readies the move record (the base does not move along the points). 0, or -1 when no
    // record was free.
    virtual int StartMoves(const D3DXVECTOR4* points, int count);
    // Non-zero: the move ends (unless its record is kept); zero: it pauses.
    virtual void EndMoves(int stop);

    // "MoveControls:" "[" words "]".
    void ScanMoveControls(FILE* file);
    // "Weapons:" block up to "};".
    void ScanWeaponsBlock(FILE* file);
    // One weapon description after its "{", up to "};"; false when its class is unknown.
    bool ScanWeapons(SWeaponDesc* desc, FILE* file);
    // Takes a move record when the unit has none; null when none is left.
    CUnitMove* AddMove();
    void SetMoveSpeed(float speed);
    // Every weapon that takes land or sea targets aims at the point (mode 1: one salvo).
    void SetWeaponsTarget(const D3DXVECTOR4& point, int mode);
    // A "NightLights:" or "night_lights:" block after its keyword: the opening word, then
    // records up to "};" (a record with an unknown class is dropped).
    void ScanNightLights(FILE* file, const char* recordWord);
    // One record read after its "Light:" / "light:" and appended to the list; 0, or -1
    // when its class is unknown (the record is dropped).
    int AddNightLight(CBillLightData** list, FILE* file);
    // Makes the night lights of the records once it is dark enough; the first call that
    // has records takes the unit list. classRecords: the records of the unit's class, which
    // every light of that class gets too.
    void FirstTimeVisible(const CBillLightData* records, bool classRecords);
    // A unit going out of the unit list; the record goes back with the last one.
    void LeaveUnitList(const CAtom* unit);
    // A slave leaving the unit leaves its unit list too.
    void DetachSlave(CAtom* slave) override;

    uint32_t reserved[3] = {};
    std::shared_ptr<const CWeaponDescs> weaponDescs;  // shared by the class and its units
    uint16_t weaponCount = 0;
    CAtom** weapons = nullptr;
    uint16_t moveControls = 0;
    uint16_t weaponOptions = 0;
    int (*orderHook)(int) = nullptr;  // result bit 1 keeps the unit from being sent
    int (*selectHook)(CAtom*) = nullptr;
    int (*deselectHook)(int) = nullptr;
    CUnitMove* move = nullptr;
    float RotateRate = 0.0f;  // radians
    CAtom* selectPlane = nullptr;
    CKinematicBones kinematicBones;  // one per skeleton bone, in bone order
    CBillLightData* nightLights = nullptr;  // the unit's own records, owned
    CUnitList* unitList = nullptr;

private:
    bool ScanOwnProperty(FILE* file, const char* word);
    bool ScanOwnMissionKey(FILE* file, const char* word);
    void ScanSelectPlane(FILE* file);
    void ScanIndividIcon(FILE* file);
    void CopyUnitTo(CUnit* destination) const;
    // false (and the unit's initialisation ends) when the bones cannot be had.
    bool CheckWeaponBones();
    // One kinematic bone per skeleton bone, unless the unit has them; false (with the
    // bones already taken given back) when the pool runs out.
    bool TakeKinematicBones(int count);
    // One weapon unit per description, filled from its class's prototype.
    void CreateWeapons();
    void PlaceWeapons();
    void DeleteWeapons(bool release);
    // The list record goes back; its units are not touched.
    void GiveBackUnitList();
    // The list record goes back and its units are deleted through the registry.
    void DeleteUnitList();
    void TakeNightLight(CAtom* light, const CBillLightData& record);
};

// The unit as a CUnit when its class is one (type 18 and above), else null.
CUnit* AsUnit(CAtom* unit);
