// Limits, truncated and hostile mesh files: each ends in a message and a failed load that
// leaves the mesh empty and nothing locked, never a crash or a write out of bounds.

#include "core/GraphicsBuffers.h"
#include "core/Meshes/MeshReader.h"
#include "tests/meshes/MeshTestSupport.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

using namespace meshtest;

namespace {

class MeshHostile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureDevice()); }
    void TearDown() override { mesh.Release(); }

    // Loads the text; expects the code, one message containing `part`, an empty mesh and
    // no buffer left locked.
    void ExpectRejected(const std::string& text, int code, const std::string& part, SReserves reserves = {})
    {
        messages.Clear();
        EXPECT_EQ(code, Load(WriteMesh("hostile.msh", text), mesh, 0x112, 0, reserves)) << text;
        ASSERT_EQ(1u, messages.Count()) << text << "\n" << messages.Joined();
        EXPECT_NE(std::string::npos, messages.Texts()[0].find(part)) << messages.Joined();
        EXPECT_EQ(nullptr, mesh.vertexBuffer) << text;
        EXPECT_EQ(nullptr, mesh.indexBuffer) << text;
        EXPECT_EQ(0, mesh.vertexCount) << text;
        EXPECT_EQ(0, gLockedVBs.count) << text;
        EXPECT_EQ(0, gLockedIBs.count) << text;
    }

    test::MessageRecorder messages;
    CMesh mesh;
};

const char* const TRIANGLE = "MESH\n3\n0 0 0\n1 0 0\n1 1 0\n";

TEST_F(MeshHostile, CountsAboveTheStagingLimits)
{
    ExpectRejected("NumVertices 131073\nMESH\n", -20,
                   "PROGRAMMER LIMIT: MAX_VERTS. In Mesh.. ");
    ExpectRejected("NumVertices 3\nNumPrimitives 131073\nMESH\n", -20,
                   "PROGRAMMER LIMIT: MAX_PRIMS. In Mesh.. ");
    ExpectRejected(std::string("NumVertices 3\nNumPrimitives 1\n") + TRIANGLE +
                       "MaterialList 1 200000\n0\n",
                   -20, "MAX_PRIMS");
    ExpectRejected(std::string("NumVertices 3\n") + TRIANGLE, -20, "MAX_SUBMESHES", SReserves{0, 0, 2000000000});
}

TEST_F(MeshHostile, TooManyBoneWeightsLeaveAnEmptyMesh)
{
    ExpectRejected("NumVertices 1\nPER_VERTEX_BONE_WEIGHTS 5\nMESH\n1\n0 0 0\n", -123,
                   "Number of bone indices is more 4. Problem in mesh file '");
}

TEST_F(MeshHostile, NegativeCounts)
{
    ExpectRejected("NumVertices -3\nMESH\n", -20, "NumVertices");
    ExpectRejected("MESH\n-5\n", -20, "negative");
    ExpectRejected("NumVertices 3\nPER_VERTEX_BONE_WEIGHTS -1\n", -20, "damaged");
    ExpectRejected(std::string("NumVertices 3\nNumPrimitives 1\n") + TRIANGLE + "indices -1\n",
                   -20, "negative");
    ExpectRejected(std::string("NumVertices 3\n") + TRIANGLE + "MaterialList -1 2\n0 0\n", -20,
                   "negative");
    ExpectRejected(std::string("NumVertices 3\n") + TRIANGLE + "normals -2\n", -20,
                   "negative");
}

TEST_F(MeshHostile, TruncatedFiles)
{
    ExpectRejected("NumVertices 3\nMESH\n3\n0 0 0\n1 1", -20, "cut short");
    ExpectRejected(std::string("NumVertices 3\nNumPrimitives 1\n") + TRIANGLE + "indices 1\n0 1",
                   -20, "cut short");
    ExpectRejected(std::string("NumVertices 3\n") + TRIANGLE + "normals 3\n0 0 1\n", -20,
                   "cut short");
    ExpectRejected("NumVertices 3\nMESH\n3\n0 0 zero\n", -20, "cut short");
}

TEST_F(MeshHostile, CountsLargerThanTheHeader)
{
    ExpectRejected(std::string("NumVertices 2\n") + TRIANGLE, -20, "more vertices");
    ExpectRejected(std::string("NumVertices 3\n") + TRIANGLE + "normals 4\n", -20,
                   "more vertices");
    ExpectRejected(std::string("NumVertices 3\nNumPrimitives 1\n") + TRIANGLE +
                       "indices 2\n0 1 2\n0 1 2\n",
                   -20, "more primitives");
    ExpectRejected("NumVertices 131072\nMESH\n131072\n0 0 0\n", -20, "cut short");
    // A reserve makes the buffers larger, not the mesh: its submeshes would pass its counts.
    ExpectRejected(std::string("NumVertices 3\nNumPrimitives 1\n") + TRIANGLE + "indices 2\n0 1 2\n0 1 2\n", -20,
                   "more primitives", SReserves{8, 4, 0});
}

