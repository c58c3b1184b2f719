// Skeleton blocks of mesh files: bones, masters and children, bone space, inverse
// matrices, the writer's block read back, and bone indices that name no bone.

#include "core/Meshes/MeshReader.h"
#include "core/Strings.h"
#include "tests/meshes/MeshTestSupport.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

using namespace meshtest;

namespace {

class SkeletonBlock : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureDevice()); }
    void TearDown() override { mesh.Release(); }
    test::MessageRecorder messages;
    CMesh mesh;
};

// Two vertices on bone 1 (the arm), one on bone 2; the arm is listed after its hand, so
// the hand's master is found further down the list.
const char* const ARM = R"(NumVertices 3
BONE_INDEX_PER_VERTEX
VERTS_IN_BONE_SPACE
MESH
3
 0 0 0   1
 1 0 0   1
 0 1 0   2
SKELETON_STRUCTURE
  NumBones 3
  NameQuotes
  BoneName BoneMaster x y z
  "Root bone"  "not_present"  0 0 0
  "Hand"       "Arm"          3 0 0
  "Arm"        "Root bone"    1 0 0
)";

TEST_F(SkeletonBlock, BonesMastersAndChildren)
{
    ASSERT_EQ(0, Load(WriteMesh("arm.msh", ARM), mesh, MESH_XYZ | MESH_BONES)) << messages.Joined();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    const CSkeleton& s = mesh.skeleton;
    ASSERT_EQ(3, s.boneCount);
    EXPECT_EQ(SKELETON_NAME_QUOTES | SKELETON_BONE_SPACE, s.flags);
    EXPECT_STREQ("Root bone", s.bones[0].name);
    EXPECT_EQ(nullptr, s.bones[0].master);
    EXPECT_EQ(&s.bones[2], s.bones[1].master) << "a master listed after its bone";
    EXPECT_EQ(&s.bones[0], s.bones[2].master);
    ASSERT_EQ(1, s.bones[0].childCount);
    EXPECT_EQ(2, s.bones[0].children[0]);
    ASSERT_EQ(1, s.bones[2].childCount);
    EXPECT_EQ(1, s.bones[2].children[0]);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(i, s.bones[i].index);
        EXPECT_EQ(uint64_t(1) << i, s.bones[i].mask);
    }
    EXPECT_EQ(StrHash("Hand"), s.bones[1].id);
    EXPECT_EQ(1, s.FindBoneById(StrHash("Hand")));
    EXPECT_EQ(-1, s.FindBoneById(StrHash("Leg")));
    EXPECT_EQ(2, s.FindBoneIndex("Arm"));
    // Relative positions in bone space: the hand sits two units along its arm.
    EXPECT_FLOAT_EQ(2.0f, s.bones[1].relative.x);
    EXPECT_FLOAT_EQ(1.0f, s.bones[2].relative.x);
    EXPECT_FLOAT_EQ(1.0f, s.bones[1].relative.w);
}

TEST_F(SkeletonBlock, LoaderFlag2MovesVerticesToModelSpace)
{
    const uint32_t format = MESH_XYZ | MESH_BONES;
    ASSERT_EQ(0, Load(WriteMesh("arm.msh", ARM), mesh, format, LOAD_MESH_BONE_SPACE)) << messages.Joined();
    EXPECT_EQ(0u, mesh.skeleton.flags & SKELETON_BONE_SPACE) << "the buffer is no longer in bone space";
    const std::vector<uint8_t> vb = ReadVB(mesh);
    ASSERT_EQ(3u * 16, vb.size());
    EXPECT_FLOAT_EQ(3.0f, At<float>(vb, 0)) << "bone 1 (the hand) sits at x 3";
    EXPECT_FLOAT_EQ(4.0f, At<float>(vb, 16));
    EXPECT_FLOAT_EQ(1.0f, At<float>(vb, 32)) << "bone 2 (the arm) sits at x 1";
    EXPECT_FLOAT_EQ(1.0f, At<float>(vb, 36));
}

