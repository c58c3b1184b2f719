// Kinematics declared in a script and run on a unit over frames: a crane of two bones
// (a base and an arm that turns about its own pivot) drawn by the shipped skinning
// shaders on a real device, in the unit's colour. The script reads the shipped shader
// declarations from the run folder.

#include "core/Graphics.h"
#include "core/Meshes/Mesh.h"
#include "engine/AnimContainer.h"
#include "engine/Kinematics.h"
#include "engine/MeshContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Renderer.h"
#include "scene/Unit.h"
#include "tests/support/Harness.h"
#include "tests/support/SceneDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace {

constexpr D3DCOLOR RED = 0xFFFF0000;

// The base hangs below the origin (y -2 to -1); the arm reaches from the origin two
// units along x.
// Vertices are in bone space: the base's bone sits at y -1, the arm's at the origin.
const char CRANE_MESH[] = R"(NumVertices 8
NumPrimitives 4
BONE_INDEX_PER_VERTEX
VERTS_IN_BONE_SPACE
MESH
8
-0.5 -1 0  0
-0.5  0 0  0
 0.5  0 0  0
 0.5 -1 0  0
 0 -0.5 0  1
 0  0.5 0  1
 2  0.5 0  1
 2 -0.5 0  1
indices 4
0 1 2
0 2 3
4 5 6
4 6 7
TextureCoords 8
0 1
0 0
1 0
1 1
0 1
0 0
1 0
1 1
SKELETON_STRUCTURE
NumBones 2
BoneName BoneMaster x y z
Base not_present 0 -1 0
Arm  Base        0  0 0
)";

// Both frames hold the arm turned by 60 degrees about y; the base keeps its place.
const char SWING_ANIMATION[] = R"(AnimationText 4 written by test 2 Bones: 2 Duration: 1
Channels = [ Angle ]
SKELETON_STRUCTURE NumBones 2 BoneName BoneMaster x y z
Base not_present 0 -1 0
Arm  Base        0  0 0
Keys ax ay az
Frame0  Base 0 0 0  Arm 0 60 0
Frame1  Base 0 0 0  Arm 0 60 0
)";

std::string StartScript(const std::string& meshPath, const std::string& animPath, int kinematicBones)
{
    return "Variables [ ScriptVarCapacity: [ Records: 64 Words: 1024 ] "
           "MissionVarCapacity: [ Records: 64 Words: 1024 ] ]\n"
           "UnitInspector [ TemplateCount: 16 UnitCount: 64 UnitAttaches: 16 UnitMoves: 4 ]\n"
           "TexContainer [ TexCount: 32 ]\n"
           "Renderer [ QueueCount: 4 InQueueCount: 8 MaxRenderObjects: 16 ]\n"
           "AnimContainer [ AnimationCount: 8 AnimationFiles: 8 ]\n"
           "Kinematics [ BonesCount: " +
           std::to_string(kinematicBones + 1) +
           " ]\n"
           "ScriptFile: \"Scripts/Variables.txt\"\n"
           "ScriptFile: \"Scripts/Shaders.txt\"\n"
           "ATOM Gun { };\n"
           "ANIMATION Swing { AnimationFile: \"" +
           animPath +
           "\" };\n"
           "UNIT Crane {\n"
           "    MeshFVF: [ xyz bone uv0 ]\n"
           "    Mesh: \"" +
           meshPath +
           "\"\n"
           "    Weapons: { Gun bone: Arm }; };\n"
           "    VertexShader: SkinnedVS\n"
           "    PixelShader: SkinnedPS\n"
           "    VertDeclarator: PosBoneUV\n"
           "    ShaderTable: Skinned\n"
           "};\n";
}