// A per-vertex section counts its block's rows: more would take vertices of the file read
// before (here one at 100, 100, 100), fewer would leave the block's other vertices zero.
TEST_F(MeshHostile, PerVertexSectionsCountTheirBlocksRows)
{
    const std::string distant = "NumVertices 4\nMESH\n4\n100 100 100\n100 100 100\n100 100 100\n100 100 100\n";
    const std::pair<const char*, const char*> kinds[] = {
        {"normals", "0 0 1\n"}, {"TextureCoords", "0.5 0.5\n"}, {"Texture1Coords", "0.5 0.5\n"}};
    for (const auto& [section, row] : kinds) {
        ASSERT_EQ(0, Load(WriteMesh("distant.msh", distant), mesh, MESH_XYZ));
        const std::string counts = std::string(section) + " counts";
        ExpectRejected(std::string("NumVertices 4\n") + TRIANGLE + section + " 4\n" + row + row + row + row, -20,
                       counts);
        ExpectRejected(std::string("NumVertices 3\nNumPrimitives 1\n") + TRIANGLE + "indices 1\n0 1 2\n" + section +
                           " 2\n" + row + row,
                       -20, counts);
    }
}

TEST_F(MeshHostile, IndicesOutsideTheirBlock)
{
    ExpectRejected(std::string("NumVertices 3\nNumPrimitives 1\n") + TRIANGLE +
                       "indices 1\n0 1 3\n",
                   -20, "outside its block");
    ExpectRejected(std::string("NumVertices 3\nNumPrimitives 1\n") + TRIANGLE +
                       "indices 1\n0 -1 2\n",
                   -20, "outside its block");
    ExpectRejected(std::string("NumVertices 3\nNumPrimitives 1\n") + TRIANGLE +
                       "indices_ex 99 1\n0 1 2\n",
                   -20, "indices_ex");
    // Clones and per-material draws step through the index buffer by one width.
    ExpectRejected(std::string("NumVertices 6\nNumPrimitives 2\n") + TRIANGLE + "indices 1\n0 1 2\n" +
                       TRIANGLE + "indices_ex 4 1\n0 1 2 0\n",
                   -20, "different numbers of indices");
}

TEST_F(MeshHostile, TooManyUserBoundBoxes)
{
    std::string text = std::string("NumVertices 3\n") + TRIANGLE + "USER_BOUND_BOXES\n";
    for (int i = 0; i < 129; ++i)
        text += "0 0 0 1 1 1\n";
    ExpectRejected(text + "END\n", -1, "PROGRAMMER LIMIT:  MAX_USER_BB.");
}

TEST_F(MeshHostile, DamagedSkeletonBlocks)
{
    const std::string head = std::string("NumVertices 3\n") + TRIANGLE + "SKELETON_STRUCTURE\n";
    ExpectRejected(head, -20, "damaged: it ends before \"BoneName\"");
    ExpectRejected(head + "NumBones -2\nBoneName BoneMaster x y z\n", -20, "NumBones is not a count");
    ExpectRejected(head + "NumBones two\nBoneName BoneMaster x y z\n", -20, "NumBones is not a count");
    ExpectRejected(head + "NumBones 65\nBoneName BoneMaster x y z\n", -20, "MAX_BONES (64)");
    // Three bones declared, one and a half written.
    ExpectRejected(head + "NumBones 3\nBoneName BoneMaster x y z\nRoot not_present 0 0 0\nArm Root 1\n", -20,
                   "a bone row is cut short");
    ExpectRejected(head + "NumBones 1\nBoneName BoneMaster x y z\nRoot not_present 0 zero 0\n", -20,
                   "a bone row is cut short");
    ExpectRejected(head + "NumBones 2\nBoneName BoneMaster x y z\nRoot not_present 0 0 0\nArm Root 1 0 0\n"
                          "InitBoneInverseTransforms\n1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n",
                   -20, "fewer matrices than bones");
    EXPECT_EQ(0, mesh.skeleton.boneCount);
    EXPECT_EQ(nullptr, mesh.skeleton.bones);
}

