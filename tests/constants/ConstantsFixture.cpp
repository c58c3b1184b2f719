#include "tests/constants/ConstantsFixture.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "engine/CreateEngine.h"
#include "engine/MeshContainer.h"
#include "engine/Parser.h"
#include "engine/TexContainer.h"

namespace constants {
namespace {


// A row vector times the transposed matrix in c0..c3: one product per column, summed
// component by component (no literals, no intrinsics, so every compiler keeps the uniforms
// at c0..c3). The colour comes from the position's w, which is 1.
const char TRANSFORM_SHADER[] =
    "float4 mWorldViewProj0;\n"
    "float4 mWorldViewProj1;\n"
    "float4 mWorldViewProj2;\n"
    "float4 mWorldViewProj3;\n"
    "void Main(float4 p : POSITION, float2 t : TEXCOORD0,\n"
    "          out float4 oP : POSITION, out float4 oD : COLOR0, out float2 oT : TEXCOORD0)\n"
    "{\n"
    "    float4 x = p * mWorldViewProj0;\n"
    "    float4 y = p * mWorldViewProj1;\n"
    "    float4 z = p * mWorldViewProj2;\n"
    "    float4 w = p * mWorldViewProj3;\n"
    "    oP.x = x.x + x.y + x.z + x.w;\n"
    "    oP.y = y.x + y.y + y.z + y.w;\n"
    "    oP.z = z.x + z.y + z.z + z.w;\n"
    "    oP.w = w.x + w.y + w.z + w.w;\n"
    "    oD = p.wwww;\n"
    "    oT = t;\n"
    "}\n";

const char START_SCRIPT[] =
    "UnitInspector [ TemplateCount: 16 UnitCount: 64 UnitAttaches: 16 UnitMoves: 4 ]\n"
    "TexContainer [ TexCount: 32 ]\n"
    "MeshContainer [ MeshCount: 32 VDeclCount: 4 ]\n"
    "ShaderContainer [ ShaderCount: 8 TableCount: 8 ShaderDirectory: \"Shaders/\" ShaderVer: 20 ]\n"
    "Renderer [ QueueCount: 4 InQueueCount: 8 MaxRenderObjects: 16 ]\n"
    "VDECLARATOR PosUV\n"
    "    Stream Offset Type Method Usage Index\n"
    "    0   0    float3  position   0\n"
    "    0   12   float2  tex_coord  0\n"
    "EndComponents.\n"
    "VS_HLSL TransformVS \"Transform.vsh\"\n"
    "SHADER_TABLE Transform {\n"
    "    VertexConstants: { Register Source Count\n"
    "        0  mWorldViewProj  4\n"
    "        4  mWorld          4\n"
    "        8  mBones          3\n"
    "    };\n"
    "};\n"
    "GEOMETRY Shaded {\n"
    "    VertexShader: TransformVS\n"
    "    VertDeclarator: PosUV\n"
    "    ShaderTable: Transform\n"
    "};\n"
    "GEOMETRY Plain {\n"
    "};\n";

const char SQUARE_MESH[] =
    "NumVertices 4\nNumPrimitives 2\nMESH\n4\n"
    "-1 -1 0\n-1 1 0\n1 1 0\n1 -1 0\n"
    "indices 2\n0 1 2\n0 2 3\nTextureCoords 4\n0 1\n0 0\n1 0\n1 1\n";

} // namespace

void ConstantsTest::SetUp()
{
    dir = test::TempDir("constants");
    test::CopySpriteFiles(dir);
    test::WriteFile(dir + "\\Shaders\\Transform.vsh", TRANSFORM_SHADER);
    // The device starts in this test's own folder, which holds its shaders.
    device_ = std::make_unique<test::TestDevice>(WS_POPUP, VIEW_WIDTH, VIEW_HEIGHT);
    SetCurrentDirectoryA(dir.c_str());
    ASSERT_EQ(0, device_->Init()) << messages.Joined();
    ASSERT_EQ(0, CreateEngine(0));
    gRenderer->SetViewport(0, 0, VIEW_WIDTH, VIEW_HEIGHT);
    gWarningBudget = 4;
    ReadScript(START_SCRIPT);
    LookAtOrigin();
}

void ConstantsTest::TearDown()
{
    DestroyEngine();
    device_.reset();
}

void ConstantsTest::ReadScript(const std::string& text)
{
    const std::string path = dir + "\\Script" + std::to_string(++scripts_) + ".txt";
    test::WriteFile(path, text);
    ASSERT_EQ(0, gParser->LoadScript(path.c_str())) << messages.Joined();
}

CGeometry* ConstantsTest::AddUnit(const char* className, const D3DXVECTOR4& pos, D3DCOLOR argb,
                                  const std::string& meshName)
{
    const std::string meshPath = dir + "\\" + meshName + ".msh";
    test::WriteFile(meshPath, SQUARE_MESH);
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

void ConstantsTest::LookAtOrigin()
{
    const D3DXVECTOR3 eye(0, 0, -10), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, float(VIEW_WIDTH) / VIEW_HEIGHT, 1.0f, 100.0f);
    gRenderer->SetViewProj(view, proj);
}

void ConstantsTest::RunFrame()
{
    gRenderer->ResetFrame();
    gUnitInspector->ProcessUnits();
    gRenderer->UpdateSkeletons();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    gGraphics.BeginScene();
    gGraphics.SetStageModulate();
    gRenderer->RenderUnits(PASS_NORMAL);
    gGraphics.EndScene();
}

test::Image ConstantsTest::Picture()
{
    test::Image image;
    EXPECT_TRUE(test::ReadBackBuffer(image));
    return image;
}

std::vector<float> ConstantsTest::VertexConstants(int first, int count)
{
    std::vector<float> values(size_t(count) * 4, -12345.0f);
    EXPECT_EQ(D3D_OK, Device3D->GetVertexShaderConstantF(UINT(first), values.data(), UINT(count)));
    return values;
}

POINT ConstantsTest::Project(const D3DXVECTOR3& point) const
{
    D3DVIEWPORT9 viewport{0, 0, VIEW_WIDTH, VIEW_HEIGHT, 0.0f, 1.0f};
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    D3DXVECTOR3 screen;
    D3DXVec3Project(&screen, &point, &viewport, &proj, &view, &world);
    return POINT{LONG(screen.x), LONG(screen.y)};
}

CMesh* ConstantsTest::MeshOf(const CGeometry* unit)
{
    CEngineMesh* record = gMeshContainer->GetMesh(unit->mesh);
    return record ? &record->mesh : nullptr;
}

} // namespace constants
