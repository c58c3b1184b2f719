// Particle systems drawn by the renderer with the shipped particle shader, read back.

#include "tests/particles/ParticleFixture.h"

#include "core/Graphics.h"
#include "engine/ShaderContainer.h"
#include "scene/Renderer.h"

namespace particles {
namespace {

const char GLOW[] =
    "PARTICLE_SYSTEM Glow {\n"
    "    Mesh: Quad FVF [ xyz uv0 ] USAGE [ clones: 16 ] \"Square.msh\"\n"
    "    VertDeclarator: PosUV VertexShader: ParticleVS ShaderTable: Particle\n"
    "    ParticlesInShader: [ StartRegister: 7 ParticlesForOneDraw: 1 ]\n"
    "    RenderQueue: 2\n"
    "};\n"
    "PARTICLE_EMITTER Lamp { SysControls: [ EnableIdle ] ParticleSystem: Glow EmitMethod: Point { };\n"
    "    Period: 1000 LifeTime: [ 100 100 ] Sizing: [ 2 2 ] };\n";

const uint32_t RED = 0xFFFF0000;

class DrawTest : public ParticleTest {
protected:
    void SetUp() override
    {
        ParticleTest::SetUp();
        ASSERT_EQ(0, Read(GLOW)) << messages.Joined();
        System("Glow")->textures[0] = test::ColourTexture(RED);
    }
    // One particle of the lamp at the position, born in the next frame.
    void Light(const D3DXVECTOR4& pos)
    {
        CParticleEmitter* lamp = AddEmitter("Lamp", pos);
        ASSERT_NE(nullptr, lamp);
        lamp->accumulator = 1000.0f;
    }
    bool RedAt(const test::Image& image, POINT p) { return test::ColorNear(RED, image.At(p.x, p.y), 24); }
    bool BlackAt(const test::Image& image, POINT p) { return test::ColorNear(0xFF000000, image.At(p.x, p.y), 8); }
};

TEST_F(DrawTest, TheShippedShaderPlacesItsUniformsWhereTableAndSystemWrite)
{
    const CShader* shader = gShaderContainer->shaders.At(gShaderContainer->FindVertexShader("ParticleVS"));
    ASSERT_NE(nullptr, shader);
    ASSERT_NE(nullptr, shader->vertexShader.vs);
    UINT size = 0;
    shader->vertexShader.vs->GetFunction(nullptr, &size);
    std::vector<DWORD> code(size / 4);
    shader->vertexShader.vs->GetFunction(code.data(), &size);
    ID3DXConstantTable* constants = nullptr;
    ASSERT_EQ(S_OK, D3DXGetShaderConstantTable(code.data(), &constants));
    const std::pair<const char*, UINT> expected[] = {{"mViewProj0", 0}, {"mViewProj3", 3}, {"mView0", 4},
                                                     {"mView1", 5},     {"Data", 6},       {"Particle0", 7},
                                                     {"Particle1", 8}};
    for (const auto& [name, reg] : expected) {
        D3DXHANDLE handle = constants->GetConstantByName(nullptr, name);
        ASSERT_NE(nullptr, handle) << name;
        D3DXCONSTANT_DESC desc;
        UINT n = 1;
        constants->GetConstantDesc(handle, &desc, &n);
        EXPECT_EQ(reg, desc.RegisterIndex) << name;
    }
    constants->Release();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A compile that returns code but leaves error text made a wrong shader: both models clean.
TEST_F(DrawTest, TheShippedShaderCompilesCleanAtBothShaderModels)
{
    const std::string path = test::RunDir() + "\\Shaders\\Particles\\Particle.vsh";
    for (const char* profile : {"vs_2_0", "vs_3_0"}) {
        ID3DXBuffer *code = nullptr, *errors = nullptr;
        EXPECT_EQ(S_OK, D3DXCompileShaderFromFileA(path.c_str(), nullptr, nullptr, "Main", profile, 0, &code,
                                                   &errors, nullptr))
            << profile;
        const char* text = errors ? static_cast<const char*>(errors->GetBufferPointer()) : "";
        EXPECT_EQ(nullptr, errors) << profile << ": " << text;
        if (code) code->Release();
        if (errors) errors->Release();
    }
}

TEST_F(DrawTest, ParticlesAreDrawnAsSquaresFacingTheCamera)
{
    Light(D3DXVECTOR4(0, 0, 0, 1));
    Light(D3DXVECTOR4(3, 1, 0, 1));
    scene.Frame(0.01f);
    const test::Image image = scene.Picture();
    const POINT centre = scene.Project(D3DXVECTOR3(0, 0, 0));
    EXPECT_TRUE(RedAt(image, centre)) << std::hex << image.At(centre.x, centre.y);
    EXPECT_TRUE(RedAt(image, scene.Project(D3DXVECTOR3(0.8f, 0.8f, 0))));
    EXPECT_TRUE(BlackAt(image, scene.Project(D3DXVECTOR3(1.3f, 0, 0))));
    EXPECT_TRUE(RedAt(image, scene.Project(D3DXVECTOR3(3, 1, 0))));
    EXPECT_TRUE(BlackAt(image, scene.Project(D3DXVECTOR3(0, 2.5f, 0))));
    EXPECT_EQ(2, System("Glow")->lastDrawCalls);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// Seen from the side, the square still faces the eye: it covers the same spot.
TEST_F(DrawTest, FromTheSideTheSquareStillFacesTheEye)
{
    Light(D3DXVECTOR4(0, 0, 0, 1));
    scene.LookAt(D3DXVECTOR3(-10, 3, 0), D3DXVECTOR3(0, 0, 0));
    scene.Frame(0.01f);
    const test::Image image = scene.Picture();
    EXPECT_TRUE(RedAt(image, scene.Project(D3DXVECTOR3(0, 0, 0))));
    EXPECT_TRUE(RedAt(image, scene.Project(D3DXVECTOR3(0, 0, 0.8f))));
}

TEST_F(DrawTest, ADeadParticleIsDrawnOutOfSight)
{
    ASSERT_EQ(0, Read("PARTICLE_EMITTER Spark : Lamp { LifeTime: [ 0.05 0.05 ] };\n"));
    CParticleEmitter* spark = AddEmitter("Spark", D3DXVECTOR4(0, 0, 0, 1));
    spark->accumulator = 1000.0f;
    scene.Frame(0.0f);
    EXPECT_TRUE(RedAt(scene.Picture(), scene.Project(D3DXVECTOR3(0, 0, 0))));
    scene.Frame(0.1f);
    EXPECT_TRUE(BlackAt(scene.Picture(), scene.Project(D3DXVECTOR3(0, 0, 0))));
    EXPECT_EQ(1, System("Glow")->lastDrawCalls) << "the dead instance is still drawn";
}

TEST_F(DrawTest, BlocksAreDrawnInBatchesOfParticlesForOneDraw)
{
    ASSERT_EQ(0, Read("PARTICLE_SYSTEM Batched { Mesh: \"Square.msh\" VertDeclarator: PosUV VertexShader: ParticleVS\n"
                      "    ShaderTable: Particle ParticlesInShader: [ StartRegister: 7 ParticlesForOneDraw: 16 ]\n"
                      "};\n"));
    CParticleSystem* batched = System("Batched");
    for (int i = 0; i < 40; ++i) {
        SParticleConst* instance = nullptr;
        SParticle* particle = batched->GetFreeParticle(&instance);
        ASSERT_NE(nullptr, particle);
        particle->life = 10.0f;
        instance->x = float(i);
        instance->size = 1.0f;
    }
    scene.Frame(0.0f);
    EXPECT_EQ(3, batched->lastDrawCalls);
    // The last batch uploaded records 32 to 39 from register 7 on.
    float c[4] = {};
    Device3D->GetVertexShaderConstantF(7, c, 1);
    EXPECT_FLOAT_EQ(32.0f, c[0]);
    Device3D->GetVertexShaderConstantF(7 + 2 * 7, c, 1);
    EXPECT_FLOAT_EQ(39.0f, c[0]);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(DrawTest, MoreParticlesPerDrawThanTheMeshHasClonesAreCutToTheClones)
{
    ASSERT_EQ(0, Read("PARTICLE_SYSTEM Greedy { Mesh: \"Square.msh\" VertexShader: ParticleVS\n"
                      "    ParticlesInShader: [ StartRegister: 7 ParticlesForOneDraw: 40 ] };\n"
                      "PARTICLE_SYSTEM Hidden { Mesh: \"Square.msh\" RenderQueue: 6 };\n"));
    for (const char* name : {"Greedy", "Hidden"}) {
        for (int i = 0; i < 40; ++i) {
            SParticleConst* instance = nullptr;
            System(name)->GetFreeParticle(&instance)->life = 10.0f;
        }
    }
    scene.Frame(0.0f);
    EXPECT_EQ(3, System("Greedy")->lastDrawCalls);
    EXPECT_TRUE(messages.Contains("'ParticlesForOneDraw:' is more than the mesh's clones")) << messages.Joined();
    EXPECT_EQ(0, System("Hidden")->lastDrawCalls) << "no queue 6 is drawn";
}

} // namespace
} // namespace particles
