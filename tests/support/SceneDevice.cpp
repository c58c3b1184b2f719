#include "tests/support/SceneDevice.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "engine/CreateEngine.h"
#include "engine/Engine.h"
#include "engine/MeshContainer.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"
#include "scene/Camera.h"
#include "scene/Geometry.h"
#include "scene/ParticleSystems.h"
#include "scene/Renderer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <windows.h>

namespace test {

bool SceneDevice::Start(const std::string& folderName)
{
    dir = TempDir(folderName);
    CopySpriteFiles(dir);
    device_ = new TestDevice(WS_POPUP, WIDTH, HEIGHT);
    SetCurrentDirectoryA(dir.c_str());
    if (device_->Init() != 0 || CreateEngine(0) != 0) return false;
    gRenderer->SetViewport(0, 0, WIDTH, HEIGHT);
    gWarningBudget = 8;
    return true;
}

SceneDevice::~SceneDevice()
{
    DestroyEngine();
    delete device_;
}

int SceneDevice::ReadScript(const std::string& text)
{
    const std::string path = Write("Script" + std::to_string(++scripts_) + ".txt", text);
    return gParser->LoadScript(path.c_str());
}

std::string SceneDevice::Write(const std::string& name, const std::string& text)
{
    const std::string path = dir + "\\" + name;
    WriteFile(path, text);
    return path;
}

CGeometry* SceneDevice::AddUnit(const char* className, const std::string& meshPath, D3DCOLOR argb,
                                const D3DXVECTOR4& pos)
{
    auto* unit = dynamic_cast<CGeometry*>(gUnitInspector->CreateUnit(className, nullptr));
    EXPECT_NE(nullptr, unit) << className << "\n" << messages_.Joined();
    if (!unit) return nullptr;
    unit->mesh = gMeshContainer->LoadMesh(meshPath.c_str(), MESH_XYZ | MESH_UV0, 0);
    EXPECT_NE(0, unit->mesh) << meshPath << "\n" << messages_.Joined();
    unit->textures[0] = ColourTexture(argb);
    unit->SysControls |= SYS_RENDER_ALWAYS;
    unit->SetPos(pos);
    return unit;
}

void SceneDevice::LookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target)
{
    const D3DXVECTOR3 up(0, 1, 0);
    gCameraView.SetEyeTarget(&eye, &target, D3DX_PI / 4, float(WIDTH) / HEIGHT, 1.0f, 200.0f, &up);
    gGraphics.SetCamera(&gCameraView);
    gRenderer->SetViewProj(gGraphics.view, gGraphics.projection);
}

void SceneDevice::Frame(float dt, bool glow)
{
    gEngine->frameTime = dt;
    gRenderer->ResetFrame();
    gUnitInspector->ProcessUnits();
    gParticleSystems->Update();
    gRenderer->UpdateSkeletons();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    gGraphics.BeginScene();
    gGraphics.SetStageModulate();
    gRenderer->RenderUnits(PASS_NORMAL);
    if (glow) gRenderer->RenderGlows();
    gGraphics.EndScene();
}

POINT SceneDevice::Project(const D3DXVECTOR3& point) const
{
    D3DVIEWPORT9 viewport{0, 0, WIDTH, HEIGHT, 0.0f, 1.0f};
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    D3DXVECTOR3 screen;
    D3DXVec3Project(&screen, &point, &viewport, &gGraphics.projection, &gGraphics.view, &world);
    return POINT{LONG(screen.x), LONG(screen.y)};
}

Image SceneDevice::Picture()
{
    Image image;
    EXPECT_TRUE(ReadBackBuffer(image));
    return image;
}

// One product per column, summed component by component: no literals and no intrinsics,
// so every compiler keeps the uniforms at c0..c3.
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

std::string SquareMeshText(float half, bool frontTowardPlusZ)
{
    char text[512];
    snprintf(text, sizeof text,
             "NumVertices 4\nNumPrimitives 2\nMESH\n4\n"
             "%g %g 0\n%g %g 0\n%g %g 0\n%g %g 0\n"
             "indices 2\n%s\nTextureCoords 4\n0 1\n0 0\n1 0\n1 1\n",
             -half, -half, -half, half, half, half, half, -half, frontTowardPlusZ ? "0 2 1\n0 3 2" : "0 1 2\n0 2 3");
    return text;
}

} // namespace test
