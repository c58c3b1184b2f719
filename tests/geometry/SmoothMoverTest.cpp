// Smooth movers started on units and stepped as the registry steps them.

#include "tests/geometry/GeometryFixture.h"

#include "engine/UnitInspector.h"

#include <cmath>

namespace geometrytest {
namespace {

CAtom* gArrived = nullptr;
int gArrivals = 0;
void Arrived(CAtom* unit)
{
    gArrived = unit;
    ++gArrivals;
}

class MoverTest : public UnitTest {
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        gArrived = nullptr;
        gArrivals = 0;
        RunScript("GEOMETRY Box { };\n");
        unit = Create("Box");
        ASSERT_NE(nullptr, unit);
    }
    void Step(float dt) { StepSmoothMoverList(&unit->smoothMovers.head, dt, unit, &gUnitInspector->smoothMovers); }
    CAtom* unit = nullptr;
};

TEST_F(MoverTest, SpeedZeroArrivesAtOnce)
{
    const D3DXVECTOR4 start = unit->Pos;
    EXPECT_EQ(nullptr, unit->StartSmoothMover(&unit->Pos, D3DXVECTOR4(5, 0, 0, 1), 0.0f, 0.25f, Arrived));
    EXPECT_EQ(unit, gArrived);
    EXPECT_EQ(1, gArrivals);
    EXPECT_EQ(start, unit->Pos);  // a mover that never moves leaves the value alone
    EXPECT_TRUE(unit->smoothMovers.Empty());
}

// Only a speed of 0 ends inside the start: a target already reached is arrived at on the
// first step, so done never runs before the caller has its mover.
TEST_F(MoverTest, TargetAtTheStartArrivesAtTheFirstStep)
{
    unit->Color = D3DXCOLOR(0.5f, 0.5f, 0.5f, 1.0f);
    D3DXVECTOR4* colour = reinterpret_cast<D3DXVECTOR4*>(&unit->Color.r);
    EXPECT_NE(nullptr, unit->StartSmoothMover(colour, *colour, 2.0f, 0.25f, Arrived));
    EXPECT_EQ(0, gArrivals);
    Step(0.01f);
    EXPECT_EQ(1, gArrivals);
    EXPECT_EQ(unit, gArrived);
    EXPECT_EQ(D3DXCOLOR(0.5f, 0.5f, 0.5f, 1.0f), unit->Color);
    EXPECT_TRUE(unit->smoothMovers.Empty());
}

TEST_F(MoverTest, RampAndBrakingDistancesAndStartSpeed)
{
    unit->Pos = D3DXVECTOR4(1, 2, 3, 1);
    CSmoothMover* mover = unit->StartSmoothMover(&unit->Pos, D3DXVECTOR4(4, 6, 3, 1), 10.0f, 0.2f, Arrived);
    ASSERT_NE(nullptr, mover);
    const float length = 5.0f;  // (3, 4, 0)
    EXPECT_FLOAT_EQ((length * 0.2f) * (length * 0.2f), mover->rampEnd);
    EXPECT_FLOAT_EQ((length - length * 0.2f) * (length - length * 0.2f), mover->cruiseEnd);
    EXPECT_FLOAT_EQ(length * length, mover->total);
    EXPECT_FLOAT_EQ(1.0f, mover->startSpeed);
    EXPECT_NEAR(0.6f, mover->velocity.x, 1e-6f);  // direction (0.6, 0.8, 0, 0) x start speed
    EXPECT_NEAR(0.8f, mover->velocity.y, 1e-6f);
    EXPECT_EQ(D3DXVECTOR4(0, 0, 0, 0), mover->displacement);
    EXPECT_EQ(mover, unit->smoothMovers.First());
    for (int i = 0; i < 1000 && gArrivals == 0; ++i) Step(0.01f);
    EXPECT_EQ(1, gArrivals);
    EXPECT_EQ(D3DXVECTOR4(4, 6, 3, 1), unit->Pos);
    EXPECT_TRUE(unit->smoothMovers.Empty());
}

TEST_F(MoverTest, FullPoolWarnsAndStopGivesEveryMoverBack)
{
    D3DXVECTOR4 values[4] = {};
    for (D3DXVECTOR4& v : values) unit->StartSmoothMover(&v, D3DXVECTOR4(1, 1, 1, 1), 1.0f, 0.1f, nullptr);
    EXPECT_EQ(3, unit->smoothMovers.Count());  // "SmoothMovers: 3"
    EXPECT_TRUE(messages.Contains("CAtom::StartSmoothMover:  For UnitInspector SmoothMovers limit is exceeded."));
    unit->StopSmoothMovers();
    EXPECT_TRUE(unit->smoothMovers.Empty());
    EXPECT_NE(nullptr, unit->StartSmoothMover(&values[0], D3DXVECTOR4(2, 2, 2, 1), 1.0f, 0.1f, nullptr));
}

// A unit deleted with movers running gives them back.
TEST_F(MoverTest, DeletedUnitGivesItsMoversBack)
{
    D3DXVECTOR4 value(0, 0, 0, 1);
    for (int i = 0; i < 3; ++i) ASSERT_NE(nullptr, unit->StartSmoothMover(&unit->Pos, D3DXVECTOR4(9, 0, 0, 1), 1.0f, 0.1f, nullptr));
    ASSERT_EQ(0, gIUnitInspector->DeleteUnit(unit));
    CAtom* other = Create("Box");
    for (int i = 0; i < 3; ++i) EXPECT_NE(nullptr, other->StartSmoothMover(&value, D3DXVECTOR4(9, 0, 0, 1), 1.0f, 0.1f, nullptr));
    unit = other;
}

} // namespace
} // namespace geometrytest
