// The program on the sample run folder: it reads the presentation list, starts the
// default presentation and shows it left of the grey control column.

#include "core/Core.h"
#include "core/Graphics.h"
#include "engine/Engine.h"
#include "engine/MissionLoader.h"
#include "engine/MeshContainer.h"
#include "engine/Parser.h"
#include "engine/TexContainer.h"
#include "core/Meshes/MeshTextures.h"
#include "engine/UnitInspector.h"
#include "scene/Camera.h"
#include "scene/Geometry.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int COLUMN_WIDTH = 250;
constexpr uint32_t COLUMN_GREY = 0xFF808080;

class SampleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined(); }
    void TearDown() override { program.Stop(); }

    // One frame drawn without its present, read back.
    test::Image Frame()
    {
        gCore.RenderFrame();
        test::Image image;
        EXPECT_TRUE(test::ReadBackBuffer(image));
        return image;
    }

    test::MessageRecorder messages;
    test::Program program;
};

TEST_F(SampleTest, TheDefaultPresentationStartsFromTheListWithoutAMessage)
{
    std::vector<CMission*>* list = nullptr;
    gIMissionLoader->GetMissionList(&list);
    ASSERT_EQ(1u, list->size());
    EXPECT_EQ("Presentations\\KestrelVale.txt", (*list)[0]->file);
    EXPECT_EQ("\xC6\xE8\xEB\xEE\xE9 \xEA\xEE\xEC\xEF\xEB\xE5\xEA\xF1 \xAB\xCA\xE5\xF1\xF2\xF0\xE5\xEB \xC2\xE5\xE9\xEB\xBB",
              (*list)[0]->title);
    EXPECT_TRUE(gMissionLoader->HasPending());
    ASSERT_TRUE(program.RunFrames(3));
    EXPECT_TRUE(gMissionLoader->Running());
    ASSERT_NE(nullptr, gIUnitInspector->GetCamera());
    // The ground, and per building its hall, its floors and its attic.
    const struct {
        const char* className;
        size_t count;
    } shown[] = {{"Body", 1u}, {"Hall", 3u}, {"Floor", 9u + 5u + 12u}, {"Attic", 3u}};
    for (const auto& kind : shown) {
        std::vector<CAtom*> bodies;
        gIUnitInspector->CollectUnitsOfClass(bodies, kind.className);
        EXPECT_EQ(kind.count, bodies.size()) << kind.className;
        for (CAtom* body : bodies)
            EXPECT_NE(0, static_cast<CGeometry*>(body)->mesh) << kind.className << " " << body->name;
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(SampleTest, TheColumnRightOfTheViewIsGrey)
{
    ASSERT_TRUE(program.RunFrames(3));
    const test::Image image = Frame();
    const int left = AppWindowConfig.width - COLUMN_WIDTH;
    ASSERT_EQ(AppWindowConfig.width, image.width);
    for (int y = 0; y < image.height; y += 37) {
        EXPECT_TRUE(test::ColorNear(COLUMN_GREY, image.At(left, y), 0)) << std::hex << image.At(left, y);
        EXPECT_TRUE(test::ColorNear(COLUMN_GREY, image.At(image.width - 1, y), 0));
        EXPECT_FALSE(test::ColorNear(COLUMN_GREY, image.At(left - 1, y), 0));
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// Where the camera sees each building, the picture shows its wall colour.
TEST_F(SampleTest, TheBuildingsShowInTheirWallColoursWhereTheCameraSeesThem)
{
    struct SBuilding {
        const char* name;
        D3DXVECTOR3 centre;  // on the site, at half the building's height
        uint32_t wall;
    };
    const SBuilding buildings[] = {
        {"B1", {-52.0f, 17.0f, 42.0f}, 0xFFB5553C},
        {"B2", {58.0f, 11.0f, 30.0f}, 0xFFE4D6B8},
        {"B3", {4.0f, 21.0f, -48.0f}, 0xFFC9D3DC},
    };
    ASSERT_TRUE(program.RunFrames(3));
    const test::Image image = Frame();
    D3DVIEWPORT9 view = gEngine->view;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (const SBuilding& b : buildings) {
        ASSERT_NE(nullptr, gIUnitInspector->FindUnitByName(b.name));
        D3DXVECTOR3 screen;
        D3DXVec3Project(&screen, &b.centre, &view, &gGraphics.projection, &gGraphics.view, &identity);
        const int cx = int(screen.x), cy = int(screen.y);
        ASSERT_TRUE(cx >= 6 && cx < int(view.Width) - 6 && cy >= 6 && cy < int(view.Height) - 6) << b.name;
        int matching = 0;
        for (int y = cy - 6; y <= cy + 6; ++y)
            for (int x = cx - 6; x <= cx + 6; ++x)
                matching += test::ColorNear(image.At(x, y), b.wall, 24);
        EXPECT_GE(matching, 20) << b.name << " at " << cx << "," << cy << std::hex << " shows " << image.At(cx, cy);
    }
    // Above the site the view shows the clear colour, not a building colour.
    EXPECT_FALSE(test::ColorNear(image.At(10, 10), 0xFFB5553C, 24));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// Each building stands on its hall and is capped by its attic: both sit on the building's place.
TEST_F(SampleTest, HallAndAtticStandOnTheirBuilding)
{
    ASSERT_TRUE(program.RunFrames(3));
    for (const char* building : {"B1", "B2", "B3"}) {
        CAtom* unit = gIUnitInspector->FindUnitByName(building);
        ASSERT_NE(nullptr, unit) << building;
        D3DXVECTOR4 site;
        unit->GetWorldPos(&site);
        for (const char* part : {"Hall", "Attic"}) {
            const std::string name = std::string(building) + part;
            CAtom* slave = gIUnitInspector->FindUnitByName(name.c_str());
            ASSERT_NE(nullptr, slave) << name;
            D3DXVECTOR4 at;
            slave->GetWorldPos(&at);
            EXPECT_NEAR(site.x, at.x, 0.01f) << name;
            EXPECT_NEAR(site.z, at.z, 0.01f) << name;
        }
    }
}

// Textures a presentation declares live as long as it runs; those of the scripts stay.
TEST_F(SampleTest, PresentationTexturesAreReleasedAtTheSwitchAndScriptTexturesStay)
{
    ASSERT_TRUE(program.RunFrames(1));
    const std::string dir = test::TempDir("missions_resources");
    const std::string textures = test::RunDir() + "\\Textures\\KestrelVale\\";
    test::WriteFile(dir + "\\Script.txt", "TexContainer [ TexCount: 16 ]\nTEXTURE ScriptTex \"" + textures +
                                               "Ground.tga\"\n");
    ASSERT_EQ(0, gIParser->LoadScript((dir + "\\Script.txt").c_str())) << messages.Joined();
    const uint16_t script = gITexContainer->FindTexture("ScriptTex");
    ASSERT_NE(0, script);

    test::WriteFile(dir + "\\One.txt", "Texture: ShownTex \"" + textures + "Glass.tga\"\nUnits: { MainCamera };\n");
    test::WriteFile(dir + "\\Two.txt", "Units: { MainCamera };\n");
    gIMissionLoader->StartMission(dir + "\\One.txt");
    ASSERT_TRUE(program.RunFrames(1));
    const uint16_t shown = gITexContainer->FindTexture("ShownTex");
    ASSERT_NE(0, shown);
    EXPECT_NE(nullptr, gITexContainer->GetTexture(shown));

    gIMissionLoader->StartMission(dir + "\\Two.txt");
    ASSERT_TRUE(program.RunFrames(1));
    EXPECT_TRUE(gMissionLoader->Running());
    EXPECT_EQ(0, gITexContainer->FindTexture("ShownTex"));
    EXPECT_EQ(nullptr, gITexContainer->GetTexture(shown));
    EXPECT_EQ(script, gITexContainer->FindTexture("ScriptTex"));
    EXPECT_NE(nullptr, gITexContainer->GetTexture(script));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A texture file named by several meshes is loaded once; a missing one is reported.
TEST_F(SampleTest, MeshesShareTheTexturesTheyNameAndReportMissingOnes)
{
    ASSERT_TRUE(program.RunFrames(1));
    const int walls = gMeshTextures.Find((std::string(gBaseDir) + "Textures\\KestrelVale\\Building1Walls.tga").c_str());
    ASSERT_GE(walls, 0);
    EXPECT_EQ(3, gMeshTextures.entries[walls].refCount);  // hall, floor and attic
    EXPECT_NE(nullptr, gMeshTextures.entries[walls].texture);

    const std::string dir = test::TempDir("missions_mesh_texture");
    std::string text = test::ReadFile(test::RunDir() + "\\Meshes\\KestrelVale\\Ground.msh");
    const std::string named = "Textures\\KestrelVale\\Ground.tga";
    ASSERT_NE(std::string::npos, text.find(named));
    text.replace(text.find(named), named.size(), "Missing.tga");
    test::WriteFile(dir + "\\Bare.msh", text);
    EXPECT_NE(0, gIMeshContainer->LoadMesh((dir + "\\Bare.msh").c_str(), 0x112, 1));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("In mesh:  '" + dir + "\\Bare.msh' \n\n  texture file:  'Missing.tga'  not found", messages.Texts()[0]);
}

} // namespace
