// The kinematic bone pool read from its script section, and the matrix of each bone kind.

#include "core/Messages.h"
#include "engine/Kinematics.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class KinematicsPool : public ::testing::Test {
protected:
    // Reads the section text (after its name) into the pool.
    void Scan(const std::string& text)
    {
        const std::string path = test::TempDir("kinematics_pool") + "\\Section.txt";
        test::WriteFile(path, text);
        FILE* file = fopen(path.c_str(), "r");
        ASSERT_NE(nullptr, file);
        pool.FirstScan(file);
        fclose(file);
    }

    test::MessageRecorder messages;
    CKinematics pool;
};

void ExpectMatrix(const D3DXMATRIX& expected, const D3DXMATRIX& actual)
{
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(expected[i], actual[i], 1e-5f) << "element " << i;
}

TEST_F(KinematicsPool, BonesCountThreeAllowsExactlyTwoBones)
{
    Scan("[ BonesCount: 3 ]");
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    CKinematicBone* a = pool.AllocBone();
    CKinematicBone* b = pool.AllocBone();
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_EQ(nullptr, pool.AllocBone());
    EXPECT_EQ(KINEMATIC_NONE, a->kind);
    EXPECT_EQ(nullptr, a->next);
}

TEST_F(KinematicsPool, FreedListsComeBackMostRecentFirst)
{
    Scan("[ BonesCount: 4 ]");
    CKinematicBones list;
    for (int i = 0; i < 3; ++i) list.PushBack(pool.AllocBone());
    CKinematicBone* last = list.At(2);
    ASSERT_NE(nullptr, last);
    last->kind = KINEMATIC_TURN_Y;
    last->angleY = 1.0f;
    EXPECT_EQ(nullptr, pool.AllocBone());
    pool.FreeBones(list);
    EXPECT_TRUE(list.Empty());
    CKinematicBone* again = pool.AllocBone();
    EXPECT_EQ(last, again) << "the list is freed in order, so its last bone comes back first";
    EXPECT_EQ(KINEMATIC_NONE, again->kind) << "a bone comes back fresh";
    EXPECT_FLOAT_EQ(0.0f, again->angleY);
    pool.FreeBone(again);
    pool.FreeBone(again);  // twice: refused, the pool stays whole
    int count = 0;
    while (pool.AllocBone()) ++count;
    EXPECT_EQ(3, count);
    CKinematicBone foreign;
    pool.FreeBone(&foreign);
    pool.FreeBone(nullptr);
    EXPECT_EQ(nullptr, pool.AllocBone());
}

TEST_F(KinematicsPool, MissingCountsAndUnknownWords)
{
    Scan("[ Bones ]");
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Undefine string 'Bones'", messages.Texts()[0]);
    EXPECT_EQ(nullptr, pool.AllocBone()) << "without BonesCount every allocation fails";
    messages.Clear();
    Scan("[ BonesCount: -3 ]");
    EXPECT_EQ(0u, messages.Count());
    EXPECT_EQ(nullptr, pool.AllocBone());
    Scan("[ BonesCount: 2");
    EXPECT_TRUE(messages.Contains("is not closed by ']'")) << messages.Joined();
    EXPECT_NE(nullptr, pool.AllocBone());
}

// The container's own warnings spend its budget of 4; the unknown word stays a message box.
TEST_F(KinematicsPool, WarningsAreCountedByTheContainer)
{
    EXPECT_EQ(4, pool.warnings);
    for (int i = 0; i < 6; ++i) Scan("[ BonesCount: 2 Stray");
    EXPECT_EQ(0, pool.warnings);
    const std::string word = "Undefine string 'Stray'";
    const std::string open = "CKinematics::FirstScan :  section 'Kinematics' is not closed by ']'.";
    const std::vector<std::string> expected = {word, open, word, open, word, open, word, open + WARNING_SKIP_TAIL,
                                               word, word};
    EXPECT_EQ(expected, messages.Texts());
}

TEST_F(KinematicsPool, MatricesByKind)
{
    CKinematicBone bone;
    bone.angleX = 0.4f;
    bone.angleY = 0.7f;
    D3DXMATRIX out, expected;
    D3DXMatrixIdentity(&out);
    EXPECT_EQ(0, pool.GetBoneMatrix(bone, &out)) << "kind 0 makes no matrix";
    D3DXMatrixIdentity(&expected);
    ExpectMatrix(expected, out);

    bone.kind = KINEMATIC_TURN_Y;
    EXPECT_EQ(1, pool.GetBoneMatrix(bone, &out));
    D3DXMatrixRotationY(&expected, 0.7f);
    ExpectMatrix(expected, out);

    bone.kind = KINEMATIC_TILT_X;
    EXPECT_EQ(1, pool.GetBoneMatrix(bone, &out));
    D3DXMatrixRotationX(&expected, -0.4f);
    ExpectMatrix(expected, out);

    bone.kind = KINEMATIC_MOVE_TILT;
    EXPECT_EQ(1, pool.GetBoneMatrix(bone, &out));
    SCOPED_TRACE("with the vector (0, 0, 0, 1) kind 4 is kind 2");
    ExpectMatrix(expected, out);

    bone.vector = D3DXVECTOR4(1, 2, 3, 1);
    bone.angleX = 0.0f;
    EXPECT_EQ(1, pool.GetBoneMatrix(bone, &out));
    D3DXMatrixTranslation(&expected, 1, 2, 3);
    SCOPED_TRACE("with angle 0 kind 4 is a pure move");
    ExpectMatrix(expected, out);

    // Move, then tilt: the offset itself is tilted.
    bone.angleX = -D3DX_PI / 2;
    pool.GetBoneMatrix(bone, &out);
    D3DXVECTOR3 origin(0, 0, 0), moved;
    D3DXVec3TransformCoord(&moved, &origin, &out);
    EXPECT_NEAR(1.0f, moved.x, 1e-5f);
    EXPECT_NEAR(-3.0f, moved.y, 1e-5f);
    EXPECT_NEAR(2.0f, moved.z, 1e-5f);
}

TEST_F(KinematicsPool, ListMatricesGoByListOrder)
{
    Scan("[ BonesCount: 8 ]");
    CKinematicBones list;
    for (int i = 0; i < 3; ++i) list.PushBack(pool.AllocBone());
    list.At(0)->kind = KINEMATIC_TURN_Y;
    list.At(0)->angleY = 0.5f;
    list.At(2)->kind = KINEMATIC_TILT_X;
    list.At(2)->angleX = 0.25f;
    D3DXMATRIX matrices[3];
    for (D3DXMATRIX& m : matrices) D3DXMatrixScaling(&m, 7, 7, 7);
    uint8_t flags[3] = {0, 9, 0};
    pool.ComputeBoneMatrices(list, matrices, flags, 3);
    EXPECT_EQ(1, flags[0]);
    EXPECT_EQ(9, flags[1]) << "a bone of kind 0 leaves its flag";
    EXPECT_EQ(1, flags[2]);
    D3DXMATRIX expected;
    D3DXMatrixRotationY(&expected, 0.5f);
    ExpectMatrix(expected, matrices[0]);
    D3DXMatrixScaling(&expected, 7, 7, 7);
    ExpectMatrix(expected, matrices[1]);
    D3DXMatrixRotationX(&expected, -0.25f);
    ExpectMatrix(expected, matrices[2]);

    // The count bounds the walk.
    flags[2] = 0;
    D3DXMatrixIdentity(&matrices[2]);
    pool.ComputeBoneMatrices(list, matrices, flags, 2);
    EXPECT_EQ(0, flags[2]);
    pool.FreeBones(list);
}

} // namespace
