// The registry's frame walk: what each unit gets, slaves that follow their master, and
// units deleted or created by the calls the walk makes.

#include "tests/units/UnitFixture.h"

#include "engine/Controls3D.h"

namespace {

using units::CountingUnit;
using units::SCalls;
using units::SIZES;
using units::UnitTest;

class WalkTest : public UnitTest {
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        SizeRegistry(SIZES);
        gEngine->frameTime = 0.1f;
    }
};

TEST_F(WalkTest, FrozenUnitGetsNothing)
{
    CountingUnit* unit = AddCounting(&calls);
    unit->SysControls = SYS_ENABLE_IDLE | SYS_RENDER_ALWAYS;
    unit->state |= UNIT_DISABLED;
    Frame();
    EXPECT_EQ(0, calls.idle);
    EXPECT_EQ(0, calls.process);
    EXPECT_EQ(0, calls.shown);
    EXPECT_EQ(0u, unit->state & (UNIT_QUEUED | UNIT_VISIBLE));

    gUnitInspector->UnfreezeAllUnits();
    Frame();
    EXPECT_EQ(1, calls.idle);
    EXPECT_EQ(1, calls.process);
    EXPECT_EQ(1, calls.shown);
    EXPECT_EQ(uint32_t(UNIT_QUEUED | UNIT_VISIBLE), unit->state);

    gUnitInspector->FreezeAllUnits();
    Frame();
    EXPECT_EQ(1, calls.idle);
    EXPECT_EQ(1, calls.process);
    EXPECT_EQ(0u, unit->state & UNIT_QUEUED);
}

TEST_F(WalkTest, IdleResultBitOneSkipsTheRestOfTheFrame)
{
    CountingUnit* unit = AddCounting(&calls);
    unit->SysControls = SYS_ENABLE_IDLE | SYS_RENDER_ALWAYS;
    unit->idleResult = 1;
    Frame();
    EXPECT_EQ(1, calls.idle);
    EXPECT_EQ(0, calls.process);
}

TEST_F(WalkTest, PausedEngineStillDrawsButDoesNotStep)
{
    CountingUnit* unit = AddCounting(&calls);
    unit->SysControls = SYS_ENABLE_IDLE | SYS_RENDER_ALWAYS;
    CSmoothMover* mover = gUnitInspector->AllocSmoothMover();
    mover->Start(&unit->Dir, D3DXVECTOR4(10, 0, 0, 0), 1.0f, 0.25f, nullptr);
    unit->smoothMovers.PushBack(mover);
    gEngine->paused = 1;
    Frame();
    EXPECT_EQ(0, calls.idle);
    EXPECT_EQ(1, calls.process);
    EXPECT_EQ(uint32_t(UNIT_QUEUED), unit->state & UNIT_QUEUED);
    EXPECT_FLOAT_EQ(0.0f, unit->Dir.x);

    gEngine->paused = 0;
    Frame();
    EXPECT_EQ(1, calls.idle);
    EXPECT_GT(unit->Dir.x, 0.0f);
}

TEST_F(WalkTest, SlaveOfAnUnqueuedMasterIsHiddenOnce)
{
    CountingUnit* master = AddCounting(&masterCalls);
    CountingUnit* slave = AddCounting(&slaveCalls);
    master->AttachUnit(slave, NOT_ATTACHED);
    slave->state |= UNIT_VISIBLE;
    Frame();
    Frame();
    EXPECT_EQ(1, slaveCalls.hidden);
    EXPECT_EQ(0, slaveCalls.process);
    EXPECT_EQ(0u, slave->state & UNIT_VISIBLE);
}

TEST_F(WalkTest, SlaveOfAQueuedMasterIsDrawnWithIt)
{
    CountingUnit* slave = AddCounting(&slaveCalls);  // walked before its master
    CountingUnit* master = AddCounting(&masterCalls);
    master->SysControls = SYS_RENDER_ALWAYS;
    master->AttachUnit(slave, NOT_ATTACHED);
    Frame();
    EXPECT_EQ(1, masterCalls.process);
    EXPECT_EQ(1, slaveCalls.process);
    EXPECT_EQ(1, slaveCalls.shown);
    EXPECT_EQ(uint32_t(UNIT_QUEUED | UNIT_VISIBLE), slave->state);

    master->SysControls = 0;  // the master drops out: the slave goes with it
    Frame();
    EXPECT_EQ(1, slaveCalls.process);
    EXPECT_EQ(1, slaveCalls.hidden);
}

TEST_F(WalkTest, ControlsUnitsGoToTheFrameControlsInstead)
{
    CountingUnit* control = AddCounting(&calls);
    control->SysControls = SYS_FOR_CONTROLS3D | SYS_RENDER_ALWAYS;
    Frame();
    ASSERT_EQ(1u, gControls3D->frameControls.size());
    EXPECT_EQ(control, gControls3D->frameControls[0]);
    EXPECT_EQ(0, calls.process);
    Frame();
    EXPECT_EQ(1u, gControls3D->frameControls.size());  // emptied by the frame reset
    gUnitInspector->DeleteUnit(control);
    EXPECT_TRUE(gControls3D->frameControls.empty());
}

