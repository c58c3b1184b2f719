#pragma once
// A device, a created engine and a start script with a geometry class whose shader table
// feeds the frame's light arrays to vertex registers c4 (diffuse) and c12 (specular), a
// shaderless class drawn by the fixed pipeline, and light classes of both words.

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/ViewPoint.h"
#include "engine/MeshContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Camera.h"
#include "scene/Geometry.h"
#include "scene/Light.h"
#include "scene/Renderer.h"
#include "tests/support/Harness.h"
#include "tests/support/SceneDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace lights {

// Passes the position through; the shader table feeds the light arrays to c4 on.
inline const char PASS_SHADER[] =
    "void Main(float4 p : POSITION, out float4 oP : POSITION, out float4 oD : COLOR0)\n"
    "{\n"
    "    oP = p;\n"
    "    oD = p.wwww;\n"
    "}\n";

inline const char START_SCRIPT[] =
    "UnitInspector [ TemplateCount: 16 UnitCount: 32 UnitAttaches: 8 UnitMoves: 4 ]\n"
    "TexContainer [ TexCount: 16 ]\n"
    "MeshContainer [ MeshCount: 8 VDeclCount: 2 ]\n"
    "ShaderContainer [ ShaderCount: 4 TableCount: 4 ShaderDirectory: \"Shaders/\" ShaderVer: 20 ]\n"
    "Renderer [ QueueCount: 2 InQueueCount: 8 MaxRenderObjects: 8 ]\n"
    "VS_HLSL PassVS \"Pass.vsh\"\n"
    "SHADER_TABLE Lights {\n"
    "    VertexConstants: { Register Source Count\n"
    "        4   DiffuseLights   NumDiffLights\n"
    "        12  SpecularLights  NumSpecLights\n"
    "    };\n"
    "};\n"
    "GEOMETRY Lit { VertexShader: PassVS ShaderTable: Lights };\n"
    "GEOMETRY Plain3D { };\n"
    "FREE_LIGHT Sun { AttachToCamera SysControls: [ EnableIdle ] };\n"
    "DIR_LIGHT Lamp { LocalForUnit SysControls: [ EnableIdle ] };\n"
    "DIR_LIGHT Plain { SysControls: [ EnableIdle ] };\n";

inline const char SQUARE_MESH[] =
    "NumVertices 4\nNumPrimitives 2\nMESH\n4\n"
    "-1 -1 0\n-1 1 0\n1 1 0\n1 -1 0\n"
    "indices 2\n0 1 2\n0 2 3\n";

inline void ExpectVector(const D3DXVECTOR4& expected, const float* actual, const char* what)
{
    EXPECT_NEAR(expected.x, actual[0], 1e-4f) << what;
    EXPECT_NEAR(expected.y, actual[1], 1e-4f) << what;
    EXPECT_NEAR(expected.z, actual[2], 1e-4f) << what;
    EXPECT_NEAR(expected.w, actual[3], 1e-4f) << what;
}

using test::VertexConstants;

class LightTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scene.Start("lights")) << messages.Joined();
        scene.Write("Shaders\\Pass.vsh", PASS_SHADER);
        squarePath_ = scene.Write("Square.msh", SQUARE_MESH);
        ReadScript(START_SCRIPT);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        gRenderer->SetViewProj(identity, identity);
        gCameraView.eye = D3DXVECTOR4(0, 10, 0, 1);
        gCameraView.target = D3DXVECTOR4(3, 0, 4, 1);
    }
    void ReadScript(const std::string& text) { ASSERT_EQ(0, scene.ReadScript(text)) << messages.Joined(); }
    CLight* AddLight(const char* className)
    {
        auto* light = dynamic_cast<CLight*>(gUnitInspector->CreateUnit(className, nullptr));
        EXPECT_NE(nullptr, light) << messages.Joined();
        return light;
    }
    CGeometry* AddLit(const char* className = "Lit")
    {
        auto* unit = dynamic_cast<CGeometry*>(gUnitInspector->CreateUnit(className, nullptr));
        EXPECT_NE(nullptr, unit) << messages.Joined();
        if (!unit) return nullptr;
        unit->mesh = gMeshContainer->LoadMesh(squarePath_.c_str(), MESH_XYZ, 0);
        unit->SysControls |= SYS_RENDER_ALWAYS;
        return unit;
    }
    // Presentation keys read from a file holding the text, as the presentation loader does.
    int ScanKeys(CLight* light, const std::string& text, const char* word = nullptr)
    {
        const std::string path = scene.Write("Keys" + std::to_string(++keys_) + ".txt", text);
        FILE* file = fopen(path.c_str(), "rb");
        EXPECT_NE(nullptr, file);
        if (!file) return SCAN_UNKNOWN;
        const int result = light->ScanMissionData(file, word);
        fclose(file);
        return result;
    }
    // One frame's unit walk, then the constants of the unit.
    void Frame(CGeometry* unit)
    {
        gRenderer->ResetFrame();
        gUnitInspector->ProcessUnits();
        gRenderer->UpdateSkeletons();
        gRenderer->SetUnitConstants(unit, PASS_NORMAL);
    }

    test::MessageRecorder messages;
    test::SceneDevice scene;

private:
    std::string squarePath_;
    int keys_ = 0;
};

} // namespace lights
