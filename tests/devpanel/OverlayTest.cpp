// The panel's checks that change the 3D picture: the valid-map overlay over the cells of a
// presentation's valid map around the current cell, and the blank shadow maps, each on its
// own row so that neither switches the other.
#include "tests/devpanel/DevPanelFixture.h"

#include "engine/ArrayContainer.h"
#include "engine/MapContainer.h"
#include "engine/MissionLoader.h"
#include "engine/Parser.h"
#include "engine/TexContainer.h"
#include "engine/UnitInspector.h"
#include "gui/RadioBox.h"
#include "scene/Camera.h"
#include "scene/Renderer.h"

#include <string>
#include <vector>

namespace devpanel {
namespace {

constexpr int MAP_SIZE = 64;
constexpr uint32_t FREE = 7;
constexpr int SHADOW_MAP_SIZE = 32;
constexpr D3DCOLOR SHADOW_CLEAR = 0xFF0000FF;

// A chequer of 2 x 2 cell blocks around the map's middle, free cells set, the rest 0.
std::vector<uint32_t> ValidCells()
{
    std::vector<uint32_t> cells(MAP_SIZE * MAP_SIZE, 0);
    for (int z = 0; z < MAP_SIZE; ++z)
        for (int x = 0; x < MAP_SIZE; ++x)
            if (abs(x - MAP_SIZE / 2) <= 8 && abs(z - MAP_SIZE / 2) <= 6 && (x / 2 + z / 2) % 2 == 0)
                cells[size_t(z) * MAP_SIZE + x] = FREE;
    return cells;
}

bool Green(uint32_t pixel)
{
    return test::ColorNear(pixel, OVERLAY_COLOUR, 8);
}

// The sample program switched to a presentation with a 64 x 64 map, a valid map read from
// its "ArrayData" and a camera looking down on the map's middle.
class OverlayTest : public DevPanelTest {
protected:
    void SetUp() override
    {
        DevPanelTest::SetUp();
        if (HasFatalFailure()) return;
        const std::string dir = test::TempDir("devpanel_overlay");
        test::WriteFile(dir + "\\valid.tga", test::Tga32(MAP_SIZE, MAP_SIZE, ValidCells()));
        test::WriteFile(dir + "\\Pools.txt", "MapContainer [ MapCount: 2 RegionSize: 8 ]\nUserArrays [ Count: 2 ]\n");
        test::WriteFile(dir + "\\Show.txt",
                        "Map: { size: 64x64 dict_size: 2 };\n"
                        "ArrayData Valid { file: \"valid.tga\" use_as_valid_map: 7 };\n"
                        "Units: {\n"
                        "    MainCamera { name: \"Camera\" pos: [ 0 40 -1 ] at: [ 0 0 0 ] };\n"
                        "};\n");
        ASSERT_EQ(0, gIParser->LoadScript((dir + "\\Pools.txt").c_str())) << messages.Joined();
        // The array's file is named relative to the program folder.
        const std::string base = gBaseDir;
        snprintf(gBaseDir, sizeof gBaseDir, "%s\\", dir.c_str());
        gIMissionLoader->StartMission(dir + "\\Show.txt");
        const bool ran = program.RunFrames(2);
        snprintf(gBaseDir, sizeof gBaseDir, "%s", base.c_str());
        ASSERT_TRUE(ran);
        ASSERT_NE(nullptr, gEngine->validMap) << messages.Joined();
        ASSERT_EQ(FREE, uint32_t(gEngine->validMapValue));
        ASSERT_EQ(MAP_SIZE / 2, gEngine->cameraCell.x);
        ASSERT_EQ(MAP_SIZE / 2, gEngine->cameraCell.z);
        // The start of a presentation toggles the panel: shown again for the clicks.
        if (!(gEngineer->root->flags & WIN_VISIBLE)) gEngineer->TogglePanel();
    }