TEST_F(SkeletonBlock, WordNamesAndMissingMasters)
{
    std::string text = "NumVertices 3\nMESH\n3\n0 0 0\n1 0 0\n1 1 0\n"
                       "SKELETON_STRUCTURE\nNumBones 3 Comment words\nBoneName BoneMaster x y z\n"
                       "Pelvis not_present 0 1 0\nSpine Pelvis 0 2 0\nTail Ghost 0 0 -1\n";
    text.replace(text.find("NumBones 3"), 10, "NumBones 4");
    text += "Fin Spook 0 0 0\n";  // a second missing master is not said again
    ASSERT_EQ(0, Load(WriteMesh("words.msh", text), mesh, MESH_XYZ)) << messages.Joined();
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("master bone 'Ghost' not found."));
    const CSkeleton& s = mesh.skeleton;
    ASSERT_EQ(4, s.boneCount);
    EXPECT_EQ(0u, s.flags);
    EXPECT_EQ(nullptr, s.bones[2].master) << "an unknown master leaves a root";
    EXPECT_EQ(&s.bones[0], s.bones[1].master);
    EXPECT_FLOAT_EQ(-1.0f, s.bones[2].absolute.z);
}

TEST_F(SkeletonBlock, EmptySkeletonAndSkeletonOnlyFiles)
{
    const char* empty = "NumVertices 3\nMESH\n3\n0 0 0\n1 0 0\n1 1 0\n"
                        "SKELETON_STRUCTURE\nNumBones 0\nBoneName BoneMaster x y z\nBOUND_BOX\n"
                        "0 0 0\n0 0 1\n1 0 1\n1 0 0\n0 1 0\n0 1 1\n1 1 1\n1 1 0\n";
    ASSERT_EQ(0, Load(WriteMesh("empty.msh", empty), mesh, MESH_XYZ)) << messages.Joined();
    EXPECT_EQ(0, mesh.skeleton.boneCount);
    EXPECT_EQ(nullptr, mesh.skeleton.bones);
    EXPECT_FLOAT_EQ(1.0f, mesh.corners[6].y) << "the sections after the block are read";

    const char* only = "SKELETON_STRUCTURE\nNumBones 1\nBoneName BoneMaster x y z\nOne not_present 1 2 3\n";
    ASSERT_EQ(0, Load(WriteMesh("only.msh", only), mesh, MESH_XYZ)) << messages.Joined();
    EXPECT_EQ(0, mesh.vertexCount);
    EXPECT_EQ(nullptr, mesh.vertexBuffer);
    ASSERT_EQ(1, mesh.skeleton.boneCount);
    EXPECT_FLOAT_EQ(3.0f, mesh.skeleton.bones[0].absolute.z);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(SkeletonBlock, EqualIdsAndLongNamesAreReported)
{
    // "ab" + "cd" groups: "abcd", "cdab" and "abab", "cdcd" hash alike (sum of four-byte
    // groups). Three equal pairs and two long names: one message of each kind.
    const char* text = "SKELETON_STRUCTURE\nNumBones 5\nBoneName BoneMaster x y z\n"
                       "abcdcdab not_present 0 0 0\ncdababcd abcdcdab 0 0 0\n"
                       "AVeryLongBoneNameOfThirtyChars not_present 0 0 0\nababcdcd not_present 0 0 0\n"
                       "AnotherLongBoneNameOfThirtyCh not_present 0 0 0\n";
    ASSERT_EQ(0, Load(WriteMesh("ids.msh", text), mesh, MESH_XYZ));
    ASSERT_EQ(StrHash("abcdcdab"), StrHash("cdababcd"));
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Joined().find("longer than 25 characters"));
    EXPECT_NE(std::string::npos, messages.Joined().find("Warning: Generate equal bone ids in file..  '"));
    ASSERT_EQ(5, mesh.skeleton.boneCount);
    EXPECT_EQ(&mesh.skeleton.bones[0], mesh.skeleton.bones[1].master);
    EXPECT_EQ(StrHash("AVeryLongBoneNameOfThirtyChars"), mesh.skeleton.bones[2].id) << "the whole name is hashed";
}

