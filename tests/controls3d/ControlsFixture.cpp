#include "tests/controls3d/ControlsFixture.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Meshes/Mesh.h"
#include "engine/CreateEngine.h"
#include "engine/MeshContainer.h"
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
    ASSERT_TRUE(scene.Start("controls3d")) << messages.Joined();
    ASSERT_EQ(0, ReadScript(START_SCRIPT)) << messages.Joined();
    ASSERT_EQ(0u, messages.Count()) << messages.Joined();
}

void ControlsTest::TearDown()
{
    // The engine's reset deletes the live windows it made; the manager then drops the rest
    // (the device goes with the scene).
    DestroyEngine();
    test::ResetWindowManager();
    gExitCode = 0;
}

uint16_t ControlsTest::RectangleMesh(const char* name, RECT r)
{
    auto corner = [](LONG px, LONG py) {
        return std::to_string(2.0f * float(px) / VIEW_WIDTH - 1.0f) + " " +
               std::to_string(1.0f - 2.0f * float(py) / VIEW_HEIGHT) + " 0.5\n";
    };
    const std::string path = scene.Write(std::string(name) + ".msh",
                                         "NumVertices 4\nNumPrimitives 2\nMESH\n4\n" + corner(r.left, r.bottom) +
                                             corner(r.left, r.top) + corner(r.right, r.top) + corner(r.right, r.bottom) +
                                             "indices 2\n0 1 2\n0 2 3\nTextureCoords 4\n0 1\n0 0\n1 0\n1 1\n");
    return gMeshContainer->LoadMesh(path.c_str(), MESH_XYZ | MESH_UV0, 0);
}

uint16_t ControlsTest::BoxMesh()
{
    const std::string path = scene.Write("Box.msh", "NumVertices 4\nNumPrimitives 2\nMESH\n4\n"
                                                     "-1 -1 -0.5\n-1 1 0.5\n1 1 0.5\n1 -1 -0.5\n"
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
    test::UseClipSpace();
    gGraphics.SetStageModulate();
    gGraphics.SetFVF(MESH_XYZ | MESH_UV0);
    gRenderer->RenderUnits(PASS_NORMAL);
    gGraphics.EndScene();
}

} // namespace controlstest