    // The screen point of a cell's middle in the frame just drawn.
    static POINT CellOnScreen(int x, int z)
    {
        CGameMap* map = gMapContainer->GetMap(gEngine->currentMap);
        D3DXVECTOR3 world(float(x - map->halfWidth), 0.0f, float(map->halfHeight - z));
        D3DXVECTOR3 screen;
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        D3DXVec3Project(&screen, &world, &gEngine->view, &gGraphics.projection, &gGraphics.view, &identity);
        return POINT{LONG(screen.x), LONG(screen.y)};
    }
    static int GreenPixels(const test::Image& image)
    {
        int n = 0;
        for (uint32_t pixel : image.pixels) n += Green(pixel);
        return n;
    }
    static test::Image Frame()
    {
        gCore.RenderFrame();
        test::Image image;
        EXPECT_TRUE(test::ReadBackBuffer(image));
        return image;
    }
};

TEST_F(OverlayTest, TheCheckDrawsAQuadOverEverySetCellAroundTheCurrentCell)
{
    EXPECT_EQ(0, GreenPixels(Frame())) << "nothing before the check";
    ClickCheck(ROW_VALID_MAP);
    ASSERT_EQ(uint32_t(VIEW_VALID_MAP), gEngineer->viewChecks->selectedMask);
    ASSERT_EQ(1, gEngineer->validMapOverlay);
    const test::Image image = Frame();
    const CUserArray& valid = *gEngine->validMap;
    int set = 0, unset = 0;
    for (int z = MAP_SIZE / 2 - 8; z <= MAP_SIZE / 2 + 8; ++z)
        for (int x = MAP_SIZE / 2 - 10; x <= MAP_SIZE / 2 + 10; ++x) {
            const POINT p = CellOnScreen(x, z);
            ASSERT_TRUE(p.x > 0 && p.y > 0 && p.x < LONG(gEngine->view.Width) && p.y < image.height &&
                        (p.x > 260 || p.y > 175))
                << "cell " << x << "," << z << " lies in the view, off the panel";
            const bool cell = valid.cells[size_t(z) * MAP_SIZE + x] != 0;
            EXPECT_EQ(cell, Green(image.At(p.x, p.y))) << "cell " << x << "," << z;
            (cell ? set : unset)++;
        }
    EXPECT_GT(set, 20);
    EXPECT_GT(unset, 20);
    // Quads stop short of their cell's edges: between two set neighbours the ground shows.
    const POINT a = CellOnScreen(MAP_SIZE / 2, MAP_SIZE / 2), b = CellOnScreen(MAP_SIZE / 2 + 1, MAP_SIZE / 2);
    ASSERT_GT(b.x - a.x, 10) << "a cell spans enough pixels to see the gap";
    int gap = 0;
    for (LONG x = a.x; x <= b.x; ++x) gap += !Green(image.At(x, a.y));
    EXPECT_GT(gap, 0);

    ClickCheck(ROW_VALID_MAP);
    EXPECT_EQ(0, gEngineer->validMapOverlay);
    EXPECT_EQ(0, GreenPixels(Frame())) << "unticked: gone";
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(OverlayTest, TheWindowReachesFiftyCellsFromTheCurrentCellAndStopsAtTheMapsEdge)
{
    ClickCheck(ROW_VALID_MAP);
    CUserArray& valid = *gEngine->validMap;
    for (int i = 0; i < MAP_SIZE * MAP_SIZE; ++i) valid.cells[size_t(i)] = FREE;
    Frame();  // sets the view matrices from the camera
    // The current cell 55 cells right of the middle, outside the map: the window begins
    // 50 cells left of it and ends at the map's last column.
    gEngine->cameraCell.x = MAP_SIZE / 2 + 55;
    gGraphics.BeginScene();
    gGraphics.SetViewportEx(gEngine->view);
    gGraphics.Clear(0xFF000000);
    gEngineer->DrawDebugLines();
    gGraphics.EndScene();
    test::Image image;
    ASSERT_TRUE(test::ReadBackBuffer(image));
    for (int x = MAP_SIZE / 2 + 1; x <= MAP_SIZE / 2 + 8; ++x) {
        const POINT p = CellOnScreen(x, MAP_SIZE / 2);
        EXPECT_EQ(x >= MAP_SIZE / 2 + 5, Green(image.At(p.x, p.y))) << "cell " << x;
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(OverlayTest, TheBlankShadowsCheckLeavesTheOverlayAlone)
{
    ClickCheck(ROW_BLANK_SHADOWS);
    EXPECT_EQ(uint32_t(VIEW_BLANK_SHADOWS), gEngineer->viewChecks->selectedMask);
    EXPECT_EQ(1, gEngineer->blankShadowMaps);
    EXPECT_EQ(0, gEngineer->validMapOverlay);
    EXPECT_EQ(0, GreenPixels(Frame()));
    ClickCheck(ROW_VALID_MAP);
    EXPECT_EQ(1, gEngineer->blankShadowMaps);
    EXPECT_GT(GreenPixels(Frame()), 0);
    ClickCheck(ROW_BLANK_SHADOWS);
    EXPECT_EQ(0, gEngineer->blankShadowMaps);
    EXPECT_EQ(1, gEngineer->validMapOverlay);
}

// The sample presentation's ground as shadow caster and receiver of one shadow camera.
class BlankShadowsTest : public DevPanelTest {
protected:
    void SetUp() override
    {
        DevPanelTest::SetUp();
        if (HasFatalFailure()) return;
        ground = gUnitInspector->FindUnitByName("Ground");
        ASSERT_NE(nullptr, ground);
        camera.shadowMap = gTexContainer->CreateTexture(SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, D3DUSAGE_RENDERTARGET,
                                                      D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, 0);
        ASSERT_NE(0, camera.shadowMap);
        camera.clearColor = SHADOW_CLEAR;
        camera.Pos = D3DXVECTOR4(0, 200, -1, 1);
        camera.target = D3DXVECTOR4(0, 0, 0, 1);
    }
    void TearDown() override
    {
        gRenderer->ResetFrame();
        DevPanelTest::TearDown();
    }
    void RenderShadows()
    {
        gRenderer->ResetFrame();
        gRenderer->PutShadowCamera(&camera);
        gRenderer->PutShadowCaster(ground);
        gRenderer->PutShadowReceiver(ground);
        gGraphics.BeginScene();
        gRenderer->RenderShadows();
        gGraphics.EndScene();
    }
    D3DCOLOR MapTexel(int x, int y)
    {
        IDirect3DSurface9* copy = nullptr;
        D3DCOLOR texel = 0;
        if (FAILED(Device3D->CreateOffscreenPlainSurface(SHADOW_MAP_SIZE, SHADOW_MAP_SIZE, D3DFMT_A8R8G8B8,
                                                         D3DPOOL_SYSTEMMEM, &copy, nullptr)))
            return texel;
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(Device3D->GetRenderTargetData(gTexContainer->GetSurface(camera.shadowMap), copy)) &&
            SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            texel = static_cast<const D3DCOLOR*>(locked.pBits)[y * locked.Pitch / 4 + x];
            copy->UnlockRect();
        }
        copy->Release();
        return texel;
    }

    CShadowCamera camera;
    CAtom* ground = nullptr;
};

TEST_F(BlankShadowsTest, TheMapsAreOnlyFilledWhileTheCheckIsTicked)
{
    RenderShadows();
    const D3DCOLOR drawn = MapTexel(0, 0);
    EXPECT_NE(BLANK_SHADOW_COLOUR, drawn) << "unticked: the map is drawn as usual";
    ClickCheck(ROW_BLANK_SHADOWS);
    ASSERT_EQ(1, gEngineer->blankShadowMaps);
    RenderShadows();
    EXPECT_EQ(BLANK_SHADOW_COLOUR, MapTexel(0, 0));
    EXPECT_EQ(BLANK_SHADOW_COLOUR, MapTexel(SHADOW_MAP_SIZE / 2, SHADOW_MAP_SIZE / 2)) << "no caster drawn";
    EXPECT_EQ(0, gRenderer->shadowPass);
    ClickCheck(ROW_BLANK_SHADOWS);
    RenderShadows();
    EXPECT_EQ(drawn, MapTexel(0, 0));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace devpanel
