#include "tests/glow/EffectsFixture.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "engine/CreateEngine.h"
#include "engine/MeshContainer.h"
#include "engine/Parser.h"

namespace effects {
namespace {

// Row vector times the transposed world-view-projection in c0..c3, in the portable style.
const char TRANSFORM_SHADER[] =
    "float4 m0;\nfloat4 m1;\nfloat4 m2;\nfloat4 m3;\n"
    "void Main(float4 p : POSITION, float2 t : TEXCOORD0,\n"
    "          out float4 oP : POSITION, out float4 oD : COLOR0, out float2 oT : TEXCOORD0)\n"
    "{\n"
    "    float4 x = p * m0;\n    float4 y = p * m1;\n    float4 z = p * m2;\n    float4 w = p * m3;\n"
    "    oP.x = x.x + x.y + x.z + x.w;\n    oP.y = y.x + y.y + y.z + y.w;\n"
    "    oP.z = z.x + z.y + z.z + z.w;\n    oP.w = w.x + w.y + w.z + w.w;\n"
    "    oD = p.wwww;\n    oT = t;\n"
    "}\n";

const char START_SCRIPT[] =
    "UnitInspector [ TemplateCount: 16 UnitCount: 64 UnitAttaches: 16 UnitMoves: 4 ]\n"
    "TexContainer [ TexCount: 32 ]\n"
    "MeshContainer [ MeshCount: 32 VDeclCount: 4 ]\n"
    "ShaderContainer [ ShaderCount: 8 TableCount: 8 ShaderDirectory: \"Shaders/\" ShaderVer: 20 ]\n"
    "Renderer [ QueueCount: 4 InQueueCount: 8 MaxRenderObjects: 16\n"
    "    Glowing: [\n"
    "        BufferRatio: 1/2\n"
    "        Passes: 2\n"
    "        NonGlowUnitsPixelShader: \"Shaders/NonGlow.psh\"\n"
    "        BlurPixelShader: \"Shaders/GlowBlur.psh\"\n"
    "        PostBlurPixelShader: \"Shaders/GlowPostBlur.psh\"\n"
    "    ]\n"
    "]\n"
    "VDECLARATOR PosUV\n"
    "    Stream Offset Type Method Usage Index\n"
    "    0   0    float3  position   0\n"
    "    0   12   float2  tex_coord  0\n"
    "EndComponents.\n"
    "VS_HLSL TransformVS \"Transform.vsh\"\n"
    "VS_HLSL MirrorVS \"Mirror.vsh\"\n"
    "PS_HLSL MirrorPS \"Mirror.psh\"\n"
    "SHADER_TABLE Transform { VertexConstants: { Register Source Count\n"
    "    0 mWorldViewProj 4\n"
    "}; };\n"
    "SHADER_TABLE Mirror { VertexConstants: { Register Source Count\n"
    "    0 mWorldViewProj 4\n"
    "    4 mWorld 4\n"
    "    8 mMirror 4\n"
    "}; };\n"
    "GEOMETRY Plain { };\n"
    "GEOMETRY Glower { Glowing: { GlowLevel: 1.0 }; };\n"
    "GEOMETRY Caster {\n"
    "    VertexShader: TransformVS VertDeclarator: PosUV ShaderTable: Transform\n"
    "    ReflectionCaster: { VertexShader: TransformVS };\n"
    "};\n"
    "GEOMETRY Floor {\n"
    "    VertexShader: MirrorVS PixelShader: MirrorPS VertDeclarator: PosUV ShaderTable: Mirror\n"
    "    ReflectionReceiver: { InitNormal: [ 0 1 0 ] ReflectionClearColor: FF0000FF };\n"
    "};\n";

std::string Num(float v)
{
    return std::to_string(v);
}

// A square facing -z (or, flat, facing +y) wound clockwise toward the viewer.
std::string SquareMesh(float h, bool flat)
{
    auto vertex = [&](float a, float b) {
        return flat ? Num(a) + " 0 " + Num(b) + "\n" : Num(a) + " " + Num(b) + " 0\n";
    };
    return "NumVertices 4\nNumPrimitives 2\nMESH\n4\n" + vertex(-h, -h) + vertex(-h, h) + vertex(h, h) +
           vertex(h, -h) + "indices 2\n0 1 2\n0 2 3\nTextureCoords 4\n0 1\n0 0\n1 0\n1 1\n";
}

} // namespace

bool Near(const test::Image& image, POINT p, D3DCOLOR expected, int tolerance)
{
    return test::ColorNear(image.At(p.x, p.y) | 0xFF000000, expected, tolerance);
}

void EffectsTest::SetUp()
{
    dir = test::TempDir("effects");
    test::CopySpriteFiles(dir);
    test::WriteFile(dir + "\\Shaders\\Transform.vsh", TRANSFORM_SHADER);
    for (const char* shader : {"NonGlow.psh", "GlowBlur.psh", "GlowPostBlur.psh", "Mirror.vsh", "Mirror.psh"})
        test::WriteFile(dir + "\\Shaders\\" + shader, test::ReadFile(test::RunDir() + "\\Shaders\\Effects\\" + shader));
    device_ = std::make_unique<test::TestDevice>(WS_POPUP, VIEW_WIDTH, VIEW_HEIGHT);
    SetCurrentDirectoryA(dir.c_str());
    ASSERT_EQ(0, device_->Init()) << messages.Joined();
    ASSERT_EQ(0, CreateEngine(0));
    gRenderer->SetViewport(0, 0, VIEW_WIDTH, VIEW_HEIGHT);
    ReadScript(START_SCRIPT);
    LookFrom(D3DXVECTOR3(0, 0, -10));
}

void EffectsTest::TearDown()
{
    DestroyEngine();
    device_.reset();
}

void EffectsTest::ReadScript(const std::string& text)
{
    const std::string path = dir + "\\Script" + std::to_string(++scripts_) + ".txt";
    test::WriteFile(path, text);
    ASSERT_EQ(0, gParser->LoadScript(path.c_str())) << messages.Joined();
}

CGeometry* EffectsTest::AddUnit(const char* className, const D3DXVECTOR4& pos, D3DCOLOR argb, float half, bool flat)
{
    const std::string meshPath = dir + "\\Mesh" + std::to_string(++meshes_) + ".msh";
    test::WriteFile(meshPath, SquareMesh(half, flat));
    auto* unit = dynamic_cast<CGeometry*>(gUnitInspector->CreateUnit(className, nullptr));
    EXPECT_NE(nullptr, unit) << messages.Joined();
    if (!unit) return nullptr;
    unit->mesh = gMeshContainer->LoadMesh(meshPath.c_str(), MESH_XYZ | MESH_UV0, 0);
    EXPECT_NE(0, unit->mesh) << messages.Joined();
    unit->textures[0] = test::ColourTexture(argb);
    unit->SysControls |= SYS_RENDER_ALWAYS;
    unit->SetPos(pos);
    return unit;
}

void EffectsTest::LookFrom(const D3DXVECTOR3& eye)
{
    const D3DXVECTOR3 at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, float(VIEW_WIDTH) / VIEW_HEIGHT, 1.0f, 100.0f);
    gRenderer->SetViewProj(view, proj);
    gGraphics.view = view;
    gGraphics.projection = proj;
    gGraphics.viewProjection = view * proj;
    Device3D->SetTransform(D3DTS_VIEW, &view);
    Device3D->SetTransform(D3DTS_PROJECTION, &proj);
}

void EffectsTest::RunFrame()
{
    gRenderer->ResetFrame();
    gUnitInspector->ProcessUnits();
    gRenderer->UpdateSkeletons();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    gGraphics.BeginScene();
    gGraphics.SetStageModulate();
    gRenderer->RenderUnits(PASS_NORMAL);
    gRenderer->RenderGlows();
    gGraphics.EndScene();
}

test::Image EffectsTest::Picture()
{
    test::Image image;
    EXPECT_TRUE(test::ReadBackBuffer(image));
    return image;
}

POINT EffectsTest::Project(const D3DXVECTOR3& point) const
{
    D3DVIEWPORT9 viewport{0, 0, VIEW_WIDTH, VIEW_HEIGHT, 0.0f, 1.0f};
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    D3DXVECTOR3 screen;
    D3DXVec3Project(&screen, &point, &viewport, &proj, &view, &world);
    return POINT{LONG(screen.x), LONG(screen.y)};
}

} // namespace effects
