// LoadMesh on files written here: buffers read back byte for byte for several layouts,
// blocks, index widths, bounds and vertex colours.

#include "core/Core.h"
#include "core/GraphicsBuffers.h"
#include "core/Meshes/MeshReader.h"
#include "core/Meshes/MeshStaging.h"
#include "core/Strings.h"
#include "tests/meshes/MeshTestSupport.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace meshtest;

namespace {

const char* const QUAD = R"(NumVertices 4
NumPrimitives 2
MESH
4
 0 0 0
 1 0 0
 1 1 0
 0 1 0
indices 2
0 1 2
0 2 3
normals 4
0 0 1
0 0 1
0 1 0
1 0 0
TextureCoords 4
0 0
1 0
1 1
0.5 0.25
)";

class MeshReader : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureDevice()); }
    void TearDown() override
    {
        // Every load leaves nothing locked, whatever its outcome.
        EXPECT_EQ(0, gLockedVBs.count);
        EXPECT_EQ(0, gLockedIBs.count);
        mesh.Release();
    }
    test::MessageRecorder messages;
    CMesh mesh;
};

TEST_F(MeshReader, PositionNormalUvLayoutByteForByte)
{
    ASSERT_EQ(0, Load(WriteMesh("quad.msh", QUAD), mesh, 0x112)) << messages.Joined();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(32, mesh.stride);
    EXPECT_EQ(8, mesh.strideDwords);
    EXPECT_EQ(4, mesh.vertexCount);
    EXPECT_EQ(2, mesh.primitiveCount);
    EXPECT_EQ(0x112u, mesh.vertexFormat);
    std::vector<uint8_t> vb = ReadVB(mesh);
    ASSERT_EQ(4u * 32, vb.size());
    const float expected[4][8] = {{0, 0, 0, 0, 0, 1, 0, 0},
                                  {1, 0, 0, 0, 0, 1, 1, 0},
                                  {1, 1, 0, 0, 1, 0, 1, 1},
                                  {0, 1, 0, 1, 0, 0, 0.5f, 0.25f}};
    EXPECT_EQ(0, memcmp(vb.data(), expected, sizeof expected));
    EXPECT_EQ(1, mesh.indexed);
    EXPECT_EQ(2, mesh.indexSize);
    EXPECT_EQ(3, mesh.indicesPerPrimitive);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 0, 2, 3}), ReadIndices(mesh));
    ASSERT_EQ(1, mesh.subMeshCount);
    EXPECT_EQ(0, mesh.subMeshes[0].firstVertex);
    EXPECT_EQ(3, mesh.subMeshes[0].lastVertex);
    EXPECT_EQ(1, mesh.subMeshes[0].lastPrimitive);
}

TEST_F(MeshReader, BoneAndWeightLayout)
{
    const char* text = R"(NumVertices 2
PER_VERTEX_BONE_WEIGHTS 2
MESH
2
1 2 3   bones: b: 5 w: 0.5  b: 70 w: 1.0
4 5 6   bones: b: 1 w: 0.25 b: 2 w: 0.75
TextureCoords 2
0.5 0.5
1 1
)";
    const uint32_t format = MESH_XYZ | MESH_BONES | MESH_WEIGHTS | MESH_UV0;
    ASSERT_EQ(0, Load(WriteMesh("bones.msh", text), mesh, format)) << messages.Joined();
    EXPECT_EQ(28, mesh.stride);
    EXPECT_EQ(2, mesh.boneWeights);
    std::vector<uint8_t> vb = ReadVB(mesh);
    ASSERT_EQ(56u, vb.size());
    EXPECT_EQ(3.0f, At<float>(vb, 8));
    // A bone index of 64 or more becomes 0; weights are int(w x 255).
    const uint8_t bones0[8] = {5, 0, 0, 0, 127, 255, 0, 0};
    EXPECT_EQ(0, memcmp(vb.data() + 12, bones0, 8));
    EXPECT_EQ(0.5f, At<float>(vb, 20));
    const uint8_t bones1[8] = {1, 2, 0, 0, 63, 191, 0, 0};
    EXPECT_EQ(0, memcmp(vb.data() + 28 + 12, bones1, 8));
    EXPECT_EQ(0, mesh.indexed);
}

