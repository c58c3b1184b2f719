// Game maps, nations and scenes read from files the tests write, through a created engine.

#include "core/Core.h"
#include "core/Input.h"
#include "engine/CreateEngine.h"
#include "engine/Engine.h"
#include "engine/MapContainer.h"
#include "engine/MissionLoader.h"
#include "engine/Nations.h"
#include "engine/Parser.h"
#include "engine/Scenes.h"
#include "engine/UnitInspector.h"
#include "gui/WinSuperior.h"
#include "scene/Atom.h"
#include "tests/scripts/ScriptFiles.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

const char* const REGISTRY = "UnitInspector [ UnitCount: 16 TemplateCount: 8 UnitAttaches: 16 SmoothMovers: 8 "
                             "UnitMoves: 4 ]\n"
                             "Renderer [ QueueCount: 4 InQueueCount: 16 MaxRenderObjects: 16 ]\n";

class Maps : public ::testing::Test {
protected:
    void SetUp() override
    {
        gInput.Reset();
        gWinSuperior.pWinUnderMouse = nullptr;
        gExitCode = 0;
        ASSERT_EQ(0, CreateEngine(0));
    }
    void TearDown() override
    {
        DestroyEngine();
        gWinSuperior.pWinUnderMouse = nullptr;
        gExitCode = 0;
    }
    int Script(const std::string& text) { return gParser->LoadScript(dir.Write("Start.txt", text).c_str()); }
    // A map block read as a presentation's "Map:" section.
    int ScanMap(const std::string& block)
    {
        scripts::TextFile file("map", block);
        return gMapContainer->ScanMap(file);
    }
    CGameMap* Current() { return gMapContainer->GetMap(gEngine->currentMap); }

    scripts::ScriptDir dir{"maps"};
    test::MessageRecorder messages;
};

TEST_F(Maps, TheScriptSizesTheContainerAndTheMapGetsItsRegions)
{
    ASSERT_EQ(0, Script("MapContainer [ MapCount: 3 RegionSize: 16 BlankField: 1 ]\n")) << messages.Joined();
    EXPECT_EQ(16u, gMapContainer->RegionSize);
    EXPECT_EQ(256u, gMapContainer->RegionSize2);
    EXPECT_EQ(1u, gMapContainer->BlankField);
    ASSERT_EQ(0, ScanMap("{ name: Yard size: 64x64 dict_size: 4 busy_cells: 1 };"));
    EXPECT_TRUE(messages.Texts().empty()) << messages.Joined();
    CGameMap* map = Current();
    ASSERT_NE(nullptr, map);
    EXPECT_EQ(1, gEngine->currentMap);
    EXPECT_EQ(4u, map->regionsX);
    EXPECT_EQ(4u, map->regionsZ);
    EXPECT_EQ(size_t(64 * 64), map->busyCells.size());
    EXPECT_EQ(0, map->regions[0].detailed);   // the blank border is flat
    EXPECT_EQ(1, map->regions[5].detailed);   // inside: the zero quad
    EXPECT_EQ(48, map->regions[7].x);
    EXPECT_EQ(16, map->regions[7].z);

    SMapPos cell;
    map->GetCellXZ(&cell, D3DXVECTOR4(0, 0, 0, 1));
    EXPECT_EQ(32, cell.x);
    EXPECT_EQ(32, cell.z);

    // The second map fills the container (MapCount - 1 maps); the third is refused.
    ASSERT_EQ(0, ScanMap("{ size: 32x16 dict_size: 2 };"));
    EXPECT_EQ(2, gEngine->currentMap);
    EXPECT_EQ(-1, ScanMap("{ size: 32x16 dict_size: 2 };"));
    EXPECT_EQ(1, gExitCode);
    EXPECT_EQ(0, gEngine->currentMap);
    EXPECT_TRUE(messages.Contains("CMapContainer:  map count limit is exceed.")) << messages.Joined();
}

