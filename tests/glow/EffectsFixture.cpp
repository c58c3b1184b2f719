#include "tests/glow/EffectsFixture.h"

#include "core/Core.h"
#include "core/Graphics.h"

namespace effects {
namespace {

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
    ASSERT_TRUE(scene.Start("effects")) << messages.Joined();
    scene.Write("Shaders\\Transform.vsh", test::TRANSFORM_SHADER);
    for (const char* shader : {"NonGlow.psh", "GlowBlur.psh", "GlowPostBlur.psh", "Mirror.vsh", "Mirror.psh"})
        scene.Write(std::string("Shaders\\") + shader, test::ReadFile(test::RunDir() + "\\Shaders\\Effects\\" + shader));
    ReadScript(START_SCRIPT);
    LookFrom(D3DXVECTOR3(0, 0, -10));
}

CGeometry* EffectsTest::AddUnit(const char* className, const D3DXVECTOR4& pos, D3DCOLOR argb, float half, bool flat)
{
    const std::string mesh = scene.Write("Mesh" + std::to_string(++meshes_) + ".msh", SquareMesh(half, flat));
    return scene.AddUnit(className, mesh, argb, pos);
}

void EffectsTest::LookFrom(const D3DXVECTOR3& eye)
{
    scene.LookAt(eye, D3DXVECTOR3(0, 0, 0));
    view = gGraphics.view;
    proj = gGraphics.projection;
}

} // namespace effects