TEST_F(MeshReader, FirstTextureCoordinatesAlsoFillTheSecondSet)
{
    ASSERT_EQ(0, Load(WriteMesh("quad.msh", QUAD), mesh, MESH_XYZ | MESH_UV0 | MESH_UV1));
    EXPECT_EQ(28, mesh.stride);
    std::vector<uint8_t> vb = ReadVB(mesh);
    ASSERT_EQ(4u * 28, vb.size());
    EXPECT_EQ(0.5f, At<float>(vb, 3 * 28 + 12));
    EXPECT_EQ(0.25f, At<float>(vb, 3 * 28 + 16));
    EXPECT_EQ(0.5f, At<float>(vb, 3 * 28 + 20));
    EXPECT_EQ(0.25f, At<float>(vb, 3 * 28 + 24));
}

TEST_F(MeshReader, BlocksAreRebasedByTheVertexBase)
{
    // Block 0's normals repeat its count; a count that differs is refused (MeshHostile).
    const char* text = R"(NumVertices 6
NumPrimitives 1
NAMES_BY_MESHES
MESH "first"
3
0 0 0
1 0 0
1 1 0
normals 3
0 0 1
0 0 1
0 0 1
MESH second
3
5 5 5
6 5 5
6 6 5
indices 1
0 2 1
)";
    ASSERT_EQ(0, Load(WriteMesh("blocks.msh", text), mesh, MESH_XYZ)) << messages.Joined();
    ASSERT_EQ(2, mesh.subMeshCount);
    EXPECT_STREQ("first", mesh.subMeshes[0].name);
    EXPECT_EQ(StrHash("second"), mesh.subMeshes[1].id);
    EXPECT_EQ(0, mesh.subMeshes[0].firstVertex);
    EXPECT_EQ(2, mesh.subMeshes[0].lastVertex);
    EXPECT_EQ(-1, mesh.subMeshes[0].lastPrimitive);
    EXPECT_EQ(3, mesh.subMeshes[1].firstVertex);
    EXPECT_EQ(5, mesh.subMeshes[1].lastVertex);
    EXPECT_EQ(0, mesh.subMeshes[1].firstPrimitive);
    EXPECT_EQ(0, mesh.subMeshes[1].lastPrimitive);
    std::vector<uint32_t> indices = ReadIndices(mesh);
    ASSERT_GE(indices.size(), 3u);
    EXPECT_EQ((std::vector<uint32_t>{3, 5, 4}), std::vector<uint32_t>(indices.begin(), indices.begin() + 3));
    std::vector<uint8_t> vb = ReadVB(mesh);
    EXPECT_EQ(6.0f, At<float>(vb, 4 * 12));
}

std::string ManyVertices(int count)
{
    std::string text = "NumVertices " + std::to_string(count) + "\nNumPrimitives 1\nMESH\n" +
                       std::to_string(count) + "\n";
    for (int i = 0; i < count; ++i)
        text += "0 0 0\n";
    return text + "indices 1\n0 1 " + std::to_string(count - 1) + "\n";
}

TEST_F(MeshReader, IndexWidthFollowsVertexCountAndFlags)
{
    ASSERT_EQ(0, Load(WriteMesh("wide.msh", ManyVertices(65536)), mesh, MESH_XYZ));
    EXPECT_EQ(4, mesh.indexSize);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 65535}), ReadIndices(mesh));

    ASSERT_EQ(0, Load(WriteMesh("quad.msh", QUAD), mesh, MESH_XYZ, LOAD_MESH_INDEX32));
    EXPECT_EQ(4, mesh.indexSize);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 0, 2, 3}), ReadIndices(mesh));

    ASSERT_EQ(0, Load(WriteMesh("quad.msh", QUAD), mesh, MESH_XYZ, LOAD_MESH_SKIP_INDICES));
    EXPECT_EQ(0, mesh.indexed);
    EXPECT_EQ(nullptr, mesh.indexBuffer);
    EXPECT_EQ(0, mesh.indexSize);
}

