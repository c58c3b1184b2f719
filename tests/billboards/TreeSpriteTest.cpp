// Trees, 2D sprites and select planes: read, drawn with a real device and read back.

#include "tests/billboards/BillboardFixture.h"

#include "engine/AnimContainer.h"
#include "engine/Engine.h"
#include "engine/Nations.h"
#include "scene/Renderer.h"

namespace billboards {
namespace {

constexpr uint32_t BLUE = 0xFF0000FF;
constexpr uint32_t YELLOW = 0xFFFFFF00;

class SceneTest : public BillboardTest {
protected:
    void SetUp() override
    {
        BillboardTest::SetUp();
        ASSERT_EQ(0, scene.ReadScript("TREE Oak { SysControls: [ RenderAlways ] Mesh: Square FVF [ xyz uv0 ]\n"
                                      "    \"Square.msh\" };\n"
                                      "SPRITE_2D Badge { };\n"
                                      "SELECT_PLANE Mark { blabla Mesh: \"Square.msh\" };\n"
                                      "UNIT Boat { SysControls: [ RenderAlways ] SelectPlane: Mark };\n"))
            << messages.Joined();
        EXPECT_EQ(0u, messages.Count()) << messages.Joined();
        mark = dynamic_cast<CSelectPlane*>(gUnitInspector->GetClassPrototype("Mark"));
        ASSERT_NE(nullptr, mark);
        mark->textures[0] = test::ColourTexture(YELLOW);
        static_cast<CGeometry*>(gUnitInspector->GetClassPrototype("Oak"))->textures[0] = test::ColourTexture(GREEN);
    }
    CUnit* Boat(const D3DXVECTOR4& pos, bool selected)
    {
        CUnit* boat = Add<CUnit>("Boat", pos);
        if (boat && selected) boat->state |= UNIT_SELECTED;
        return boat;
    }

