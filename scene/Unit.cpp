#include "scene/Unit.h"

#include "core/Meshes/Mesh.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "engine/Iconer.h"
#include "engine/MeshContainer.h"
#include "engine/Nations.h"
#include "scene/BillLightData.h"
#include "scene/Billboard.h"
#include "scene/Weapon.h"

#include <cfloat>
#include <cstring>
#include <iterator>

namespace {

bool EndOfBlock(const char* word) { return !word[0] || StrEqual(word, "};"); }

// The blue of the presentation's first light decides day and night; without a light it is
// neither.
bool FirstLightBlue(float* blue)
{
    const CAtom* light = gUnitInspector ? gUnitInspector->firstLight : nullptr;
    if (!light || !gEngine) return false;
    *blue = light->Color.b;
    return true;
}

using WeaponKeyReader = void (*)(SWeaponDesc&, FILE*);
struct SWeaponKeyword {
    const char* word;
    WeaponKeyReader read;
};
const SWeaponKeyword WEAPON_KEYWORDS[] = {
    {"pos:", [](SWeaponDesc& d, FILE* f) { Core::fscan_bracketed_floats(f, &d.position.x, 3); }},
    {"bone:",
     [](SWeaponDesc& d, FILE* f) {
         char name[Core::WORD_BUFFER_SIZE];
         Core::fscan_word(f, name);
         d.boneHash = int32_t(StrHash(name));
     }},
    {"ax_ay:",
     [](SWeaponDesc& d, FILE* f) {
         float v[2] = {};
         Core::fscan_bracketed_floats(f, v, 2);
         d.ax = v[0] * DEGREES_TO_RADIANS;
         d.ay = v[1] * DEGREES_TO_RADIANS;
     }},
    {"arc_of_fire(ax_ay):", [](SWeaponDesc& d, FILE* f) { Core::fscan_bracketed_floats(f, d.arcOfFire, 4); }},
    {"gun_bone_final", [](SWeaponDesc& d, FILE*) { d.flags |= WEAPON_GUN_BONE_FINAL; }},
};
static_assert(std::size(WEAPON_KEYWORDS) == 5, "weapon description keywords");

using UnitKeyReader = void (*)(CUnit&, FILE*);
struct SUnitKeyword {
    const char* word;
    UnitKeyReader read;
};
const SUnitKeyword CLASS_KEYWORDS[] = {
    {"MoveControls:", [](CUnit& u, FILE* f) { u.ScanMoveControls(f); }},
    {"Weapons:", [](CUnit& u, FILE* f) { u.ScanWeaponsBlock(f); }},
    {"NightLights:", [](CUnit& u, FILE* f) { u.ScanNightLights(f, "Light:"); }},
};
static_assert(std::size(CLASS_KEYWORDS) == 3, "unit class keywords besides the class lookups");

} // namespace

CUnit* AsUnit(CAtom* unit)
{
    return unit && unit->type >= UNIT_UNIT_TYPE ? dynamic_cast<CUnit*>(unit) : nullptr;
}

CUnit::~CUnit()
{
    DeleteWeapons(false);
}

void CUnit::DeleteWeapons(bool release)
{
    if (!weapons) return;
    for (int i = 0; i < weaponCount; ++i) {
        if (release && weapons[i]) weapons[i]->Release();
        delete weapons[i];
    }
    delete[] weapons;
    weapons = nullptr;
}

void CUnit::Release()
{
    CGeometry::Release();
    DeleteWeapons(true);
    if (gKinematics) gKinematics->FreeBones(kinematicBones);
    kinematicBones.Clear();
    if (move && gUnitInspector) gUnitInspector->FreeUnitMove(move);
    move = nullptr;
    DeleteBillLightData(&nightLights);
    // The lights are slaves: the registry deleted them before it released the unit.
    GiveBackUnitList();
}

void CUnit::OnHide()
{
    CGeometry::OnHide();
    DeleteUnitList();
}

void CUnit::GiveBackUnitList()
{
    if (unitList && gUnitInspector) gUnitInspector->FreeUnitList(unitList);
    unitList = nullptr;
}