TEST_F(MeshReader, PrimitivesWithMoreThanThreeIndicesFitTheirBuffer)
{
    const char* text = R"(NumVertices 5
NumPrimitives 2
MESH
5
0 0 0
1 0 0
2 0 0
3 0 0
4 0 0
indices_ex 4 2
0 1 2 3
4 3 2 1
)";
    ASSERT_EQ(0, Load(WriteMesh("ex.msh", text), mesh, MESH_XYZ)) << messages.Joined();
    EXPECT_EQ(4, mesh.indicesPerPrimitive);
    std::vector<uint32_t> indices = ReadIndices(mesh);
    ASSERT_GE(indices.size(), 8u);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3, 4, 3, 2, 1}),
              std::vector<uint32_t>(indices.begin(), indices.begin() + 8));
}

TEST_F(MeshReader, BoundBoxCornersAndRadius)
{
    const char* text = "NumVertices 3\nMESH\n3\n-1 -2 -3\n4 5 6\n0 0 0\n";
    ASSERT_EQ(0, Load(WriteMesh("box.msh", text), mesh, MESH_XYZ));
    const float expected[8][3] = {{-1, -2, -3}, {-1, -2, 6}, {4, -2, 6}, {4, -2, -3},
                                  {-1, 5, -3},  {-1, 5, 6},  {4, 5, 6},  {4, 5, -3}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(expected[i][0], mesh.corners[i].x) << i;
        EXPECT_EQ(expected[i][1], mesh.corners[i].y) << i;
        EXPECT_EQ(expected[i][2], mesh.corners[i].z) << i;
        EXPECT_EQ(1.0f, mesh.corners[i].w) << i;
    }
    EXPECT_FLOAT_EQ(std::sqrt(77.0f), mesh.boundRadius);

    std::string boxed = std::string(text) + "BOUND_BOX\n";
    for (int i = 0; i < 8; ++i)
        boxed += std::to_string(i) + " 0 0\n";
    ASSERT_EQ(0, Load(WriteMesh("box2.msh", boxed), mesh, MESH_XYZ));
    EXPECT_EQ(6.0f, mesh.corners[6].x);
    EXPECT_FLOAT_EQ(7.0f, mesh.boundRadius);

    // No vertices: the box is still at its start, empty, and not at the origin.
    ASSERT_EQ(0, Load(WriteMesh("box3.msh", "NumVertices 0\nMESH\n0\n"), mesh, MESH_XYZ));
    EXPECT_EQ(D3DXVECTOR4(99999.0f, 99999.0f, 99999.0f, 1), mesh.corners[0]);
    EXPECT_EQ(D3DXVECTOR4(-99999.0f, -99999.0f, -99999.0f, 1), mesh.corners[6]);
}

TEST_F(MeshReader, UserBoundBoxes)
{
    std::string text = "NumVertices 1\nMESH\n1\n0 0 0\nUSER_BOUND_BOXES\n1 2 3 4 5 6\n"
                       "-1 -1 -1 0 0 0\nEND\n";
    ASSERT_EQ(0, Load(WriteMesh("ub.msh", text), mesh, MESH_XYZ));
    ASSERT_EQ(2, mesh.userBoundCount);
    EXPECT_EQ(3.0f, mesh.userBounds[0].first.z);
    EXPECT_EQ(4.0f, mesh.userBounds[0].second.x);
    EXPECT_EQ(0xFFFFFFFFu, mesh.userBounds[1].id);

    ASSERT_EQ(0, Load(WriteMesh("ub0.msh", "MESH\n1\n0 0 0\nUSER_BOUND_BOXES\nEND\n"), mesh,
                      MESH_XYZ));
    EXPECT_EQ(0, mesh.userBoundCount);
    ASSERT_EQ(0, Load(WriteMesh("bf.msh", "MESH\n1\n0 0 0\nBOUND_FIGURES a b c END\n"), mesh,
                      MESH_XYZ));
    EXPECT_EQ(0, mesh.userBoundCount);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

const char* const COLOURED = R"(NumVertices 4
NumPrimitives 2
MESH
4
0 0 0
1 0 0
1 1 0
0 1 0
indices 2
0 1 2
0 2 3
MaterialList 2 2
0 1
Materials...   R  G  B  A
   diffuse  1 0 0 1   specular 0 0 0   name "red"    path ""
   diffuse  0 0.5 0 1 specular 0 0 0   name "green"  path ""
)";

