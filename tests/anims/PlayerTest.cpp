// The animation player: frames, blend factors, loops, holds and the frame callback.

#include "tests/anims/AnimFixture.h"

#include "core/Strings.h"

#include <limits>
#include <set>

namespace {

using anims::AnimText;

class PlayerTest : public ::testing::Test {
protected:
    // frames keys moving x from 0 by 10 per frame; duration seconds.
    void Make(int frames, float duration, uint32_t loadFlags = ANIM_LOAD_STORE_VALUES)
    {
        std::vector<std::string> keys;
        for (int f = 0; f < frames; ++f) keys.push_back("Root " + std::to_string(10 * f) + " 0 0");
        const std::string path = dir.Write("p.anm", AnimText(4, frames, 1, duration, "Pos", keys));
        ASSERT_EQ(ANIM_LOADED, anim.LoadAnimation(path.c_str(), loadFlags));
    }
    float X() const
    {
        const CAnimValues* v = player.SampleColorUv();
        return v ? v->position.x : -1.0f;
    }

    test::MessageRecorder messages;
    scripts::ScriptDir dir{"anim_player"};
    CAnimFile anim;
    CAnimPlayer player;
};

TEST_F(PlayerTest, NothingToPlayWithoutAFile)
{
    EXPECT_EQ(-1, player.Start(nullptr, 0, 0));
    D3DXVECTOR4 out(7, 7, 7, 7);
    player.SampleTransform(&out);
    EXPECT_EQ(D3DXVECTOR4(7, 7, 7, 7), out);
    EXPECT_EQ(nullptr, player.SampleColorUv());
}

// Times between keys blend the two keys around them.
TEST_F(PlayerTest, InterpolatesBetweenKeys)
{
    Make(3, 2.0f);
    ASSERT_EQ(0, player.Start(&anim, 0, 0));
    EXPECT_EQ(uint16_t(PLAY_PLAYING), player.flags);
    EXPECT_FLOAT_EQ(1.0f, player.step);
    EXPECT_EQ(PLAYER_RUNNING, player.Advance(0.25f));
    int current = -1, next = -1;
    float f = -1;
    player.GetFrames(&current, &next, &f);
    EXPECT_EQ(0, current);
    EXPECT_EQ(1, next);
    EXPECT_FLOAT_EQ(0.25f, f);
    EXPECT_FLOAT_EQ(2.5f, X());

    EXPECT_EQ(PLAYER_RUNNING, player.Advance(1.25f));  // 1.5 s
    player.GetFrames(&current, &next, &f);
    EXPECT_EQ(1, current);
    EXPECT_EQ(2, next);
    EXPECT_NEAR(0.5f, f, 1e-5f);
    EXPECT_NEAR(15.0f, X(), 1e-4f);
    D3DXVECTOR4 at;
    player.SampleTransform(&at);
    EXPECT_NEAR(30.0f, at.x, 1e-4f);  // the matrices of a file without skeleton move twice
}

TEST_F(PlayerTest, OneShotEndsOnItsLastFrame)
{
    Make(3, 2.0f);
    player.Start(&anim, 0, 0);
    EXPECT_EQ(PLAYER_RUNNING, player.Advance(1.5f));
    EXPECT_EQ(PLAYER_FINISHED, player.Advance(0.6f));
    EXPECT_EQ(2, player.current);
    EXPECT_EQ(2, player.next);
    EXPECT_FALSE(player.flags & PLAY_PLAYING);
    EXPECT_FLOAT_EQ(20.0f, X());
    EXPECT_EQ(PLAYER_RUNNING, player.Advance(0.5f));  // stopped: nothing moves
    EXPECT_EQ(2, player.current);
}

// Without JumpFrame0 a loop blends the last frame back toward frame 0 first.
TEST_F(PlayerTest, CyclicBlendsTheLastFrameTowardFrameZero)
{
    Make(10, 9.0f);
    player.Start(&anim, PLAY_CYCLIC, 0);
    EXPECT_EQ(PLAYER_RUNNING, player.Advance(9.0f));
    EXPECT_EQ(9, player.current);
    EXPECT_EQ(0, player.next);
    EXPECT_EQ(PLAYER_RUNNING, player.Advance(0.5f));
    EXPECT_NEAR(0.5f, player.factor, 1e-4f);
    EXPECT_NEAR(45.0f, X(), 1e-3f);  // half way from 90 back to 0
    EXPECT_EQ(PLAYER_RUNNING, player.Advance(0.75f));
    EXPECT_EQ(0, player.current);
    EXPECT_EQ(1, player.next);
    EXPECT_NEAR(0.25f, player.factor, 1e-4f);
}

TEST_F(PlayerTest, CyclicWithJumpFrameZeroRestartsAtOnce)
{
    Make(3, 2.0f);
    player.Start(&anim, PLAY_CYCLIC | PLAY_JUMP_FRAME0, 0);
    EXPECT_EQ(PLAYER_RUNNING, player.Advance(2.0f));
    EXPECT_EQ(0, player.current);
    EXPECT_EQ(1, player.next);
    EXPECT_FLOAT_EQ(0.0f, player.totalTime);
    EXPECT_FLOAT_EQ(0.0f, X());
}

TEST_F(PlayerTest, OneFrameFinishesAtOnce)
{
    Make(1, 1.0f);
    player.Start(&anim, PLAY_CYCLIC, 0);
    EXPECT_EQ(PLAYER_FINISHED, player.Advance(0.1f));
    EXPECT_FLOAT_EQ(0.0f, X());
}

CAnimPlayer* gSeenPlayer = nullptr;
int gSeenPrevious = -1, gSeenNext = -1, gCalls = 0;
void HoldingCallback(CAnimPlayer* player, int previous, int next)
{
    gSeenPlayer = player;
    gSeenPrevious = previous;
    gSeenNext = next;
    ++gCalls;
    player->SetPlayFlags(0);
}

TEST_F(PlayerTest, FrameCallbackCanHoldThePlayer)
{
    Make(4, 3.0f);
    anim.frameCallback = HoldingCallback;
    gCalls = 0;
    player.Start(&anim, 0, 0);
    EXPECT_EQ(PLAYER_HELD_BY_CALLBACK, player.Advance(1.1f));
    EXPECT_EQ(&player, gSeenPlayer);
    EXPECT_EQ(1, gSeenPrevious);
    EXPECT_EQ(2, gSeenNext);
    EXPECT_EQ(2, player.lastReported);
    EXPECT_EQ(PLAYER_RUNNING, player.Advance(1.0f));  // held
    EXPECT_EQ(1, player.current);
    player.Stop();
    EXPECT_EQ(PLAYER_HELD_BY_CALLBACK, player.Advance(1.0f));
    EXPECT_EQ(2, gCalls);
}

// A crossing with a tiny step still moves on: the total time gains 0.001.
TEST_F(PlayerTest, TinyStepsGainAMillisecondAtACrossing)
{
    Make(10, 0.0045f);  // step 0.0005
    player.Start(&anim, 0, 0);
    EXPECT_EQ(PLAYER_RUNNING, player.Advance(0.0006f));
    EXPECT_NEAR(0.0016f, player.totalTime, 1e-6f);
    EXPECT_EQ(3, player.current);
}

// Whatever the duration, a one-shot reaches its last frame and a loop goes on through its
// frames, blending only between them; a duration that is no time at all ends at once.
TEST_F(PlayerTest, EveryDurationEndsOrKeepsLooping)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float duration, dt;
        bool timed;
    } rows[] = {{1e-30f, 1 / 60.0f, true}, {1e-11f, 1 / 60.0f, true}, {1e-40f, 1 / 60.0f, true},
                {2.0f, 1 / 60.0f, true},    {1e30f, 1e29f, true},      {0.0f, 1 / 60.0f, false},
                {-1.0f, 1 / 60.0f, false},  {nan, 1 / 60.0f, false},   {inf, 1 / 60.0f, false}};
    Make(10, 1.0f);
    for (const auto& row : rows)
        for (const int flags : {0, int(PLAY_CYCLIC), PLAY_CYCLIC | PLAY_RESTART_AT_0}) {
            SCOPED_TRACE(testing::Message() << row.duration << " s, flags " << flags);
            player.SetFile(&anim);
            player.StartAt(10, row.duration, uint16_t(flags), 0);
            std::set<int> places;  // sampled positions, to the hundredth
            int result = PLAYER_RUNNING;
            bool between = true;  // blend and sample between the keys
            for (int i = 0; i < 200 && result == PLAYER_RUNNING && between; ++i) {
                result = player.Advance(row.dt * (1.0f + 0.07f * float(i % 5)));  // frame times vary
                between = player.factor >= 0.0f && player.factor <= 1.0f && X() >= -1e-3f && X() <= 90.001f;
                places.insert(int(X() * 100.0f));
            }
            EXPECT_TRUE(between) << player.factor << " " << X();
            if (!row.timed) {
                EXPECT_EQ(PLAYER_FINISHED, result);
                EXPECT_EQ(1u, places.size());
            } else if (!(flags & PLAY_CYCLIC)) {
                EXPECT_EQ(PLAYER_FINISHED, result);
                EXPECT_EQ(9, player.current);
            } else {
                EXPECT_EQ(PLAYER_RUNNING, result);
                EXPECT_GE(places.size(), 2u);
                EXPECT_LT(player.totalTime, row.duration * 1.2f + 2.6f * row.dt);
            }
        }
}