// Clones of one control template, the controls camera and lights all join the frame's
// controls: the array grows, and past its limit it refuses with one report.
TEST_F(WalkTest, FrameControlsGrowUpToTheirLimitAndReportOnce)
{
    for (size_t i = 0; i < CControls3D::MAX_FRAME_CONTROLS; ++i)
        ASSERT_EQ(0, gControls3D->AddFrameControl(nullptr));
    EXPECT_EQ(-1, gControls3D->AddFrameControl(nullptr));
    EXPECT_EQ(-1, gControls3D->AddFrameControl(nullptr));
    EXPECT_EQ(CControls3D::MAX_FRAME_CONTROLS, gControls3D->frameControls.size());
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("PROGRAMMER LIMIT: MAX_FRAME_CONTROLS.", messages.Texts()[0]);
}

TEST_F(WalkTest, UnitsDeletedByAnIdleCallAreNeverTouchedAgain)
{
    CountingUnit* first = AddCounting(&a, "First");
    CountingUnit* doomed = AddCounting(&b, "Doomed");
    CountingUnit* self = AddCounting(&c, "Self");
    CountingUnit* last = AddCounting(&d, "Last");
    for (CountingUnit* unit : {first, doomed, self, last})
        unit->SysControls = SYS_ENABLE_IDLE | SYS_RENDER_ALWAYS;
    first->other = doomed;
    first->onIdle = [](CountingUnit* unit) { gUnitInspector->DeleteUnit(unit->other); };
    self->onIdle = [](CountingUnit* unit) { gUnitInspector->DeleteUnit(unit); };
    Frame();
    EXPECT_EQ(1, a.process);
    EXPECT_EQ(0, b.idle);
    EXPECT_EQ(1, b.destroyed);
    EXPECT_EQ(1, c.idle);
    EXPECT_EQ(0, c.process);
    EXPECT_EQ(1, c.destroyed);
    EXPECT_EQ(1, d.idle);
    EXPECT_EQ(1, d.process);
    first->onIdle = nullptr;
    Frame();
    EXPECT_EQ(2, d.process);
}

TEST_F(WalkTest, UnitDeletedByProcessOrShowKeepsTheWalkSound)
{
    CountingUnit* master = AddCounting(&a, "Master");
    CountingUnit* slave = AddCounting(&slaveCalls, "Slave");
    CountingUnit* killer = AddCounting(&b, "Killer");
    master->SysControls = SYS_RENDER_ALWAYS;
    killer->SysControls = SYS_RENDER_ALWAYS;
    master->AttachUnit(slave, NOT_ATTACHED);
    // The slave is already in this frame's list when its master goes.
    killer->other = master;
    killer->onProcess = [](CountingUnit* unit) { gUnitInspector->DeleteUnit(unit->other); };
    Frame();
    EXPECT_EQ(1, a.destroyed);
    EXPECT_EQ(1, slaveCalls.destroyed);
    EXPECT_EQ(0, slaveCalls.process);
    EXPECT_EQ(1, b.process);
    killer->onProcess = nullptr;
    Frame();
    EXPECT_EQ(2, b.process);
}

TEST_F(WalkTest, MoverDoneCallbackMayDeleteItsUnit)
{
    CountingUnit* unit = AddCounting(&calls);
    CountingUnit* next = AddCounting(&after);
    unit->SysControls = SYS_ENABLE_IDLE;
    next->SysControls = SYS_ENABLE_IDLE;
    CSmoothMover* mover = gUnitInspector->AllocSmoothMover();
    mover->Start(&unit->Dir, D3DXVECTOR4(0.01f, 0, 0, 0), 10.0f, 0.0f,
                 [](CAtom* done) { gUnitInspector->DeleteUnit(done); });
    unit->smoothMovers.PushBack(mover);
    for (int frame = 0; frame < 10 && !calls.destroyed; ++frame)
        Frame();
    EXPECT_EQ(1, calls.destroyed);
    EXPECT_EQ(gUnitInspector->smoothMovers.Count(), gUnitInspector->smoothMovers.FreeCount());
    const int idleBefore = after.idle;
    Frame();
    EXPECT_EQ(idleBefore + 1, after.idle);
}

TEST_F(WalkTest, ArrivedMoverGoesBackToThePool)
{
    CountingUnit* unit = AddCounting(&calls);
    CSmoothMover* mover = gUnitInspector->AllocSmoothMover();
    mover->Start(&unit->Dir, D3DXVECTOR4(0.01f, 0, 0, 0), 10.0f, 0.0f, nullptr);
    unit->smoothMovers.PushBack(mover);
    for (int frame = 0; frame < 10 && !unit->smoothMovers.Empty(); ++frame)
        Frame();
    EXPECT_TRUE(unit->smoothMovers.Empty());
    EXPECT_FLOAT_EQ(0.01f, unit->Dir.x);
    EXPECT_EQ(gUnitInspector->smoothMovers.Count(), gUnitInspector->smoothMovers.FreeCount());
}

// A unit registered under a new index during the walk is walked in the same frame.
TEST_F(WalkTest, UnitCreatedDuringTheWalkIsVisitedThisFrame)
{
    static SCalls childCalls;
    childCalls = SCalls();
    CountingUnit* parent = AddCounting(&parentCalls);
    parent->SysControls = SYS_ENABLE_IDLE;
    parent->onIdle = [](CountingUnit* self) {
        CountingUnit* child = static_cast<CountingUnit*>(
            gUnitInspector->AddCreatedUnit(new CountingUnit(&childCalls, "Child"), nullptr));
        child->SysControls = SYS_ENABLE_IDLE;
        self->idleResult = 1;
    };
    Frame();
    EXPECT_EQ(1, childCalls.idle);
    EXPECT_EQ(1, childCalls.firstInit);
}

} // namespace
