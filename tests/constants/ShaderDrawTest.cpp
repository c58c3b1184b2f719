// Units drawn through a real vertex shader whose constant table takes the renderer's
// matrices, checked in the read-back picture and in the device's constant registers.

#include "core/Graphics.h"
#include "engine/ResourceScan.h"
#include "engine/ShaderContainer.h"
#include "tests/constants/ConstantsFixture.h"

namespace constants {
namespace {

constexpr D3DCOLOR RED = 0xFFFF0000;
constexpr D3DCOLOR GREEN = 0xFF00FF00;
constexpr D3DCOLOR BLACK = 0xFF000000;

bool Near(const test::Image& image, POINT p, D3DCOLOR expected)
{
    return test::ColorNear(image.At(p.x, p.y) | 0xFF000000, expected, 8);
}

void ExpectMatrix(const D3DXMATRIX& expected, const float* actual, const char* what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(expected[i], actual[i], 1e-4f) << what << " element " << i;
}

D3DXMATRIX Transposed(const D3DXMATRIX& m)
{
    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &m);
    return t;
}

using ShaderDraw = ConstantsTest;

TEST_F(ShaderDraw, TheTableMatrixPlacesTheUnitWhereD3DXProjectsIt)
{
    CGeometry* unit = AddUnit("Shaded", D3DXVECTOR4(2.5f, -1.0f, 0.0f, 1.0f), RED);
    ASSERT_NE(nullptr, unit);
    unit->Orient.y = 0.3f;
    unit->UpdateWorldMatrix();
    RunFrame();
    ASSERT_NE(0, unit->classTemplate->vertexShader);
    ASSERT_NE(nullptr, gGraphics.vertexShader) << "drawn through the class's vertex shader";

    const test::Image image = Picture();
    const POINT centre = Project(D3DXVECTOR3(2.5f, -1.0f, 0.0f));
    EXPECT_TRUE(Near(image, centre, RED)) << centre.x << "," << centre.y << " " << std::hex << image.At(centre.x, centre.y);
    // Just past the turned square's right corner, and the middle of the view, stay clear.
    D3DXVECTOR3 corner(1.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&corner, &corner, &unit->world);
    const POINT outside = Project(D3DXVECTOR3(corner.x + 0.3f, corner.y, corner.z));
    EXPECT_TRUE(Near(image, outside, BLACK)) << std::hex << image.At(outside.x, outside.y);
    EXPECT_TRUE(Near(image, POINT{VIEW_WIDTH / 2, VIEW_HEIGHT / 2}, BLACK));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ShaderDraw, RegistersHoldTheTransposedD3DXMatrices)
{
    CGeometry* unit = AddUnit("Shaded", D3DXVECTOR4(-2.0f, 1.5f, 3.0f, 1.0f), GREEN);
    ASSERT_NE(nullptr, unit);
    unit->Orient = D3DXVECTOR4(0.4f, 1.1f, -0.2f, 0.0f);
    unit->UpdateWorldMatrix();
    RunFrame();

    D3DXMATRIX worldViewProj = unit->world * view * proj;
    const std::vector<float> c = VertexConstants(0, 11);
    ExpectMatrix(Transposed(worldViewProj), &c[0], "mWorldViewProj");
    ExpectMatrix(Transposed(unit->world), &c[16], "mWorld");
    // A mesh without bones gets one identity bone in the palette, read through mBones;
    // its NumBones is 0.
    const float identityRows[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(identityRows[i], c[32 + i]) << "mBones " << i;
    EXPECT_EQ(0, gRenderer->numBones);

    ExpectMatrix(Transposed(worldViewProj), gRenderer->mWorldViewProj, "renderer's mWorldViewProj");
    ExpectMatrix(Transposed(unit->world * view), gRenderer->mWorldView, "mWorldView");
    ExpectMatrix(Transposed(view * proj), gRenderer->mViewProj, "mViewProj");
    ExpectMatrix(Transposed(view), gRenderer->mView, "mView");
    ExpectMatrix(Transposed(proj), gRenderer->mProj, "mProj");
    D3DXMATRIX inverse;
    D3DXMatrixInverse(&inverse, nullptr, &unit->world);
    ExpectMatrix(inverse, gRenderer->inverseWorlds[unit->renderObject], "inverse world");
}

TEST_F(ShaderDraw, EachUnitWritesItsOwnMatrices)
{
    CGeometry* first = AddUnit("Shaded", D3DXVECTOR4(-3.0f, 0.0f, 0.0f, 1.0f), RED);
    CGeometry* second = AddUnit("Shaded", D3DXVECTOR4(3.0f, 0.0f, 0.0f, 1.0f), GREEN);
    ASSERT_TRUE(first && second);
    RunFrame();
    const test::Image image = Picture();
    EXPECT_TRUE(Near(image, Project(D3DXVECTOR3(-3, 0, 0)), RED));
    EXPECT_TRUE(Near(image, Project(D3DXVECTOR3(3, 0, 0)), GREEN));
    EXPECT_EQ(4u, first->bonePaletteOffset);
    EXPECT_EQ(16u, second->bonePaletteOffset) << "the palette runs on by one bone per unit";
    // The last drawn unit's matrix is what the registers hold now.
    ExpectMatrix(Transposed(second->world * view * proj), VertexConstants(0, 4).data(), "second unit");
}

TEST_F(ShaderDraw, AShaderlessClassStillDrawsThroughTheFixedPipeline)
{
    CGeometry* unit = AddUnit("Plain", D3DXVECTOR4(0.0f, 2.0f, 0.0f, 1.0f), GREEN);
    ASSERT_NE(nullptr, unit);
    // The fixed pipeline takes view and projection from the device.
    Device3D->SetTransform(D3DTS_VIEW, &view);
    Device3D->SetTransform(D3DTS_PROJECTION, &proj);
    RunFrame();
    EXPECT_EQ(nullptr, gGraphics.vertexShader);
    D3DXMATRIX world;
    Device3D->GetTransform(D3DTS_WORLD, &world);
    ExpectMatrix(unit->world, world, "world transform");
    EXPECT_TRUE(Near(Picture(), Project(D3DXVECTOR3(0, 2, 0)), GREEN));
}

TEST_F(ShaderDraw, EveryRendererSourceLinksAndNoPostStringIsLeft)
{
    // Linking ran once after the start script: its rows are resolved with no message.
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    const char* const names[] = {"mWorld", "mView", "mWorldView", "mProj", "mViewProj", "mWorldViewProj",
                                 "mMirror", "mShadow", "mWorldShadow", "ShadowColor", "ShadowClearColor",
                                 "MirrorPlane", "mBones", "mWorlds", "Colors", "ClearColor", "AnimFactor",
                                 "UvMulAdd", "AirFog", "WaterFog", "LocalCamPos", "LocalCamDir",
                                 "DiffuseLights", "SpecularLights", "LocalLigthDir"};
    for (const char* name : names) {
        SShaderTableRow row;
        EXPECT_TRUE(row.Resolve(name)) << name;
        EXPECT_NE(0u, row.data) << name;
    }
    uintptr_t out = 0;
    const CRenderer& r = *gRenderer;
    auto at = [](const void* p) { return reinterpret_cast<uintptr_t>(p); };
    EXPECT_EQ(SHADER_CONST_PER_OBJECT, ShaderConstantByName("mBones", &out));
    EXPECT_EQ(at(&r.mBones), out);
    EXPECT_EQ(SHADER_CONST_PER_OBJECT, ShaderConstantByName("mWorlds", &out));
    EXPECT_EQ(at(&r.mWorlds), out);
    EXPECT_EQ(SHADER_CONST_PER_OBJECT, ShaderConstantByName("Colors", &out));
    EXPECT_EQ(at(&r.Colors), out);
    EXPECT_EQ(0u, ShaderConstantByName("mWorldViewProj", &out));
    EXPECT_EQ(at(&r.mWorldViewProj), out);
    EXPECT_EQ(0u, ShaderConstantByName("DiffuseLights", &out));
    EXPECT_EQ(at(r.diffuseLights), out);
    EXPECT_EQ(0u, ShaderConstantByName("LocalLigthDir", &out));
    EXPECT_EQ(at(&r.diffuseLights[0].vector), out);
    EXPECT_EQ(0u, ShaderConstantByName("mShadow", &out));
    EXPECT_EQ(at(r.mShadow), out);

    // A table read after start-up names them without any post string.
    ReadScript("SHADER_TABLE Late {\n VertexConstants: { Register Source Count\n"
               " 0 mViewProj 4\n 4 DiffuseLights NumDiffLights\n 6 LocalCamPos 1\n };\n"
               " PixelConstants: { Register Source Count\n 0 AnimFactor 4\n };\n};\n");
    const CShaderTable* late = gShaderContainer->GetTable(gShaderContainer->FindTable("Late"));
    ASSERT_NE(nullptr, late);
    for (int i = 0; i < late->vertex.count; ++i) EXPECT_TRUE(late->vertex.rows[i].Resolved()) << i;
    EXPECT_EQ(&r.numDiffLights, late->vertex.rows[1].countVariable);
    EXPECT_TRUE(late->pixel.rows[0].Resolved());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ShaderDraw, NoLightsGiveZeroLightRegistersAndTheFirstVariant)
{
    CGeometry* unit = AddUnit("Shaded", D3DXVECTOR4(0, 0, 0, 1), RED);
    ASSERT_NE(nullptr, unit);
    RunFrame();
    EXPECT_EQ(0, gRenderer->numDiffLights);
    EXPECT_EQ(0, gRenderer->numSpecLights);
    const CShader* head = gShaderContainer->GetShaderVariant(unit->classTemplate->vertexShader, 0);
    ASSERT_NE(nullptr, head);
    EXPECT_EQ(&head->vertexShader, gGraphics.vertexShader);
    // With no light the first diffuse record reads as none.
    EXPECT_EQ(D3DXVECTOR4(0, 0, 0, 0), gRenderer->diffuseLights[0].vector);
    EXPECT_EQ(D3DXCOLOR(0, 0, 0, 1), gRenderer->diffuseLights[0].color);
}

TEST_F(ShaderDraw, ALightOfTheFrameFillsTheDiffuseArray)
{
    CGeometry* unit = AddUnit("Shaded", D3DXVECTOR4(0, 0, 0, 1), RED);
    ASSERT_NE(nullptr, unit);
    CAtom light;
    light.Color = D3DXCOLOR(0.5f, 0.25f, 1.0f, 1.0f);
    light.Dir = D3DXVECTOR4(0.0f, -0.8f, 0.6f, 0.0f);
    gRenderer->ResetFrame();
    gUnitInspector->ProcessUnits();
    gRenderer->AddLight(&light);
    gRenderer->UpdateSkeletons();
    gRenderer->SetUnitConstants(unit, PASS_NORMAL);
    EXPECT_EQ(1, gRenderer->diffuseLightCount);
    EXPECT_EQ(2, gRenderer->numDiffLights);
    EXPECT_EQ(0, gRenderer->numSpecLights);
    EXPECT_EQ(light.Color, gRenderer->diffuseLights[0].color);
    EXPECT_EQ(light.Dir, gRenderer->diffuseLights[0].vector);
    gRenderer->ResetFrame();
    EXPECT_EQ(0, gRenderer->numDiffLights) << "the next frame starts without lights";
    EXPECT_EQ(D3DXVECTOR4(0, 0, 0, 0), gRenderer->diffuseLights[0].vector);
}

} // namespace
} // namespace constants