// A time step back, however far, never blends outside the two keys around the play head.
TEST_F(PlayerTest, AStepBackBlendsOnlyBetweenItsKeys)
{
    Make(10, 1.0f);
    // 0.5 s stands 0.056 s into frame 4: -0.08 s steps back past the frame, -1 s past the start.
    for (const float back : {-0.08f, -1.0f, -std::numeric_limits<float>::infinity()}) {
        SCOPED_TRACE(back);
        player.Start(&anim, 0, 0);
        player.Advance(0.5f);
        player.Advance(back);
        EXPECT_TRUE(player.factor >= 0.0f && player.factor <= 1.0f) << player.factor;
        EXPECT_TRUE(X() >= 0.0f && X() <= 90.0f) << X();
    }
}

TEST_F(PlayerTest, HoldWithRewindAndRestart)
{
    Make(5, 4.0f);
    player.Start(&anim, 0, 0);
    player.Advance(2.5f);
    player.SetPlayFlags(PLAY_REWIND_ON_HOLD);
    EXPECT_TRUE(player.flags & PLAY_HELD);
    EXPECT_FLOAT_EQ(2.0f, player.totalTime);
    EXPECT_FLOAT_EQ(0.0f, player.factor);
    EXPECT_FLOAT_EQ(20.0f, X());
    player.Restart(1);
    EXPECT_FALSE(player.flags & PLAY_HELD);
    EXPECT_EQ(1, player.current);
    EXPECT_EQ(2, player.next);
    EXPECT_FLOAT_EQ(1.0f, player.totalTime);
}

