#include "tests/controls3d/ControlsFixture.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Meshes/Mesh.h"
#include "engine/CreateEngine.h"
#include "engine/MeshContainer.h"
#include "engine/Parser.h"
#include "scene/Renderer.h"
#include "tests/support/WinReset.h"

namespace controlstest {

const char* const ControlsTest::START_SCRIPT =
    "UnitInspector [ TemplateCount: 16 UnitCount: 64 UnitAttaches: 16 ]\n"
    "TexContainer [ TexCount: 32 ]\n"
    "MeshContainer [ MeshCount: 32 ]\n"
    "Renderer [ QueueCount: 4 InQueueCount: 8 MaxRenderObjects: 16 ]\n"
    "Fonts [ Count: 4 ]\n"
    "FONT Big { Name: Arial Height: 28 Bold };\n"
    "Controls3D [ ControlCount: 8 ActiveControls: 8 ControlGroups: 4 WindowTemplates: 8 ActiveWindows: 3 ]\n";

void ControlsTest::SetUp()
{
    gExitCode = 0;
    dir = test::TempDir("controls3d");
    test::CopySpriteFiles(dir);
    device_ = std::make_unique<test::TestDevice>(WS_POPUP, VIEW_WIDTH, VIEW_HEIGHT);
    SetCurrentDirectoryA(dir.c_str());
    ASSERT_EQ(0, device_->Init()) << messages.Joined();
    ASSERT_EQ(0, CreateEngine(0));
    gRenderer->SetViewport(0, 0, VIEW_WIDTH, VIEW_HEIGHT);
    ASSERT_EQ(0, ReadScript(START_SCRIPT)) << messages.Joined();
    ASSERT_EQ(0u, messages.Count()) << messages.Joined();
}

void ControlsTest::TearDown()
{
    // The engine's reset deletes the live windows it made; the manager then drops the rest.
    DestroyEngine();
    test::ResetWindowManager();
    device_.reset();
    gExitCode = 0;
}

int ControlsTest::ReadScript(const std::string& text)
{
    const std::string path = dir + "\\Script" + std::to_string(++files_) + ".txt";
    test::WriteFile(path, text);
    return gParser->LoadScript(path.c_str());
}

uint16_t ControlsTest::RectangleMesh(const char* name, RECT r)
{
    auto x = [](LONG px) { return std::to_string(2.0f * float(px) / VIEW_WIDTH - 1.0f); };
    auto y = [](LONG py) { return std::to_string(1.0f - 2.0f * float(py) / VIEW_HEIGHT); };
    const std::string path = dir + "\\" + name + ".msh";
    test::WriteFile(path, "NumVertices 4\nNumPrimitives 2\nMESH\n4\n" + x(r.left) + " " + y(r.bottom) + " 0.5\n" +
                              x(r.left) + " " + y(r.top) + " 0.5\n" + x(r.right) + " " + y(r.top) + " 0.5\n" +
                              x(r.right) + " " + y(r.bottom) +
                              " 0.5\nindices 2\n0 1 2\n0 2 3\nTextureCoords 4\n0 1\n0 0\n1 0\n1 1\n");
    return gMeshContainer->LoadMesh(path.c_str(), MESH_XYZ | MESH_UV0, 0);
}

uint16_t ControlsTest::BoxMesh()
{
    const std::string path = dir + "\\Box.msh";
    test::WriteFile(path, "NumVertices 4\nNumPrimitives 2\nMESH\n4\n-1 -1 -0.5\n-1 1 0.5\n1 1 0.5\n1 -1 -0.5\n"
                          "indices 2\n0 1 2\n0 2 3\nTextureCoords 4\n0 1\n0 0\n1 0\n1 1\n");
    return gMeshContainer->LoadMesh(path.c_str(), MESH_XYZ | MESH_UV0, 0);
}

CControl3D* ControlsTest::Prototype(const char* className)
{
    return dynamic_cast<CControl3D*>(gUnitInspector->GetClassPrototype(className));
}

CAtom* ControlsTest::Create(const char* className)
{
    return gUnitInspector->CreateUnitFromTemplate(gUnitInspector->GetClassTemplate(className), nullptr);
}

void ControlsTest::RunFrame()
{
    gRenderer->ResetFrame();
    gUnitInspector->ProcessUnits();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    gGraphics.BeginScene();
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (D3DTRANSFORMSTATETYPE transform : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION})
        Device3D->SetTransform(transform, &identity);
    gGraphics.SetVertexShader(nullptr);
    gGraphics.SetPixelShader(nullptr);
    gGraphics.SetLighting(false);
    gGraphics.SetStageModulate();
    gGraphics.SetFVF(MESH_XYZ | MESH_UV0);
    gRenderer->RenderUnits(PASS_NORMAL);
    gGraphics.EndScene();
}

test::Image ControlsTest::Picture()
{
    test::Image image;
    EXPECT_TRUE(test::ReadBackBuffer(image));
    return image;
}

} // namespace controlstest