TEST_F(Maps, AltitudesComeFromTheRegionsAndOutsideReadsZero)
{
    gMapContainer->capacity = 2;
    ASSERT_EQ(0, ScanMap("{ size: 32x32 dict_size: 3 };"));
    CGameMap* map = Current();
    ASSERT_NE(nullptr, map);
    // Region (1, 0) gets its own quad with one raised cell; region (0, 1) is flat at 7.
    SMapRegion* detailed = map->RegionOfCell(20, 3);
    detailed->heights = map->dictionary.Quad(2, 256);
    detailed->heights[3 * 16 + 4] = 9;
    SMapRegion* flat = map->RegionOfCell(0, 16);
    flat->detailed = 0;
    flat->altitude = 7;

    SMapPos pos;
    map->GetPosByFPos(&pos, D3DXVECTOR4(20 - 16, 0, 16 - 3, 1));
    EXPECT_EQ(20, pos.x);
    EXPECT_EQ(3, pos.z);
    EXPECT_EQ(9, pos.altitude);
    EXPECT_EQ(7, map->GetAltByPos4(SMapPos{5, 30, 0, 0}));
    EXPECT_FLOAT_EQ(7 * gEngine->StepY(), map->GetFAltByPos4(SMapPos{5, 30, 0, 0}));
    EXPECT_EQ(0, map->GetAltByPos4(SMapPos{1, 1, 0, 0}));
    EXPECT_TRUE(messages.Texts().empty()) << messages.Joined();

    EXPECT_EQ(0, map->GetAltByPos4(SMapPos{32, 0, 0, 0}));
    EXPECT_EQ(0.0f, map->GetFAltByPos4(SMapPos{0, -1, 0, 0}));
    map->GetPosByFPos(&pos, D3DXVECTOR4(-40, 0, 0, 1));
    EXPECT_EQ(0, pos.altitude);
    map->GetCellXZClamped(&pos, D3DXVECTOR4(-40, 0, 0, 1));
    EXPECT_EQ(0, pos.x);
    D3DXVECTOR4 world;
    map->GetFPos_XZ_ByPos4(&world, SMapPos{20, 3, 0, 0});
    EXPECT_FLOAT_EQ(4.0f, world.x);
    EXPECT_FLOAT_EQ(13.0f, world.z);
    EXPECT_TRUE(messages.Contains("CGameMap::GetAltByPos4:  Pos is outside of the map."));
    EXPECT_TRUE(messages.Contains("CGameMap::GetFAltByPos4:  Pos is outside of the map."));
    EXPECT_TRUE(messages.Contains("CGameMap::GetPosByFPos:  fPos is outside of the map."));
}

// Positions far off the map (beyond 32 bits of cells, infinite or NaN) are outside for the
// exact lookups and clamp to the nearest edge cell; nothing wraps around.
TEST_F(Maps, FarPositionsAreOutsideAndClampToTheNearestEdge)
{
    gMapContainer->capacity = 2;
    ASSERT_EQ(0, ScanMap("{ size: 32x32 dict_size: 3 };"));
    CGameMap* map = Current();
    ASSERT_NE(nullptr, map);
    const float away = 1e10f, beyond32 = 2147483648.0f, inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct {
        float x, z;
        int clampedX, clampedZ;
    } const cases[] = {
        {away, 0, 31, 16}, {-away, 0, 0, 16}, {0, away, 16, 0}, {0, -away, 16, 31},
        {beyond32, -beyond32, 31, 31}, {-inf, inf, 0, 0}, {nan, nan, 0, 31},
    };
    for (const auto& c : cases) {
        const D3DXVECTOR4 at(c.x, 0, c.z, 1);
        SMapPos cell;
        map->GetCellXZClamped(&cell, at);
        EXPECT_EQ(c.clampedX, cell.x) << c.x << ", " << c.z;
        EXPECT_EQ(c.clampedZ, cell.z) << c.x << ", " << c.z;
        map->GetCellXZ(&cell, at);
        EXPECT_FALSE(map->Contains(cell.x, cell.z)) << c.x << ", " << c.z;
        SMapPos pos{0, 0, 0, 5};
        map->GetPosByFPos(&pos, at);
        EXPECT_FALSE(map->Contains(pos.x, pos.z)) << c.x << ", " << c.z;
        EXPECT_EQ(0, pos.altitude);
    }
}

TEST_F(Maps, BadMapFilesFailWithAMessage)
{
    gMapContainer->capacity = 10;
    const struct {
        const char* block;
        const char* message;
    } cases[] = {
        {"{ size: 60x64 dict_size: 2 };", "Map size must be divisible by region size"},
        {"{ size: 64x64 dict_size: 1 };", "CMDictionary::InitHeightsArray Error:  MaxQuads<2."},
        {"{ size: 64x64 dict_size: 2", "the map block is not closed"},
        {"{ size: 64y64 dict_size: 2 };", "bad map size '64y64'"},
        {"{ size: -16x16 dict_size: 2 };", "bad map size"},
        {"{ size: 99999999x16 dict_size: 2 };", "bad map size"},
        {"{ size: 16x16 dict_size: 999999999 };", "dict_size is too large"},
    };
    for (const auto& c : cases) {
        messages.Clear();
        gMapContainer->warningBudget = 4;
        EXPECT_NE(0, ScanMap(c.block)) << c.block;
        EXPECT_TRUE(messages.Contains(c.message)) << c.block << ": " << messages.Joined();
        ASSERT_NE(nullptr, Current());
        EXPECT_EQ(0, Current()->GetAltByPos4(SMapPos{0, 0, 0, 0}));
    }
    messages.Clear();
    ASSERT_EQ(0, ScanMap("{ size: 16x16 land_file: \"Land.bin\" Bogus: };"));
    EXPECT_EQ("Land.bin", Current()->landFile);
    EXPECT_TRUE(Current()->regions.empty());
    EXPECT_TRUE(messages.Contains("CGameMap::Scan :  undefine string 'Bogus:'.")) << messages.Joined();
}