TEST_F(SkeletonBlock, AFortyFirstChildIsReportedAndTheFirstFortyStay)
{
    std::string text = "SKELETON_STRUCTURE\nNumBones 44\nBoneName BoneMaster x y z\nHub not_present 0 0 0\n";
    for (int i = 1; i <= 42; ++i) text += "Spoke" + std::to_string(i) + " Hub 1 0 0\n";
    text += "SelfMade SelfMade 0 0 0\n";
    ASSERT_EQ(0, Load(WriteMesh("hub.msh", text), mesh, MESH_XYZ));
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();  // two children too many: said once
    EXPECT_EQ(0u, messages.Texts()[0].find("PROGRAMMER LIMIT:  MAX_BONE_CHILDS limit is exceed."));
    EXPECT_NE(std::string::npos, messages.Texts()[1].find("bone 'SelfMade' is its own master."));
    const CSkeleton& s = mesh.skeleton;
    ASSERT_EQ(44, s.boneCount);
    EXPECT_EQ(MAX_BONE_CHILDREN, s.bones[0].childCount);
    EXPECT_EQ(40, s.bones[0].children[39]);
    EXPECT_EQ(&s.bones[0], s.bones[41].master) << "the spoke keeps its master";
    EXPECT_EQ(nullptr, s.bones[43].master) << "its own master would make a loop: a root";
    EXPECT_EQ(0, s.bones[43].childCount);
}

TEST_F(SkeletonBlock, BoneIndicesOutOfRangeTakeBoneZero)
{
    const char* text = "NumVertices 3\nBONE_INDEX_PER_VERTEX\nMESH\n3\n0 0 0 1\n1 0 0 7\n1 1 0 1\n"
                       "SKELETON_STRUCTURE\nNumBones 2\nBoneName BoneMaster x y z\n"
                       "A not_present 0 0 0\nB A 1 0 0\n";
    ASSERT_EQ(0, Load(WriteMesh("range.msh", text), mesh, MESH_XYZ | MESH_BONES));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("names bone 7, but its skeleton holds 2 bones"));
    const std::vector<uint8_t> vb = ReadVB(mesh);
    EXPECT_EQ(1u, At<uint32_t>(vb, 12));
    EXPECT_EQ(0u, At<uint32_t>(vb, 16 + 12));
    EXPECT_EQ(1u, At<uint32_t>(vb, 32 + 12));

    messages.Clear();
    const char* weighted = "NumVertices 1\nPER_VERTEX_BONE_WEIGHTS 2\nMESH\n1\n"
                           "0 0 0 bones: b: 1 w: 0.5 b: 9 w: 0.5\n"
                           "SKELETON_STRUCTURE\nNumBones 2\nBoneName BoneMaster x y z\n"
                           "A not_present 0 0 0\nB A 1 0 0\n";
    ASSERT_EQ(0, Load(WriteMesh("weights.msh", weighted), mesh, MESH_XYZ | MESH_BONES | MESH_WEIGHTS));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    const std::vector<uint8_t> wb = ReadVB(mesh);
    EXPECT_EQ(1, wb[12]);
    EXPECT_EQ(0, wb[13]);
}

