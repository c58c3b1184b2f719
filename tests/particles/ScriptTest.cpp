// "ParticleContainer" sections and "PARTICLE_SYSTEM" blocks read through the script reader.

#include "tests/particles/ParticleFixture.h"

#include "engine/ResourceScan.h"
#include "engine/ShaderContainer.h"
#include "engine/MeshContainer.h"
#include "scene/RenderStatesBlock.h"

namespace particles {
namespace {

const char SMOKE[] =
    "PARTICLE_SYSTEM Smoke {\n"
    "    Mesh: Quad FVF [ xyz uv0 ] USAGE [ clones: 16 ] \"Square.msh\"\n"
    "    VertDeclarator: PosUV\n"
    "    VertexShader: ParticleVS\n"
    "    ShaderTable: Particle\n"
    "    RenderQueue: 2\n"
    "    ParticlesInShader: [ StartRegister: 7 ParticlesForOneDraw: 1 ]\n"
    "    FramesInTexture: 4\n"
    "    RandomFrames\n"
    "    RenderStates: AlphaBlendAdd ZWriteOff };\n"
    "};\n";

TEST_F(ParticleTest, ASystemBlockFillsEveryField)
{
    ASSERT_EQ(0, Read(SMOKE)) << messages.Joined();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    const CParticleSystem* smoke = System("Smoke");
    ASSERT_NE(nullptr, smoke);
    EXPECT_NE(0, smoke->mesh);
    EXPECT_EQ(16, gMeshContainer->GetMesh(smoke->mesh)->mesh.cloneCount);
    EXPECT_EQ(gMeshContainer->FindVertexDeclarator("PosUV"), smoke->vertexDeclarator);
    EXPECT_EQ(gShaderContainer->FindVertexShader("ParticleVS"), smoke->vertexShader);
    EXPECT_EQ(gShaderContainer->FindTable("Particle"), smoke->shaderTable);
    EXPECT_EQ(0, smoke->pixelShader);
    EXPECT_EQ(2, smoke->RenderQueue);
    EXPECT_EQ(7u, smoke->StartRegister);
    EXPECT_EQ(1u, smoke->ParticlesForOneDraw);
    EXPECT_FLOAT_EQ(0.25f, smoke->data.x);
    EXPECT_EQ(3, smoke->lastFrame);
    EXPECT_EQ(PARTICLE_RANDOM_FRAMES, smoke->flags);
    EXPECT_TRUE(smoke->renderStates.flags & RSB_ALPHA_BLEND);
    EXPECT_TRUE(smoke->renderStates.flags & RSB_NO_Z_WRITE);
    EXPECT_EQ(nullptr, System("Fog"));
}

TEST_F(ParticleTest, DefaultsOfAnEmptyBlock)
{
    ASSERT_EQ(0, Read("PARTICLE_SYSTEM Empty };\n"));
    const CParticleSystem* empty = System("Empty");
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(1, empty->RenderQueue);
    EXPECT_EQ(1u, empty->ParticlesForOneDraw);
    EXPECT_EQ(0u, empty->StartRegister);
    EXPECT_EQ(D3DXVECTOR4(1, 0, 0, 0), empty->data);
    EXPECT_EQ(0, empty->mesh);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// The table reaches the system's data vector through "PartSystem::Data".
TEST_F(ParticleTest, ShaderTablesReadTheDataVectorOfTheDrawnSystem)
{
    ASSERT_EQ(0, Read(SMOKE));
    uintptr_t out = 0;
    EXPECT_EQ(PARTICLE_DATA_WORD, ShaderConstantByName("PartSystem::Data", &out));
    EXPECT_EQ(0u, ShaderConstantByName("PartSystem::Other", &out));
    CShaderTable* table = gShaderContainer->GetTable(System("Smoke")->shaderTable);
    ASSERT_NE(nullptr, table);
    const SObjectConstants object{System("Smoke"), nullptr};
    table->Apply(&object);
    float c[4] = {};
    Device3D->GetVertexShaderConstantF(6, c, 1);
    EXPECT_FLOAT_EQ(0.25f, c[0]);
    EXPECT_FLOAT_EQ(0.0f, c[1]);
}

TEST_F(ParticleTest, DamagedBlocksAreToldAndReadingGoesOn)
{
    gParticleSystems->warningBudget = 8;
    ASSERT_EQ(0, Read("PARTICLE_SYSTEM Broken {\n"
                      "    Mesh: FVF [ xyz uv0 ] \"Missing.msh\"\n"
                      "    Texture1: \"Missing.tga\"\n"
                      "    VertexShader: NoSuchVS\n"
                      "    ShaderTable: NoTable\n"
                      "    Bogus 12\n"
                      "    ParticlesInShader: [ StartRegister: 3 Extra: 1 ParticlesForOneDraw: 0 ]\n"
                      "    FramesInTexture: 0\n"
                      "};\n"
                      "PARTICLE_SYSTEM After };\n"));
    EXPECT_TRUE(messages.Contains("Not found mesh for Particle system 'Broken'.")) << messages.Joined();
    EXPECT_TRUE(messages.Contains("Not found texture1 for Particle system 'Broken'."));
    EXPECT_TRUE(messages.Contains("Not found vertex shader 'NoSuchVS' for Particle system 'Broken'."));
    EXPECT_TRUE(messages.Contains("Not found shader table 'NoTable' for Particle system 'Broken'."));
    EXPECT_TRUE(messages.Contains("CParticleSystem::Scan :  undefined string 'Bogus' for Particle system 'Broken'."));
    EXPECT_TRUE(messages.Contains("In 'ParticlesInShader' undefined string 'Extra:'."));
    EXPECT_TRUE(messages.Contains("the value of 'ParticlesForOneDraw:' is out of range"));
    EXPECT_TRUE(messages.Contains("'FramesInTexture:' must be 1 to 65535"));
    const CParticleSystem* broken = System("Broken");
    ASSERT_NE(nullptr, broken);
    EXPECT_EQ(0, broken->mesh);
    EXPECT_EQ(0, broken->textures[1]);
    EXPECT_EQ(0, broken->vertexShader);
    EXPECT_EQ(3u, broken->StartRegister);
    EXPECT_EQ(1u, broken->ParticlesForOneDraw);
    EXPECT_FLOAT_EQ(1.0f, broken->data.x);
    // The word after "Bogus" was read as a keyword of its own and warned too.
    EXPECT_NE(nullptr, System("After"));
    EXPECT_EQ(0, gExitCode);
}

// A file says its unknown words once; the budget counts what was said.
TEST_F(ParticleTest, TheCountedWarningsStopAfterTheBudget)
{
    for (const char* words : {"One Two", "Three", "Four"})
        ASSERT_EQ(0, Read(std::string("PARTICLE_SYSTEM Noisy { ") + words + " };\n"));
    EXPECT_TRUE(messages.Contains("undefined string 'One'"));
    EXPECT_TRUE(messages.Contains("Next this Warnings will be skiped."));
    EXPECT_FALSE(messages.Contains("undefined string 'Four'"));
}

TEST_F(ParticleTest, SystemCountBoundsTheSystemsAndAFullContainerEndsTheProgram)
{
    ASSERT_EQ(0, Read("ParticleContainer [ SystemCount: 3 Colour: 2 ]\n"));
    EXPECT_TRUE(messages.Contains("For ParticleContainer undefine string 'Colour:'.")) << messages.Joined();
    EXPECT_EQ(0, Read("PARTICLE_SYSTEM A };\nPARTICLE_SYSTEM B };\n"));
    EXPECT_NE(nullptr, System("A"));
    EXPECT_NE(nullptr, System("B"));
    EXPECT_EQ(0, gExitCode);
    Read("PARTICLE_SYSTEM C };\nPARTICLE_SYSTEM D };\n");
    EXPECT_TRUE(messages.Contains("ParticleContainer:  systems limit is exceed."));
    EXPECT_EQ(1, gExitCode);
    EXPECT_EQ(nullptr, System("C"));
    EXPECT_EQ(nullptr, System("D"));  // the reader stops at the next word
}

TEST_F(ParticleTest, ANegativeSystemCountLeavesNoRoom)
{
    ASSERT_EQ(0, Read("ParticleContainer [ SystemCount: -4 ]\n"));
    EXPECT_TRUE(messages.Contains("'SystemCount:' must be 0 to 65535")) << messages.Joined();
    Read("PARTICLE_SYSTEM A };\n");
    EXPECT_TRUE(messages.Contains("systems limit is exceed."));
    EXPECT_EQ(nullptr, System("A"));
}

TEST_F(ParticleTest, EmitterClassesReadTheirKeywordsAmongTheUnitOnes)
{
    ASSERT_EQ(0, Read(SMOKE));
    ASSERT_EQ(0, Read("PARTICLE_EMITTER Chimney {\n"
                      "    Period: 0.5\n"
                      "    SysControls: [ EnableIdle ]\n"
                      "    ParticleSystem: Smoke\n"
                      "    EmitMethod: Sphere { Radius: 2.5 };\n"
                      "    Intensity: 3\n"
                      "    Sizing: [ 1 2 accel: 0.5 ]\n"
                      "    Pos: [ 1 2 3 ]\n"
                      "    LifeTime: [ 4 6 ]\n"
                      "    RandomAx: [ 10 20 ]\n"
                      "    DirectVelocity: [ 5 7 ]\n"
                      "    Velocity: [ 0 1 0 ]\n"
                      "    Accelerate: [ 0 -9.8 0 ]\n"
                      "};\n"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    auto* chimney = dynamic_cast<CParticleEmitter*>(gUnitInspector->GetClassPrototype("Chimney"));
    ASSERT_NE(nullptr, chimney);
    const SEmitterParams& p = chimney->params;
    EXPECT_EQ(System("Smoke"), p.system);
    EXPECT_EQ(EMIT_SPHERE, p.method);
    EXPECT_FLOAT_EQ(2.5f, p.radius);
    EXPECT_FLOAT_EQ(0.5f, p.period);
    EXPECT_EQ(3, p.intensity);
    EXPECT_FLOAT_EQ(2.0f, p.sizing[1]);
    EXPECT_FLOAT_EQ(0.5f, p.velocity.w);
    EXPECT_FLOAT_EQ(6.0f, p.lifeTime[1]);
    EXPECT_NEAR(20 * 0.0174533f, p.angleA[1], 1e-6f);
    EXPECT_EQ(EMIT_RANDOM_A | EMIT_DIRECTED, p.randomFlags);
    EXPECT_FLOAT_EQ(7.0f, p.speed[1]);
    EXPECT_FLOAT_EQ(1.0f, p.velocity.y);
    EXPECT_FLOAT_EQ(-9.8f, p.acceleration.y);
    EXPECT_FLOAT_EQ(3.0f, chimney->Pos.z);
    EXPECT_TRUE(chimney->SysControls & SYS_ENABLE_IDLE);
    // A unit of the class takes everything.
    CParticleEmitter* unit = AddEmitter("Chimney", D3DXVECTOR4(0, 0, 0, 1));
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(System("Smoke"), unit->params.system);
    EXPECT_EQ(3, unit->params.intensity);
    EXPECT_EQ(PARTICLE_EMITTER_UNIT_TYPE, unit->type);
}

TEST_F(ParticleTest, UnknownSystemsAndMethodsAreToldByTheEmitterClass)
{
    ASSERT_EQ(0, Read("PARTICLE_EMITTER Odd {\n"
                      "    ParticleSystem: Nothing\n"
                      "    EmitMethod: Cone { Radius: 1 };\n"
                      "    Intensity: 2\n"
                      "};\n"));
    EXPECT_TRUE(messages.Contains("ParticleSystem 'Nothing' are not found.")) << messages.Joined();
    EXPECT_TRUE(messages.Contains("Undefined emitting method 'Cone'."));
    auto* odd = dynamic_cast<CParticleEmitter*>(gUnitInspector->GetClassPrototype("Odd"));
    ASSERT_NE(nullptr, odd);
    EXPECT_EQ(2, odd->params.intensity);  // reading went on after the method's block
}

} // namespace
} // namespace particles
