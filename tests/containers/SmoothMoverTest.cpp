#include "core/SmoothMover.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

int gDoneCalls = 0;
CAtom* gDoneUnit = nullptr;
void OnDone(CAtom* unit)
{
    ++gDoneCalls;
    gDoneUnit = unit;
}

int gUnitStorage = 0;
CAtom* const UNIT = reinterpret_cast<CAtom*>(&gUnitStorage);

bool Finite(const D3DXVECTOR4& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w);
}

void ExpectEqual(const D3DXVECTOR4& expected, const D3DXVECTOR4& actual, float tolerance)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
    EXPECT_NEAR(expected.w, actual.w, tolerance);
}

TEST(SmoothMover, StartSetsTheProfile)
{
    D3DXVECTOR4 value(0, 0, 0, 1);
    CSmoothMover mover;
    mover.Start(&value, D3DXVECTOR4(6, 8, 0, 1), 5, 0.3f, nullptr);
    EXPECT_FLOAT_EQ(9, mover.rampEnd);
    EXPECT_FLOAT_EQ(49, mover.cruiseEnd);
    EXPECT_FLOAT_EQ(100, mover.total);
    EXPECT_FLOAT_EQ(0.5f, mover.startSpeed);
    float accel = D3DXVec4Length(&mover.acceleration);
    EXPECT_NEAR(4.125f, accel, 1e-4f);
    EXPECT_NEAR(1.0909f, (5 - 0.5f) / accel, 1e-4f);  // ramp time
    ExpectEqual(D3DXVECTOR4(0.6f, 0.8f, 0, 0), mover.direction, 1e-6f);
    ExpectEqual(D3DXVECTOR4(0.3f, 0.4f, 0, 0), mover.velocity, 1e-6f);
    ExpectEqual(D3DXVECTOR4(3, 4, 0, 0), mover.cruiseVelocity, 1e-6f);
    EXPECT_EQ(0, mover.travelled);
}

TEST(SmoothMover, EachStepCrossesAtMostOneBoundaryAndClampsToIt)
{
    D3DXVECTOR4 value(0, 0, 0, 1);
    CSmoothMover mover;
    mover.Start(&value, D3DXVECTOR4(6, 8, 0, 1), 5, 0.3f, nullptr);
    EXPECT_EQ(0, mover.Step(100, UNIT));
    ExpectEqual(D3DXVECTOR4(1.8f, 2.4f, 0, 1), value, 1e-5f);
    EXPECT_EQ(9, mover.travelled);
    EXPECT_EQ(0, mover.Step(100, UNIT));
    ExpectEqual(D3DXVECTOR4(4.2f, 5.6f, 0, 1), value, 1e-5f);
    EXPECT_EQ(49, mover.travelled);
    EXPECT_EQ(1, mover.Step(100, UNIT));
    ExpectEqual(D3DXVECTOR4(6, 8, 0, 1), value, 0);
}

TEST(SmoothMover, ArrivesExactlyAtTheTargetWhateverTheFrameTimes)
{
    std::mt19937 random(20261206);
    std::uniform_real_distribution<float> frame(0.0005f, 0.1f);
    const float ramps[] = {0, 0.05f, 0.3f, 0.5f, 0.8f, 1};
    const float speeds[] = {0.5f, 5, 60};
    const D3DXVECTOR4 targets[] = {D3DXVECTOR4(6, 8, 0, 1), D3DXVECTOR4(-3, 0.25f, 40, 1),
                                   D3DXVECTOR4(0.01f, 0, 0, 0)};
    for (float ramp : ramps)
        for (float speed : speeds)
            for (const D3DXVECTOR4& target : targets) {
                D3DXVECTOR4 value(0.5f, -1, 2, 1);
                CSmoothMover mover;
                mover.Start(&value, target, speed, ramp, &OnDone);
                gDoneCalls = 0;
                int steps = 0;
                while (!mover.Step(frame(random), UNIT) && steps < 1000000) {
                    ASSERT_TRUE(Finite(value));
                    ++steps;
                }
                EXPECT_EQ(target, value) << "ramp " << ramp << " speed " << speed;
                EXPECT_EQ(1, gDoneCalls);
                EXPECT_EQ(UNIT, gDoneUnit);
            }
}

