// Humans walking their waypoints and ships rocking, from script classes, over frames.

#include "tests/vehicles/VehicleFixture.h"

#include "engine/AnimContainer.h"
#include "scene/Human.h"
#include "scene/Navy.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace vehicles {
namespace {

class MoverTest : public VehicleTest {
protected:
    void SetUp() override
    {
        VehicleTest::SetUp();
        RunScript("HUMAN Walker { WalkSpeed: 2 RunSpeed: 5 MoveControls: [ RotateRate: 360 ] };\n"
                  "HUMAN Sprinter { WalkSpeed: 100 };\n"
                  "HUMAN Turner { WalkSpeed: 10 MoveControls: [ RotateRate: 90 ] };\n"
                  "SHIP Boat { RollingAxAz: [ 0 0 1 10 ] };\n"
                  "SHIP Still { };\n");
    }
};

TEST_F(MoverTest, HumanWalksItsWaypointsAndStopsExactlyOnTheLast)
{
    CHuman* walker = Create<CHuman>("Walker");
    ASSERT_NE(nullptr, walker) << messages.Joined();
    const D3DXVECTOR4 path[] = {{0, 0, 4, 1}, {3, 0, 4, 1}};
    ASSERT_EQ(0, walker->StartMoves(path, 2));
    ASSERT_NE(nullptr, walker->move);
    EXPECT_FLOAT_EQ(2.0f, walker->move->speed);

    Frames(10, 0.1f);  // 2 units along +z
    EXPECT_NEAR(2.0f, walker->Pos.z, 1e-4f);
    EXPECT_FLOAT_EQ(0.0f, walker->Pos.x);
    EXPECT_NEAR(0.0f, walker->Orient.y, 1e-4f);
    EXPECT_FLOAT_EQ(2.0f, walker->world._43);

    Frames(15, 0.1f);  // past the first waypoint, turned, on toward the second
    EXPECT_EQ(1, walker->move->waypoint);
    EXPECT_FLOAT_EQ(4.0f, walker->Pos.z);
    EXPECT_GT(walker->Pos.x, 0.0f);
    EXPECT_NEAR(1.5707964f, walker->Orient.y, 1e-4f);  // facing +x

    Frames(30, 0.1f);
    EXPECT_EQ(nullptr, walker->move);  // the record went back
    EXPECT_FLOAT_EQ(3.0f, walker->Pos.x);
    EXPECT_FLOAT_EQ(4.0f, walker->Pos.z);
    EXPECT_FLOAT_EQ(3.0f, walker->world._41);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// The walk animation plays while walking; on arrival the stay animation is added.
TEST_F(MoverTest, HumanArrivesAndPlaysItsStayAnimation)
{
    const std::string anim = "AnimationText 4 written by test 2 Bones: 1 Duration: 1\n"
                             "Channels = [ ColorA ]\nKeys a\nFrame0\nRoot 1\nFrame1\nRoot 1\n";
    test::WriteFile(dir + "walk.anm", anim);
    test::WriteFile(dir + "stay.anm", anim);
    RunScript("AnimContainer [ AnimationCount: 8 AnimationFiles: 8 ]\n"
              "ANIMATION Walk { AnimationFile: \"" + dir + "walk.anm\" Flags: [ Cyclic ] };\n"
              "ANIMATION Stay { AnimationFile: \"" + dir + "stay.anm\" Flags: [ Cyclic ] };\n"
              "HUMAN Guide { WalkSpeed: 2 WalkAnimation: Walk StayAnimation: Stay RunStayAnimChanging: 0.3 };\n");
    CHuman* guide = Create<CHuman>("Guide");
    ASSERT_NE(nullptr, guide) << messages.Joined();
    ASSERT_NE(0, guide->walkAnimation);
    ASSERT_NE(0, guide->stayAnimation);
    const CEngineAnimFile* walk = gIAnimContainer->GetAnimFile(guide->walkAnimation);
    const CEngineAnimFile* stay = gIAnimContainer->GetAnimFile(guide->stayAnimation);
    auto playing = [&](const CEngineAnimFile* file) {
        bool found = false;
        guide->animations.ForEach([&](const CAnimInstance* a) { found = found || a->file == file; });
        return found;
    };
    const D3DXVECTOR4 point(0, 0, 1, 1);
    ASSERT_EQ(0, guide->StartMoves(&point, 1));
    EXPECT_TRUE(playing(walk));
    EXPECT_FALSE(playing(stay));
    Frames(8, 0.1f);
    EXPECT_EQ(nullptr, guide->move);
    EXPECT_FLOAT_EQ(1.0f, guide->Pos.z);
    EXPECT_TRUE(playing(stay));
    // A new walk takes the stay animation away again.
    const D3DXVECTOR4 back(0, 0, 0, 1);
    ASSERT_EQ(0, guide->StartMoves(&back, 1));
    EXPECT_FALSE(playing(stay));
    EXPECT_TRUE(playing(walk));
    Frames(8, 0.1f);
    EXPECT_FLOAT_EQ(0.0f, guide->Pos.z);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(MoverTest, WaypointOvershotInOneFrameIsStillReached)
{
    CHuman* sprinter = Create<CHuman>("Sprinter");
    ASSERT_NE(nullptr, sprinter);
    const D3DXVECTOR4 point(0, 0, 1, 1);
    ASSERT_EQ(0, sprinter->StartMoves(&point, 1));
    Frames(1, 0.1f);
    EXPECT_NEAR(10.0f, sprinter->Pos.z, 1e-4f);  // ten units past, still going
    Frames(1, 0.1f);
    EXPECT_FLOAT_EQ(1.0f, sprinter->Pos.z);
    EXPECT_EQ(nullptr, sprinter->move);
}

TEST_F(MoverTest, RunningUsesTheRunSpeedAndPausingStopsTheWalk)
{
    CHuman* walker = Create<CHuman>("Walker");
    ASSERT_NE(nullptr, walker);
    walker->SetRunning(true);
    const D3DXVECTOR4 point(0, 0, 10, 1);
    ASSERT_EQ(0, walker->StartMoves(&point, 1));
    EXPECT_FLOAT_EQ(5.0f, walker->move->speed);
    Frames(2, 0.1f);
    EXPECT_NEAR(1.0f, walker->Pos.z, 1e-4f);
    walker->EndMoves(0);
    Frames(5, 0.1f);
    EXPECT_NEAR(1.0f, walker->Pos.z, 1e-4f);
    ASSERT_EQ(0, walker->StartMoves(&point, 1));  // a new order goes on
    Frames(2, 0.1f);
    EXPECT_NEAR(2.0f, walker->Pos.z, 1e-4f);
    walker->EndMoves(1);
    EXPECT_EQ(nullptr, walker->move);
}

// At the end of the path the human turns to its final heading at its turn rate, and
// gives its move record back once there.
TEST_F(MoverTest, FinalTurnEndsOnTheHeading)
{
    CHuman* turner = Create<CHuman>("Turner");
    ASSERT_NE(nullptr, turner);
    const D3DXVECTOR4 point(0, 0, 1, 1);
    ASSERT_EQ(0, turner->StartMoves(&point, 1));
    turner->SetFinalHeading(1.5707964f);
    Frames(2, 0.1f);  // there, and the turn has started
    ASSERT_NE(nullptr, turner->move);
    EXPECT_TRUE(turner->move->state & MOVE_FINAL_TURN);
    EXPECT_FLOAT_EQ(1.0f, turner->Pos.z);
    // A turn above 1.2 radians runs at pi / angle times the turn rate: 18 degrees a frame.
    EXPECT_NEAR(0.3141593f, turner->Orient.y, 1e-4f);
    Frames(3, 0.1f);
    ASSERT_NE(nullptr, turner->move);
    EXPECT_NEAR(1.2566371f, turner->Orient.y, 1e-4f);
    Frames(2, 0.1f);  // the turn used up, whichever frame the float sum ends in
    EXPECT_EQ(nullptr, turner->move);
    EXPECT_FLOAT_EQ(1.5707964f, turner->Orient.y);
}

TEST_F(MoverTest, LongPathIsCutToTheRecordsWaypoints)
{
    CHuman* walker = Create<CHuman>("Walker");
    ASSERT_NE(nullptr, walker);
    std::vector<D3DXVECTOR4> path;
    for (int i = 0; i < MAX_UNIT_WAYPOINTS + 6; ++i) path.emplace_back(float(i + 1), 0.0f, 0.0f, 1.0f);
    ASSERT_EQ(0, walker->StartMoves(path.data(), int(path.size())));
    EXPECT_EQ(MAX_UNIT_WAYPOINTS, walker->move->waypointCount);
    EXPECT_TRUE(messages.Contains("PROGRAMMER LIMIT: MAX_UNIT_WAYPOINTS. UNIT 'Walker'.")) << messages.Joined();
}

TEST_F(MoverTest, UnknownAnimationIsReported)
{
    RunScript("HUMAN Dancer { WalkAnimation: NoSuchWalk RunStayAnimChanging: 0.5 };\n");
    CHuman* dancer = Create<CHuman>("Dancer");
    ASSERT_NE(nullptr, dancer);
    EXPECT_EQ(0, dancer->walkAnimation);
    EXPECT_FLOAT_EQ(0.5f, dancer->crossFadeTime);
    EXPECT_TRUE(messages.Contains("Not found animation 'NoSuchWalk' for UNIT 'Dancer'.")) << messages.Joined();
}

// Rocking only about Z with a period of 2 pi seconds; two ships start at different phases.
TEST_F(MoverTest, ShipRocksAboutZOnly)
{
    srand(11);
    CNavy* first = Create<CNavy>("Boat");
    CNavy* second = Create<CNavy>("Boat");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(4, first->placeMode);
    EXPECT_TRUE(first->SysControls & SYS_ENABLE_IDLE);
    EXPECT_NE(first->phaseZ, second->phaseZ);
    const float amplitude = 10.0f * 0.0174532924f;
    Frames(1, 0.05f);
    const float start = first->Orient.z;
    float largest = 0.0f;
    for (int i = 0; i < 125; ++i) {
        Frames(1, 0.0502655f);  // 125 steps make 2 pi seconds
        largest = std::fmax(largest, std::fabs(first->Orient.z));
        EXPECT_FLOAT_EQ(0.0f, first->Orient.x);
        EXPECT_LE(std::fabs(first->Orient.z), amplitude + 1e-6f);
    }
    EXPECT_NEAR(amplitude, largest, 0.002f);
    EXPECT_NEAR(start, first->Orient.z, 0.02f);

    CNavy* still = Create<CNavy>("Still");
    ASSERT_NE(nullptr, still);
    Frames(3, 0.1f);
    EXPECT_FLOAT_EQ(0.0f, still->Orient.z);
    EXPECT_FLOAT_EQ(0.0f, still->Orient.x);
}

TEST_F(MoverTest, ShipPresentationBlockEndsWithZero)
{
    CNavy* boat = Create<CNavy>("Boat");
    ASSERT_NE(nullptr, boat);
    const std::string path = dir + "boat.txt";
    test::WriteFile(path, "pos: [ 1 0 2 ] orient: [ 0 90 0 ] };");
    FILE* file = fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(0, boat->ScanMissionData(file, nullptr));
    fclose(file);
    EXPECT_FLOAT_EQ(2.0f, boat->Pos.z);
}

} // namespace
} // namespace vehicles
