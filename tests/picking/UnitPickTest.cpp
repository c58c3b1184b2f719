// Picking of units through the engine frame: a presentation of cube units seen by its
// camera on a real device, the cursor put over a unit's picture, the engine's process step
// run, and the picked unit compared with what the render step draws under the cursor.

#include "tests/picking/PickFixture.h"

#include "core/Core.h"
#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "engine/CreateEngine.h"
#include "engine/Engine.h"
#include "engine/MeshContainer.h"
#include "engine/MissionLoader.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"
#include "gui/WinSuperior.h"
#include "scene/Geometry.h"
#include "scene/Renderer.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace picktest {
namespace {

const char* const START_SCRIPT = R"(
UnitInspector [ TemplateCount: 8 UnitCount: 64 UnitAttaches: 16 ]
TexContainer [ TexCount: 32 ]
MeshContainer [ MeshCount: 32 ]
Renderer [ QueueCount: 4 InQueueCount: 8 MaxRenderObjects: 16 ]
CAMERA Camera {
    SysControls: [ EnableIdle ]
    Near: 1.0
    Far: 500.0
    Fov: 60.0
};
UNIT Box {
    SysControls: [ RenderAlways Selecting ]
    MeshFVF: [ xyz diffuse ]
    RenderQueue: 1
};
UNIT Scenery {
    SysControls: [ RenderAlways ]
    MeshFVF: [ xyz diffuse ]
    RenderQueue: 1
};
)";

constexpr uint32_t RED = 0xFFFF0000, GREEN = 0xFF00FF00, BLUE = 0xFF0000FF, YELLOW = 0xFFFFFF00,
                   GREY = 0xFF808080;

struct SPoint {
    int x, y;
};

class UnitPick : public PickTest {
protected:
    void SetUp() override
    {
        PickTest::SetUp();
        gExitCode = 0;
        gInput.Reset();
        gFrameTimer.step = 0.0f;
        gWinSuperior.pWinUnderMouse = nullptr;
        ASSERT_EQ(0, CreateEngine(0));
        ASSERT_EQ(0, gIParser->LoadScript(Write("Start.txt", START_SCRIPT).c_str())) << messages.Joined();
        gEngine->SetViewRect(0, 0, VIEW_WIDTH, VIEW_HEIGHT);
        gRenderer->SetViewport(0, 0, VIEW_WIDTH, VIEW_HEIGHT);
        Write("Cube.msh", BoxMesh(D3DXVECTOR3(-1, -1, -1), D3DXVECTOR3(1, 1, 1)));
        const char* const colours[][2] = {{"Red", "1 0 0"},    {"Green", "0 1 0"}, {"Blue", "0 0 1"},
                                          {"Yellow", "1 1 0"}, {"Grey", "0.5 0.5 0.5"}};
        for (const auto& c : colours)
            Write(std::string(c[0]) + ".msh", BoxMesh(D3DXVECTOR3(-1, -1, -1), D3DXVECTOR3(1, 1, 1), c[1]));
    }
    void TearDown() override
    {
        DestroyEngine();
        gWinSuperior.pWinUnderMouse = nullptr;
        gExitCode = 0;
        PickTest::TearDown();
    }