namespace constants {
namespace {

using ShaderVariants = ConstantsTest;

TEST_F(ShaderVariants, TheVertexShaderVariantFollowsTheDiffuseLightCount)
{
    ReadScript("Variables [ ScriptVarCapacity: [ Records: 8 Words: 64 ] ]\n"
               "Variables: { LIGHTS_COUNT 3 };\n"
               "VS_HLSL LitVS Definer: { LIGHTS_COUNT }; \"Transform.vsh\"\n"
               "GEOMETRY Lit { VertexShader: LitVS ShaderTable: Transform };\n");
    CGeometry* unit = AddUnit("Lit", D3DXVECTOR4(0, 0, 0, 1), 0xFFFF0000);
    ASSERT_NE(nullptr, unit);
    const uint16_t head = unit->classTemplate->vertexShader;
    ASSERT_NE(0, head);
    CAtom light;
    gRenderer->ResetFrame();
    gUnitInspector->ProcessUnits();
    gRenderer->UpdateSkeletons();
    gRenderer->SetUnitConstants(unit, PASS_NORMAL);
    EXPECT_EQ(&gShaderContainer->GetShaderVariant(head, 0)->vertexShader, gGraphics.vertexShader) << "no light";
    gRenderer->AddLight(&light);
    gRenderer->SetUnitConstants(unit, PASS_NORMAL);
    EXPECT_EQ(&gShaderContainer->GetShaderVariant(head, 1)->vertexShader, gGraphics.vertexShader) << "one light";
    gRenderer->AddLight(&light);
    gRenderer->SetUnitConstants(unit, PASS_NORMAL);
    EXPECT_EQ(&gShaderContainer->GetShaderVariant(head, 2)->vertexShader, gGraphics.vertexShader) << "two lights";
    EXPECT_EQ(4, gRenderer->numDiffLights);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace constants

namespace constants {
namespace {

using PassShaders = ConstantsTest;

// Each pass takes its shaders from the class even when the class has no main vertex
// shader; a pass without a vertex shader is drawn through the fixed pipeline.
TEST_F(PassShaders, APassTakesItsShadersWithoutAMainVertexShader)
{
    scene.Write("Shaders\\Black.psh", "float4 Main() : COLOR0 { return float4(0, 0, 0, 1); }\n");
    scene.Write("Shaders\\White.psh", "float4 Main() : COLOR0 { return float4(1, 1, 1, 1); }\n");
    ReadScript("PS_HLSL BlackPS \"Black.psh\"\nPS_HLSL WhitePS \"White.psh\"\n"
               "GEOMETRY Bare { PixelShader: BlackPS\n"
               "    ShadowCaster: { VertexShader: TransformVS PixelShader: WhitePS };\n"
               "    Glowing: { PixelShader: WhitePS };\n"
               "    ReflectionCaster: { VertexShader: TransformVS };\n"
               "};\n");
    CGeometry* unit = AddUnit("Bare", D3DXVECTOR4(0, 0, 0, 1), 0xFFFF0000);
    ASSERT_NE(nullptr, unit);
    auto vertex = [](const char* name) {
        return &gShaderContainer->GetShaderVariant(gShaderContainer->FindVertexShader(name), 0)->vertexShader;
    };
    auto pixel = [](const char* name) {
        return &gShaderContainer->GetShaderVariant(gShaderContainer->FindPixelShader(name), 0)->pixelShader;
    };
    const struct {
        int pass;
        const ShaderPair* vs;
        const ShaderPair* ps;
    } cases[] = {
        {PASS_NORMAL, nullptr, pixel("BlackPS")},
        {PASS_REFLECTION, vertex("TransformVS"), pixel("BlackPS")},
        {PASS_SHADOW, vertex("TransformVS"), pixel("WhitePS")},
        {PASS_GLOW, nullptr, pixel("WhitePS")},
    };
    gRenderer->ResetFrame();
    gUnitInspector->ProcessUnits();
    gRenderer->UpdateSkeletons();
    for (const auto& c : cases) {
        gRenderer->SetUnitConstants(unit, c.pass);
        EXPECT_EQ(c.vs, gGraphics.vertexShader) << "pass " << c.pass;
        EXPECT_EQ(c.ps, gGraphics.pixelShader) << "pass " << c.pass;
    }
    D3DXMATRIX world;
    Device3D->GetTransform(D3DTS_WORLD, &world);
    ExpectMatrix(unit->world, world, "the fixed pipeline's world");
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace constants