class KinematicUnit : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scene.Start("kinematics")) << messages.Joined();
        gWarningBudget = 4;
        meshPath_ = scene.Write("Crane.msh", CRANE_MESH);
        animPath_ = scene.Write("Swing.anm", SWING_ANIMATION);
        // The shipped scripts and shaders are read from the run folder.
        SetCurrentDirectoryA(test::RunDir().c_str());
        scene.LookAt(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 0));
    }

    void ReadScript(int kinematicBones)
    {
        ASSERT_EQ(0, scene.ReadScript(StartScript(meshPath_, animPath_, kinematicBones))) << messages.Joined();
    }

    CUnit* MakeCrane()
    {
        auto* unit = dynamic_cast<CUnit*>(gUnitInspector->CreateUnit("Crane", nullptr));
        if (!unit) return nullptr;
        unit->Color = D3DXCOLOR(RED);
        unit->SysControls |= SYS_RENDER_ALWAYS;
        unit->SetPos(D3DXVECTOR4(0, 0, 0, 1));
        return unit;
    }

    // The four-bone script read and a crane made whose arm turns about y.
    void MakeTurningCrane(CUnit*& crane, CKinematicBone*& arm)
    {
        ReadScript(4);
        crane = MakeCrane();
        ASSERT_NE(nullptr, crane) << messages.Joined();
        arm = crane->kinematicBones.At(1);
        ASSERT_NE(nullptr, arm);
        arm->kind = KINEMATIC_TURN_Y;
    }

    void RunFrame() { scene.Frame(0.0f); }

    // Whether the picture is red where a model point lands.
    bool RedAt(const test::Image& image, const D3DXVECTOR3& point) const
    {
        const POINT p = scene.Project(point);
        return test::ColorNear(image.At(p.x, p.y), RED, 8);
    }

    const float* Slice(const CUnit* unit, int bone) const
    {
        return gRenderer->bonePalette.data() + unit->bonePaletteOffset + bone * BONE_FLOATS;
    }

    test::MessageRecorder messages;
    test::SceneDevice scene;

private:
    std::string meshPath_, animPath_;
};

