// The unit registry: its section, class declarations read by the real script reader,
// creation by type, ids, deletion with slaves, reset and cameras.

#include "tests/units/UnitFixture.h"

#include "core/Scanner.h"
#include "engine/ResourceScan.h"
#include "scene/Bolide.h"
#include "scene/Camera.h"
#include "scene/Control3D.h"
#include "scene/Geometry.h"
#include "scene/Human.h"
#include "scene/Light.h"
#include "scene/Navy.h"
#include "scene/Text3D.h"
#include "scene/Unit.h"
#include "scene/Weapon.h"

#include <string>
#include <vector>

namespace {

using units::CountingUnit;
using units::SCalls;
using units::SIZES;
using units::UnitTest;

const char* const TYPE_WORDS[] = {
    "ATOM",  "SHADOW_CAMERA", "PARTICLE_EMITTER", "GEOMETRY", "SPRITE_2D", "TREE",         "CONTROL_3D",
    "LABEL_3D", "ICON",       "FREE_LIGHT",       "CAMERA",   "BILLBOARD", "BILL_LIGHT",   "WEAPON",
    "SELECT_PLANE", "BOLIDE", "TEXT3D",           "UNIT",     "SHIP",      "HUMAN",
};

TEST_F(UnitTest, SectionSizesThePoolsAndWarnsAboutUnknownWords)
{
    SizeRegistry("TemplateCount: 5 UnitCount: 9 Spare: 3 UnitMoves: 2 UnitAttaches: 7 SmoothMovers: 4");
    EXPECT_EQ(9, gUnitInspector->units.Capacity());
    EXPECT_EQ(5, gUnitInspector->templates.Capacity());
    EXPECT_EQ(2, gUnitInspector->unitMoves.Capacity());
    EXPECT_EQ(7, gUnitInspector->unitAttaches.Capacity());
    EXPECT_EQ(4, gUnitInspector->smoothMovers.Capacity());
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Undefine string 'Spare:'", messages.Texts()[0]);
}

// Only the unit classes that are part of the program are made; every other type is
// refused by name, never made as a unit of another class.
TEST_F(UnitTest, EveryTypeIsMadeByItsOwnClassOrRefusedByName)
{
    SizeRegistry(SIZES);
    for (uint32_t type = 1; type <= 20; ++type) {
        messages.Clear();
        gUnitInspector->warningBudget = 4;
        CAtom* unit = gUnitInspector->CreateUnitByType(type);
        if (type == 1) {
            ASSERT_NE(nullptr, unit);
            EXPECT_EQ(nullptr, dynamic_cast<CCamera*>(unit));
        } else if (type == 11) {
            EXPECT_NE(nullptr, dynamic_cast<CCamera*>(unit));
            EXPECT_EQ(nullptr, dynamic_cast<CShadowCamera*>(unit));
        } else if (type == 2) {
            EXPECT_NE(nullptr, dynamic_cast<CShadowCamera*>(unit));
        } else if (type == 4) {
            EXPECT_NE(nullptr, dynamic_cast<CGeometry*>(unit));
            EXPECT_EQ(nullptr, dynamic_cast<CUnit*>(unit));
        } else if (type == 10) {
            EXPECT_NE(nullptr, dynamic_cast<CLight*>(unit));
        } else if (type == 18) {
            EXPECT_NE(nullptr, dynamic_cast<CUnit*>(unit));
        } else if (type == 14) {
            EXPECT_NE(nullptr, dynamic_cast<CWeapon*>(unit));
        } else if (type == 16) {
            EXPECT_NE(nullptr, dynamic_cast<CBolide*>(unit));
        } else if (type == 17) {
            EXPECT_NE(nullptr, dynamic_cast<CText3D*>(unit));
        } else if (type == 19) {
            EXPECT_NE(nullptr, dynamic_cast<CShip*>(unit));
        } else if (type == 20) {
            EXPECT_NE(nullptr, dynamic_cast<CHuman*>(unit));
        } else if (type == 7) {
            EXPECT_NE(nullptr, dynamic_cast<CControl3D*>(unit));
            EXPECT_EQ(nullptr, dynamic_cast<CLabel3D*>(unit));
        } else if (type == 8) {
            EXPECT_NE(nullptr, dynamic_cast<CLabel3D*>(unit));
        } else if (type == 9) {
            EXPECT_NE(nullptr, dynamic_cast<CIcon*>(unit));
        } else if (type == 3 || type == 5 || type == 6 || type == 12 || type == 13 || type == 15) {
            EXPECT_NE(nullptr, unit) << type;
            EXPECT_EQ(0u, messages.Count()) << type;
        } else {
            EXPECT_EQ(nullptr, unit) << type;
            ASSERT_EQ(1u, messages.Count());
            EXPECT_EQ("CUnitInspector::CreateUnitByType :  Unit type " + std::to_string(type) + " '" +
                          TYPE_WORDS[type - 1] + "' has no unit class yet.",
                      messages.Texts()[0]);
        }
        delete unit;
    }
    messages.Clear();
    EXPECT_EQ(nullptr, gUnitInspector->CreateUnitByType(0));
    EXPECT_EQ(nullptr, gUnitInspector->CreateUnitByType(21));
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("CUnitInspector::CreateUnitByType :  Not found type.", messages.Texts()[1]);
}

// A class of a type that cannot be made is read through to the "};" that closes it, a brace
// in quoted text not counted, so the reader goes on after it.
TEST_F(UnitTest, AClassWhoseUnitCannotBeMadeIsReadThroughWhole)
{
    SizeRegistry(SIZES);
    scripts::TextFile file("unmade", "Gone { Mesh: \" }; \" RenderStates: ZWriteOff }; Pos: [ 1 2 3 ] };\nnext");
    EXPECT_EQ(-2, gUnitInspector->ScanClassTemplate(file, 0));
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    EXPECT_STREQ("next", word);
    EXPECT_EQ(nullptr, gUnitInspector->GetClassTemplate("Gone"));
}

TEST_F(UnitTest, ScriptClassesOfEveryKeywordAreDeclaredOrSkippedWhole)
{
    // One class and one unit of every type, plus the class "Last", must fit the pools.
    std::string script = "UnitInspector [ UnitCount: 32 TemplateCount: 32 UnitAttaches: 16 SmoothMovers: 8 ]\n";
    for (const char* word : TYPE_WORDS)
        script += std::string(word) + " C_" + word + " { RenderStates: ZWriteOff }; Pos: [ 1 2 3 ] };\n";
    script += "ATOM Last { Size: [ 5 5 5 ] };\n";
    gUnitInspector->warningBudget = 100;
    ASSERT_EQ(0, LoadScript(script)) << messages.Joined();
    for (const char* word : TYPE_WORDS) {
        const std::string name = std::string("C_") + word;
        CAtom* unit = gUnitInspector->CreateUnit(name.c_str(), nullptr);
        ASSERT_NE(nullptr, unit) << word;
        EXPECT_FLOAT_EQ(2.0f, unit->Pos.y);
        EXPECT_EQ(gUnitInspector->GetClassTemplate(name.c_str())->unitType, unit->type);
    }
    // The skipped blocks left nothing behind for the script reader.
    EXPECT_FALSE(messages.Contains("CParser")) << messages.Joined();
    ASSERT_NE(nullptr, gUnitInspector->GetClassPrototype("Last"));
    EXPECT_FLOAT_EQ(5.0f, gUnitInspector->GetClassPrototype("Last")->Size.x);
    EXPECT_NE(nullptr, dynamic_cast<CGeometry*>(gUnitInspector->GetClassPrototype("C_GEOMETRY")));
    EXPECT_EQ(11u, gUnitInspector->TypeFromKeyword("CAMERA"));
    EXPECT_EQ(0u, gUnitInspector->TypeFromKeyword("UNIT"));
    EXPECT_EQ(gUnitInspector->GetClassTemplate("C_CAMERA"), gUnitInspector->FindTemplateByType(11));
}

TEST_F(UnitTest, ShaderConstantsOfAClassPrefixAskItsPrototype)
{
    uintptr_t out = 0;
    EXPECT_EQ(0u, ShaderConstantByName("ATOM::Pos", &out));  // no class yet
    ASSERT_EQ(0, LoadScript(std::string("UnitInspector [ ") + SIZES + " ]\nCAMERA Eye { };\nATOM Stone { };\n"));
    EXPECT_EQ(ATOM_POS_WORD, ShaderConstantByName("ATOM::Pos", &out));
    EXPECT_EQ(ATOM_DIR_WORD, ShaderConstantByName("CAMERA::Dir", &out));
    EXPECT_EQ(0u, ShaderConstantByName("GEOMETRY::Pos", &out));
    EXPECT_EQ(0u, ShaderConstantByName("CAMERA::Weight", &out));
}

TEST_F(UnitTest, UnknownWordOfAClassIsReportedOnceWithTheClassName)
{
    ASSERT_EQ(0, LoadScript(std::string("UnitInspector [ ") + SIZES + " ]\nATOM Gate { Pos: [ 1 2 3 ] Hinge: 4 };\n"));
    EXPECT_TRUE(messages.Contains("Undefine string 'Hinge:' for UNIT 'Gate'.")) << messages.Joined();
    int reports = 0;
    for (const std::string& text : messages.Texts())
        reports += text.find("Hinge:") != std::string::npos;
    EXPECT_EQ(1, reports);
}

TEST_F(UnitTest, InheritanceCopiesTheParentsValues)
{
    ASSERT_EQ(0, LoadScript(std::string("UnitInspector [ ") + SIZES +
                            " ]\n"
                            "ATOM Parent { Color: [ 0.5 0.25 0.125 1 ] PlaceRotate: 2 };\n"
                            "ATOM Child : Parent { Size: [ 2 3 4 ] };\n"));
    CAtom* child = gUnitInspector->CreateUnit("Child", nullptr);
    ASSERT_NE(nullptr, child) << messages.Joined();
    EXPECT_FLOAT_EQ(0.25f, child->Color.g);
    EXPECT_FLOAT_EQ(3.0f, child->Size.y);
    EXPECT_STREQ("Child", child->name);
    EXPECT_EQ(gUnitInspector->GetClassTemplate("Child"), child->classTemplate);
    EXPECT_FLOAT_EQ(1.0f, gUnitInspector->GetClassPrototype("Parent")->Size.y);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(UnitTest, MissingParentIsFatal)
{
    scripts::ExitCodeGuard exitCode;
    EXPECT_EQ(-1, LoadScript(std::string("UnitInspector [ ") + SIZES +
                             " ]\nATOM Child : Nobody { Size: [ 2 3 4 ] };\nATOM After { };\n"));
    EXPECT_EQ(100, gExitCode);
    EXPECT_TRUE(messages.Contains("CUnitInspector::ScanClassTemplate: Class 'Nobody' for inheritance not found."))
        << messages.Joined();
    EXPECT_EQ(nullptr, gUnitInspector->GetClassTemplate("After"));
}

TEST_F(UnitTest, DuplicateClassWarnsAndTheFirstWins)
{
    ASSERT_EQ(0, LoadScript(std::string("UnitInspector [ ") + SIZES +
                            " ]\nATOM Twin { Pos: [ 1 0 0 ] };\nATOM Twin { Pos: [ 2 0 0 ] };\n"));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CUnitInspector::ScanClassTemplate: Class 'Twin' is already defined.", messages.Texts()[0]);
    CAtom* unit = gUnitInspector->CreateUnit("Twin", nullptr);
    ASSERT_NE(nullptr, unit);
    EXPECT_FLOAT_EQ(1.0f, unit->Pos.x);
}

TEST_F(UnitTest, TemplateLimitIsFatal)
{
    scripts::ExitCodeGuard exitCode;
    EXPECT_EQ(-1, LoadScript("UnitInspector [ TemplateCount: 2 UnitCount: 4 ]\nATOM One { };\nATOM Two { };\n"));
    EXPECT_EQ(100, gExitCode);
    EXPECT_TRUE(messages.Contains("CUnitInspector: templates limit is exceed.")) << messages.Joined();
    EXPECT_NE(nullptr, gUnitInspector->GetClassTemplate("One"));
}

TEST_F(UnitTest, UnitCountOfOneAcceptsNoUnit)
{
    SizeRegistry("UnitCount: 1 TemplateCount: 4");
    EXPECT_EQ(nullptr, gUnitInspector->AddCreatedUnit(new CountingUnit(&calls), nullptr));
    EXPECT_EQ(1, calls.destroyed);
    EXPECT_EQ(0, calls.firstInit);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CUnitInspector::AddCreatedUnit :  UnitCount limit is exceed.", messages.Texts()[0]);
}

TEST_F(UnitTest, FreedIdsAreReusedAndNameLookupWalksOverGaps)
{
    SizeRegistry(SIZES);
    CountingUnit* a = AddCounting(&calls, "A");
    CountingUnit* b = AddCounting(&calls, "B");
    CountingUnit* c = AddCounting(&calls, "C");
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(3, calls.firstInit);
    EXPECT_EQ(2u, b->id);
    EXPECT_EQ(0, gUnitInspector->DeleteUnit(b));
    EXPECT_EQ(nullptr, gUnitInspector->FindUnitByName("B"));
    EXPECT_EQ(c, gUnitInspector->FindUnitByName("C"));  // over the empty slot 2
    CountingUnit* d = AddCounting(&calls, "D");
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(2u, d->id);
    EXPECT_EQ(3u, c->id);
    EXPECT_EQ(d, gUnitInspector->FindUnitByName("D"));

    EXPECT_EQ(0, gUnitInspector->RemoveUnitFromProcess(c));
    EXPECT_EQ(0u, c->id);
    EXPECT_EQ(-1, gUnitInspector->RemoveUnitFromProcess(c));
    EXPECT_EQ(0, gUnitInspector->AddUnitToProcess(c));
    EXPECT_EQ(3u, c->id);
    EXPECT_EQ(0, gUnitInspector->AddUnitToProcess(c));  // already there
    EXPECT_EQ(-1, gUnitInspector->DeleteUnit(nullptr));
}

// A unit made outside the template paths keeps its own values.
TEST_F(UnitTest, UnitWithoutTemplateIsRegisteredAsItIs)
{
    SizeRegistry(SIZES);
    auto* unit = new CountingUnit(&calls, "Loose");
    unit->Pos.x = 4.0f;
    ASSERT_EQ(unit, gUnitInspector->AddCreatedUnit(unit, nullptr));
    EXPECT_FLOAT_EQ(4.0f, unit->Pos.x);
    EXPECT_STREQ("Loose", unit->name);
    EXPECT_EQ(1, calls.firstInit);
}

TEST_F(UnitTest, DeletingAMasterDeletesEverySlaveOnceAndFillsThePools)
{
    SizeRegistry(SIZES);
    CountingUnit* master = AddCounting(&calls, "Master");
    CountingUnit* s1 = AddCounting(&calls, "S1");
    CountingUnit* s2 = AddCounting(&calls, "S2");
    CountingUnit* s3 = AddCounting(&calls, "S3");
    CountingUnit* s2a = AddCounting(&calls, "S2a");
    CountingUnit* other = AddCounting(&calls, "Other");
    ASSERT_EQ(0, master->AttachUnit(s1, NOT_ATTACHED));
    ASSERT_EQ(0, master->AttachUnit(s2, NOT_ATTACHED));
    ASSERT_EQ(0, master->AttachUnit(s3, NOT_ATTACHED));
    ASSERT_EQ(0, s2->AttachUnit(s2a, NOT_ATTACHED));
    CSmoothMover* mover = gUnitInspector->AllocSmoothMover();
    ASSERT_NE(nullptr, mover);
    s3->smoothMovers.PushBack(mover);
    EXPECT_EQ(4, gUnitInspector->unitAttaches.Count() - gUnitInspector->unitAttaches.FreeCount());

    EXPECT_EQ(0, gUnitInspector->DeleteUnit(master));
    EXPECT_EQ(5, calls.destroyed);
    EXPECT_EQ(5, calls.released);
    EXPECT_EQ(gUnitInspector->unitAttaches.Count(), gUnitInspector->unitAttaches.FreeCount());
    EXPECT_EQ(gUnitInspector->smoothMovers.Count(), gUnitInspector->smoothMovers.FreeCount());
    for (int i = 1; i <= gUnitInspector->UnitBound(); ++i)
        EXPECT_TRUE(gUnitInspector->UnitAt(i) == nullptr || gUnitInspector->UnitAt(i) == other) << i;
    EXPECT_EQ(other, gUnitInspector->FindUnitByName("Other"));
}

TEST_F(UnitTest, DeletingASlaveDetachesItFromItsMaster)
{
    SizeRegistry(SIZES);
    CountingUnit* master = AddCounting(&calls, "Master");
    CountingUnit* slave = AddCounting(&calls, "Slave");
    CountingUnit* second = AddCounting(&calls, "Second");
    master->AttachUnit(slave, NOT_ATTACHED);
    master->AttachUnit(second, NOT_ATTACHED);
    EXPECT_EQ(0, master->AttachUnit(second, NOT_ATTACHED));  // warned, still one record
    EXPECT_TRUE(messages.Contains("already attached.")) << messages.Joined();
    gUnitInspector->DeleteUnit(slave);
    EXPECT_EQ(second, master->FirstSlave());
    EXPECT_EQ(nullptr, master->slaves.First()->next);
    gUnitInspector->DeleteUnit(master);
    EXPECT_EQ(3, calls.destroyed);
}

TEST_F(UnitTest, ResetDeletesUnitsAndKeepsTemplates)
{
    ASSERT_EQ(0, LoadScript(std::string("UnitInspector [ ") + SIZES + " ]\nATOM Crane { Pos: [ 7 8 9 ] };\n"));
    CountingUnit* master = AddCounting(&calls, "Master");
    CountingUnit* slave = AddCounting(&calls, "Slave");
    master->AttachUnit(slave, NOT_ATTACHED);
    CAtom* crane = gUnitInspector->CreateUnit("Crane", nullptr);
    crane->Pos.x = 100.0f;
    gUnitInspector->FindCameras();

    gUnitInspector->Reset();
    EXPECT_EQ(2, calls.destroyed);
    EXPECT_EQ(0, gUnitInspector->UnitBound());
    EXPECT_EQ(gUnitInspector->unitAttaches.Count(), gUnitInspector->unitAttaches.FreeCount());

    CAtom* again = gUnitInspector->CreateUnit("Crane", nullptr);
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(1u, again->id);
    EXPECT_FLOAT_EQ(7.0f, again->Pos.x);
    EXPECT_FLOAT_EQ(9.0f, again->Pos.z);
}

TEST_F(UnitTest, CollectsUnitsByClassAndType)
{
    ASSERT_EQ(0, LoadScript(std::string("UnitInspector [ ") + SIZES +
                            " ]\nATOM Tree { };\nATOM Rock { };\nCAMERA Eye { };\n"));
    CAtom* t1 = gUnitInspector->CreateUnit("Tree", nullptr);
    CAtom* rock = gUnitInspector->CreateUnit("Rock", nullptr);
    CAtom* t2 = gUnitInspector->CreateUnit("Tree", nullptr);
    CAtom* eye = gUnitInspector->CreateUnit("Eye", nullptr);
    std::vector<CAtom*> trees, atoms, none;
    gUnitInspector->CollectUnitsOfClass(trees, "Tree");
    EXPECT_EQ((std::vector<CAtom*>{t1, t2}), trees);
    gUnitInspector->CollectUnitsOfType(atoms, 1);
    EXPECT_EQ((std::vector<CAtom*>{t1, rock, t2}), atoms);
    gUnitInspector->CollectUnitsOfClass(none, "Bush");
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(11u, eye->type);
    CAtom* clone = gUnitInspector->CloneUnit(t1, nullptr);
    ASSERT_NE(nullptr, clone);
    EXPECT_EQ(t1->classTemplate, clone->classTemplate);
    EXPECT_NE(t1->id, clone->id);
}

TEST_F(UnitTest, MainCameraIsTheLastNormalCamera)
{
    ASSERT_EQ(0, LoadScript(std::string("UnitInspector [ ") + SIZES +
                            " ]\nCAMERA Eye { };\nCAMERA ControlsEye { ForControls3D };\n"));
    CAtom* first = gUnitInspector->CreateUnit("Eye", nullptr);
    CAtom* controls = gUnitInspector->CreateUnit("ControlsEye", nullptr);
    CAtom* second = gUnitInspector->CreateUnit("Eye", nullptr);
    ASSERT_TRUE(first && controls && second) << messages.Joined();
    gUnitInspector->FindCameras();
    EXPECT_EQ(second, gUnitInspector->GetCamera());
    EXPECT_EQ(controls, gUnitInspector->controlsCamera);

    gUnitInspector->DeleteUnit(second);  // no pointer to a deleted camera stays
    EXPECT_EQ(nullptr, gUnitInspector->GetCamera());
    gUnitInspector->FindCameras();
    EXPECT_EQ(first, gUnitInspector->GetCamera());
}

TEST_F(UnitTest, SceneUnitsAreNeitherRegisteredNorInitialised)
{
    ASSERT_EQ(0, LoadScript(std::string("UnitInspector [ ") + SIZES + " ]\nATOM Bench { Pos: [ 1 2 3 ] };\n"));
    CAtom* unit = gUnitInspector->CreateUnitForScene(gUnitInspector->GetClassTemplate("Bench"), nullptr);
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(0u, unit->id);
    EXPECT_FLOAT_EQ(3.0f, unit->Pos.z);
    EXPECT_EQ(0, gUnitInspector->UnitBound());
    delete unit;
}

TEST_F(UnitTest, UserClassFactoryMakesUserUnits)
{
    SizeRegistry(SIZES);
    EXPECT_EQ(nullptr, gUnitInspector->CreateUserUnit(nullptr, "CMyBuilding"));
    static SCalls factoryCalls;
    gIUnitInspector->SetUserClassFactory([](CClassTemplate*, const char* userClass) -> CAtom* {
        return gUnitInspector->AddCreatedUnit(new CountingUnit(&factoryCalls, userClass), nullptr);
    });
    CAtom* unit = gUnitInspector->CreateUserUnit(nullptr, "CMyBuilding");
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(unit, gUnitInspector->FindUnitByName("CMyBuilding"));
}

} // namespace