    // A unit line of the presentation: class, name, mesh file (in the test folder), position.
    std::string Unit(const char* cls, const char* name, const char* mesh, const D3DXVECTOR3& pos,
                     const std::string& more = "") const
    {
        char text[512];
        snprintf(text, sizeof text, "  %s { name: \"%s\" mesh: \"%s\\%s.msh\" pos: [ %g %g %g ] %s };\n", cls, name,
                 dir.c_str(), mesh, pos.x, pos.y, pos.z, more.c_str());
        return text;
    }
    // Starts the presentation: the camera at (0, 0, -20) looking at the origin, the units.
    void Start(const std::string& units)
    {
        const std::string path =
            Write("Scene.txt", "Units: {\n  Camera { pos: [ 0 0 -20 ] at: [ 0 0 0 ] };\n" + units + "};\n");
        ASSERT_EQ(0, gIMissionLoader->StartMission(path));
        ASSERT_EQ(0, gIEngine->Process()) << messages.Joined();
        ASSERT_NE(nullptr, gEngine->viewWindow);
        gEngine->flags |= ENG_PICK_UNITS;
    }
    CAtom* Find(const char* name) const
    {
        for (int i = 1; i <= gUnitInspector->UnitBound(); ++i)
            if (CAtom* unit = gUnitInspector->UnitAt(i))
                if (strcmp(unit->name, name) == 0)
                    return unit;
        return nullptr;
    }
    // The pixel a world point is drawn at by the camera of the last frame.
    static SPoint Screen(const D3DXVECTOR3& world)
    {
        const D3DVIEWPORT9 viewport{0, 0, VIEW_WIDTH, VIEW_HEIGHT, 0.0f, 1.0f};
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        D3DXVECTOR3 out;
        D3DXVec3Project(&out, &world, &viewport, &gGraphics.projection, &gGraphics.view, &identity);
        return SPoint{int(out.x), int(out.y)};
    }
    // One engine frame with the cursor over the pixel: the unit picked.
    CAtom* PickAt(SPoint p)
    {
        gInput.mouseX = p.x;
        gInput.mouseY = p.y;
        gWinSuperior.pWinUnderMouse = gEngine->viewWindow;
        EXPECT_EQ(0, gIEngine->Process());
        return gEngine->pickedUnit;
    }
    // The render step of the last frame, read back at the pixel.
    uint32_t DrawnAt(SPoint p)
    {
        Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        gGraphics.BeginScene();
        EXPECT_EQ(0, gIEngine->Render());
        gGraphics.EndScene();
        test::Image image;
        EXPECT_TRUE(test::ReadBackBuffer(image));
        return image.width ? image.At(p.x, p.y) : 0;
    }
    static std::string NameOf(const CAtom* unit) { return unit ? unit->name : "(none)"; }
    // The recorded messages other than the missing gamer nation of every start.
    std::vector<std::string> Problems() const
    {
        std::vector<std::string> out;
        for (const std::string& text : messages.Texts())
            if (text.find("gamer nation is null") == std::string::npos)
                out.push_back(text);
        return out;
    }
};

TEST_F(UnitPick, TheUnitUnderTheCursorIsPickedWhereItIsDrawn)
{
    Start(Unit("Box", "Red", "Red", D3DXVECTOR3(-5, 0, 0)) + Unit("Box", "Green", "Green", D3DXVECTOR3(5, 0, 0)));
    const SPoint red = Screen(D3DXVECTOR3(-5, 0, -1)), green = Screen(D3DXVECTOR3(5.8f, 0.8f, -1));
    const SPoint between = Screen(D3DXVECTOR3(0, 0, 0)), above = Screen(D3DXVECTOR3(-5, 1.3f, -1));

    EXPECT_EQ("Red", NameOf(PickAt(red)));
    EXPECT_TRUE(test::ColorNear(RED, DrawnAt(red), 8));
    EXPECT_EQ("Green", NameOf(PickAt(green)));
    EXPECT_TRUE(test::ColorNear(GREEN, DrawnAt(green), 8));
    EXPECT_EQ("(none)", NameOf(PickAt(between)));
    EXPECT_EQ(0xFF000000u, DrawnAt(between));
    EXPECT_EQ("(none)", NameOf(PickAt(above)));

    // Picking runs only in its mode, outside pauses, and over the view window.
    gEngine->flags &= ~uint32_t(ENG_PICK_UNITS);
    EXPECT_EQ(nullptr, PickAt(red));
    gEngine->flags |= ENG_PICK_UNITS;
    gRenderer->paused = 1;
    EXPECT_EQ(nullptr, gRenderer->PickUnit(gEngine->rayOrigin, gEngine->rayDirection));
    gRenderer->paused = 0;
    EXPECT_EQ("Red", NameOf(gRenderer->PickUnit(gEngine->rayOrigin, gEngine->rayDirection)));
    EXPECT_TRUE(Problems().empty()) << messages.Joined();
}

// The click handler runs before this frame's pick: it selects what the last frame picked.
TEST_F(UnitPick, AClickSelectsTheUnitPickedUnderTheCursor)
{
    Start(Unit("Box", "Red", "Red", D3DXVECTOR3(-5, 0, 0)) + Unit("Box", "Green", "Green", D3DXVECTOR3(5, 0, 0)));
    gEngine->flags |= ENG_FULL_SELECT;
    const SPoint green = Screen(D3DXVECTOR3(5, 0, -1));
    ASSERT_EQ("Green", NameOf(PickAt(green)));
    gInput.leftClick = 1;
    PickAt(green);
    gInput.leftClick = 0;
    EXPECT_EQ("Green", NameOf(gIEngine->GetSelectedUnit()));
    EXPECT_NE(0u, gIEngine->GetSelectedUnit()->state & UNIT_SELECTED);
}