TEST_F(Maps, GroundIsPickedOnARaisedRegion)
{
    gMapContainer->capacity = 2;
    ASSERT_EQ(0, ScanMap("{ size: 64x64 dict_size: 2 };"));
    CGameMap* map = Current();
    for (SMapRegion& region : map->regions) {
        region.detailed = 0;
        region.altitude = 50;
    }
    gEngine->SetViewRect(0, 0, 800, 600);
    gEngine->SetMode(3, 0);
    gEngine->CreateViewWindow();
    SMouseInput in;
    in.x = in.y = 10;
    in.winUnderMouse = gEngine->viewWindow;
    gEngine->flags &= ~uint32_t(ENG_SNAP_TO_CELL);
    D3DXVECTOR4 point;
    SMapPos pos;
    ASSERT_TRUE(gEngine->PickGround(map, D3DXVECTOR4(0, 40, 0, 1), D3DXVECTOR4(0, -1, 0, 0), &point, &pos, in));
    EXPECT_FLOAT_EQ(50 * gEngine->StepY(), point.y);
    EXPECT_EQ(32, pos.x);
    EXPECT_EQ(32, pos.z);
}

TEST_F(Maps, APresentationMapIsLoadedAndReleasedAtTheEnd)
{
    ASSERT_EQ(0, Script("MapContainer [ MapCount: 2 RegionSize: 8 ]\n"));
    const std::string path = dir.Write("Show.txt", "Map: { size: 16x16 dict_size: 2 };\n");
    ASSERT_EQ(0, gIMissionLoader->StartMission(path));
    ASSERT_EQ(0, gIEngine->Process()) << messages.Joined();
    ASSERT_TRUE(gMissionLoader->Running());
    ASSERT_NE(nullptr, Current());
    EXPECT_EQ(Current(), gMissionLoader->GetGameMap());
    EXPECT_EQ(2u, Current()->regionsX);
    gIMissionLoader->EndMission();
    EXPECT_EQ(0, gEngine->currentMap);
    EXPECT_EQ(0u, gMapContainer->Count());
    EXPECT_EQ(nullptr, gIMissionLoader->GetGameMap()) << "the loader must not hand out the deleted map";
}

TEST_F(Maps, NationsAreDeclaredWithMasksAndAGamerNation)
{
    // The fourth nation overflows the table and stops the script.
    EXPECT_EQ(-1, Script("Nations [ NationCount: 4 OurColor: FF0000FF Bogus: 1 ]\n"
                         "NATION \"Blue\" { blabla };\nNATION \"Red\" { };\nNATION \"Green\" { odd };\n"
                         "GamerNation: \"Red\"\nNATION \"Extra\" { };\n"));
    ASSERT_EQ(3u, gNations->nations.size());
    EXPECT_EQ(1u, gNations->FindNation("Blue")->mask);
    EXPECT_EQ(2u, gNations->FindNation("Red")->mask);
    EXPECT_EQ(4u, gNations->FindNation("Green")->mask);
    EXPECT_EQ(gNations->FindNation("Red"), gNations->gamerNation);
    EXPECT_FLOAT_EQ(1.0f, gNations->OurColor.b);
    EXPECT_FLOAT_EQ(0.0f, gNations->OurColor.g);
    EXPECT_TRUE(messages.Contains("Undefine string 'Bogus:'")) << messages.Joined();
    EXPECT_TRUE(messages.Contains("For nation 'Green' undefined string 'odd'.")) << messages.Joined();
    EXPECT_TRUE(messages.Contains("Nations:  nations limit is exceed.")) << messages.Joined();
    EXPECT_EQ(1, gExitCode);
}

TEST_F(Maps, ANationReadsUnitKeysAndTheFiller)
{
    CNation nation;
    scripts::TextFile file("nation", "blabla name: \"Gold\" };");
    EXPECT_EQ(SCAN_BLOCK_END, nation.ScanMissionData(file, nullptr));
    EXPECT_STREQ("Gold", nation.name);
    EXPECT_EQ(0u, nation.DoIdle());
}