TEST_F(MeshReader, MaterialColoursLastPrimitiveWins)
{
    ASSERT_EQ(0, Load(WriteMesh("col.msh", COLOURED), mesh, MESH_XYZ | MESH_DIFFUSE));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    ASSERT_EQ(2, mesh.materialCount);
    EXPECT_STREQ("green", mesh.materials[1].name);
    std::vector<uint8_t> vb = ReadVB(mesh);
    ASSERT_EQ(4u * 16, vb.size());
    // Vertices 0 and 2 belong to both triangles: the second (green) one wrote last.
    EXPECT_EQ(0xFF008000u, At<uint32_t>(vb, 0 * 16 + 12));
    EXPECT_EQ(0xFFFF0000u, At<uint32_t>(vb, 1 * 16 + 12));
    EXPECT_EQ(0xFF008000u, At<uint32_t>(vb, 2 * 16 + 12));
    EXPECT_EQ(0xFF008000u, At<uint32_t>(vb, 3 * 16 + 12));
}

TEST_F(MeshReader, WithoutMaterialsColoursAreWhite)
{
    ASSERT_EQ(0, Load(WriteMesh("quad.msh", QUAD), mesh, MESH_XYZ | MESH_DIFFUSE));
    std::vector<uint8_t> vb = ReadVB(mesh);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(0xFFFFFFFFu, At<uint32_t>(vb, i * 16 + 12));
}

TEST_F(MeshReader, PerVertexColoursAndLayoutsWithoutColour)
{
    const char* text = "NumVertices 2\nDIFFUSE_PER_VERTEX\nMESH\n2\n"
                       "0 0 0  1 0.5 0 1\n1 1 1  0 0 1 0.2\n";
    ASSERT_EQ(0, Load(WriteMesh("dpv.msh", text), mesh, MESH_XYZ | MESH_DIFFUSE));
    std::vector<uint8_t> vb = ReadVB(mesh);
    EXPECT_EQ(0xFFFF8000u, At<uint32_t>(vb, 12));
    EXPECT_EQ(0x330000FFu, At<uint32_t>(vb, 16 + 12));
    // Without a colour component nothing but the positions is written.
    ASSERT_EQ(0, Load(WriteMesh("dpv.msh", text), mesh, MESH_XYZ));
    EXPECT_EQ(12, mesh.stride);
    EXPECT_EQ(24u, ReadVB(mesh).size());
}

TEST_F(MeshReader, ColorToD3DColorRoundsAndClamps)
{
    EXPECT_EQ(0x80FF0080u, ColorToD3DColor(1.5f, 0.0f, 0.5f, 0.5f));
    EXPECT_EQ(0x00000000u, ColorToD3DColor(-1, 0, 0, 0));
}

TEST_F(MeshReader, MultiTexturingRangesFollowRunsOfMaterialNumbers)
{
    std::string text = "NumVertices 3\nNumPrimitives 10\nMATERIAL_MULTI_TEXTURING\nMESH\n3\n"
                       "0 0 0\n1 0 0\n1 1 0\nMaterialList 9 10\n0 0 1 1 1 2 3 4 5 8\n"
                       "Materials... R G B A\n";
    for (int i = 0; i < 9; ++i)
        text += "diffuse 1 1 1 1 specular 0 0 0 name m" + std::to_string(i) + " path \"\"\n";
    ASSERT_EQ(0, Load(WriteMesh("multi.msh", text), mesh, MESH_XYZ)) << messages.Joined();
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("Textures more then 8."));
    ASSERT_EQ(9, mesh.materialCount);
    EXPECT_EQ(0, mesh.materials[0].firstPrimitive);
    EXPECT_EQ(1, mesh.materials[0].lastPrimitive);
    EXPECT_EQ(2, mesh.materials[1].firstPrimitive);
    EXPECT_EQ(4, mesh.materials[1].lastPrimitive);
    EXPECT_EQ(5, mesh.materials[2].firstPrimitive);
    EXPECT_EQ(5, mesh.materials[2].lastPrimitive);
    EXPECT_EQ(9, mesh.materials[8].firstPrimitive);
    EXPECT_EQ(9, mesh.materials[8].lastPrimitive);
    // Material 6 and 7 have no primitives: an empty range.
    EXPECT_LT(mesh.materials[6].lastPrimitive, mesh.materials[6].firstPrimitive);
}