TEST_F(MeshHostile, MaterialNumbersOutOfRangeColourWhite)
{
    std::string text = std::string("NumVertices 3\nNumPrimitives 3\n") + TRIANGLE +
                       "indices 1\n0 1 2\nMaterialList 1 3\n7 -1 0\n"
                       "Materials... R G B A\ndiffuse 1 0 0 1 specular 0 0 0 name a path b\n";
    ASSERT_EQ(0, Load(WriteMesh("matrange.msh", text), mesh, MESH_XYZ | MESH_DIFFUSE))
        << messages.Joined();
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("matrange.msh': 2 primitives name materials outside"));
    EXPECT_EQ((std::vector<int>{-1, -1, 0}),
              std::vector<int>(mesh.primitiveMaterials, mesh.primitiveMaterials + mesh.primitiveMaterialCount));
    std::vector<uint8_t> vb = ReadVB(mesh);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(0xFFFFFFFFu, At<uint32_t>(vb, i * 16 + 12));

    // Only a block that read a table is judged against it: the first list here has none.
    messages.Clear();
    text = std::string("NumVertices 6\nNumPrimitives 2\n") + TRIANGLE + "indices 1\n0 1 2\nMaterialList 2 1\n5\n" +
           TRIANGLE + "indices 1\n0 1 2\nMaterialList 1 1\n7\n"
                      "Materials... R G B A\ndiffuse 1 0 0 1 specular 0 0 0 name a path b\n";
    ASSERT_EQ(0, Load(WriteMesh("notable.msh", text), mesh, MESH_XYZ | MESH_DIFFUSE)) << messages.Joined();
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("notable.msh': 1 primitives name materials outside"));
}

// 300 materials: the rows past 256 are read and dropped, and the limit, the numbers naming
// them and the words of a garbage header are each said once.
TEST_F(MeshHostile, FloodsOfOneKindAreSaidOncePerFile)
{
    std::string text = "NumVertices 3\nNumPrimitives 300\n" + std::string(40, '\x01') + " \xff\xfe junk words\n" +
                       TRIANGLE + "MaterialList 300 300\n";
    for (int i = 0; i < 300; ++i)
        text += std::to_string(i) + " ";
    text += "\nMaterials... R G B A\n";
    for (int i = 0; i < 300; ++i)
        text += "diffuse 1 1 1 1 specular 0 0 0 name n path p\n";
    ASSERT_EQ(0, Load(WriteMesh("maters.msh", text), mesh, MESH_XYZ));
    EXPECT_EQ(256, mesh.materialCount);
    ASSERT_EQ(3u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("Unknown parameter in mesh file '"));
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("\n\n 3 more like this in '")) << messages.Joined();
    EXPECT_TRUE(messages.SaidWithMore("PROGRAMMER LIMIT: MAX_MATERS.", 44)) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[2].find(": 44 primitives name materials outside"));
}

TEST_F(MeshHostile, OverLongNamesAreCut)
{
    const std::string longName(100, 'n');
    std::string text = "NumVertices 3\nNAMES_BY_MESHES\n" + std::string(600, 'w') +
                       "\nMESH \"" + longName + "\"\n3\n0 0 0\n1 0 0\n1 1 0\n"
                       "MaterialList 1 1\n0\nMaterials... R G B A\n"
                       "diffuse 1 1 1 1 specular 0 0 0 name " + longName + " path \"" +
                       std::string(400, 'p') + "\"\nTexturePath: \"" + std::string(400, 't') +
                       "\"\n";
    ASSERT_EQ(0, Load(WriteMesh("names.msh", text), mesh, MESH_XYZ, LOAD_MESH_QUIET_TEXTURES))
        << messages.Joined();
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("Unknown parameter"));
    EXPECT_EQ(0u, messages.Texts()[1].find("Submesh name '" + longName + "' is longer than 23"));
    EXPECT_EQ(std::string(63, 'n'), mesh.subMeshes[0].name);
    EXPECT_EQ(std::string(31, 'n'), mesh.materials[0].name);
    EXPECT_EQ(std::string(255, 'p'), mesh.materials[0].path);
}

TEST_F(MeshHostile, TooManyBlocks)
{
    std::string text;
    for (int i = 0; i < 257; ++i)
        text += "MESH\n0\n";
    messages.Clear();
    EXPECT_EQ(-20, Load(WriteMesh("blocks.msh", text), mesh, MESH_XYZ));
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("PROGRAMMER LIMIT: MAX_SUBMESHES (Meshes).", messages.Texts()[0]);
    EXPECT_NE(std::string::npos, messages.Texts()[1].find("more than 256 blocks"));
}

} // namespace