// Removing and resizing keep masters, children, indices, masks and inverse matrices in step.
TEST_F(SkeletonBlock, EditedSkeletonsStayWhole)
{
    std::string text = std::string(ARM) + "InitBoneInverseTransforms\n";
    for (int bone = 0; bone < 3; ++bone)
        text += "1 0 0 0\n0 1 0 0\n0 0 1 0\n" + std::to_string(-bone) + " 0 0 1\n";
    ASSERT_EQ(0, Load(WriteMesh("edit.msh", text), mesh, MESH_XYZ | MESH_BONES)) << messages.Joined();
    CSkeleton& s = mesh.skeleton;
    s.RemoveBone(0);  // the root: the arm becomes one; the hand and the arm move up
    ASSERT_EQ(2, s.boneCount);
    EXPECT_STREQ("Hand", s.bones[0].name);
    EXPECT_EQ(&s.bones[1], s.bones[0].master);
    EXPECT_EQ(nullptr, s.bones[1].master);
    ASSERT_EQ(1, s.bones[1].childCount);
    EXPECT_EQ(0, s.bones[1].children[0]);
    EXPECT_EQ(1, s.bones[1].index);
    EXPECT_EQ(2u, s.bones[1].mask);
    EXPECT_FLOAT_EQ(-2.0f, s.inverseMatrices[1]._41);
    s.RemoveBone(7);
    EXPECT_EQ(2, s.boneCount);

    ASSERT_EQ(0, s.Resize(1));  // the hand loses its master
    EXPECT_EQ(nullptr, s.bones[0].master);
    EXPECT_FLOAT_EQ(-1.0f, s.inverseMatrices[0]._41);
    ASSERT_EQ(0, s.Resize(3));
    EXPECT_STREQ("Hand", s.bones[0].name);
    EXPECT_EQ(4u, s.bones[2].mask);
    EXPECT_FLOAT_EQ(0.0f, s.inverseMatrices[2]._41);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(s.inverseMatrices) % 16);
    EXPECT_EQ(-1, s.Resize(65));
    EXPECT_EQ(3, s.boneCount);
    EXPECT_EQ(-1, s.AllocBones(65));
    EXPECT_EQ(0, s.boneCount);
    EXPECT_EQ(nullptr, AlignedAlloc(SIZE_MAX - 8));
    AlignedFree(nullptr);
}

TEST_F(SkeletonBlock, InverseMatricesAndTheWriterRoundTrip)
{
    std::string text = ARM;
    text += "InitBoneInverseTransforms\n";
    for (int bone = 0; bone < 3; ++bone)
        text += "1 0 0 0\n0 1 0 0\n0 0 1 0\n" + std::to_string(-bone) + " 0 0 1\n";
    const uint32_t format = MESH_XYZ | MESH_BONES;
    ASSERT_EQ(0, Load(WriteMesh("inverse.msh", text), mesh, format)) << messages.Joined();
    ASSERT_NE(nullptr, mesh.skeleton.inverseMatrices);
    EXPECT_FLOAT_EQ(-2.0f, mesh.skeleton.inverseMatrices[2]._41);

    const std::string saved = WriteMesh("saved.msh", "");
    ASSERT_EQ(0, SaveMesh(saved.c_str(), &mesh, format, SAVE_MESH_SKELETON | SAVE_MESH_BONE_SPACE));
    const std::string written = test::ReadFile(saved);
    EXPECT_NE(std::string::npos, written.find("    NumBones  3")) << written;
    EXPECT_NE(std::string::npos, written.find("    NameQuotes")) << written;
    EXPECT_NE(std::string::npos, written.find("\"Root bone\"")) << written;
    EXPECT_NE(std::string::npos, written.find("\"not_present\"")) << written;
    CMesh again;
    ASSERT_EQ(0, Load(saved, again, format)) << messages.Joined() << written;
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    ASSERT_EQ(3, again.skeleton.boneCount);
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(mesh.skeleton.bones[i].name, again.skeleton.bones[i].name);
        EXPECT_EQ(mesh.skeleton.bones[i].id, again.skeleton.bones[i].id);
        EXPECT_FLOAT_EQ(mesh.skeleton.bones[i].absolute.x, again.skeleton.bones[i].absolute.x);
        const SBone* master = mesh.skeleton.bones[i].master;
        const SBone* againMaster = again.skeleton.bones[i].master;
        EXPECT_EQ(master ? master->index : -1, againMaster ? againMaster->index : -1);
    }
    ASSERT_NE(nullptr, again.skeleton.inverseMatrices);
    EXPECT_FLOAT_EQ(-2.0f, again.skeleton.inverseMatrices[2]._41);
    EXPECT_EQ(ReadVB(mesh), ReadVB(again)) << "vertices stay in bone space";
    again.Release();
}

} // namespace
