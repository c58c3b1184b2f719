// The application on the sample run folder: its registrations, the building reader on the
// generated building blocks and cost/area files, and the cost/area reader on bad input.

#include "app/Application.h"
#include "app/Flat.h"
#include "app/Floor.h"
#include "app/Hints.h"
#include "app/MyBuilding.h"
#include "core/Core.h"
#include "core/Delegates.h"
#include "engine/ClassTemplate.h"
#include "engine/MeshContainer.h"
#include "engine/MissionLoader.h"
#include "engine/UnitInspector.h"
#include "gui/BaseWin.h"
#include "gui/RectEditor.h"
#include "gui/WinSuperior.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
        ASSERT_TRUE(program.RunFrames(3));
        dir = test::TempDir("app");
    }
    void TearDown() override { program.Stop(); }

    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = dir + "\\" + name;
        test::WriteFile(path, text);
        return path;
    }

    // A presentation of one building of the sample, its block copied from the generated one.
    // A hall mesh path given replaces the sample's.
    std::string BuildingPresentation(int number, const std::string& block, const std::string& hallMesh = "")
    {
        const std::string n = std::to_string(number);
        const std::string mesh = "\"KestrelVale\\Building" + n;
        const std::string hall = hallMesh.empty() ? mesh + "Hall.msh\"" : "\"" + hallMesh + "\"";
        return "Units: {\n"
               "  MainCamera { name: \"Camera\" pos: [ 0 150 -230 ] at: [ 0 10 0 ] };\n"
               "  CMyBuilding >> Building { name: \"B" + n + "\" pos_ay: [ 10 0 20 90 ]\n"
               "    start_actions: {\n"
               "      create_attach: { Hall { mesh: " + hall + " pos_ay: [ 10 0 20 90 ] }; };\n"
               "      create_attach: { Attic { mesh: " + mesh + "Attic.msh\" pos_ay: [ 10 0 20 90 ] }; };\n"
               "    };\n"
               "    UserDefines: " + block + "\n"
               "  };\n"
               "};\n";
    }

    std::string GeneratedBlock(int number)
    {
        return test::ReadFile(test::RunDir() + "\\Presentations\\KestrelVale\\Building" + std::to_string(number) +
                              "Block.txt");
    }

    // Starts the presentation in the next engine frame; the building it made, or null.
    CMyBuilding* StartBuilding(const std::string& presentation)
    {
        gBuildings.Clear();
        gIMissionLoader->StartMission(Write("Building.txt", presentation));
        if (!program.RunFrames(2) || gBuildings.Count() != 1) return nullptr;
        return gBuildings[0];
    }

    // A building of the sample's script class with the given block, made by hand.
    CMyBuilding* HandMadeBuilding(const std::string& block)
    {
        CMyBuilding* building = NewMyBuilding(gIUnitInspector->GetClassTemplate("Building"), nullptr);
        if (!building) return nullptr;
        FILE* file = fopen(Write("Block.txt", block).c_str(), "r");
        if (!file) return nullptr;
        building->Scan(file);
        fclose(file);
        return building;
    }

    test::MessageRecorder messages;
    test::Program program;
    std::string dir;
};

int StartCalls = 0;
void CountingStart(int code)
{
    ++StartCalls;
    OnPresentationLoaded(code);
}

