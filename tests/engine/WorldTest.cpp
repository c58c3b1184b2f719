#include "core/Meshes/Skeleton.h"
#include "engine/ArrayContainer.h"
#include "engine/MapContainer.h"
#include "engine/Parser.h"
#include "tests/engine/EngineFixture.h"

#include <cstdio>

namespace {

using enginetest::EngineTest;

int ScanWorld(const std::string& text)
{
    std::string path = test::TempDir("engine_world") + "\\World.txt";
    test::WriteFile(path, text);
    FILE* file = fopen(path.c_str(), "r");
    EXPECT_NE(nullptr, file);
    int result = gEngine->ScanWorldParams(file);
    fclose(file);
    return result;
}

TEST_F(EngineTest, SeaHeightDoesNotDependOnTheOrderOfItsKeys)
{
    ScanWorld("[ SeaLevel: 5 StepY: 0.5 ]\n");
    EXPECT_FLOAT_EQ(2.5f, gEngine->SeaHeight());
    gEngine->seaLevel = 0;
    gEngine->stepY = 0.1f;
    ScanWorld("[ StepY: 0.5 SeaLevel: 5 ]\n");
    EXPECT_FLOAT_EQ(2.5f, gEngine->SeaHeight());
}

TEST_F(EngineTest, WorldParamsReadEveryKeyAndReportUnknownWords)
{
    ScanWorld("[\n // fog\n AirFogStart: 10 AirFogFinal: 70 WaterFogFinal: 90\n"
              " Bogus: NightLightsLevelB_On: 0.25 NightLightsLevelB_Off: 0.75\n]\n");
    EXPECT_FLOAT_EQ(60.0f, gEngine->airFog.range);
    EXPECT_FLOAT_EQ(40.0f, gEngine->waterFog.range);
    EXPECT_FLOAT_EQ(0.25f, gEngine->nightLightsLevelB_On);
    EXPECT_FLOAT_EQ(0.75f, gEngine->nightLightsLevelB_Off);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Undefined string 'Bogus:' in WorldParams.", messages.Texts()[0]);
}

class GroundPick : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        PrepareView();
        map = new CGameMap(64, 64);
        gEngine->currentMap = gMapContainer->AddMap(map);
        gEngine->SetGroundPickCallback([](int) { ++picks; });
        picks = 0;
    }
    bool Pick(D3DXVECTOR4 origin, D3DXVECTOR4 direction)
    {
        D3DXVec4Normalize(&direction, &direction);
        return gEngine->PickGround(map, origin, direction, &point, &mapPos, MouseAt(10, 10));
    }

    CGameMap* map = nullptr;
    D3DXVECTOR4 point{7, 7, 7, 1};
    SMapPos mapPos;
    static int picks;
};
int GroundPick::picks = 0;

TEST_F(GroundPick, RayDownToTheGroundHitsNearTheTarget)
{
    gEngine->flags &= ~uint32_t(ENG_SNAP_TO_CELL);
    ASSERT_TRUE(Pick(D3DXVECTOR4(0.3f, 50, -50, 1), D3DXVECTOR4(0, -50, 50, 0)));
    EXPECT_NEAR(0.3f, point.x, 0.2f);
    EXPECT_NEAR(0.0f, point.z, 0.2f);
    EXPECT_FLOAT_EQ(0.0f, point.y);
    EXPECT_EQ(32, mapPos.x);
    EXPECT_EQ(32, mapPos.z);
    EXPECT_EQ(1, picks);

    gEngine->flags |= ENG_SNAP_TO_CELL;
    ASSERT_TRUE(Pick(D3DXVECTOR4(0.3f, 50, -50, 1), D3DXVECTOR4(0, -50, 50, 0)));
    EXPECT_FLOAT_EQ(0.0f, point.x);
    EXPECT_FLOAT_EQ(0.0f, point.z);
}

TEST_F(GroundPick, SeaAboveTheGroundStopsTheRay)
{
    gEngine->seaHeight = 5.0f;
    ASSERT_TRUE(Pick(D3DXVECTOR4(0, 50, -50, 1), D3DXVECTOR4(0, -1, 1, 0)));
    EXPECT_NEAR(-5.0f, point.z, 0.2f);
}

TEST_F(GroundPick, UpwardRayLeavesThePointAndCallsNothing)
{
    EXPECT_FALSE(Pick(D3DXVECTOR4(0, 50, -50, 1), D3DXVECTOR4(0, 1, 1, 0)));
    EXPECT_FLOAT_EQ(7.0f, point.x);
    EXPECT_EQ(0, picks);
}

TEST_F(EngineTest, BoneChainStopsAtLastBoneRootCountAndCapacity)
{
    CSkeleton skeleton;
    skeleton.AllocBones(5);
    for (int i = 1; i < 5; ++i) skeleton.bones[i].master = &skeleton.bones[i - 1];
    int32_t chain[MAX_BONE_CHAIN];
    ASSERT_EQ(3, CEngine::CollectBoneChain(skeleton, 4, 2, chain));
    EXPECT_EQ(4, chain[0]);
    EXPECT_EQ(2, chain[2]);
    EXPECT_EQ(5, CEngine::CollectBoneChain(skeleton, 4, 99, chain));  // up to the root
    EXPECT_EQ(0, chain[4]);
    EXPECT_EQ(0, CEngine::CollectBoneChain(skeleton, 5, -1, chain));

    // A loop ends at the capacity.
    skeleton.bones[0].master = &skeleton.bones[1];
    EXPECT_EQ(MAX_BONE_CHAIN, CEngine::CollectBoneChain(skeleton, 1, -1, chain));
    skeleton.Release();
}

// The chain through a real skeleton is tested with the kinematic units.
TEST_F(EngineTest, TransformPointNeedsAUnitWithASkeleton)
{
    CAtom unit;
    D3DXVECTOR4 out;
    const D3DXVECTOR4 in(1, 0, 0, 1);
    EXPECT_EQ(-1, gEngine->TransformPoint(&out, nullptr, in, nullptr, 0, 0));
    EXPECT_EQ(-1, gEngine->TransformPoint(&out, nullptr, in, &unit, 0, 0));
    EXPECT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_TRUE(messages.Contains("pUnit=null."));
    EXPECT_TRUE(messages.Contains("pMesh=null or pMesh->Skeleton.NumBones=0."));
}

TEST_F(EngineTest, ValidMapMustMatchTheGameMap)
{
    CUserArray array;
    EXPECT_EQ(-1, gEngine->AssignValidMap(&array, 1));
    EXPECT_TRUE(messages.Contains("The map is null."));
    gEngine->currentMap = gMapContainer->AddMap(new CGameMap(8, 4));
    EXPECT_EQ(-1, gEngine->AssignValidMap(nullptr, 1));
    EXPECT_EQ(-1, gEngine->AssignValidMap(&array, 1));
    EXPECT_TRUE(messages.Contains("is not correspond."));
    array.width = 8;
    array.height = 4;
    EXPECT_EQ(0, gEngine->AssignValidMap(&array, 3));
    EXPECT_EQ(&array, gEngine->validMap);
}

} // namespace

namespace {

using enginetest::EngineTest;

TEST_F(EngineTest, StartScriptSectionSetsTheWorldParameters)
{
    std::string path = test::TempDir("engine_script") + "\\Start.txt";
    test::WriteFile(path, "WorldParams [\n  SeaLevel: 4\n  StepY: 0.25\n]\n");
    ASSERT_EQ(0, gIParser->LoadScript(path.c_str())) << messages.Joined();
    EXPECT_FLOAT_EQ(1.0f, gEngine->SeaHeight());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