// The list goes first: each unit deleted leaves its master, and must not find it again.
void CUnit::DeleteUnitList()
{
    std::vector<CAtom*> units;
    if (unitList) unitList->ForEach([&](CAtom* unit) { units.push_back(unit); });
    GiveBackUnitList();
    for (CAtom* unit : units)
        if (gUnitInspector) gUnitInspector->DeleteUnit(unit);
}

void CUnit::LeaveUnitList(const CAtom* unit)
{
    if (unitList && unitList->Remove(unit) && unitList->GetCount() == 0) GiveBackUnitList();
}

void CUnit::DetachSlave(CAtom* slave)
{
    CGeometry::DetachSlave(slave);
    LeaveUnitList(slave);
}

int CUnit::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CGeometry::ScanNativePropertyes(f, w); });
}

bool CUnit::ScanOwnProperty(FILE* file, const char* word)
{
    for (const SUnitKeyword& key : CLASS_KEYWORDS) {
        if (!StrEqual(word, key.word)) continue;
        key.read(*this, file);
        return true;
    }
    if (StrEqual(word, "SelectPlane:")) {
        ScanSelectPlane(file);
        return true;
    }
    if (StrEqual(word, "IndividIcon:")) {
        ScanIndividIcon(file);
        return true;
    }
    return false;
}

void CUnit::ScanMoveControls(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (StrEqual(word, "SimpleMoving")) {
            moveControls |= MOVE_SIMPLE;
        } else if (StrEqual(word, "RotateRate:")) {
            Core::fscan_float(file, &RotateRate);
            RotateRate *= DEGREES_TO_RADIANS;
        } else {
            WarningBox(&gWarningBudget, "Undefine string '", word, "' in MoveControls. UNIT '", name, "'.", nullptr);
        }
    }
}

void CUnit::ScanWeaponsBlock(FILE* file)
{
    CWeaponDescs staged;
    char word[Core::WORD_BUFFER_SIZE];
    for (Core::fscan_word(file, word); !EndOfBlock(word); Core::fscan_word(file, word)) {
        if (StrEqual(word, "{")) {
            SWeaponDesc desc;
            const bool known = ScanWeapons(&desc, file);
            if (known && staged.size() >= size_t(MAX_WEAPON_DESCS))
                WarningBox(&gWarningBudget, "PROGRAMMER LIMIT: MAX_WEAPON_DESCS. UNIT '", name, "'.", nullptr);
            else if (known)
                staged.push_back(desc);
        } else if (StrEqual(word, "WeaponOptions:")) {
            Core::fscan_word(file, word);  // "["
            for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word))
                if (StrEqual(word, "CarrierOnPlane")) weaponOptions |= WEAPON_CARRIER_ON_PLANE;
        }
    }
    if (staged.empty()) return;
    weaponCount = uint16_t(staged.size());
    weaponDescs = std::make_shared<const CWeaponDescs>(std::move(staged));
}

// A description whose class is unknown is read to its end and dropped: a weapon without a
// class could never be made.
bool CUnit::ScanWeapons(SWeaponDesc* desc, FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    desc->weaponClass = gUnitInspector ? gUnitInspector->GetClassTemplate(word) : nullptr;
    if (!desc->weaponClass) MsgBox3("CUnit::ScanWeapons Error: can`t find weapon '", word, "'.");
    for (Core::fscan_word(file, word); !EndOfBlock(word); Core::fscan_word(file, word)) {
        const SWeaponKeyword* key = nullptr;
        for (const SWeaponKeyword& k : WEAPON_KEYWORDS)
            if (StrEqual(word, k.word)) key = &k;
        if (key)
            key->read(*desc, file);
        else
            MsgBox3("CUnit::ScanWeapons: undefine string '", word, "'.");
    }
    return desc->weaponClass != nullptr;
}

void CUnit::ScanSelectPlane(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    selectPlane = gUnitInspector ? gUnitInspector->GetClassPrototype(word) : nullptr;
    if (!selectPlane)
        WarningBox(&gWarningBudget, "CUnit::ScanNativePropertyes:  for Unit '", name, "' can`t find a select plane '",
                   word, "'.", nullptr);
}

