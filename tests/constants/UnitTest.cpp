// The moving unit class: its class-block and presentation keywords, weapon descriptions
// and move records.

#include "core/Strings.h"
#include "scene/Unit.h"
#include "tests/constants/ConstantsFixture.h"

#include <cfloat>

namespace constants {
namespace {

using Units = ConstantsTest;

CUnit* MakeUnit(const char* className)
{
    return dynamic_cast<CUnit*>(gUnitInspector->CreateUnit(className, nullptr));
}

// Reads a presentation block (the text after its "{") into the unit.
int ScanMission(CUnit* unit, const std::string& dir, const std::string& text)
{
    const std::string path = dir + "\\Mission.txt";
    test::WriteFile(path, text);
    FILE* file = fopen(path.c_str(), "r");
    if (!file) return -100;
    const int result = unit->ScanMissionData(file, nullptr);
    fclose(file);
    return result;
}

TEST_F(Units, AClassBlockMixesTheKeywordsOfEveryLevel)
{
    ReadScript("GEOMETRY Plane { };\nBILL_LIGHT Glow { };\n"
               "UNIT Mover {\n"
               "    MoveControls: [ SimpleMoving RotateRate: 90 ]\n"
               "    Pos: [ 1 2 3 ]\n"
               "    SelectPlane: Plane\n"
               "    SysControls: [ Selecting EnableIdle ]\n"
               "    NightLights: { Light: { Class: Glow Pos: [ 0 1 0 ] }; Light: { Color: [ 1 1 1 1 ] }; };\n"
               "    Orient: [ 0 90 0 ]\n"
               "    IndividIcon: [ Plane LeftTop: [ 12 34 ] ]\n"
               "};\n");
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    const CClassTemplate* cls = gUnitInspector->GetClassTemplate("Mover");
    ASSERT_NE(nullptr, cls);
    auto* prototype = dynamic_cast<CUnit*>(cls->prototype);
    ASSERT_NE(nullptr, prototype) << "type 18 makes a moving unit";
    EXPECT_EQ(UNIT_UNIT_TYPE, prototype->type);
    EXPECT_EQ(MOVE_SIMPLE, prototype->moveControls);
    EXPECT_FLOAT_EQ(1.5707964f, prototype->RotateRate);
    EXPECT_EQ(D3DXVECTOR4(1, 2, 3, 1), prototype->Pos);
    EXPECT_FLOAT_EQ(1.5707964f, prototype->Orient.y) << "read after the night lights";
    EXPECT_EQ(gUnitInspector->GetClassPrototype("Plane"), prototype->selectPlane);
    EXPECT_EQ(uint32_t(SYS_SELECTING | SYS_ENABLE_IDLE | SYS_GEOMETRY), prototype->SysControls);
    EXPECT_EQ(gUnitInspector->GetClassPrototype("Plane"), cls->iconPrototype);
    EXPECT_EQ(12, cls->iconLeft);
    EXPECT_EQ(34, cls->iconTop);

    CUnit* unit = MakeUnit("Mover");
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(MOVE_SIMPLE, unit->moveControls);
    EXPECT_FLOAT_EQ(prototype->RotateRate, unit->RotateRate);
    EXPECT_EQ(prototype->selectPlane, unit->selectPlane);
}

TEST_F(Units, BadNamesInAClassBlockAreWarnedAndReadingGoesOn)
{
    ReadScript("UNIT Odd {\n"
               "    MoveControls: [ Hover SimpleMoving ]\n"
               "    SelectPlane: Nowhere\n"
               "    IndividIcon: [ NoIcon ]\n"
               "    RenderQueue: 2\n"
               "};\n");
    ASSERT_EQ(3u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Undefine string 'Hover' in MoveControls. UNIT 'Odd'.", messages.Texts()[0]);
    EXPECT_EQ("CUnit::ScanNativePropertyes:  for Unit 'Odd' can`t find a select plane 'Nowhere'.",
              messages.Texts()[1]);
    EXPECT_EQ("CUnit::ScanNativePropertyes:  for Unit 'Odd' can`t find IndividIcon 'NoIcon'.", messages.Texts()[2]);
    const CAtom* prototype = gUnitInspector->GetClassPrototype("Odd");
    ASSERT_NE(nullptr, prototype);
    EXPECT_EQ(2, prototype->RenderQueue);
    EXPECT_EQ(MOVE_SIMPLE, static_cast<const CUnit*>(prototype)->moveControls);
}

TEST_F(Units, WeaponDescriptionsAreSharedByTheClass)
{
    ReadScript("ATOM Gun { };\n"
               "UNIT Tank {\n"
               "    Weapons:\n"
               "        { Gun pos: [ 1 2 3 ] bone: Turret ax_ay: [ 90 45 ] arc_of_fire(ax_ay): [ 0 1 -2 2 ]\n"
               "          gun_bone_final };\n"
               "        { Gun };\n"
               "        WeaponOptions: [ Fast CarrierOnPlane ]\n"
               "    };\n"
               "    MoveControls: [ SimpleMoving ]\n"
               "};\n");
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    auto* prototype = dynamic_cast<CUnit*>(gUnitInspector->GetClassPrototype("Tank"));
    ASSERT_NE(nullptr, prototype);
    ASSERT_EQ(2, prototype->weaponCount);
    ASSERT_NE(nullptr, prototype->weaponDescs);
    const SWeaponDesc& first = (*prototype->weaponDescs)[0];
    EXPECT_EQ(gUnitInspector->GetClassTemplate("Gun"), first.weaponClass);
    EXPECT_EQ(int32_t(StrHash("Turret")), first.boneHash);
    EXPECT_EQ(D3DXVECTOR4(1, 2, 3, 1), first.position);
    EXPECT_FLOAT_EQ(1.5707964f, first.ax);
    EXPECT_FLOAT_EQ(0.7853982f, first.ay);
    EXPECT_FLOAT_EQ(-2.0f, first.arcOfFire[2]);
    EXPECT_EQ(WEAPON_GUN_BONE_FINAL, first.flags);
    EXPECT_EQ(NO_WEAPON_BONE, (*prototype->weaponDescs)[1].boneHash);
    EXPECT_EQ(WEAPON_CARRIER_ON_PLANE, prototype->weaponOptions);
    EXPECT_EQ(MOVE_SIMPLE, prototype->moveControls) << "read after the weapons block";

    // A unit without a mesh cannot mount a weapon on a bone: one warning, for the one
    // description that names a bone.
    CUnit* unit = MakeUnit("Tank");
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(prototype->weaponDescs, unit->weaponDescs);
    EXPECT_EQ(2, unit->weaponCount);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CUnit::FirstInit:  Unit 'Tank' has`t a mesh for attach weapon by bone.", messages.Texts()[0]);
}

TEST_F(Units, AWeaponOfAnUnknownClassIsReportedAndDropped)
{
    ReadScript("UNIT Bare { Weapons: { Laser pos: [ 0 0 0 ] spin }; }; RenderQueue: 3 };\n");
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CUnit::ScanWeapons Error: can`t find weapon 'Laser'.", messages.Texts()[0]);
    EXPECT_EQ("CUnit::ScanWeapons: undefine string 'spin'.", messages.Texts()[1]);
    auto* prototype = dynamic_cast<CUnit*>(gUnitInspector->GetClassPrototype("Bare"));
    ASSERT_NE(nullptr, prototype);
    EXPECT_EQ(0, prototype->weaponCount);
    EXPECT_EQ(nullptr, prototype->weaponDescs);
    EXPECT_EQ(3, prototype->RenderQueue);
}

TEST_F(Units, ADerivedClassInheritsTheUnitValues)
{
    ReadScript("UNIT Base { MoveControls: [ SimpleMoving RotateRate: 45 ] };\n"
               "UNIT Derived : Base { Pos: [ 0 1 0 ] };\n");
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    auto* derived = dynamic_cast<CUnit*>(gUnitInspector->GetClassPrototype("Derived"));
    ASSERT_NE(nullptr, derived);
    EXPECT_EQ(MOVE_SIMPLE, derived->moveControls);
    EXPECT_FLOAT_EQ(0.7853982f, derived->RotateRate);
}

TEST_F(Units, PresentationKeysEndAtAnUnknownKeyOrTheBlockEnd)
{
    ReadScript("BILL_LIGHT Glow { };\nUNIT Walker { };\n");
    CUnit* unit = MakeUnit("Walker");
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(SCAN_BLOCK_END,
              ScanMission(unit, dir,
                          "pos: [ 4 5 6 ]\n night_lights: { light: { class: Glow pos: [ 0 1 0 ] }; };\n"
                          " render_queue: 3\n};\n"));
    EXPECT_EQ(D3DXVECTOR4(4, 5, 6, 1), unit->Pos);
    EXPECT_EQ(3, unit->RenderQueue) << "read after the night lights";
    EXPECT_FLOAT_EQ(4.0f, unit->world._41) << "the world matrix follows the block";

    EXPECT_EQ(SCAN_UNKNOWN, ScanMission(unit, dir, "render_queue: 2\n hover: 1\n};\n"));
    EXPECT_STREQ("hover:", gUnknownWord);
    EXPECT_EQ(2, unit->RenderQueue);

    // With a word: that one key, then 0.
    const std::string path = dir + "\\Single.txt";
    test::WriteFile(path, "1\n render_queue: 2\n");
    FILE* file = fopen(path.c_str(), "r");
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(SCAN_DONE, unit->ScanMissionData(file, "render_queue:"));
    fclose(file);
    EXPECT_EQ(1, unit->RenderQueue);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(Units, MovesBorrowRecordsFromTheRegistry)
{
    ReadScript("BILL_LIGHT Glow { };\nUNIT Walker { };\n");
    CUnit* a = MakeUnit("Walker");
    CUnit* b = MakeUnit("Walker");
    CUnit* c = MakeUnit("Walker");
    CUnit* d = MakeUnit("Walker");
    CUnit* e = MakeUnit("Walker");
    ASSERT_TRUE(a && b && c && d && e);

    CUnitMove* move = a->AddMove();
    ASSERT_NE(nullptr, move);
    EXPECT_EQ(MOVE_KIND_POINTS, move->kind);
    EXPECT_EQ(FLT_MAX, move->speed);
    EXPECT_EQ(nullptr, move->targetUnit);
    EXPECT_EQ(move, a->AddMove()) << "one record per unit";
    a->SetMoveSpeed(2.5f);
    EXPECT_EQ(2.5f, move->speed);

    move->state = MOVE_STARTING;
    const D3DXVECTOR4 target(1, 0, 1, 1);
    EXPECT_EQ(0, a->StartMoves(&target, 1));
    EXPECT_EQ(0u, move->state & MOVE_STARTING);
    a->EndMoves(0);
    EXPECT_EQ(move, a->move);
    EXPECT_EQ(MOVE_PAUSED, move->state & MOVE_PAUSED) << "zero pauses the move";
    a->EndMoves(1);
    EXPECT_EQ(nullptr, a->move) << "non-zero gives the record back";

    // "UnitMoves: 4": four records.
    EXPECT_EQ(0, b->StartMoves(&target, 1));
    ASSERT_NE(nullptr, c->AddMove());
    ASSERT_NE(nullptr, d->AddMove());
    ASSERT_NE(nullptr, e->AddMove());
    EXPECT_EQ(-1, a->StartMoves(&target, 1));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("UnitInspector: UnitMoves limit is exceed.", messages.Texts()[0]);

    // A kept record stays with its unit; deleting a unit gives its record back.
    d->move->state |= MOVE_KEEP;
    d->EndMoves(1);
    EXPECT_NE(nullptr, d->move);
    EXPECT_EQ(0, gUnitInspector->DeleteUnit(b));
    EXPECT_NE(nullptr, a->AddMove());
    a->EndMoves(0);
    EXPECT_EQ(nullptr, a->move->targetUnit);
}

TEST_F(Units, HidingAUnitGivesItsNightLightUnitsBack)
{
    ReadScript("UNIT Tower { };\nGEOMETRY Glow { };\n");
    CUnit* tower = MakeUnit("Tower");
    ASSERT_NE(nullptr, tower);
    tower->unitList = gUnitInspector->AllocUnitList();
    ASSERT_NE(nullptr, tower->unitList);
    CAtom* glow = tower->CreateAttachedUnit(gUnitInspector->GetClassTemplate("Glow"), nullptr, 0);
    ASSERT_NE(nullptr, glow);
    tower->unitList->PushBack(glow);
    const uint32_t glowId = glow->id;
    tower->OnHide();
    EXPECT_EQ(nullptr, tower->unitList);
    EXPECT_EQ(nullptr, gUnitInspector->UnitAt(int(glowId))) << "the night light is deleted";
    EXPECT_EQ(nullptr, tower->FirstSlave());
    // Without any night-light record and without a first light no list is taken.
    tower->Process();
    EXPECT_EQ(nullptr, tower->unitList);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace constants