TEST_F(PlayerTest, RandomFrameStartsInsideTheAnimation)
{
    Make(6, 5.0f);
    for (int i = 0; i < 50; ++i) {
        player.Start(&anim, PLAY_RANDOM_FRAME, 0);
        EXPECT_LE(player.current, 4);
        EXPECT_EQ(player.current + 1, player.next);
        EXPECT_FLOAT_EQ(float(player.current), player.totalTime);
    }
}

// The loop switch either stops the player back at its start or only marks it.
TEST_F(PlayerTest, LoopSwitchStopsAtTheStartOrMarks)
{
    Make(4, 3.0f);
    player.Start(&anim, PLAY_CYCLIC, 0);
    player.Advance(2.5f);
    player.SwitchLoop(false);
    EXPECT_EQ(uint16_t(PLAY_CYCLIC | PLAY_PLAYING | PLAY_LOOP_SWITCH), player.flags);
    EXPECT_EQ(2, player.current);

    player.SwitchLoop(true);
    EXPECT_EQ(uint16_t(PLAY_CYCLIC | PLAY_LOOP_SWITCH), player.flags);
    EXPECT_EQ(0, player.current);
    EXPECT_EQ(1, player.next);
    EXPECT_EQ(1, player.lastReported);
    EXPECT_EQ(0.0f, player.totalTime);
    EXPECT_EQ(0.0f, player.frameTime);
    EXPECT_EQ(0.0f, player.factor);
    EXPECT_EQ(PLAYER_RUNNING, player.Advance(1.5f)) << "a stopped player stands still";
    EXPECT_EQ(0.0f, player.totalTime);
}

// The root slot is the key carrying the unit's own values: found by the unit's name.
TEST_F(PlayerTest, RootSlotFollowsTheUnitName)
{
    const std::string path =
        dir.Write("r.anm", AnimText(4, 1, 2, 1.0f, "ColorA", {"Body 0.5  Lamp 0.25"}));
    ASSERT_EQ(ANIM_LOADED, anim.LoadAnimation(path.c_str(), 0));
    player.Start(&anim, 0, StrHash("Lamp"));
    EXPECT_EQ(1, player.rootSlot);
    EXPECT_FLOAT_EQ(0.25f, player.SampleColorUv()->color.w);
    player.Start(&anim, 0, StrHash("Other"));
    EXPECT_EQ(0, player.rootSlot);
}

} // namespace