// "[" class [ "LeftTop:" "[" x y "]" ] "]"
void CUnit::ScanIndividIcon(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "["
    Core::fscan_word(file, word);
    CAtom* icon = gUnitInspector ? gUnitInspector->GetClassPrototype(word) : nullptr;
    if (!icon)
        WarningBox(&gWarningBudget, "CUnit::ScanNativePropertyes:  for Unit '", name, "' can`t find IndividIcon '",
                   word, "'.", nullptr);
    if (classTemplate) classTemplate->iconPrototype = icon;
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (!StrEqual(word, "LeftTop:")) continue;
        int32_t xy[2] = {};
        Core::fscan_word(file, word);  // "["
        Core::fscan_ints(file, xy, 2);
        Core::fscan_word(file, word);  // "]"
        if (classTemplate) {
            classTemplate->iconLeft = uint16_t(xy[0]);
            classTemplate->iconTop = uint16_t(xy[1]);
        }
    }
}

// Each record runs from its keyword to its own "};"; the block ends at the next "};".
// Class records go to the class template, presentation records ("light:") to the unit.
// Records read without a class template to keep them are dropped at the end of the block.
void CUnit::ScanNightLights(FILE* file, const char* recordWord)
{
    CBillLightList scratch;
    CBillLightData** list = StrEqual(recordWord, "light:") ? &nightLights
                            : classTemplate          ? classTemplate->nightLights.Head()
                                                     : scratch.Head();
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // the opening word
    for (Core::fscan_word(file, word); !EndOfBlock(word); Core::fscan_word(file, word))
        if (StrEqual(word, recordWord)) AddNightLight(list, file);
}

int CUnit::AddNightLight(CBillLightData** list, FILE* file)
{
    auto* record = new CBillLightData;
    if (record->ScanProps(file) != 0) {
        delete record;
        return -1;
    }
    AppendBillLightData(list, record);
    return 0;
}

int CUnit::ScanMissionData(FILE* file, const char* word)
{
    return ScanGeometryMissionBlock(file, word,
                                    [this](FILE* f, const char* w) { return ScanOwnMissionKey(f, w); });
}

bool CUnit::ScanOwnMissionKey(FILE* file, const char* word)
{
    if (!StrEqual(word, "night_lights:")) return false;
    ScanNightLights(file, "light:");
    return true;
}

// Weapons made for an earlier copy go first: their count is about to change.
void CUnit::CopyFromPrototype(const CAtom* prototype)
{
    DeleteWeapons(true);
    CGeometry::CopyFromPrototype(prototype);
    if (const CUnit* unit = dynamic_cast<const CUnit*>(prototype)) unit->CopyUnitTo(this);
    CreateWeapons();
}

// Every description makes a weapon, filled from its class's prototype (a class of another
// type gives only its geometry values: such a weapon has no bolide and never fires).
void CUnit::CreateWeapons()
{
    if (!weaponDescs || weaponDescs->empty()) return;
    weaponCount = uint16_t(weaponDescs->size());
    weapons = new CAtom*[weaponCount]();
    for (int i = 0; i < weaponCount; ++i) {
        CClassTemplate* cls = (*weaponDescs)[size_t(i)].weaponClass;
        auto* weapon = new CWeapon;
        weapon->type = WEAPON_UNIT_TYPE;
        weapon->classTemplate = cls;
        weapon->map = map;
        weapon->carrier = this;
        if (cls) weapon->CopyFromPrototype(cls->prototype);
        weapons[i] = weapon;
    }
    SysControls |= SYS_ENABLE_IDLE;
}

uint32_t CUnit::DoIdle()
{
    for (int i = 0; weapons && i < weaponCount; ++i)
        if (weapons[i]) weapons[i]->DoIdle();
    return 0;
}

void CUnit::SetWeaponsTarget(const D3DXVECTOR4& point, int mode)
{
    for (int i = 0; weapons && i < weaponCount; ++i) {
        CWeapon* weapon = static_cast<CWeapon*>(weapons[i]);
        if (weapon && (weapon->targets & (WEAPON_TARGET_LAND | WEAPON_TARGET_SEA))) weapon->SetTarget(point, mode);
    }
}