TEST(SmoothMover, AlphaOnlyFadeArrivesOnItsFirstStep)
{
    D3DXVECTOR4 colour(0.2f, 0.3f, 0.4f, 0);
    const D3DXVECTOR4 target(0.2f, 0.3f, 0.4f, 1);
    CSmoothMover mover;
    mover.Start(&colour, target, 2, 0.3f, &OnDone);
    EXPECT_TRUE(Finite(mover.acceleration));
    EXPECT_TRUE(Finite(mover.velocity));
    gDoneCalls = 0;
    EXPECT_EQ(1, mover.Step(0.016f, UNIT));
    EXPECT_EQ(target, colour);
    EXPECT_EQ(1, gDoneCalls);
}

TEST(SmoothMover, NoDistanceArrivesAtOnceWithFiniteValues)
{
    D3DXVECTOR4 value(1, 2, 3, 1);
    CSmoothMover mover;
    mover.Start(&value, value, 5, 0.3f, nullptr);
    EXPECT_TRUE(Finite(mover.direction));
    EXPECT_TRUE(Finite(mover.acceleration));
    EXPECT_EQ(1, mover.Step(0, UNIT));
    EXPECT_EQ(D3DXVECTOR4(1, 2, 3, 1), value);
}

// Without a ramp nothing accelerates: the whole way is gone at the start speed, a tenth of
// the given speed.
TEST(SmoothMover, WithoutARampItMovesAtTheStartSpeed)
{
    D3DXVECTOR4 value(0, 0, 0, 1);
    CSmoothMover mover;
    mover.Start(&value, D3DXVECTOR4(0, 10, 0, 1), 5, 0, nullptr);
    EXPECT_TRUE(Finite(mover.acceleration));
    ExpectEqual(D3DXVECTOR4(0, 0.5f, 0, 0), mover.velocity, 1e-6f);
    EXPECT_EQ(0, mover.Step(0.1f, UNIT));
    EXPECT_NEAR(0.05f, value.y, 1e-6f);
    EXPECT_EQ(0, mover.Step(0.1f, UNIT));
    EXPECT_NEAR(0.1f, value.y, 1e-6f);
}

class MoverList : public ::testing::Test {
protected:
    void SetUp() override
    {
        pool.Init(3);
        for (int i = 0; i < 3; ++i) {
            values[i] = D3DXVECTOR4(0, 0, 0, 0);
            movers[i] = pool.AllocRecord();
            movers[i]->Start(&values[i], D3DXVECTOR4(100, 0, 0, 0), 1, 0.3f, &OnDone);
            if (i > 0)
                movers[i - 1]->next = movers[i];
        }
        head = movers[0];
        gDoneCalls = 0;
    }

    // Makes mover i arrive on the next step.
    void Finish(int i)
    {
        CSmoothMover* next = movers[i]->next;
        movers[i]->Start(&values[i], values[i], 1, 0.3f, &OnDone);
        movers[i]->next = next;
    }

    TContainer<CSmoothMover, int> pool;
    D3DXVECTOR4 values[3];
    CSmoothMover* movers[3] = {};
    CSmoothMover* head = nullptr;
};

TEST_F(MoverList, ArrivedLastMoverIsUnlinkedAndReturned)
{
    Finish(2);
    StepSmoothMoverList(&head, 0.01f, UNIT, &pool);
    EXPECT_EQ(movers[0], head);
    EXPECT_EQ(movers[1], movers[0]->next);
    EXPECT_EQ(nullptr, movers[1]->next);
    EXPECT_EQ(1, gDoneCalls);
    EXPECT_EQ(1, pool.FreeCount());
    EXPECT_EQ(movers[2], pool.AllocRecord());
}

TEST_F(MoverList, ArrivedFirstMoverMovesTheHead)
{
    Finish(0);
    StepSmoothMoverList(&head, 0.01f, UNIT, &pool);
    EXPECT_EQ(movers[1], head);
    EXPECT_EQ(movers[2], movers[1]->next);
    EXPECT_EQ(movers[0], pool.AllocRecord());
}

TEST_F(MoverList, DoneIsCalledOnceAndTheListEmpties)
{
    for (int step = 0; step < 100000 && head; ++step)
        StepSmoothMoverList(&head, 0.1f, UNIT, &pool);
    EXPECT_EQ(nullptr, head);
    EXPECT_EQ(3, gDoneCalls);
    EXPECT_EQ(3, pool.FreeCount());
    for (const D3DXVECTOR4& v : values)
        EXPECT_EQ(D3DXVECTOR4(100, 0, 0, 0), v);
    StepSmoothMoverList(&head, 0.1f, UNIT, &pool);
    EXPECT_EQ(3, gDoneCalls);
}

} // namespace
