// World matrices, attachments and bone palettes built once per frame by the renderer.

#include "tests/constants/ConstantsFixture.h"

namespace constants {
namespace {

using Skeletons = ConstantsTest;

// A chain of bones, each the child of the one before and one unit along x from it.
void MakeChain(CMesh* mesh, int count, uint32_t flags)
{
    CSkeleton& s = mesh->skeleton;
    s.Release();
    s.boneCount = count;
    s.flags = flags;
    s.bones = new SBone[size_t(count)];
    for (int i = 0; i < count; ++i) {
        SBone& bone = s.bones[i];
        bone.index = i;
        bone.mask = uint64_t(1) << i;
        bone.relative = D3DXVECTOR4(1, 0, 0, 1);
        bone.absolute = D3DXVECTOR4(float(i + 1), 0, 0, 1);
        bone.master = i ? &s.bones[i - 1] : nullptr;
        if (i + 1 < count) {
            bone.childCount = 1;
            bone.children[0] = uint8_t(i + 1);
        }
    }
}

const float* Slice(const CGeometry* unit, int bone)
{
    return gRenderer->bonePalette.data() + unit->bonePaletteOffset + bone * BONE_FLOATS;
}

void ExpectMatrix(const D3DXMATRIX& expected, const D3DXMATRIX& actual, const char* what)
{
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(expected[i], actual[i], 1e-4f) << what << " element " << i;
}

D3DXMATRIX Transposed(const D3DXMATRIX& m)
{
    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &m);
    return t;
}

TEST_F(Skeletons, TwoSkinnedUnitsTakeConsecutivePaletteSlices)
{
    CGeometry* twenty = AddUnit("Shaded", D3DXVECTOR4(-2, 0, 0, 1), 0xFFFF0000, "Twenty");
    CGeometry* thirty = AddUnit("Shaded", D3DXVECTOR4(2, 0, 0, 1), 0xFFFF0000, "Thirty");
    ASSERT_TRUE(twenty && thirty);
    MakeChain(MeshOf(twenty), 20, 0);
    MakeChain(MeshOf(thirty), 30, 0);
    RunFrame();
    EXPECT_EQ(4u, twenty->bonePaletteOffset);
    EXPECT_EQ(244u, thirty->bonePaletteOffset);
    EXPECT_EQ(4 + 12 * 50, gRenderer->paletteOffset);
    EXPECT_EQ(90, gRenderer->numBones) << "the last drawn unit's bones x 3";
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(Skeletons, AHiddenBoneGetsTwelveZeros)
{
    CGeometry* unit = AddUnit("Shaded", D3DXVECTOR4(0, 0, 0, 1), 0xFFFF0000, "Six");
    ASSERT_NE(nullptr, unit);
    MakeChain(MeshOf(unit), 6, 0);
    unit->hiddenBones = 8;
    RunFrame();
    const float identityRows[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    for (int bone = 0; bone < 6; ++bone)
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(bone == 3 ? 0.0f : identityRows[i], Slice(unit, bone)[i]) << "bone " << bone << " " << i;
}

TEST_F(Skeletons, BonesInBoneSpaceCarryTheirPositionsDownTheChain)
{
    CGeometry* unit = AddUnit("Shaded", D3DXVECTOR4(0, 0, 0, 1), 0xFFFF0000, "Three");
    ASSERT_NE(nullptr, unit);
    MakeChain(MeshOf(unit), 3, 8);
    RunFrame();
    // Transposed rows: the translation is the fourth float of each of the first rows.
    for (int bone = 0; bone < 3; ++bone) {
        EXPECT_FLOAT_EQ(float(bone + 1), Slice(unit, bone)[3]) << "x of bone " << bone;
        EXPECT_FLOAT_EQ(0.0f, Slice(unit, bone)[7]);
        EXPECT_FLOAT_EQ(1.0f, Slice(unit, bone)[0]);
    }
}

TEST_F(Skeletons, ASlaveTakesItsMastersWorld)
{
    CGeometry* master = AddUnit("Shaded", D3DXVECTOR4(10, 0, 0, 1), 0xFFFF0000);
    CGeometry* slave = AddUnit("Shaded", D3DXVECTOR4(1, 2, 0, 1), 0xFFFF0000);
    ASSERT_TRUE(master && slave);
    master->Orient.y = D3DX_PI / 2;
    master->UpdateWorldMatrix();
    slave->Orient.x = 0.3f;
    slave->UpdateWorldMatrix();
    ASSERT_EQ(0, master->AttachUnit(slave, NOT_ATTACHED));
    RunFrame();
    const D3DXMATRIX attached = slave->world * master->world;
    ExpectMatrix(Transposed(attached), gRenderer->transposedWorlds[slave->renderObject], "full attach");
    D3DXMATRIX out;
    gRenderer->ComputeAttachedWorld(&out, slave);
    ExpectMatrix(attached, out, "computed");

    slave->SysControls |= SYS_ATTACH_POS;
    gRenderer->ComputeAttachedWorld(&out, slave);
    D3DXVECTOR4 position;
    D3DXVec4Transform(&position, &slave->Pos, &master->world);
    D3DXMATRIX expected = slave->world;
    expected._41 = position.x;
    expected._42 = position.y;
    expected._43 = position.z;
    ExpectMatrix(expected, out, "position only: the slave keeps its own turn");

    slave->SysControls = (slave->SysControls & ~uint32_t(SYS_ATTACH_POS)) | SYS_ATTACH_SIMPLE;
    gRenderer->ComputeAttachedWorld(&out, slave);
    ExpectMatrix(slave->world, out, "simple attach keeps the own matrix");
}

TEST_F(Skeletons, ASlaveOnABoneFollowsThatBone)
{
    CGeometry* master = AddUnit("Shaded", D3DXVECTOR4(0, 0, 5, 1), 0xFFFF0000, "Arm");
    CGeometry* slave = AddUnit("Shaded", D3DXVECTOR4(0, 1, 0, 1), 0xFFFF0000);
    ASSERT_TRUE(master && slave);
    MakeChain(MeshOf(master), 2, 8);
    ASSERT_EQ(0, master->AttachUnit(slave, 1));
    RunFrame();
    D3DXMATRIX bone;
    D3DXMatrixTranslation(&bone, 2, 0, 0);
    const D3DXMATRIX attached = slave->world * bone * master->world;
    ExpectMatrix(Transposed(attached), gRenderer->transposedWorlds[slave->renderObject], "bone attach");
}

// A 3D control beyond MaxRenderObjects keeps nothing of the index and palette it had last
// frame: those belong to other units now, and it is left out of the skeleton and drawing.
TEST_F(Skeletons, AControlWithoutARenderObjectLeavesTheOthersWorldsAlone)
{
    ReadScript("Renderer [ MaxRenderObjects: 2 ]");
    CGeometry* first = AddUnit("Shaded", D3DXVECTOR4(-2, 0, 0, 1), 0xFFFF0000);
    CGeometry* second = AddUnit("Shaded", D3DXVECTOR4(2, 0, 0, 1), 0xFFFF0000);
    CGeometry* control = AddUnit("Shaded", D3DXVECTOR4(0, 3, 0, 1), 0xFFFF0000);
    ASSERT_TRUE(first && second && control);
    control->SysControls |= SYS_FOR_CONTROLS3D;
    for (CGeometry* unit : {first, second}) unit->SysControls &= ~uint32_t(SYS_RENDER_ALWAYS);
    RunFrame();
    ASSERT_EQ(0, control->renderObject);
    ASSERT_NE(0u, control->bonePaletteOffset);

    for (CGeometry* unit : {first, second}) unit->SysControls |= SYS_RENDER_ALWAYS;
    RunFrame();
    EXPECT_EQ(NO_RENDER_OBJECT, control->renderObject);
    EXPECT_EQ(0u, control->bonePaletteOffset);
    EXPECT_FALSE(gRenderer->HasRenderObject(control));
    for (CGeometry* unit : {first, second})
        ExpectMatrix(Transposed(unit->world), gRenderer->transposedWorlds[unit->renderObject], unit->name);
    EXPECT_TRUE(messages.Contains("CRenderer::PutInRenderQueue  Warning:  MaxRenderObjects limit is exceed."));
}

TEST_F(Skeletons, NothingIsUpdatedWhilePaused)
{
    CGeometry* unit = AddUnit("Shaded", D3DXVECTOR4(0, 0, 0, 1), 0xFFFF0000);
    ASSERT_NE(nullptr, unit);
    gRenderer->SetPaused(1);
    gRenderer->ResetFrame();
    gUnitInspector->ProcessUnits();
    gRenderer->UpdateSkeletons();
    EXPECT_EQ(0u, unit->bonePaletteOffset);
    EXPECT_EQ(PALETTE_START, gRenderer->paletteOffset);
}

} // namespace
} // namespace constants