void CUnit::CopyTo(CAtom* destination) const
{
    CGeometry::CopyTo(destination);
    if (CUnit* unit = dynamic_cast<CUnit*>(destination)) CopyUnitTo(unit);
}

// The descriptions are shared; the weapons themselves are made for units only.
void CUnit::CopyUnitTo(CUnit* destination) const
{
    memcpy(destination->reserved, reserved, sizeof reserved);
    destination->moveControls = moveControls;
    destination->weaponOptions = weaponOptions;
    destination->RotateRate = RotateRate;
    destination->selectPlane = selectPlane;
    destination->weaponDescs = weaponDescs;
    destination->weaponCount = weaponCount;
}

void CUnit::FirstInit()
{
    CGeometry::FirstInit();
    PlaceWeapons();
    if (!CheckWeaponBones()) return;
    RegisterIcon();
}

// A weapon without a bone sits at its description's position and angles; one named on a
// bone is placed when it is bound to it.
void CUnit::PlaceWeapons()
{
    for (int i = 0; weapons && i < weaponCount; ++i) {
        CWeapon* weapon = static_cast<CWeapon*>(weapons[i]);
        if (!weapon) continue;
        const SWeaponDesc& desc = (*weaponDescs)[size_t(i)];
        weapon->bone = WEAPON_BONE_NONE;
        if (desc.boneHash == NO_WEAPON_BONE) {
            weapon->Pos = desc.position;
            weapon->Orient.x = desc.ax;
            weapon->Orient.y = desc.ay;
        }
        weapon->UpdateWorldMatrix();
    }
}

// A description that names a bone needs the unit's mesh and that bone in its skeleton;
// the first such description gives the unit its kinematic bones, and its weapon is bound
// to the bone.
bool CUnit::CheckWeaponBones()
{
    if (!weaponDescs) return true;
    const CEngineMesh* record = mesh && gIMeshContainer ? gIMeshContainer->GetMesh(mesh) : nullptr;
    for (size_t i = 0; i < weaponDescs->size(); ++i) {
        const SWeaponDesc& desc = (*weaponDescs)[i];
        if (desc.boneHash == NO_WEAPON_BONE) continue;
        if (!record) {
            WarningBox(&gWarningBudget, "CUnit::FirstInit:  Unit '", name,
                       "' has`t a mesh for attach weapon by bone.", nullptr);
            continue;
        }
        const CSkeleton& skeleton = record->mesh.skeleton;
        if (!TakeKinematicBones(skeleton.boneCount)) return false;
        const int bone = skeleton.FindBoneById(uint32_t(desc.boneHash));
        if (bone < 0) {
            WarningBox(&gWarningBudget, "CUnit::FirstInit:  For weapon not found a bone.", nullptr);
            continue;
        }
        if (weapons && i < weaponCount && weapons[i])
            static_cast<CWeapon*>(weapons[i])->BindToBone(skeleton, kinematicBones, bone, desc);
    }
    return true;
}

bool CUnit::TakeKinematicBones(int count)
{
    if (!kinematicBones.Empty()) return true;
    for (int i = 0; i < count; ++i) {
        CKinematicBone* bone = gKinematics ? gKinematics->AllocBone() : nullptr;
        if (!bone) {
            WarningBox(&gWarningBudget, "CUnit::FirstInit:  Unit '", name, "'.\n Kinematic bones limit is exceed.",
                       nullptr);
            if (gKinematics) gKinematics->FreeBones(kinematicBones);
            kinematicBones.Clear();
            return false;
        }
        kinematicBones.PushBack(bone);
    }
    return true;
}

int CUnit::RegisterIcon()
{
    CAtom* icon = classTemplate ? classTemplate->iconPrototype : nullptr;
    if (icon && gIconer && nation && gNations && nation == gNations->gamerNation) gIconer->RegisterUnit(this, icon);
    return 0;
}

CUnitMove* CUnit::AddMove()
{
    if (move) return move;
    move = gUnitInspector ? gUnitInspector->AllocUnitMove() : nullptr;
    if (!move) {
        WarningBox(&gWarningBudget, "UnitInspector: UnitMoves limit is exceed.", nullptr);
        return nullptr;
    }
    move->kind = MOVE_KIND_POINTS;
    move->targetUnit = nullptr;
    move->speed = FLT_MAX;
    return move;
}

