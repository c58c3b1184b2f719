#include "tests/billboards/BillboardFixture.h"

#include "engine/MeshContainer.h"
#include "scene/Renderer.h"

namespace billboards {
namespace {

// "Front.msh" faces +z, the way a billboard turns its mesh toward the eye; "Square.msh"
// faces a camera at -z.
const char START_SCRIPT[] =
    "UnitInspector [ TemplateCount: 32 UnitCount: 64 UnitAttaches: 16 UnitMoves: 4 ]\n"
    "TexContainer [ TexCount: 16 ]\n"
    "MeshContainer [ MeshCount: 8 VDeclCount: 2 ]\n"
    "Renderer [ QueueCount: 4 InQueueCount: 16 MaxRenderObjects: 8 ]\n"
    "BILLBOARD Board {\n"
    "    SysControls: [ EnableIdle RenderAlways ]\n"
    "    Mesh: Front FVF [ xyz uv0 ] \"Front.msh\"\n"
    "    BillControls: = [ FaceToCameraAy: full ; ]\n"
    "};\n"
    "GEOMETRY Flat { SysControls: [ RenderAlways ] Mesh: \"Front.msh\" };\n"
    "BILL_LIGHT Glow {\n"
    "    SysControls: [ EnableIdle ] Mesh: \"Front.msh\"\n"
    "    BillControls: = [ FaceToCameraAy: full ; ] TurnOnOffRandomDelay: 0\n"
    "};\n"
    "FREE_LIGHT Moon { SysControls: [ EnableIdle ] };\n"
    "UNIT House {\n"
    "    SysControls: [ RenderAlways ]\n"
    "    NightLights: {\n"
    "        Light: { Class: Glow Pos: [ 0 5 0 ] Size: [ 2 2 2 ] Color: [ 1 1 0 1 ] };\n"
    "        Light: { class: Glow pos: [ 1 5 0 ] };\n"
    "    };\n"
    "};\n";

} // namespace

void BillboardTest::SetUp()
{
    ASSERT_TRUE(scene.Start("billboards")) << messages.Joined();
    scene.Write("Front.msh", test::SquareMeshText(1.0f, true));
    scene.Write("Square.msh", test::SquareMeshText(1.0f));
    ASSERT_EQ(0, scene.ReadScript(START_SCRIPT)) << messages.Joined();
    ASSERT_EQ(0u, messages.Count()) << messages.Joined();
    const uint16_t green = test::ColourTexture(GREEN);
    for (const char* cls : {"Board", "Flat", "Glow"})
        static_cast<CGeometry*>(gUnitInspector->GetClassPrototype(cls))->textures[0] = green;
    scene.LookAt(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 0));
}

bool BillboardTest::ColourAt(const test::Image& image, const D3DXVECTOR3& point, uint32_t colour)
{
    const POINT p = scene.Project(point);
    return test::ColorNear(colour, image.At(p.x, p.y), 24);
}

} // namespace billboards
