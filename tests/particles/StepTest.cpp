// Emitters stepped over frames: bursts, counts, lifetimes, positions, frames and angles.

#include "tests/particles/ParticleFixture.h"

#include <cmath>
#include <algorithm>
#include <set>

namespace particles {
namespace {

// A system without drawing resources and emitters that use it.
const char SYSTEM[] =
    "PARTICLE_SYSTEM Sparks { FramesInTexture: 4 RandomFrames };\n"
    "PARTICLE_SYSTEM Plain { };\n"
    "PARTICLE_EMITTER Every { SysControls: [ EnableIdle ] ParticleSystem: Plain EmitMethod: Point { };\n"
    "    Period: 0 LifeTime: [ 10 10 ] };\n"
    "PARTICLE_EMITTER Half { SysControls: [ EnableIdle ] ParticleSystem: Plain EmitMethod: Point { };\n"
    "    Period: 0.5 LifeTime: [ 10 10 ] };\n";

class StepTest : public ParticleTest {
protected:
    void SetUp() override
    {
        ParticleTest::SetUp();
        ASSERT_EQ(0, Read(SYSTEM)) << messages.Joined();
    }
    int Count(const char* system) { return System(system)->InstanceCount(); }
};

TEST_F(StepTest, APeriodBurstsOnceWhenTheAccumulatedTimeReachesIt)
{
    ASSERT_NE(nullptr, AddEmitter("Half", D3DXVECTOR4(0, 0, 0, 1)));
    std::vector<int> counts;
    for (int frame = 0; frame < 5; ++frame) {
        Step(1, 0.3f);
        counts.push_back(Count("Plain"));
    }
    EXPECT_EQ((std::vector<int>{0, 1, 1, 2, 3}), counts);
}

TEST_F(StepTest, PeriodZeroBurstsEveryFrameButNeverMoreThanOnce)
{
    ASSERT_NE(nullptr, AddEmitter("Every", D3DXVECTOR4(0, 0, 0, 1)));
    Step(3, 2.0f);
    EXPECT_EQ(3, Count("Plain"));
}

TEST_F(StepTest, IntensityParticlesPerBurstAtThePointOfTheEmitter)
{
    ASSERT_EQ(0, Read("PARTICLE_EMITTER Triple : Every { Intensity: 3 Sizing: [ 2 2 ] };\n"));
    ASSERT_NE(nullptr, AddEmitter("Triple", D3DXVECTOR4(1, 2, 3, 1)));
    Step(1, 0.0f);
    const std::vector<SParticleConst> all = Instances(System("Plain"));
    ASSERT_EQ(3u, all.size());
    for (const SParticleConst& p : all) {
        EXPECT_FLOAT_EQ(1.0f, p.x);
        EXPECT_FLOAT_EQ(2.0f, p.y);
        EXPECT_FLOAT_EQ(3.0f, p.z);
        EXPECT_FLOAT_EQ(2.0f, p.size);
        EXPECT_FLOAT_EQ(1.0f, p.lifeLeft);
    }
}

// Position and size follow velocity, velocity follows acceleration, life counts down.
TEST_F(StepTest, ParticlesMoveByVelocityAndAccelerationAndAge)
{
    ASSERT_EQ(0, Read("PARTICLE_EMITTER Thrown { SysControls: [ EnableIdle ] ParticleSystem: Plain\n"
                      "    EmitMethod: Point { }; Period: 100 LifeTime: [ 2 2 ] Sizing: [ 1 1 accel: 0.5 ]\n"
                      "    Velocity: [ 1 2 0 ] Accelerate: [ 0 -1 0 ] };\n"));
    CParticleEmitter* emitter = AddEmitter("Thrown", D3DXVECTOR4(0, 0, 0, 1));
    ASSERT_NE(nullptr, emitter);
    emitter->accumulator = 100.0f;  // the first frame bursts
    Step(1, 0.0f);
    ASSERT_EQ(1, Count("Plain"));
    Step(2, 0.5f);
    const SParticleConst p = Instances(System("Plain"))[0];
    EXPECT_NEAR(1.0f, p.x, 1e-5f);                       // 1 per second for 1 s
    EXPECT_NEAR(2.0f * 0.5f + 1.5f * 0.5f, p.y, 1e-5f);  // velocity 2, then 1.5
    EXPECT_NEAR(1.5f, p.size, 1e-5f);
    EXPECT_NEAR(0.5f, p.lifeLeft, 1e-5f);
}

TEST_F(StepTest, DeadParticlesStayInTheDrawnRangeFarAwayAndAreReused)
{
    ASSERT_EQ(0, Read("PARTICLE_EMITTER Short : Every { LifeTime: [ 0.25 0.25 ] };\n"));
    CParticleEmitter* emitter = AddEmitter("Short", D3DXVECTOR4(0, 0, 0, 1));
    Step(1, 0.1f);  // born
    emitter->state |= UNIT_DISABLED;
    Step(3, 0.1f);  // 0.25 s of life runs out in the third frame
    std::vector<SParticleConst> all = Instances(System("Plain"));
    ASSERT_EQ(1u, all.size());
    EXPECT_FLOAT_EQ(DEAD_PARTICLE_Y, all[0].y);
    Step(5, 0.1f);  // dying once only: still one record, still far away
    all = Instances(System("Plain"));
    ASSERT_EQ(1u, all.size());
    EXPECT_FLOAT_EQ(DEAD_PARTICLE_Y, all[0].y);
    emitter->state &= ~uint32_t(UNIT_DISABLED);
    Step(1, 0.1f);
    all = Instances(System("Plain"));
    ASSERT_EQ(1u, all.size()) << "the dead record is taken again";
    EXPECT_FLOAT_EQ(0.0f, all[0].y);
}

TEST_F(StepTest, OfTenParticlesNineDeadStillTenInstances)
{
    CParticleSystem* plain = System("Plain");
    SParticle* records[10];
    for (int i = 0; i < 10; ++i) {
        SParticleConst* instance = nullptr;
        records[i] = plain->GetFreeParticle(&instance);
        ASSERT_NE(nullptr, records[i]);
        records[i]->life = i == 4 ? 5.0f : 0.1f;
        records[i]->inverseLife = 1.0f / records[i]->life;
    }
    plain->Update(0.5f);
    const std::vector<SParticleConst> all = Instances(plain);
    ASSERT_EQ(10u, all.size());
    int distant = 0;
    for (const SParticleConst& p : all) distant += p.y == DEAD_PARTICLE_Y;
    EXPECT_EQ(9, distant);
    EXPECT_NEAR(0.9f, all[4].lifeLeft, 1e-5f);
}

TEST_F(StepTest, RandomFramesPickWholeFramesOfTheTexture)
{
    CParticleSystem* sparks = System("Sparks");
    std::set<float> seen;
    for (int i = 0; i < 200; ++i) {
        SParticleConst* instance = nullptr;
        ASSERT_NE(nullptr, sparks->GetFreeParticle(&instance));
        seen.insert(instance->frame);
    }
    EXPECT_EQ((std::set<float>{0.0f, 0.25f, 0.5f, 0.75f}), seen);
    SParticleConst* plain = nullptr;
    System("Plain")->GetFreeParticle(&plain);
    EXPECT_EQ(0.0f, plain->frame);
}

TEST_F(StepTest, RandomAyAloneStillDrawsBothAnglesAndDirectsTheVelocity)
{
    ASSERT_EQ(0, Read("PARTICLE_EMITTER Fan : Every { RandomAy: [ 90 90 ] DirectVelocity: [ 3 3 ]\n"
                      "    Sizing: [ 1 1 accel: 0.25 ] };\n"));
    ASSERT_NE(nullptr, AddEmitter("Fan", D3DXVECTOR4(0, 0, 0, 1)));
    Step(1, 0.0f);
    ASSERT_EQ(1, Count("Plain"));
    const SParticleConst p = Instances(System("Plain"))[0];
    EXPECT_FLOAT_EQ(0.0f, p.angleA);
    EXPECT_NEAR(1.5707964f, p.angleB, 1e-5f);
    // Yaw 90 degrees, no pitch: along +x at speed 3.
    const SParticle& particle = System("Plain")->particles.First()->records[0];
    EXPECT_NEAR(3.0f, particle.velocity.x, 1e-4f);
    EXPECT_NEAR(0.0f, particle.velocity.y, 1e-4f);
    EXPECT_NEAR(0.0f, particle.velocity.z, 1e-4f);
    EXPECT_FLOAT_EQ(0.25f, particle.velocity.w);
}

TEST_F(StepTest, SpheresPlaceOnTheRadiusAndBallsInsideIt)
{
    ASSERT_EQ(0, Read("PARTICLE_EMITTER Shell : Every { EmitMethod: Sphere { Radius: 2 }; Intensity: 20 };\n"
                      "PARTICLE_SYSTEM Inner { };\n"
                      "PARTICLE_EMITTER Ball : Every { ParticleSystem: Inner EmitMethod: Ball { Radius: 2 };\n"
                      "    Intensity: 20 };\n"));
    AddEmitter("Shell", D3DXVECTOR4(5, 0, 0, 1));
    AddEmitter("Ball", D3DXVECTOR4(5, 0, 0, 1));
    Step(1, 0.0f);
    for (const SParticleConst& p : Instances(System("Plain")))
        EXPECT_NEAR(2.0f, std::sqrt((p.x - 5) * (p.x - 5) + p.y * p.y + p.z * p.z), 1e-4f);
    ASSERT_EQ(20u, Instances(System("Inner")).size());
    for (const SParticleConst& p : Instances(System("Inner")))
        EXPECT_LE(std::sqrt((p.x - 5) * (p.x - 5) + p.y * p.y + p.z * p.z), 2.0001f);
}

TEST_F(StepTest, AMasterCarriesTheOriginAndMustBeGeometry)
{
    ASSERT_EQ(0, Read("GEOMETRY Mast { };\nATOM Ghost { };\n"));
    CAtom* mast = gUnitInspector->CreateUnit("Mast", nullptr);
    ASSERT_NE(nullptr, mast);
    mast->SetPos(D3DXVECTOR4(10, 0, 0, 1));
    CParticleEmitter* emitter = AddEmitter("Every", D3DXVECTOR4(0, 1, 0, 1));
    ASSERT_EQ(0, mast->AttachUnit(emitter, NOT_ATTACHED));
    Step(1, 0.1f);
    const SParticleConst p = Instances(System("Plain"))[0];
    EXPECT_FLOAT_EQ(10.0f, p.x);
    EXPECT_FLOAT_EQ(1.0f, p.y);

    CAtom* ghost = gUnitInspector->CreateUnit("Ghost", nullptr);
    CParticleEmitter* lost = AddEmitter("Every", D3DXVECTOR4(0, 0, 0, 1));
    ASSERT_EQ(0, ghost->AttachUnit(lost, NOT_ATTACHED));
    Step(3, 0.1f);
    EXPECT_EQ(1, std::count_if(messages.Texts().begin(), messages.Texts().end(), [](const std::string& t) {
                  return t.find("Master of emitter is not a geometry.") != std::string::npos;
              })) << messages.Joined();
    EXPECT_EQ(EMITTER_IDLE_FAILED, lost->DoIdle());
}

TEST_F(StepTest, AnEmitterWithoutSystemOrMethodSaysSoOnce)
{
    ASSERT_EQ(0, Read("PARTICLE_EMITTER Idle { SysControls: [ EnableIdle ] };\n"));
    ASSERT_NE(nullptr, AddEmitter("Idle", D3DXVECTOR4(0, 0, 0, 1)));
    Step(4, 0.1f);
    EXPECT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_TRUE(messages.Contains("ParticleSystem or EmitMethod are not defined."));
}

// The pools hold 2048 blocks of 512 records; when they are gone a burst stops short.
TEST_F(StepTest, ExhaustedPoolsEndTheBurstWithOneWarning)
{
    ASSERT_EQ(0, Read("PARTICLE_EMITTER Flood : Every { Intensity: 60000 };\n"));
    ASSERT_NE(nullptr, AddEmitter("Flood", D3DXVECTOR4(0, 0, 0, 1)));
    Step(18, 0.0f);
    EXPECT_EQ(2048 * 512, Count("Plain"));
    EXPECT_TRUE(messages.Contains("CParticleSystem::GetFreeParticle :  Returning null particle."));
    SParticleConst* instance = nullptr;
    EXPECT_EQ(nullptr, System("Sparks")->GetFreeParticle(&instance));
    EXPECT_EQ(nullptr, instance);
    gParticleSystems->ResetAll();
    EXPECT_EQ(0, Count("Plain"));
    EXPECT_NE(nullptr, System("Sparks")->GetFreeParticle(&instance));
}

// A block one pool hands out while the other has none left is kept for the next pair, not
// taken again and again: here the constant pool holds one block of one record.
TEST_F(StepTest, ABlockWithoutItsPartnerIsNotLost)
{
    CParticleSystems& systems = *gParticleSystems;
    systems.ResetAll();
    ASSERT_EQ(0, systems.particlePool.Init(4, 1, 0));
    ASSERT_EQ(0, systems.constPool.Init(1, 1, 0));
    SParticleConst* instance = nullptr;
    ASSERT_NE(nullptr, System("Plain")->GetFreeParticle(&instance));
    for (const char* name : {"Plain", "Sparks", "Sparks", "Plain"}) {
        EXPECT_EQ(nullptr, System(name)->GetFreeParticle(&instance)) << name;
        EXPECT_EQ(2, systems.particlePool.HandedOut()) << name << ": one in use, one waiting";
    }
    EXPECT_EQ(1, Count("Plain"));
    EXPECT_EQ(0, Count("Sparks"));
    systems.ResetAll();
    EXPECT_NE(nullptr, System("Sparks")->GetFreeParticle(&instance));
}

// Emitters hold their system by address: a repeated section after systems were read keeps
// them, and says so; a system added afterwards still finds room.
TEST_F(StepTest, ASecondSectionKeepsTheSystemsEmittersUse)
{
    ASSERT_NE(nullptr, AddEmitter("Every", D3DXVECTOR4(0, 0, 0, 1)));
    Step(1, 0.1f);
    const CParticleSystem* plain = System("Plain");
    ASSERT_EQ(0, Read("ParticleContainer [ SystemCount: 1 ]\nPARTICLE_SYSTEM Late { };\n"));
    EXPECT_TRUE(messages.Contains("ParticleContainer section is repeated")) << messages.Joined();
    EXPECT_EQ(plain, System("Plain"));
    EXPECT_NE(nullptr, System("Late"));
    Step(2, 0.1f);
    EXPECT_EQ(3, Count("Plain"));
}

} // namespace
} // namespace particles