TEST_F(UnitPick, OfOverlappingUnitsThePositionNearestTheCameraWins)
{
    Start(Unit("Box", "Far", "Yellow", D3DXVECTOR3(0, 0, 5)) + Unit("Box", "Near", "Blue", D3DXVECTOR3(0, 0, -5)));
    const SPoint centre = Screen(D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ("Near", NameOf(PickAt(centre)));
    EXPECT_TRUE(test::ColorNear(BLUE, DrawnAt(centre), 8));
    EXPECT_TRUE(Problems().empty()) << messages.Joined();
}

// The unit's position decides, not the point hit: a unit standing far behind whose mesh
// reaches out in front of the other is drawn in front but not picked.
TEST_F(UnitPick, ThePositionDecidesNotThePointHit)
{
    Write("Shell.msh", BoxMesh(D3DXVECTOR3(-1, -1, -16), D3DXVECTOR3(1, 1, -14), "1 1 0"));
    Start(Unit("Box", "Shell", "Shell", D3DXVECTOR3(0, 0, 10)) + Unit("Box", "Core", "Blue", D3DXVECTOR3(0, 0, 0)));
    const SPoint centre = Screen(D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ("Core", NameOf(PickAt(centre)));
    EXPECT_TRUE(test::ColorNear(YELLOW, DrawnAt(centre), 8));
}

TEST_F(UnitPick, AnAttachedUnitEndsTheSearchWhateverIsNearer)
{
    Start(Unit("Box", "Front", "Blue", D3DXVECTOR3(0, 0, -5)) + Unit("Scenery", "Post", "Grey", D3DXVECTOR3(0, -30, 0)) +
          Unit("Box", "Rider", "Yellow", D3DXVECTOR3(0, 30, 5), "render_queue: 2"));
    CAtom* post = Find("Post");
    CAtom* rider = Find("Rider");
    ASSERT_TRUE(post && rider);
    ASSERT_EQ(0, post->AttachUnit(rider, NOT_ATTACHED)) << messages.Joined();
    const SPoint centre = Screen(D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ("Rider", NameOf(PickAt(centre)));
    // Drawn at the master's place plus its own: the rider's picture is behind the front.
    EXPECT_TRUE(test::ColorNear(BLUE, DrawnAt(centre), 8));
    EXPECT_EQ("Front", NameOf(PickAt(Screen(D3DXVECTOR3(0, -0.9f, -6)))));
    post->DetachSlave(rider);
    EXPECT_EQ("Front", NameOf(PickAt(centre)));  // free again it stands at (0, 30, 5)
}

TEST_F(UnitPick, AUnitThatCannotBeSelectedHidesNothing)
{
    Start(Unit("Scenery", "Cover", "Grey", D3DXVECTOR3(0, 0, -5)) + Unit("Box", "Back", "Green", D3DXVECTOR3(0, 0, 5)));
    const SPoint centre = Screen(D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ("Back", NameOf(PickAt(centre)));
    EXPECT_TRUE(test::ColorNear(GREY, DrawnAt(centre), 8));
}

// Whatever box a mesh keeps, a unit that draws nothing is never picked: a mesh whose file
// gives a box but whose vertices go to no buffer (no header), and a released record.
TEST_F(UnitPick, AUnitThatDrawsNothingIsNeverPicked)
{
    Write("Ghost.msh", "MESH\n1\n0 0 0\nBOUND_BOX\n-1 -1 -1\n-1 -1 1\n1 -1 1\n1 -1 -1\n"
                       "-1 1 -1\n-1 1 1\n1 1 1\n1 1 -1\n");
    Start(Unit("Box", "Ghost", "Ghost", D3DXVECTOR3(-5, 0, 0)) + Unit("Box", "Red", "Red", D3DXVECTOR3(5, 0, 0)));
    EXPECT_EQ("(none)", NameOf(PickAt(Screen(D3DXVECTOR3(-5, 0, -1)))));
    const SPoint red = Screen(D3DXVECTOR3(5, 0, -1));
    ASSERT_EQ("Red", NameOf(PickAt(red)));
    gMeshContainer->ReleaseMesh(static_cast<CGeometry*>(Find("Red"))->mesh);
    EXPECT_EQ("(none)", NameOf(PickAt(red)));
}

TEST_F(UnitPick, AUnitIsHitWhereItsScaledMeshIsDrawn)
{
    Start(Unit("Box", "Wide", "Green", D3DXVECTOR3(5, 0, 0), "size: [ 2 1 1 ]"));
    const SPoint scaledOnly = Screen(D3DXVECTOR3(6.6f, 0, -1));  // beyond the unscaled cube
    EXPECT_EQ("Wide", NameOf(PickAt(scaledOnly)));
    EXPECT_TRUE(test::ColorNear(GREEN, DrawnAt(scaledOnly), 8));
    const SPoint outside = Screen(D3DXVECTOR3(7.6f, 0, -1));
    EXPECT_EQ("(none)", NameOf(PickAt(outside)));
    EXPECT_EQ(0xFF000000u, DrawnAt(outside));
}

} // namespace
} // namespace picktest