TEST_F(KinematicUnit, TheSectionSizesThePoolAndTheUnitTakesABonePerSkeletonBone)
{
    ReadScript(4);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(5, gKinematics->Capacity());
    CUnit* first = MakeCrane();
    CUnit* second = MakeCrane();
    ASSERT_TRUE(first && second) << messages.Joined();
    EXPECT_EQ(2, first->kinematicBones.Count());
    EXPECT_EQ(2, second->kinematicBones.Count());
    EXPECT_EQ(nullptr, gKinematics->AllocBone()) << "four bones, all taken";
    gUnitInspector->DeleteUnit(second);
    EXPECT_NE(nullptr, gKinematics->AllocBone()) << "a deleted unit gives its bones back";
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(KinematicUnit, TooFewBonesLeaveTheUnitWithoutAny)
{
    ReadScript(3);
    ASSERT_NE(nullptr, MakeCrane());
    messages.Clear();
    CUnit* starved = MakeCrane();
    ASSERT_NE(nullptr, starved);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CUnit::FirstInit:  Unit 'Crane'.\n Kinematic bones limit is exceed.", messages.Texts()[0]);
    EXPECT_TRUE(starved->kinematicBones.Empty());
    EXPECT_NE(nullptr, gKinematics->AllocBone()) << "the one bone it took went back";
}

TEST_F(KinematicUnit, TheArmTurnsFrameByFrame)
{
    CUnit* crane = nullptr;
    CKinematicBone* arm = nullptr;
    ASSERT_NO_FATAL_FAILURE(MakeTurningCrane(crane, arm));
    for (int frame = 0; frame < 4; ++frame) {
        arm->angleY = 0.3f * float(frame);
        RunFrame();
        // Base: its own position as translation; arm: the turn about the origin, where
        // its bone sits (its offset from the base is carried by the base).
        const float* base = Slice(crane, 0);
        EXPECT_FLOAT_EQ(-1.0f, base[7]) << "frame " << frame;
        const float* rows = Slice(crane, 1);
        D3DXMATRIX turn;
        D3DXMatrixRotationY(&turn, arm->angleY);
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row < 4; ++row)
                EXPECT_NEAR(turn(row, column), rows[column * 4 + row], 1e-5f)
                    << "frame " << frame << " row " << row << " column " << column;
    }
    // The base is a root: turned, it turns where it stands and carries the arm along.
    CKinematicBone* base = crane->kinematicBones.At(0);
    base->kind = KINEMATIC_TILT_X;
    base->angleX = -0.5f;
    arm->angleY = 0.0f;
    RunFrame();
    D3DXMATRIX tilt, at, up;
    D3DXMatrixRotationX(&tilt, 0.5f);
    D3DXMatrixTranslation(&at, 0, -1, 0);
    D3DXMatrixTranslation(&up, 0, 1, 0);
    const D3DXMATRIX expected[2] = {tilt * at, up * tilt * at};
    for (int bone = 0; bone < 2; ++bone)
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row < 4; ++row)
                EXPECT_NEAR(expected[bone](row, column), Slice(crane, bone)[column * 4 + row], 1e-5f)
                    << "bone " << bone << " row " << row << " column " << column;
    EXPECT_EQ(6, gRenderer->numBones);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(KinematicUnit, TheSkinnedMeshMovesWhenTheArmTurns)
{
    CUnit* crane = nullptr;
    CKinematicBone* arm = nullptr;
    ASSERT_NO_FATAL_FAILURE(MakeTurningCrane(crane, arm));
    RunFrame();
    test::Image still;
    ASSERT_TRUE(test::ReadBackBuffer(still));
    EXPECT_TRUE(RedAt(still, D3DXVECTOR3(0, -1.5f, 0))) << "the base";
    EXPECT_TRUE(RedAt(still, D3DXVECTOR3(0.5f, 0.2f, 0))) << "the arm near its pivot";
    EXPECT_TRUE(RedAt(still, D3DXVECTOR3(1.7f, 0.2f, 0))) << "the arm's far end";
    EXPECT_FALSE(RedAt(still, D3DXVECTOR3(-1.0f, 0.2f, 0))) << "nothing left of the pivot";

    // Turned by 60 degrees the arm reaches half as far across the view (and toward the
    // camera): its far end leaves, the base stays.
    arm->angleY = D3DX_PI / 3;
    RunFrame();
    test::Image turned;
    ASSERT_TRUE(test::ReadBackBuffer(turned));
    EXPECT_TRUE(RedAt(turned, D3DXVECTOR3(0, -1.5f, 0))) << "the base";
    EXPECT_TRUE(RedAt(turned, D3DXVECTOR3(0.5f, 0.2f, -0.866f))) << "the arm near its pivot";
    EXPECT_FALSE(RedAt(turned, D3DXVECTOR3(1.7f, 0.2f, 0))) << "the arm's far end has moved";
    EXPECT_TRUE(RedAt(turned, D3DXVECTOR3(0.9f, 0.2f, -1.56f))) << "to where the turn takes it";

    // A hidden arm collapses, the base stays.
    crane->hiddenBones = 2;
    RunFrame();
    test::Image hidden;
    ASSERT_TRUE(test::ReadBackBuffer(hidden));
    EXPECT_TRUE(RedAt(hidden, D3DXVECTOR3(0, -1.5f, 0)));
    EXPECT_FALSE(RedAt(hidden, D3DXVECTOR3(0.5f, 0.2f, -0.866f)));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A skeletal animation turns the arm through the same palette and shaders.
TEST_F(KinematicUnit, ASkeletalAnimationTurnsTheArm)
{
    ReadScript(4);
    CUnit* crane = MakeCrane();
    ASSERT_NE(nullptr, crane) << messages.Joined();
    RunFrame();
    test::Image still;
    ASSERT_TRUE(test::ReadBackBuffer(still));
    EXPECT_TRUE(RedAt(still, D3DXVECTOR3(1.7f, 0.2f, 0)));
    ASSERT_NE(nullptr, crane->AddAnimation(gAnimContainer->FindAnimFileIndex("Swing"), 0)) << messages.Joined();
    RunFrame();
    test::Image turned;
    ASSERT_TRUE(test::ReadBackBuffer(turned));
    EXPECT_TRUE(RedAt(turned, D3DXVECTOR3(0, -1.5f, 0))) << "the base";
    EXPECT_FALSE(RedAt(turned, D3DXVECTOR3(1.7f, 0.2f, 0))) << "the arm's far end has moved";
    EXPECT_TRUE(RedAt(turned, D3DXVECTOR3(0.9f, 0.2f, -1.56f))) << "to where the turn takes it";
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// Some compilers give every assignment a register of its own: the shipped shader must
// still fit the 32 temporary registers of shader model 3, or nothing is drawn.
TEST(SkinningShader, FitsTheTemporaryRegisters)
{
    const std::string path = test::RunDir() + "\\Shaders\\Skinned.vsh";
    for (const char* profile : {"vs_2_0", "vs_3_0"}) {
        ID3DXBuffer *code = nullptr, *errors = nullptr, *text = nullptr;
        ASSERT_EQ(S_OK, D3DXCompileShaderFromFileA(path.c_str(), nullptr, nullptr, "Main", profile, 0, &code,
                                                   &errors, nullptr))
            << profile;
        ASSERT_EQ(nullptr, errors) << static_cast<const char*>(errors->GetBufferPointer());
        ASSERT_EQ(S_OK, D3DXDisassembleShader(static_cast<const DWORD*>(code->GetBufferPointer()), FALSE, nullptr,
                                              &text));
        const std::string listing = static_cast<const char*>(text->GetBufferPointer());
        int highest = -1;
        for (size_t at = listing.find(" r"); at != std::string::npos; at = listing.find(" r", at + 2))
            if (isdigit(static_cast<unsigned char>(listing[at + 2]))) highest = std::max(highest, atoi(&listing[at + 2]));
        EXPECT_LT(highest, 32) << profile;
        text->Release();
        code->Release();
    }
}

} // namespace
