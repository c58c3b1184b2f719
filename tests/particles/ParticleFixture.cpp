#include "tests/particles/ParticleFixture.h"

#include "engine/Engine.h"
#include "scene/Renderer.h"

namespace particles {
namespace {

const char START_SCRIPT[] =
    "UnitInspector [ TemplateCount: 16 UnitCount: 64 UnitAttaches: 8 UnitMoves: 4 ]\n"
    "TexContainer [ TexCount: 16 ]\n"
    "MeshContainer [ MeshCount: 8 VDeclCount: 4 ]\n"
    "ShaderContainer [ ShaderCount: 8 TableCount: 8 ShaderDirectory: \"Shaders/\" ShaderVer: 30 ]\n"
    "Renderer [ QueueCount: 4 InQueueCount: 16 MaxRenderObjects: 16 ]\n"
    "ParticleContainer [ SystemCount: 8 ]\n"
    "VDECLARATOR PosUV\n"
    "    Stream Offset Type Method Usage Index\n"
    "    0   0    float3  position   0\n"
    "    0   12   float2  tex_coord  0\n"
    "EndComponents.\n"
    "VS_HLSL ParticleVS \"Particle.vsh\"\n"
    "SHADER_TABLE Particle {\n"
    "    VertexConstants: { Register Source Count\n"
    "        0  mViewProj         4\n"
    "        4  mView             2\n"
    "        6  PartSystem::Data  1\n"
    "    };\n"
    "};\n";

} // namespace

void ParticleTest::SetUp()
{
    ASSERT_TRUE(scene.Start("particles")) << messages.Joined();
    const std::string shader = test::ReadFile(test::RunDir() + "\\Shaders\\Particles\\Particle.vsh");
    ASSERT_FALSE(shader.empty());
    scene.Write("Shaders\\Particle.vsh", shader);
    scene.Write("Square.msh", test::SquareMeshText(0.5f));
    ASSERT_EQ(0, Read(START_SCRIPT)) << messages.Joined();
    scene.LookAt(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 0));
}

CParticleEmitter* ParticleTest::AddEmitter(const char* className, const D3DXVECTOR4& pos)
{
    auto* emitter = dynamic_cast<CParticleEmitter*>(gUnitInspector->CreateUnit(className, nullptr));
    EXPECT_NE(nullptr, emitter) << messages.Joined();
    if (emitter) emitter->Pos = pos;
    return emitter;
}

std::vector<SParticleConst> ParticleTest::Instances(const CParticleSystem* system) const
{
    std::vector<SParticleConst> out;
    for (const auto* block = system->constants.First(); block; block = block->next)
        out.insert(out.end(), block->records, block->End());
    return out;
}

void ParticleTest::Step(int frames, float dt)
{
    gEngine->frameTime = dt;
    for (int i = 0; i < frames; ++i) {
        gRenderer->ResetFrame();
        gUnitInspector->ProcessUnits();
        gParticleSystems->Update();
    }
}

} // namespace particles