int CUnit::StartMoves(const D3DXVECTOR4*, int)
{
    if (!AddMove()) return -1;
    move->state &= ~MOVE_STARTING;
    return 0;
}

void CUnit::EndMoves(int stop)
{
    if (!move) return;
    if (!stop) {
        move->state |= MOVE_PAUSED;
        return;
    }
    if (!(move->state & MOVE_KEEP) && gUnitInspector) gUnitInspector->FreeUnitMove(move);
}

void CUnit::SetMoveSpeed(float speed)
{
    if (move) move->speed = speed;
}

// Night lights are made once it is dark enough and asked to switch off once it is day;
// the last one to go gives the unit list back, and the next night makes them again.
uint32_t CUnit::Process()
{
    if (!unitList) {
        FirstTimeVisible(nightLights, false);
        FirstTimeVisible(classTemplate ? classTemplate->nightLights.First() : nullptr, true);
        return 0;
    }
    float blue = 0.0f;
    if (!FirstLightBlue(&blue) || blue < gEngine->nightLightsLevelB_Off) return 0;
    std::vector<CAtom*> lights;
    unitList->ForEach([&](CAtom* unit) { lights.push_back(unit); });
    for (CAtom* unit : lights)
        if (auto* light = dynamic_cast<CBillLight*>(unit)) light->StartSwitchOff();
    return 0;
}

// One bill light per record, attached to the unit and kept in its unit list (taken by the
// first call that makes any). A light the unit cannot carry (the attach pool is full, and
// says so) is deleted at once: left without its master it would outlive the unit. No light
// is made from a class's records of a class already on the unit's chain: the light would get
// the same records and light the next one, and so on. The unit's own records pass to no
// light, so whatever class they name, nothing comes back to them.
void CUnit::FirstTimeVisible(const CBillLightData* records, bool classRecords)
{
    float blue = 0.0f;
    if (!records || !gUnitInspector || !FirstLightBlue(&blue) || blue > gEngine->nightLightsLevelB_On) return;
    if (!unitList) unitList = gUnitInspector->AllocUnitList();
    if (!unitList) {
        WarningBox(&gWarningBudget, "CUnit::FirstTimeVisible: UnitLists255 limit is exceed.", nullptr);
        return;
    }
    for (const CBillLightData* record = records; record; record = record->next) {
        if (classRecords && ClassOnOwnerChain(this, record->classTemplate,
                                              classTemplate ? &classTemplate->nightLightLoopTold : nullptr,
                                              "CUnit::FirstTimeVisible", "night light"))
            continue;
        const CMadeToAttach attached;
        CAtom* light = gUnitInspector->CreateUnitFromTemplate(record->classTemplate, map);
        if (!light) continue;
        TakeNightLight(light, *record);
        if (AttachUnit(light, NOT_ATTACHED) != 0 || !unitList->PushBack(light)) {
            gUnitInspector->DeleteUnit(light);
            continue;
        }
        light->CalcMatrix(&light->world);
    }
}

// The record's position, colour, size, mesh and texture; a light still waiting to appear
// keeps the mesh for later. Whatever its class, the light names the unit as its owner: that
// link is the chain the next light or billboard is checked against.
void CUnit::TakeNightLight(CAtom* light, const CBillLightData& record)
{
    light->Pos = record.position;
    light->Color = record.color;
    light->Size = record.size;
    light->owner = this;
    auto* geometry = dynamic_cast<CGeometry*>(light);
    if (!geometry) return;
    if (record.texture) geometry->textures[0] = record.texture;
    if (auto* billboard = dynamic_cast<CBillboard*>(light)) billboard->baseSize = record.size;
    if (!record.mesh) return;
    auto* bill = dynamic_cast<CBillLight*>(light);
    if (bill && (bill->phase & BILL_LIGHT_WAITING))
        bill->savedMesh = record.mesh;
    else
        geometry->mesh = record.mesh;
}