    CSelectPlane* mark = nullptr;
};

TEST_F(SceneTest, ATreeTurnedByItsHeadingKeepsItsMatrixFrameAfterFrame)
{
    CTree* oak = Add<CTree>("Oak", D3DXVECTOR4(2, 0, 0, 1));
    ASSERT_NE(nullptr, oak);
    oak->Orient.y = 1.5707964f;
    oak->FirstInit();
    EXPECT_NEAR(1.0f, oak->sinHeading, 1e-6f);
    EXPECT_NEAR(0.0f, oak->cosHeading, 1e-6f);
    for (int i = 0; i < 3; ++i) scene.Frame(0.02f);
    D3DXMATRIX expected;
    D3DXMatrixRotationY(&expected, 1.5707964f);
    EXPECT_NEAR(expected._13, oak->world._13, 1e-5f);
    EXPECT_NEAR(expected._31, oak->world._31, 1e-5f);
    EXPECT_NEAR(2.0f, oak->world._41, 1e-5f);
    // Turned a quarter, the square is seen edge-on from the camera: no pixel shows.
    EXPECT_TRUE(ColourAt(scene.Picture(), D3DXVECTOR3(2.6f, 0, 0), BLACK));
    oak->Orient.y = 0.0f;
    scene.Frame(0.02f);
    EXPECT_TRUE(ColourAt(scene.Picture(), D3DXVECTOR3(2.6f, 0, 0), GREEN));

    // Paused with an animation on it, nothing rewrites the matrix: it is not turned again.
    ASSERT_EQ(0, scene.ReadScript("AnimContainer [ AnimationCount: 2 ]\n"));
    oak->Orient.y = 1.5707964f;
    oak->FirstInit();
    scene.Frame(0.02f);
    CAnimInstance* held = gAnimContainer->AllocAnimInstance();
    ASSERT_NE(nullptr, held);
    oak->animations.PushBack(held);
    gEngine->paused = 1;
    for (int i = 0; i < 3; ++i) scene.Frame(0.02f);
    gEngine->paused = 0;
    EXPECT_NEAR(expected._13, oak->world._13, 1e-5f);
    EXPECT_NEAR(expected._31, oak->world._31, 1e-5f);
}

// The presentation block gives a tree its heading after the tree was made, here after it
// began to swing; the tree turns by that heading once, as the still one does, whether or
// not its animation writes the matrix: a swing whose keys name no bone 0 writes none.
TEST_F(SceneTest, ASwingingTreeTurnsByTheHeadingOfItsPresentationBlock)
{
    const char* const keys = "AnimationText 4 written by test 2 Bones: 1 Duration: 1\n"
                             "Channels = [ Angle ]\nKeys ax ay az\nFrame0\nRoot 0 0 0\nFrame1\nRoot 0 0 0\n";
    const std::string sway = scene.Write("Sway.txt", keys), bend = scene.Write("Bend.txt", keys);
    const std::string twig = scene.Write("Twig.txt", "AnimationText 4 written by test 2 Bones: 1 Duration: 1\n"
                                                     "Channels = [ Angle ]\nSKELETON_STRUCTURE NumBones 2\n"
                                                     "BoneName BoneMaster x y z\nRoot not_present 0 0 0\n"
                                                     "Twig Root 0 1 0\nKeys ax ay az\nFrame0\nTwig 0 0 0\n"
                                                     "Frame1\nTwig 0 0 0\n");
    ASSERT_EQ(0, scene.ReadScript("AnimContainer [ AnimationCount: 4 AnimationFiles: 4 ]\n"
                                  "ANIMATION Sway { Flags: [ Cyclic Matrices3x3 ] AnimationFile: \"" + sway + "\" };\n"
                                  "ANIMATION Bend { Flags: [ Cyclic ] AnimationFile: \"" + bend + "\" };\n"
                                  "ANIMATION Twig { Flags: [ Cyclic Matrices3x3 ] AnimationFile: \"" + twig + "\" };\n"
                                  "TREE Pine : Oak { SwingingAnimation: Sway };\n"
                                  "TREE Fir : Oak { SwingingAnimation: Bend };\n"
                                  "TREE Ash : Oak { SwingingAnimation: Twig };\n"))
        << messages.Joined();
    for (const char* cls : {"Pine", "Fir", "Ash"}) {
        SCOPED_TRACE(cls);
        CTree* tree = Add<CTree>(cls, D3DXVECTOR4(2, 0, 0, 1));
        ASSERT_NE(nullptr, tree);
        scene.Frame(0.02f);
        ASSERT_NE(nullptr, tree->FirstAnimation());
        FILE* block = fopen(scene.Write("Tree.txt", "orient: [ 0 90 0 ] };").c_str(), "rb");
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(SCAN_BLOCK_END, tree->ScanMissionData(block, nullptr));
        fclose(block);
        for (int i = 0; i < 3; ++i) {
            scene.Frame(0.02f);
            EXPECT_NEAR(-1.0f, tree->world._13, 1e-5f) << "frame " << i;
            EXPECT_NEAR(1.0f, tree->world._31, 1e-5f);
            EXPECT_NEAR(2.0f, tree->world._41, 1e-5f);
        }
        gUnitInspector->DeleteUnit(tree);
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(SceneTest, ATreeNamingAMissingAnimationIsWarned)
{
    ASSERT_EQ(0, scene.ReadScript("TREE Elm { SwingingAnimation: Breeze };\n"));
    EXPECT_TRUE(messages.Contains("CTree::ScanNativePropertyes Error: for UNIT 'Elm' not found animation 'Breeze'."))
        << messages.Joined();
    CTree* elm = Add<CTree>("Elm", D3DXVECTOR4(0, 0, 0, 1));
    ASSERT_NE(nullptr, elm);
    elm->OnShow();
    EXPECT_EQ(nullptr, elm->FirstAnimation());
}

TEST_F(SceneTest, ASpriteCoversItsScreenRectangle)
{
    CSprite2D* badge = Add<CSprite2D>("Badge", D3DXVECTOR4(10, 20, 0, 1));
    ASSERT_NE(nullptr, badge);
    EXPECT_TRUE(badge->SysControls & SYS_RENDER_ALWAYS);
    badge->Size = D3DXVECTOR4(64, 32, 1, 1);
    badge->textures[0] = test::ColourTexture(BLUE);
    float before[4] = {1, 2, 3, 4};
    scene.Frame(0.02f);
    const test::Image image = scene.Picture();
    EXPECT_TRUE(test::ColorNear(BLUE, image.At(12, 22), 8)) << std::hex << image.At(12, 22);
    EXPECT_TRUE(test::ColorNear(BLUE, image.At(72, 50), 8));
    EXPECT_TRUE(test::ColorNear(BLACK, image.At(76, 30), 8));
    EXPECT_TRUE(test::ColorNear(BLACK, image.At(40, 54), 8));
    EXPECT_TRUE(test::ColorNear(BLACK, image.At(8, 30), 8));
    // The scene's first eight vertex registers come back after the sprite.
    Device3D->SetVertexShaderConstantF(3, before, 1);
    badge->Render(PASS_NORMAL);
    float after[4] = {};
    Device3D->GetVertexShaderConstantF(3, after, 1);
    EXPECT_EQ(before[2], after[2]);
}

TEST_F(SceneTest, ASelectPlaneIsDrawnUnderEverySelectedCarrier)
{
    CUnit* left = Boat(D3DXVECTOR4(-3, 0, 0, 1), true);
    CUnit* right = Boat(D3DXVECTOR4(3, 0, 0, 1), true);
    Boat(D3DXVECTOR4(0, 2, 0, 1), false);
    scene.Frame(0.02f);
    EXPECT_EQ(2u, mark->carrierCount);
    EXPECT_EQ(left, mark->carriers[0]);
    EXPECT_EQ(right, mark->carriers[1]);
    const test::Image image = scene.Picture();
    EXPECT_TRUE(ColourAt(image, D3DXVECTOR3(-3, 0, 0), YELLOW));
    EXPECT_TRUE(ColourAt(image, D3DXVECTOR3(3, 0, 0), YELLOW));
    EXPECT_TRUE(ColourAt(image, D3DXVECTOR3(0, 2, 0), BLACK));
    // A carrier deleted during the frame leaves the list.
    gUnitInspector->DeleteUnit(left);
    EXPECT_EQ(1u, mark->carrierCount);
    EXPECT_EQ(right, mark->carriers[0]);
}

TEST_F(SceneTest, CarriersBeyondMaxRenderObjectsAreWarnedAndLeftOut)
{
    CUnit* boat = Boat(D3DXVECTOR4(0, 0, 0, 1), false);
    for (int i = 0; i < gRenderer->MaxRenderObjects; ++i) mark->AddCarrier(boat);
    EXPECT_EQ(0u, messages.Count());
    mark->AddCarrier(boat);
    EXPECT_TRUE(messages.Contains("CSelectPlane::AddCarrier: ctCarriers is overflow."));
    EXPECT_EQ(uint32_t(gRenderer->MaxRenderObjects), mark->carrierCount);
}

TEST_F(SceneTest, InstancesCarryTheCarriersMatricesAndNationColours)
{
    CNation ours;
    gNations->gamerNation = &ours;
    CUnit* mine = Boat(D3DXVECTOR4(1, 2, 3, 1), true);
    mine->nation = &ours;
    CUnit* stray = Boat(D3DXVECTOR4(4, 5, 6, 1), true);
    mark->AddCarrier(mine);
    mark->AddCarrier(stray);
    D3DXVECTOR4 matrices[6], colours[2];
    mark->FillInstances(matrices, colours);
    EXPECT_EQ(D3DXVECTOR4(1, 0, 0, 1), matrices[0]);  // the first column with the x translation
    EXPECT_EQ(D3DXVECTOR4(0, 0, 1, 6), matrices[5]);
    const D3DXCOLOR our = gNations->OurColor, neutral = gNations->NeutralColor;
    EXPECT_EQ(D3DXVECTOR4(our.r, our.g, our.b, our.a), colours[0]);
    EXPECT_EQ(D3DXVECTOR4(neutral.r, neutral.g, neutral.b, neutral.a), colours[1]);
    // On the sea the matrix stands at the sea height, turned by the carrier's yaw.
    mine->placeMode = 4;
    mine->Orient.y = 1.5707964f;
    gEngine->seaHeight = -2.0f;
    mark->FillInstances(matrices, colours);
    EXPECT_NEAR(-2.0f, matrices[1].w, 1e-6f);
    EXPECT_NEAR(1.0f, matrices[0].z, 1e-5f);  // sin of the yaw in the first column
    gNations->gamerNation = nullptr;
}

} // namespace
} // namespace billboards