TEST_F(Maps, AnUnknownGamerNationIsReported)
{
    Script("Nations [ NationCount: 2 ]\nNATION \"Blue\" { };\nGamerNation: \"Nobody\"\n");
    EXPECT_EQ(nullptr, gNations->gamerNation);
    EXPECT_TRUE(messages.Contains("Not found gamer nation 'Nobody'.")) << messages.Joined();
}

class Scenes : public Maps {
protected:
    void SetUp() override
    {
        Maps::SetUp();
        ASSERT_EQ(0, Script(std::string(REGISTRY) + "ATOM Box { };\nCAMERA Eye { };\n")) << messages.Joined();
    }
    uint16_t Load(const std::string& text) { return gIScenes->LoadScene(dir.Write("Scene.txt", text).c_str()); }
};

TEST_F(Scenes, ASceneIsLoadedStartedAndStopped)
{
    const uint16_t index = Load("SceneDeclarations: { Version: 1 Other: 2 };\n"
                                "Units: {\n Box\n { };\n CAMERA\n Box\n};\n");
    ASSERT_EQ(1, index);
    EXPECT_TRUE(messages.Texts().empty()) << messages.Joined();
    CScene* scene = gScenes->GetScene(index);
    ASSERT_EQ(3u, scene->units.size());
    EXPECT_EQ(scene->units[1], scene->camera);
    EXPECT_EQ(nullptr, scene->units[0]->nation);

    EXPECT_EQ(0, gIScenes->StartScene(index));
    EXPECT_EQ(0, gIScenes->StartScene(index));  // twice: nothing registered twice
    gIScenes->StopScenes();
    EXPECT_EQ(0, gIScenes->StartScene(index));
    EXPECT_EQ(-1, gIScenes->StartScene(0));
    EXPECT_EQ(-1, gIScenes->StartScene(2));
    // A started scene ends with the presentation: its units are deleted once.
    gIMissionLoader->EndMission();
    EXPECT_EQ(nullptr, gScenes->GetScene(index));
}

// The engine is destroyed with a scene still started: its units are deleted once, also
// one that deleted itself before.
TEST_F(Scenes, AStartedSceneGoesWithTheEngine)
{
    const uint16_t index = Load("Units: {\n Box\n Box\n};\n");
    ASSERT_EQ(0, gIScenes->StartScene(index));
    CScene* scene = gScenes->GetScene(index);
    gUnitInspector->DeleteUnit(scene->units[0]);
    EXPECT_EQ(1u, scene->units.size());
}

TEST_F(Scenes, BadSceneFilesAreReported)
{
    EXPECT_EQ(1, gIScenes->LoadScene("Z:\\no\\such\\scene.txt"));
    EXPECT_TRUE(messages.Contains("Can`t open scene file")) << messages.Joined();
    EXPECT_EQ(-1, gIScenes->StartScene(1));  // no units

    messages.Clear();
    const uint16_t index = Load("Stray\nUnits: {\n Box\n Nothing\n Box\n};\n");
    EXPECT_EQ(2, index);
    EXPECT_EQ(1u, gScenes->GetScene(index)->units.size());
    EXPECT_TRUE(messages.Contains("undefine string 'Stray'")) << messages.Joined();
    EXPECT_TRUE(messages.Contains("Not found unit class 'Nothing'")) << messages.Joined();

    const uint16_t truncated = Load("Units: {\n Box\n");
    EXPECT_EQ(1u, gScenes->GetScene(truncated)->units.size());
}

// A word a unit's block does not know costs the rest of that block, nested blocks included,
// and nothing after it.
TEST_F(Scenes, AnUnknownWordCostsOnlyTheRestOfItsUnitsBlock)
{
    const uint16_t index = Load("Units: {\n Box\n { wings: { tip: \"};\" }; name: \"X\" };\n Box\n};\n");
    EXPECT_EQ(2u, gScenes->GetScene(index)->units.size());
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_TRUE(messages.Contains("CScene::LoadFromFile :   can`t scan string 'wings:' for Unit '")) << messages.Joined();
}

TEST_F(Scenes, TheTableHolds255Scenes)
{
    const std::string path = dir.Write("Empty.txt", "");
    for (int i = 1; i <= 255; ++i)
        ASSERT_EQ(i, gIScenes->LoadScene(path.c_str()));
    EXPECT_EQ(0, gIScenes->LoadScene(path.c_str()));
    EXPECT_TRUE(messages.Contains("CScenes::LoadScene:  MAX_SCENES limit is exceed.")) << messages.Joined();
    gScenes->FreeAll();
    EXPECT_EQ(1, gIScenes->LoadScene(path.c_str()));
}

} // namespace
