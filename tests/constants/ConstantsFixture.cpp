#include "tests/constants/ConstantsFixture.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "engine/MeshContainer.h"

namespace constants {
namespace {

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

} // namespace

void ConstantsTest::SetUp()
{
    ASSERT_TRUE(scene.Start("constants")) << messages.Joined();
    gWarningBudget = 4;
    scene.Write("Shaders\\Transform.vsh", test::TRANSFORM_SHADER);
    ReadScript(START_SCRIPT);
    LookAtOrigin();
}

CGeometry* ConstantsTest::AddUnit(const char* className, const D3DXVECTOR4& pos, D3DCOLOR argb,
                                  const std::string& meshName)
{
    return scene.AddUnit(className, scene.Write(meshName + ".msh", test::SquareMeshText(1.0f)), argb, pos);
}

void ConstantsTest::LookAtOrigin()
{
    scene.LookAt(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 0));
    view = gGraphics.view;
    proj = gGraphics.projection;
}

CMesh* ConstantsTest::MeshOf(const CGeometry* unit)
{
    CEngineMesh* record = gMeshContainer->GetMesh(unit->mesh);
    return record ? &record->mesh : nullptr;
}

} // namespace constants