TEST_F(MeshReader, MaterialBlocksAreReadWithTheKeywordScanner)
{
    const char* text = R"(NumVertices 3
NumPrimitives 1
MESH
3
0 0 0
1 0 0
1 1 0
indices 1
0 1 2
MaterialList 1 1
0
Materials: {
  // a comment
  Material: "Brick wall" {
     diffuse: [ 0.25 0.5 1 1 ]
     specular: a b 0.75 c 0.125 d
     diffuse_texture: "tex/brick.tga"
  };
  Bogus
};
)";
    ASSERT_EQ(0, Load(WriteMesh("mat.msh", text), mesh, MESH_XYZ | MESH_DIFFUSE));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("Undefine string 'Bogus' in mesh..\n"));
    ASSERT_EQ(1, mesh.materialCount);
    const SMaterial& m = mesh.materials[0];
    EXPECT_STREQ("Brick wall", m.name);
    EXPECT_STREQ("tex/brick.tga", m.path);
    EXPECT_EQ(0.5f, m.diffuse.g);
    EXPECT_EQ(0.75f, m.specular.r);
    EXPECT_EQ(0.125f, m.specular.g);
    std::vector<uint8_t> vb = ReadVB(mesh);
    EXPECT_EQ(0xFF4080FFu, At<uint32_t>(vb, 12));
}

TEST_F(MeshReader, HeaderlessFileAndBinaryMarkerLoadEmpty)
{
    ASSERT_EQ(0, Load(WriteMesh("nohead.msh", "MESH\n2\n0 0 0\n1 1 1\n"), mesh, MESH_XYZ));
    EXPECT_EQ(0, mesh.vertexCount);
    EXPECT_EQ(nullptr, mesh.vertexBuffer);
    ASSERT_EQ(0, Load(WriteMesh("bin.msh", std::string("binary_mesh\0rest", 16)), mesh,
                      MESH_XYZ));
    EXPECT_EQ(nullptr, mesh.vertexBuffer);
    EXPECT_EQ(0, mesh.vertexCount);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(MeshReader, UnknownWordsAreReportedAndSkipped)
{
    std::string text = "NumVertices 1\nTANGENTS_PER_VERTEX\nPRIMITIVE_TYPE POINT_LIST\nMESH\n1\n0 0 0\n"
           "leftover\n";
    ASSERT_EQ(0, Load(WriteMesh("unk.msh", text), mesh, MESH_XYZ));
    EXPECT_EQ(D3DPT_POINTLIST, mesh.primitiveType);
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("Unknown parameter in mesh file '"));
    EXPECT_NE(std::string::npos, messages.Texts()[1].find("Unknown string 'leftover' in mesh file..  "));
}

TEST_F(MeshReader, MissingFilesAndTheMeshFolderFallback)
{
    EXPECT_EQ(-1, Load("Z:\\no\\such\\file.msh", mesh, MESH_XYZ));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CORE:  LoadMesh error: Can't find file... Z:\\no\\such\\file.msh",
              messages.Texts()[0]);
    EXPECT_EQ(-1, Load("Z:\\no\\such\\file.msh", mesh, MESH_XYZ, LOAD_MESH_QUIET_MISSING));
    EXPECT_EQ(1u, messages.Count());

    std::string path = WriteMesh("fallback.msh", QUAD);
    std::string dir = path.substr(0, path.find_last_of('\\') + 1);
    char savedBase[sizeof gBaseDir], savedMeshDir[sizeof gCore.meshDir];
    memcpy(savedBase, gBaseDir, sizeof gBaseDir);
    memcpy(savedMeshDir, gCore.meshDir, sizeof savedMeshDir);
    strcpy(gBaseDir, dir.c_str());
    strcpy(gCore.meshDir, "Meshes\\");
    int code = Load("X:\\nowhere\\Meshes\\fallback.msh", mesh, MESH_XYZ);
    memcpy(gBaseDir, savedBase, sizeof gBaseDir);
    memcpy(gCore.meshDir, savedMeshDir, sizeof savedMeshDir);
    EXPECT_EQ(0, code) << messages.Joined();
    EXPECT_EQ(4, mesh.vertexCount);
}

} // namespace
