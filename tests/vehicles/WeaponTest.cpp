// Weapons and their bolides from script classes: reading, aiming over frames, salvoes with
// recoil and reload, bolides that fly and come down, and weapons carried by a unit.

#include "tests/vehicles/VehicleFixture.h"

#include "engine/Engine.h"
#include "scene/Bolide.h"
#include "scene/Unit.h"
#include "scene/Weapon.h"

#include <cmath>

namespace vehicles {
namespace {

const char* const SHELLS =
    "BOLIDE Shell { Speed: 20 Mass: 3 BreakoutForce: 2 BolideControls: = [ LinearFly ] };\n"
    "BOLIDE Mortar { Speed: 10 BolideControls: = [ ParabolicFly ] };\n";

const char* const CANNON =
    "WEAPON Cannon {\n"
    "  SysControls: [ EnableIdle ]\n"
    "  Armor: 5 RateAxAy: [ 90 90 ] Bolide: Shell RateOfFire: 4\n"
    "  CannonFirePos: [ 0 0 1 ] CannonFirePos: [ 0.5 0 1 ] CannonFirePos: [ -0.5 0 1 ]\n"
    "  CannonRecoil: [ 0.3 1 ] AfterShootsDelay: [ 2 0.75 ] WhoAttacked: = [ land sea ]\n"
    "};\n";

class WeaponTest : public VehicleTest {
protected:
    void SetUp() override
    {
        VehicleTest::SetUp();
        RunScript(std::string(SHELLS) + CANNON);
        gBolideImpact = SBolideImpact{};
    }
};

TEST_F(WeaponTest, ClassBlocksAreRead)
{
    CWeapon* cannon = Create<CWeapon>("Cannon");
    ASSERT_NE(nullptr, cannon) << messages.Joined();
    EXPECT_FLOAT_EQ(5.0f, cannon->armor);
    EXPECT_NEAR(1.5707964f, cannon->yawRate, 1e-6f);
    EXPECT_FLOAT_EQ(0.25f, cannon->shotPeriod);
    EXPECT_EQ(3, cannon->firePositionCount);
    EXPECT_FLOAT_EQ(-0.5f, cannon->firePositions[2].position.x);
    EXPECT_FLOAT_EQ(1.0f, cannon->firePositions[2].scale);
    EXPECT_FLOAT_EQ(0.3f, cannon->recoilDistance);
    EXPECT_EQ(2, cannon->afterShots);
    EXPECT_FLOAT_EQ(0.75f, cannon->afterShotsDelay);
    EXPECT_EQ(WEAPON_TARGET_LAND | WEAPON_TARGET_SEA, cannon->targets);
    EXPECT_EQ(gIUnitInspector->GetClassTemplate("Shell"), cannon->bolideClass);
    CBolide* mortar = Create<CBolide>("Mortar");
    ASSERT_NE(nullptr, mortar);
    EXPECT_EQ(BOLIDE_PARABOLIC, mortar->flightMode);
    EXPECT_FLOAT_EQ(10.0f, mortar->speed);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(WeaponTest, ScriptMistakesAreWarned)
{
    RunScript("WEAPON Bad {\n"
              "  CannonFirePos: [ 0 0 1 ] CannonFirePos: [ 0 0 2 ] CannonFirePos: [ 0 0 3 ] CannonFirePos: [ 0 0 4 ]\n"
              "  Bolide: Nothing WhoAttacked: = [ land space ] RateOfFire: 0\n"
              "};\n"
              "WEAPON NotABolide { Bolide: Cannon };\n");
    CWeapon* bad = Create<CWeapon>("Bad");
    ASSERT_NE(nullptr, bad);
    EXPECT_EQ(3, bad->firePositionCount);
    EXPECT_FLOAT_EQ(3.0f, bad->firePositions[2].position.z);
    EXPECT_EQ(nullptr, bad->bolideClass);
    EXPECT_EQ(WEAPON_TARGET_LAND, bad->targets);
    EXPECT_FLOAT_EQ(1.0f, bad->shotPeriod);
    EXPECT_TRUE(messages.Contains("PROGRAMMER LIMIT: MAX_FIRE_POSITIONS. UNIT 'Bad'.")) << messages.Joined();
    EXPECT_TRUE(messages.SaidWithMore(
        "CWeapon::ScanNativePropertyes:  not found BOLIDE class 'Nothing' for UNIT 'Bad'.", 1))
        << messages.Joined();
    EXPECT_TRUE(messages.Contains("Undefine string 'space' in WhoAttacked. UNIT 'Bad'.")) << messages.Joined();
    EXPECT_TRUE(messages.Contains("RateOfFire must be above 0. UNIT 'Bad'.")) << messages.Joined();

    // Without a bolide class the weapon aims but never fires.
    bad->SetTarget(D3DXVECTOR4(0, 0, 5, 1), 1);
    bad->SysControls |= SYS_ENABLE_IDLE;
    Frames(5, 0.1f);
    EXPECT_TRUE(UnitsOfType(BOLIDE_UNIT_TYPE).empty());
}

// A class derived in the script takes its parent's weapon and bolide values.
TEST_F(WeaponTest, DerivedClassesInheritTheirParentsValues)
{
    RunScript("WEAPON HeavyCannon : Cannon { Armor: 9 };\n"
              "BOLIDE HeavyShell : Mortar { Mass: 7 };\n");
    CWeapon* heavy = Create<CWeapon>("HeavyCannon");
    ASSERT_NE(nullptr, heavy) << messages.Joined();
    EXPECT_FLOAT_EQ(9.0f, heavy->armor);
    EXPECT_EQ(3, heavy->firePositionCount);
    EXPECT_FLOAT_EQ(0.25f, heavy->shotPeriod);
    EXPECT_EQ(gIUnitInspector->GetClassTemplate("Shell"), heavy->bolideClass);
    CBolide* shell = Create<CBolide>("HeavyShell");
    ASSERT_NE(nullptr, shell);
    EXPECT_EQ(BOLIDE_PARABOLIC, shell->flightMode);
    EXPECT_FLOAT_EQ(10.0f, shell->speed);
    EXPECT_FLOAT_EQ(7.0f, shell->mass);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// Turning at 90 degrees a second toward a target 90 degrees to the right takes about a
// second; then all three fire positions fire in one step and the reload of 0.25 s loads
// them again. The shells fly and come down near the target.
TEST_F(WeaponTest, AimsOverFramesThenFiresASalvoThatLandsNearTheTarget)
{
    CWeapon* cannon = Create<CWeapon>("Cannon");
    ASSERT_NE(nullptr, cannon);
    cannon->Pos = D3DXVECTOR4(0, 2, 0, 1);
    cannon->UpdateWorldMatrix();
    cannon->SetTarget(D3DXVECTOR4(12, 0, 0, 1), 1);
    Frames(5, 0.1f);
    EXPECT_TRUE(UnitsOfType(BOLIDE_UNIT_TYPE).empty());
    EXPECT_NEAR(0.7854f, cannon->Orient.y, 0.01f);  // half way round

    int frames = 0;
    while (UnitsOfType(BOLIDE_UNIT_TYPE).empty() && frames < 20) {
        Frames(1, 0.1f);
        ++frames;
    }
    ASSERT_EQ(3u, UnitsOfType(BOLIDE_UNIT_TYPE).size()) << messages.Joined();
    EXPECT_NEAR(1.5707964f, cannon->Orient.y, 1e-4f);
    EXPECT_NEAR(-atan2f(2.0f, 12.0f), cannon->Orient.x, 0.02f);
    EXPECT_EQ(0, cannon->weaponState & (WEAPON_ATTACKING | WEAPON_ONE_SALVO));
    EXPECT_TRUE(cannon->weaponState & WEAPON_RELOADING);
    // The bolides were walked in the frame that made them: they have moved on already.
    for (CAtom* shell : UnitsOfType(BOLIDE_UNIT_TYPE)) {
        EXPECT_GT(shell->Pos.x, 1.0f);
        EXPECT_GT(shell->Dir.x, 0.95f);
    }
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(0.0f, cannon->BarrelOffset(i)) << "no barrel bones to recoil";

    Frames(3, 0.1f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(0.0f, cannon->firePositions[i].countdown);
    }
    EXPECT_EQ(0, cannon->weaponState & WEAPON_RELOADING);

    Frames(10, 0.1f);
    EXPECT_TRUE(UnitsOfType(BOLIDE_UNIT_TYPE).empty());
    EXPECT_EQ(3, gBolideImpact.count);
    EXPECT_FLOAT_EQ(0.0f, gBolideImpact.point.y);
    EXPECT_NEAR(12.0f, gBolideImpact.point.x, 1.5f);
    EXPECT_NEAR(0.0f, gBolideImpact.point.z, 0.6f);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(WeaponTest, ParabolicShellLandsAtTheClassicalRange)
{
    CBolide* shell = Create<CBolide>("Mortar");
    ASSERT_NE(nullptr, shell);
    shell->Pos = D3DXVECTOR4(0, 0, 0, 1);
    shell->Dir = D3DXVECTOR4(0, 0.70710678f, 0.70710678f, 0);
    shell->Launch();
    EXPECT_NEAR(0.7853982f, shell->Orient.x, 1e-5f);
    const float range = 10.0f * 10.0f / GRAVITY;
    int frames = 0;
    while (!UnitsOfType(BOLIDE_UNIT_TYPE).empty() && frames < 1000) {
        Frames(1, 0.01f);
        ++frames;
    }
    EXPECT_TRUE(UnitsOfType(BOLIDE_UNIT_TYPE).empty());
    EXPECT_NEAR(range, gBolideImpact.point.z, 0.12f);
    EXPECT_NEAR(0.0f, gBolideImpact.point.x, 1e-4f);
    EXPECT_NEAR(144.0f, float(frames), 2.0f);  // flight time 2 v sin 45 / g
}

// Already below the ground at its first step: moved back up along its flight, then the
// crossing is searched forward.
TEST_F(WeaponTest, ShellBelowGroundFindsTheCrossingBehindIt)
{
    CBolide* shell = Create<CBolide>("Shell");
    ASSERT_NE(nullptr, shell);
    shell->Pos = D3DXVECTOR4(0, -1.5f, 0, 1);
    shell->Dir = D3DXVECTOR4(0, -0.6f, 0.8f, 0);
    shell->Launch();
    Frames(1, 0.05f);  // one step of 1 unit: now at y = -2.1, z = 0.8
    EXPECT_TRUE(UnitsOfType(BOLIDE_UNIT_TYPE).empty());
    EXPECT_EQ(1, gBolideImpact.count);
    EXPECT_FLOAT_EQ(0.0f, gBolideImpact.point.y);
    // The crossing of the line through the flight is at z = -2: found within one fine step.
    EXPECT_NEAR(-2.0f, gBolideImpact.point.z, 0.1f);
}

// A hit callback is called with the bolide before it goes.
TEST_F(WeaponTest, HitCallbackSeesTheBolide)
{
    static int hits = 0;
    hits = 0;
    CBolide* shell = Create<CBolide>("Shell");
    ASSERT_NE(nullptr, shell);
    shell->hitCallback = [](CBolide* b) { hits += b->Pos.y == 0.0f ? 1 : 100; };
    shell->Pos = D3DXVECTOR4(0, 1, 0, 1);
    shell->Dir = D3DXVECTOR4(0, -1, 0, 0);
    shell->Launch();
    Frames(2, 0.1f);
    EXPECT_EQ(1, hits);
}

// A unit makes one weapon per description; the weapon sits where the description puts it
// on its carrier, aims in the carrier's frame and fires into the world.
TEST_F(WeaponTest, CarriedWeaponFiresFromItsCarrier)
{
    RunScript("UNIT Tank { Weapons: { Cannon pos: [ 0 1 0 ] }; }; };\n");
    CUnit* tank = Create<CUnit>("Tank");
    ASSERT_NE(nullptr, tank) << messages.Joined();
    ASSERT_EQ(1, tank->weaponCount);
    CWeapon* cannon = dynamic_cast<CWeapon*>(tank->weapons[0]);
    ASSERT_NE(nullptr, cannon);
    EXPECT_EQ(tank, cannon->carrier);
    EXPECT_FLOAT_EQ(1.0f, cannon->Pos.y);
    EXPECT_EQ(WEAPON_BONE_NONE, cannon->bone);
    EXPECT_TRUE(tank->SysControls & SYS_ENABLE_IDLE);
    EXPECT_TRUE(UnitsOfType(WEAPON_UNIT_TYPE).empty()) << "carried weapons are not registered";

    tank->Pos = D3DXVECTOR4(5, 0, 5, 1);
    tank->Orient.y = 1.5707964f;  // facing +x
    tank->UpdateWorldMatrix();
    tank->SetWeaponsTarget(D3DXVECTOR4(5, 0, 17, 1), 1);  // +z in the world: 90 degrees left
    Frames(30, 0.1f);
    EXPECT_NEAR(-1.5707964f + 6.2831853f, cannon->Orient.y, 1e-3f);
    EXPECT_EQ(3, gBolideImpact.count);
    EXPECT_NEAR(17.0f, gBolideImpact.point.z, 1.5f);
    EXPECT_NEAR(5.0f, gBolideImpact.point.x, 0.6f);
    EXPECT_EQ(0, gIUnitInspector->DeleteUnit(tank));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A tilted carrier: the weapon makes up for the tilt, unless the carrier is kept on the
// plane, where only its yaw counts.
TEST_F(WeaponTest, TiltedCarrierIsTakenIntoAccountUnlessOnThePlane)
{
    RunScript("UNIT Boat { Weapons: { Cannon }; }; };\n"
              "UNIT Raft { Weapons: { Cannon }; WeaponOptions: [ CarrierOnPlane ] }; };\n");
    for (const char* name : {"Boat", "Raft"}) {
        CUnit* carrier = Create<CUnit>(name);
        ASSERT_NE(nullptr, carrier);
        carrier->Pos = D3DXVECTOR4(0, 5, 0, 1);
        carrier->Orient.x = -0.3f;  // nose down
        carrier->UpdateWorldMatrix();
        carrier->SetWeaponsTarget(D3DXVECTOR4(0, 5, 100, 1), 1);
        Frames(4, 0.1f);
        const auto* cannon = static_cast<CWeapon*>(carrier->weapons[0]);
        EXPECT_NEAR(std::string(name) == "Boat" ? 0.3f : 0.0f, cannon->Orient.x, 0.01f) << name;
    }
}

TEST_F(WeaponTest, DescriptionOfAnotherClassMakesAWeaponThatNeverFires)
{
    RunScript("UNIT Cart { Weapons: { Shell pos: [ 0 1 0 ] }; }; };\n");
    CUnit* cart = Create<CUnit>("Cart");
    ASSERT_NE(nullptr, cart);
    ASSERT_EQ(1, cart->weaponCount);
    CWeapon* weapon = dynamic_cast<CWeapon*>(cart->weapons[0]);
    ASSERT_NE(nullptr, weapon);
    EXPECT_EQ(nullptr, weapon->bolideClass);
    weapon->targets = WEAPON_TARGET_LAND;
    cart->SetWeaponsTarget(D3DXVECTOR4(0, 0, 5, 1), 1);
    Frames(3, 0.1f);
    EXPECT_TRUE(UnitsOfType(BOLIDE_UNIT_TYPE).empty());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace vehicles