TEST_F(AppTest, StartRegistersTheApplicationAndShowsNoMessage)
{
    EXPECT_EQ(&OnPresentationLoaded, gMissionLoader->startCallback);
    EXPECT_EQ(&CreateUserUnit, gUnitInspector->userFactory);
    ASSERT_NE(nullptr, gPresentationWin);
    EXPECT_EQ(AppWindowConfig.width - 240, gPresentationWin->left);
    EXPECT_EQ(2, gPresentationWin->top);
    // The selector does not shift the windows added after it.
    CBaseWin* later = gWinSuperior.AddWin(10, 20, 4, 4, nullptr, nullptr, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(10, later->left);
    EXPECT_EQ(20, later->top);
    gWinSuperior.DeleteWin(&later);
    EXPECT_NE(nullptr, gHintsTex);
    EXPECT_NE(nullptr, gWindowsTex);
    EXPECT_TRUE(gMissionLoader->Running());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// With the window list full, a hint and a rectangle editor make nothing and keep nothing.
TEST_F(AppTest, AFullWindowListLeavesNoHintAndNoHandles)
{
    gWinSuperior.DeleteWin(&gHintWin);
    std::vector<CBaseWin*> filler;
    for (;;) {
        CBaseWin* win = gWinSuperior.AddWin(0, 0, 4, 4, nullptr, nullptr, 0, 0, 0, 0, 0, 0);
        if (win->slot < 0) {
            delete win;
            break;
        }
        filler.push_back(win);
    }
    const int count = gWinSuperior.count;
    messages.Clear();
    ShowHint(1u << 31, 10, 10, CIntRect{0, 0, 10, 10});
    EXPECT_EQ(nullptr, gHintWin);
    CRectEditor editor;
    editor.Create(0xFF00FF00, 0xFFFFFFFF, nullptr);
    EXPECT_EQ(nullptr, editor.handles[0]);
    // Room for one handle only: none is made, and the same shortage is not said again.
    gWinSuperior.DeleteWin(&filler.back());
    editor.Create(0xFF00FF00, 0xFFFFFFFF, nullptr);
    EXPECT_EQ(nullptr, editor.handles[0]);
    EXPECT_EQ(nullptr, editor.handles[1]);
    EXPECT_EQ(1, gWinSuperior.freeCount);
    EXPECT_EQ(count, gWinSuperior.count);
    EXPECT_EQ((std::vector<std::string>{"PROGRAMMER LIMIT: Wins array for CWinSuperior is overflow",
                                        "PROGRAMMER LIMIT: Wins array for CWinSuperior is overflow: the rectangle "
                                        "editor needs 2 windows, 0 are free."}),
              messages.Texts());
    for (CBaseWin*& win : filler)
        gWinSuperior.DeleteWin(&win);
    ASSERT_TRUE(program.RunFrames(2));
}

TEST_F(AppTest, TheStartCallbackRunsOncePerStart)
{
    gMissionLoader->startCallback = CountingStart;
    StartCalls = 0;
    ASSERT_NE(nullptr, StartBuilding(BuildingPresentation(2, GeneratedBlock(2))));
    ASSERT_TRUE(program.RunFrames(3));
    EXPECT_EQ(1, StartCalls);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(AppTest, TheFactoryMakesBuildingsOnlyForItsClass)
{
    CClassTemplate* cls = gIUnitInspector->GetClassTemplate("Building");
    ASSERT_NE(nullptr, cls);
    EXPECT_EQ(nullptr, CreateUserUnit(cls, "CMyHouse"));
    const int before = gBuildings.Count();
    CMyBuilding* first = static_cast<CMyBuilding*>(CreateUserUnit(cls, "CMyBuilding"));
    CMyBuilding* second = static_cast<CMyBuilding*>(CreateUserUnit(cls, "CMyBuilding"));
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(before + 2, gBuildings.Count());
    EXPECT_EQ(cls, second->classTemplate);
    // The template's one hook reads into the building made last.
    EXPECT_NE(nullptr, cls->userDefines);
    FILE* file = fopen(Write("Address.txt", "{ Address: \"Lane 7\" };").c_str(), "r");
    ASSERT_NE(nullptr, file);
    cls->userDefines->Invoke(file);
    fclose(file);
    EXPECT_STREQ("", first->address);
    EXPECT_STREQ("Lane 7", second->address);
}

// The template's hook outlives the buildings it read into: once they are gone a unit of the
// class reads its block into none of them, and the presentation reads on.
TEST_F(AppTest, TheHookLetsGoOfADeletedBuilding)
{
    CClassTemplate* cls = gIUnitInspector->GetClassTemplate("Building");
    ASSERT_NE(nullptr, cls);
    auto* hook = dynamic_cast<TDelegate1<void, FILE*, CMyBuilding>*>(cls->userDefines);
    ASSERT_NE(nullptr, hook);
    ASSERT_EQ(3, gBuildings.Count());
    EXPECT_EQ(gBuildings[2], hook->Object());
    gIMissionLoader->StartMission(Write("Plain.txt",
        "Units: {\n"
        "  MainCamera { name: \"Camera\" pos: [ 0 150 -230 ] at: [ 0 10 0 ] };\n"
        "  Building { name: \"Plain\" UserDefines: { NumFloors: 2 Address: \"Lane 9\" }; };\n"
        "  Building { name: \"After\" };\n"
        "};\n"));
    ASSERT_TRUE(program.RunFrames(3));
    EXPECT_EQ(nullptr, hook->Object());
    EXPECT_NE(nullptr, gIUnitInspector->FindUnitByName("Plain"));
    EXPECT_NE(nullptr, gIUnitInspector->FindUnitByName("After"));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("UserDefines: the building of this block is gone; the block is skipped.", messages.Texts()[0]);
}

TEST_F(AppTest, TheFirstGeneratedBuildingReadsItsFloorsAndFlats)
{
    CMyBuilding* b = StartBuilding(BuildingPresentation(1, GeneratedBlock(1)));
    ASSERT_NE(nullptr, b) << messages.Joined();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    ASSERT_EQ(9, b->numFloors);
    ASSERT_EQ(9, b->floors.Count());
    ASSERT_NE(nullptr, b->hall);
    ASSERT_NE(nullptr, b->attic);
    for (int i = 0; i < 9; ++i) {
        CFloor* floor = b->floors[i];
        EXPECT_EQ(i + 1, floor->number);
        EXPECT_FLOAT_EQ(4.0f + 3.0f * i, floor->Pos.y);
        EXPECT_FLOAT_EQ(10.0f, floor->Pos.x);
        EXPECT_FLOAT_EQ(20.0f, floor->Pos.z);
        EXPECT_NEAR(1.5708f, floor->Orient.y, 1e-4);
        EXPECT_NE(0, floor->mesh);
        EXPECT_NE(0, floor->selectMesh);
        EXPECT_NE(0, floor->interiorMesh);
        EXPECT_NE(0, floor->flatsTexture);
        EXPECT_NE(nullptr, floor->hitMask);
        EXPECT_LT(floor->flatsSource.left, floor->flatsSource.right);
        EXPECT_GT(floor->flats.Count(), 0);
    }
    EXPECT_FLOAT_EQ(31.0f, b->attic->Pos.y);
    EXPECT_NE(0, b->windowMesh);
    EXPECT_NE(nullptr, b->topViewTexture);
    EXPECT_NE(nullptr, b->facadeTexture);
    EXPECT_LT(b->topViewSource.left, b->topViewSource.right);
    EXPECT_LT(b->faceFloorRect.top, b->faceFloorRect.bottom);
    EXPECT_EQ(b->faceFloorRect.right - b->faceFloorRect.left + 4, b->floorSelRect.right - b->floorSelRect.left);
    EXPECT_NE(0, b->address[0]);

    const CFlat* golden = b->floors[0]->flats[0];
    EXPECT_EQ(1, golden->number);
    EXPECT_EQ(4500050, golden->pricePerArea);
    EXPECT_EQ(6150, golden->areaA);
    EXPECT_EQ(3420, golden->areaB);
    EXPECT_EQ(b->floors[0]->flatsTexture, golden->textureId);
    EXPECT_LT(golden->source.left, golden->source.right);
    EXPECT_EQ(0xFF1A1A1Au, golden->labelColour);
}

TEST_F(AppTest, EveryGeneratedBuildingReadsWithoutAMessage)
{
    for (int number = 1; number <= 3; ++number) {
        CMyBuilding* b = StartBuilding(BuildingPresentation(number, GeneratedBlock(number)));
        ASSERT_NE(nullptr, b) << number;
        EXPECT_GT(b->numFloors, 0);
        for (int i = 0; i < b->floors.Count(); ++i)
            EXPECT_GT(b->floors[i]->flats.Count(), 0) << number << " floor " << i + 1;
        EXPECT_NE(nullptr, b->attic);
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// Mesh paths are the mesh container's, relative to its mesh folder like every other mesh's;
// a full path is taken as it is.
TEST_F(AppTest, MeshPathsAreReadAsTheMeshContainerNamesThem)
{
    const std::string full = test::RunDir() + "\\Meshes\\KestrelVale\\Building2Interior.msh";
    CMyBuilding* b = HandMadeBuilding("{ NumFloors: 2 SelFloorRectMesh: KestrelVale\\Building2Select.msh\n"
                                      "  FloorWindowMesh: \"KestrelVale\\Building2Windows.msh\"\n"
                                      "  InteriorMesh: \"" + full + "\" };");
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    ASSERT_NE(0, b->selectMesh);
    EXPECT_STREQ("KestrelVale\\Building2Select.msh", gIMeshContainer->GetMesh(b->selectMesh)->path);
    EXPECT_NE(0, b->windowMesh);
    EXPECT_NE(0, b->floors[1]->interiorMesh);
}

// A floor mesh without vertices, or whose header counts vertices it does not hold, has an
// empty box and no height: the floors stand on the hall, not 99999 up; nor does a box that
// is not finite (a coordinate "inf", or one past the float range) stack them at infinity,
// whether it is the floor's or the hall's; and a storey so tall that the stack would leave
// the float range adds nothing there.
TEST_F(AppTest, AFloorMeshWithoutVerticesStacksTheFloorsAtTheHall)
{
    const char* const storey = "NumVertices 3\nMESH\n3\n0 0 0\n1 3 0\n0 1 1\n";
    const struct {
        const char* hall;  // null: the sample's
        const char* floor;
        int floors;
        bool flat;  // every floor and the attic at the top of the hall
    } rows[] = {
        {nullptr, "NumVertices 0\nMESH\n0\n", 2, true},
        {nullptr, "NumVertices 3\nMESH\n0\n", 2, true},
        {nullptr, "NumVertices 3\nMESH\n3\n0 0 0\n1 inf 0\n0 1 1\n", 2, true},
        {nullptr, "NumVertices 3\nMESH\n3\n0 0 0\n1 1e39 0\n0 1 1\n", 2, true},
        {"NumVertices 3\nMESH\n3\n0 0 0\n1 inf 0\n0 1 1\n", storey, 2, false},
        {nullptr, "NumVertices 3\nMESH\n3\n0 0 0\n1 3e38 0\n0 1 1\n", 3, false},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto& row = rows[i];
        SCOPED_TRACE(std::string(row.hall ? row.hall : "") + row.floor);
        const std::string n = std::to_string(i);
        const std::string floor = Write("Floor" + n + ".msh", row.floor);
        const std::string hall = row.hall ? Write("Hall" + n + ".msh", row.hall) : "";
        CMyBuilding* b = StartBuilding(BuildingPresentation(
            2, "{ NumFloors: " + std::to_string(row.floors) + " FloorMesh: \"" + floor + "\" };", hall));
        ASSERT_NE(nullptr, b) << messages.Joined();
        ASSERT_EQ(row.floors, b->floors.Count());
        ASSERT_NE(nullptr, b->attic);
        for (int f = 0; f < row.floors; ++f) {
            EXPECT_TRUE(std::isfinite(b->floors[f]->Pos.y)) << f;
            if (f > 0) EXPECT_LE(b->floors[f - 1]->Pos.y, b->floors[f]->Pos.y) << f;
        }
        EXPECT_TRUE(std::isfinite(b->attic->Pos.y));
        EXPECT_LE(b->floors[row.floors - 1]->Pos.y, b->attic->Pos.y);
        if (row.flat) {
            EXPECT_FLOAT_EQ(b->floors[0]->Pos.y, b->floors[1]->Pos.y);
            EXPECT_FLOAT_EQ(b->floors[0]->Pos.y, b->attic->Pos.y);
            EXPECT_LT(b->attic->Pos.y, 100.0f);
        }
    }
}

TEST_F(AppTest, AnUnknownKeywordIsNamedAndReadingGoesOn)
{
    CMyBuilding* b = HandMadeBuilding("{ NumFloors: 2 Balcony: Address: \"Hill 3\" };");
    ASSERT_NE(nullptr, b);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Undefines string for building: 'Balcony:'", messages.Texts()[0]);
    EXPECT_EQ(2, b->floors.Count());
    EXPECT_STREQ("Hill 3", b->address);
}

TEST_F(AppTest, TheCostAreaFileKeepsWhatItCanRead)
{
    CMyBuilding* b = HandMadeBuilding("{ NumFloors: 3 };");
    ASSERT_NE(nullptr, b);
    // A floor the building lacks, a flat without a label, a two-digit flat word; figures with
    // one, none and three decimals and a signed one, which is refused.
    const std::string path = Write("Cost.txt",
        "CostArea: {\n"
        " Floor 5 { Flats: { Flat1 [ Price: 1 Area: [ 1 1 ] Picture: [ 0 0 1 1 ] Button: [ 0 0 ] ] }; };\n"
        " Floor 2 { Flats: {\n"
        "   Flat3 [ Price: 100.5 Area: [ 50 30 ] Picture: [ 1 2 3 4 ] Button: [ 5 6 ] ]\n"
        "   Flat12 [ Price: 200.125 Area: [ -60 40.994 ] Picture: [ 1 2 3 4 ] Button: [ 7 8 ] Label: [ 9 10 FF00FF00 ] ]\n"
        " }; };\n"
        " Floor 3 { Flats: { Flat1 [ Price: 300 Area: [ 70 };\n");
    b->ScanCostAreaFile(path.c_str());
    EXPECT_EQ(0, b->floors[0]->flats.Count());
    ASSERT_EQ(2, b->floors[1]->flats.Count());
    const CFlat* plain = b->floors[1]->flats[0];
    EXPECT_EQ(3, plain->number);
    EXPECT_EQ(10050, plain->pricePerArea);
    EXPECT_EQ(3000, plain->areaB);
    EXPECT_EQ(5, plain->buttonX);
    EXPECT_EQ(6, plain->buttonY);
    EXPECT_EQ(0xFFFFFFFFu, plain->labelColour);
    const CFlat* labelled = b->floors[1]->flats[1];
    EXPECT_EQ(12, labelled->number);
    EXPECT_EQ(9, labelled->labelX);
    EXPECT_EQ(10, labelled->labelY);
    EXPECT_EQ(0xFF00FF00u, labelled->labelColour);
    EXPECT_EQ(20013, labelled->pricePerArea);
    EXPECT_EQ(0, labelled->areaA);
    EXPECT_EQ(4099, labelled->areaB);
    EXPECT_TRUE(messages.Contains("Cost/area file: '-60' is not a price or an area")) << messages.Joined();
    // The cut-off flat is kept with what it had; nothing after it is invented.
    ASSERT_EQ(1, b->floors[2]->flats.Count());
    EXPECT_EQ(30000, b->floors[2]->flats[0]->pricePerArea);
}

TEST_F(AppTest, BadCostAreaFilesNeitherCrashNorLoseTheBuilding)
{
    CMyBuilding* b = HandMadeBuilding("{ NumFloors: 2 };");
    ASSERT_NE(nullptr, b);
    b->ScanCostAreaFile((dir + "\\Missing.txt").c_str());
    for (const char* text : {"", "CostArea:", "CostArea: { Floor", "CostArea: { Floor x { Flats: { Flat",
                             "CostArea: { Floor 1 { FloorWinTextureRect: [ Nowhere.tga [ 0 0 ] Flats: { Flat9",
                             "CostArea: { Floor -4 { }; Floor 2 { Flats: { Flat1 [ ] ] }; }; };",
                             "};};};"}) {
        b->ScanCostAreaFile(Write("Bad.txt", text).c_str());
    }
    EXPECT_EQ(2, b->floors.Count());
    // The missing picture is reported; the program goes on.
    EXPECT_TRUE(messages.Contains("Nowhere")) << messages.Joined();
    ASSERT_TRUE(program.RunFrames(2));
}

TEST_F(AppTest, FloorsAreRefusedBeyondTheFacade)
{
    CMyBuilding* b = HandMadeBuilding("{ NumFloors: 300 NumFloors: 0 };");
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(0, b->floors.Count());
    EXPECT_EQ(2u, messages.Count()) << messages.Joined();
}

} // namespace

namespace {

// The sample's buildings are read from the same blocks the generator wrote.
TEST_F(AppTest, TheSampleShowsItsThreeBuildingsWithoutAMessage)
{
    ASSERT_EQ(3, gBuildings.Count());
    const int floors[] = {9, 5, 12};
    for (int i = 0; i < 3; ++i) {
        CMyBuilding* b = gBuildings[i];
        EXPECT_EQ(floors[i], b->floors.Count()) << i;
        EXPECT_NE(nullptr, b->hall) << i;
        EXPECT_FLOAT_EQ(4.0f + 3.0f * floors[i], b->attic ? b->attic->Pos.y : -1.0f) << i;
        EXPECT_NE(0, b->address[0]) << i;
        EXPECT_GT(b->floors[0]->flats.Count(), 0) << i;
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(AppTest, BuildingsOfAnEndedPresentationLeaveTheList)
{
    ASSERT_EQ(3, gBuildings.Count());
    gCurBuilding = gBuildings[1];
    gIMissionLoader->StartMission(Write("Next.txt", BuildingPresentation(2, GeneratedBlock(2))));
    ASSERT_TRUE(program.RunFrames(3));
    ASSERT_EQ(4, gBuildings.Count());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(nullptr, gBuildings[i]) << i;
    ASSERT_NE(nullptr, gBuildings[3]);
    EXPECT_EQ(5, gBuildings[3]->floors.Count());
    EXPECT_EQ(nullptr, gCurBuilding);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
