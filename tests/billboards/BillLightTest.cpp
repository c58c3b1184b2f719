// Bill lights appearing and switching off, and the night lights of units made and removed
// as the first light's blue crosses the engine's levels.

#include "tests/billboards/BillboardFixture.h"

#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "scene/BillLightData.h"
#include "scene/Light.h"

#include <cstdio>
#include <vector>

namespace billboards {
namespace {

class NightTest : public BillboardTest {
protected:
    void SetUp() override
    {
        BillboardTest::SetUp();
        moon = Add<CLight>("Moon", D3DXVECTOR4(0, 0, 0, 1));
        ASSERT_NE(nullptr, moon);
        gUnitInspector->FindCameras();
        ASSERT_EQ(moon, gUnitInspector->firstLight);
        gEngine->nightLightsLevelB_On = 0.4f;
        gEngine->nightLightsLevelB_Off = 0.6f;
        Night();
    }
    void Night() { moon->Color.b = 0.2f; }
    void Day() { moon->Color.b = 0.9f; }
    int Lights(const CUnit* unit) const { return unit->unitList ? unit->unitList->GetCount() : 0; }

    CLight* moon = nullptr;
};

TEST_F(BillboardTest, WithoutDelayALightShowsAtOnceAndGoesAtTheFirstStepAfterTheSwitch)
{
    CBillLight* light = Add<CBillLight>("Glow", D3DXVECTOR4(0, 0, 0, 1));
    ASSERT_NE(nullptr, light);
    EXPECT_NE(0, light->mesh);
    EXPECT_EQ(0, light->phase);
    const uint32_t id = light->id;
    scene.Frame(0.02f);
    EXPECT_TRUE(Alive(light, id));
    light->StartSwitchOff();
    EXPECT_EQ(BILL_LIGHT_SWITCHING_OFF, light->phase);
    scene.Frame(0.02f);
    EXPECT_FALSE(Alive(light, id));
}

TEST_F(BillboardTest, WithADelayALightAppearsWithinItAndSwitchesOffWithinIt)
{
    ASSERT_EQ(0, scene.ReadScript("BILL_LIGHT Late : Glow { TurnOnOffRandomDelay: 0.5 };\n"));
    CBillLight* light = Add<CBillLight>("Late", D3DXVECTOR4(0, 0, 0, 1));
    ASSERT_NE(nullptr, light);
    EXPECT_EQ(BILL_LIGHT_WAITING, light->phase);
    EXPECT_EQ(0, light->mesh);
    EXPECT_NE(0, light->savedMesh);
    EXPECT_GE(light->countdown, 0.0f);
    EXPECT_LE(light->countdown, 0.5f);
    for (int i = 0; i < 6; ++i) scene.Frame(0.1f);
    EXPECT_EQ(0, light->phase);
    EXPECT_EQ(light->savedMesh, light->mesh);
    const uint32_t id = light->id;
    light->StartSwitchOff();
    const float countdown = light->countdown;
    light->StartSwitchOff();  // ignored while switching off
    EXPECT_EQ(countdown, light->countdown);
    for (int i = 0; i < 6; ++i) scene.Frame(0.1f);
    EXPECT_FALSE(Alive(light, id));
}

TEST_F(BillboardTest, ASpinningLightRollsWithTheViewersHeading)
{
    ASSERT_EQ(0, scene.ReadScript("BILL_LIGHT Spin : Glow { RotateZByViewerY: 0.5 };\n"));
    CBillLight* light = Add<CBillLight>("Spin", D3DXVECTOR4(10, 0, 0, 1));
    ASSERT_NE(nullptr, light);
    EXPECT_TRUE(light->controls & BILL_OWN_MATRIX);
    scene.Frame(0.02f);
    EXPECT_NE(0.0f, light->Orient.y);
    EXPECT_NEAR(light->Orient.y * 0.5f, light->Orient.z, 1e-5f);
    D3DXMATRIX expected;
    D3DXMatrixRotationYawPitchRoll(&expected, light->Orient.y, -light->Orient.x, light->Orient.z);
    EXPECT_NEAR(expected._11, light->world._11, 1e-5f);
    EXPECT_NEAR(expected._12, light->world._12, 1e-5f);
    EXPECT_NEAR(10.0f, light->world._41, 1e-5f);
}

TEST_F(NightTest, ClassRecordsAreReadWithTheirValues)
{
    const CBillLightData* first = gUnitInspector->GetClassTemplate("House")->nightLights.First();
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, first->next);
    EXPECT_EQ(nullptr, first->next->next);
    EXPECT_EQ(gUnitInspector->GetClassTemplate("Glow"), first->classTemplate);
    EXPECT_EQ(D3DXVECTOR4(0, 5, 0, 1), first->position);
    EXPECT_EQ(D3DXVECTOR4(2, 2, 2, 1), first->size);
    EXPECT_EQ(D3DXCOLOR(1, 1, 0, 1), first->color);
    EXPECT_EQ(D3DXVECTOR4(1, 5, 0, 1), first->next->position);
}

TEST_F(NightTest, AtNightAUnitLightsItsRecordsAndByDayTheyGo)
{
    CUnit* house = Add<CUnit>("House", D3DXVECTOR4(3, 0, 0, 1));
    ASSERT_NE(nullptr, house);
    scene.Frame(0.02f);
    ASSERT_EQ(2, Lights(house)) << messages.Joined();
    auto* light = dynamic_cast<CBillLight*>(house->unitList->At(0));
    ASSERT_NE(nullptr, light);
    EXPECT_EQ(house, light->master);
    EXPECT_EQ(D3DXVECTOR4(0, 5, 0, 1), light->Pos);
    EXPECT_EQ(D3DXCOLOR(1, 1, 0, 1), light->Color);
    EXPECT_EQ(2.0f, light->baseSize.x);
    scene.Frame(0.02f);
    EXPECT_NEAR(5.0f, light->placedPos.y, 1e-5f);  // carried by the house
    EXPECT_NEAR(3.0f, light->placedPos.x, 1e-5f);
    EXPECT_EQ(2, Lights(house)) << "made once";

    const uint32_t id = light->id;
    Day();
    scene.Frame(0.02f);
    scene.Frame(0.02f);
    EXPECT_FALSE(Alive(light, id));
    EXPECT_EQ(nullptr, house->unitList) << "the last light gave the list back";
    scene.Frame(0.02f);
    EXPECT_EQ(nullptr, house->unitList) << "no lights by day";

    Night();
    scene.Frame(0.02f);
    EXPECT_EQ(2, Lights(house));
}

TEST_F(NightTest, BetweenTheLevelsNothingChanges)
{
    CUnit* house = Add<CUnit>("House", D3DXVECTOR4(0, 0, 0, 1));
    moon->Color.b = 0.5f;
    scene.Frame(0.02f);
    EXPECT_EQ(nullptr, house->unitList) << "not dark enough to light";
    Night();
    scene.Frame(0.02f);
    moon->Color.b = 0.5f;
    scene.Frame(0.02f);
    scene.Frame(0.02f);
    EXPECT_EQ(2, Lights(house)) << "not bright enough to switch off";
}

TEST_F(NightTest, APresentationUnitAddsItsOwnLightsAndAnUnknownClassIsRefused)
{
    CUnit* house = Add<CUnit>("House", D3DXVECTOR4(0, 0, 0, 1));
    const std::string path = scene.Write("Keys.txt", "{ light: { class: Glow pos: [ 0 9 0 ] };\n"
                                                     "  light: { class: Nope pos: [ 0 1 0 ] };\n"
                                                     "  light: { pos: [ 0 2 0 ] class: Glow }; };\n");
    FILE* file = fopen(path.c_str(), "r");
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(SCAN_DONE, house->ScanMissionData(file, "night_lights:"));
    fclose(file);
    EXPECT_TRUE(messages.Contains("CBillLightData::ScanProps:  Can`t find class: 'Nope'.")) << messages.Joined();
    ASSERT_NE(nullptr, house->nightLights);
    EXPECT_EQ(D3DXVECTOR4(0, 9, 0, 1), house->nightLights->position);
    ASSERT_NE(nullptr, house->nightLights->next);
    EXPECT_EQ(D3DXVECTOR4(0, 2, 0, 1), house->nightLights->next->position);
    scene.Frame(0.02f);
    EXPECT_EQ(4, Lights(house)) << "its own two and the class's two";
}

// A unit's own records pass to no light made from them, so one naming the unit's own class
// is made; the class's records naming the class still come back to it and are refused.
TEST_F(NightTest, AUnitsOwnRecordMayNameItsOwnClass)
{
    ASSERT_EQ(0, scene.ReadScript("UNIT Porch { SysControls: [ RenderAlways ] };\n"
                                  "UNIT Lamp { SysControls: [ RenderAlways ]\n"
                                  "    NightLights: { Light: { Class: Lamp Pos: [ 0 1 0 ] }; }; };\n"))
        << messages.Joined();
    const struct {
        const char* placed;
        size_t said;
    } cases[] = {{"Porch", 0}, {"Lamp", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.placed);
        messages.Clear();
        const int before = Units();
        CUnit* unit = Add<CUnit>(c.placed, D3DXVECTOR4(0, 0, 0, 1));
        const std::string path = scene.Write("Own.txt", std::string("{ light: { class: ") + c.placed +
                                                            " pos: [ 0 3 0 ] }; };\n");
        FILE* file = fopen(path.c_str(), "r");
        ASSERT_NE(nullptr, file);
        EXPECT_EQ(SCAN_DONE, unit->ScanMissionData(file, "night_lights:"));
        fclose(file);
        for (int i = 0; i < 5; ++i) scene.Frame(0.02f);
        ASSERT_EQ(1, Lights(unit)) << messages.Joined();
        EXPECT_EQ(D3DXVECTOR4(0, 3, 0, 1), unit->unitList->At(0)->Pos);
        EXPECT_EQ(before + 2, Units()) << "the unit and its own light";
        EXPECT_EQ(c.said, messages.Count()) << messages.Joined();
        if (c.said) {
            EXPECT_TRUE(messages.Contains("class 'Lamp' names night light class 'Lamp'")) << messages.Joined();
        }
    }
}

TEST_F(NightTest, HidingTheUnitTakesItsLightsAlong)
{
    CUnit* house = Add<CUnit>("House", D3DXVECTOR4(0, 0, 0, 1));
    scene.Frame(0.02f);
    ASSERT_EQ(2, Lights(house));
    const CAtom* light = house->unitList->At(1);
    const uint32_t id = light->id;
    house->SysControls &= ~uint32_t(SYS_RENDER_ALWAYS);
    scene.Frame(0.02f);
    EXPECT_EQ(nullptr, house->unitList);
    EXPECT_FALSE(Alive(light, id));
}

// The registry's reset deletes slaves before their master: the master's light list must not
// keep them.
TEST_F(NightTest, AResetDeletesAUnitWithItsLightsOnce)
{
    CUnit* house = Add<CUnit>("House", D3DXVECTOR4(0, 0, 0, 1));
    scene.Frame(0.02f);
    ASSERT_EQ(2, Lights(house));
    gUnitInspector->DeleteUnit(house->unitList->At(0));
    EXPECT_EQ(1, Lights(house));
    gUnitInspector->Reset();
    EXPECT_EQ(0, gUnitInspector->UnitBound());
}

// With the attach pool full a night light cannot ride on its unit: it is not kept, so
// nothing reads the unit after it is deleted.
TEST_F(NightTest, ALightThatCannotBeAttachedDoesNotOutliveItsUnit)
{
    CUnit* house = Add<CUnit>("House", D3DXVECTOR4(0, 0, 0, 1));
    while (gUnitInspector->AllocUnitAttach()) {
    }
    const int units = Units();
    scene.Frame(0.02f);
    EXPECT_TRUE(messages.Contains("UnitAttaches limit is exceeded.")) << messages.Joined();
    EXPECT_EQ(0, Lights(house));
    EXPECT_EQ(units, Units()) << "no light without its unit";
    gUnitInspector->DeleteUnit(house);
    for (int i = 0; i < 3; ++i) scene.Frame(0.02f);
    EXPECT_EQ(units - 1, Units());
}

// A night light of a class already on its unit's chain would light the next one of that
// chain, generation after generation. A script names only classes read before or the class
// itself; the billboard that closes the second cycle is set by hand.
TEST_F(NightTest, NoNightLightIsMadeOfAClassAlreadyOnItsChain)
{
    ASSERT_EQ(0, scene.ReadScript("UNIT Lamp { SysControls: [ RenderAlways ]\n"
                                  "    NightLights: { Light: { Class: Lamp Pos: [ 0 1 0 ] }; }; };\n"
                                  "GEOMETRY Mast { SysControls: [ RenderAlways ] };\n"
                                  "UNIT Beacon { SysControls: [ RenderAlways ]\n"
                                  "    NightLights: { Light: { Class: Mast Pos: [ 0 1 0 ] }; }; };\n"))
        << messages.Joined();
    gUnitInspector->GetClassTemplate("Mast")->billboardClass = gUnitInspector->GetClassTemplate("Beacon");
    const struct {
        const char* placed;
        int units;  // for each unit placed
        const char* said;
    } cases[] = {{"Lamp", 1, "names night light class 'Lamp', which is already on the unit's chain"},
                 {"Beacon", 2, "names billboard class 'Beacon', which is already on the unit's chain"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.placed);
        messages.Clear();
        const int before = Units();
        Add<CUnit>(c.placed, D3DXVECTOR4(0, 0, 0, 1));
        Add<CUnit>(c.placed, D3DXVECTOR4(1, 0, 0, 1));
        for (int i = 0; i < 5; ++i) scene.Frame(0.02f);
        EXPECT_EQ(before + 2 * c.units, Units());
        EXPECT_EQ(1u, messages.Count()) << "said once, " << messages.Joined();
        EXPECT_TRUE(messages.Contains(c.said)) << messages.Joined();
    }
}

// Each class owns its records: a derived class's own lights join its copy of the parent's,
// never the parent's or a sibling's.
TEST_F(NightTest, ADerivedClassAddsLightsToItsOwnCopyOfTheParents)
{
    ASSERT_EQ(0, scene.ReadScript("UNIT Villa : House { NightLights: { Light: { Class: Glow Pos: [ 0 7 0 ] }; }; };\n"
                                  "UNIT Cottage : House { };\n"))
        << messages.Joined();
    auto records = [](const char* className) {
        std::vector<const CBillLightData*> out;
        for (const CBillLightData* r = gUnitInspector->GetClassTemplate(className)->nightLights.First(); r; r = r->next)
            out.push_back(r);
        return out;
    };
    const auto house = records("House"), villa = records("Villa"), cottage = records("Cottage");
    ASSERT_EQ(2u, house.size());
    ASSERT_EQ(3u, villa.size());
    ASSERT_EQ(2u, cottage.size());
    EXPECT_NE(house[0], villa[0]) << "copies, not the parent's records";
    EXPECT_NE(house[0], cottage[0]);
    EXPECT_EQ(house[1]->position, cottage[1]->position);
    EXPECT_EQ(D3DXVECTOR4(0, 7, 0, 1), villa[2]->position);
    CUnit* unit = Add<CUnit>("House", D3DXVECTOR4(0, 0, 0, 1));
    scene.Frame(0.02f);
    EXPECT_EQ(2, Lights(unit));
}

// Lights of classes that are no bill lights leave the list as they are deleted, and the
// registry's reset deletes each of them once.
TEST_F(NightTest, LightsOfOtherClassesLeaveTheListAndAreDeletedOnce)
{
    ASSERT_EQ(0, scene.ReadScript("UNIT Shed { SysControls: [ RenderAlways ] NightLights: {\n"
                                  "    Light: { Class: Board Pos: [ 0 3 0 ] };\n"
                                  "    Light: { Class: Flat Pos: [ 0 4 0 ] };\n"
                                  "    Light: { Class: Flat Pos: [ 0 5 0 ] }; }; };\n"))
        << messages.Joined();
    CUnit* shed = Add<CUnit>("Shed", D3DXVECTOR4(0, 0, 0, 1));
    scene.Frame(0.02f);
    ASSERT_EQ(3, Lights(shed)) << messages.Joined();
    gUnitInspector->DeleteUnit(shed->unitList->At(1));
    EXPECT_EQ(2, Lights(shed));
    gUnitInspector->Reset();
    EXPECT_EQ(0, gUnitInspector->UnitBound());
}

} // namespace
} // namespace billboards
