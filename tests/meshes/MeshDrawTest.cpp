// Drawing, clones, release and the writer: a saved mesh loads back to the same buffers.

#include "core/Graphics.h"
#include "core/GraphicsBuffers.h"
#include "core/Meshes/MeshReader.h"
#include "core/Meshes/MeshStaging.h"
#include "core/Meshes/MeshTextures.h"
#include "core/UsageParams.h"
#include "tests/meshes/MeshTestSupport.h"
#include "tests/support/Harness.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace meshtest;

namespace {

class MeshDraw : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureDevice()); }
    void TearDown() override
    {
        if (gGraphics.inScene)
            gGraphics.EndScene();
        mesh.Release();
        ResetUsageParams();
        EXPECT_EQ(0, gLockedVBs.count);
        EXPECT_EQ(0, gLockedIBs.count);
    }
    test::MessageRecorder messages;
    CMesh mesh;
};

const char* const QUAD = R"(NumVertices 4
NumPrimitives 2
MESH
4
-1 -1 0.5
-1  1 0.5
 1  1 0.5
 1 -1 0.5
indices 2
0 1 2
0 2 3
MaterialList 1 2
0 0
Materials... R G B A
diffuse 1 0 0 1 specular 0 0 0 name red path ""
)";

TEST_F(MeshDraw, OutsideASceneEveryDrawWarnsFromOneBudgetAndTouchesNoDevice)
{
    ASSERT_EQ(0, Load(WriteMesh("quad.msh", QUAD), mesh, MESH_XYZ | MESH_DIFFUSE));
    ASSERT_FALSE(gGraphics.inScene);
    IDirect3DDevice9* device = Device3D;
    Device3D = nullptr;  // any device call would crash
    EXPECT_EQ(-1, mesh.RenderFVF());
    EXPECT_EQ(-1, mesh.RenderPrimitives(0));
    EXPECT_EQ(-1, mesh.RenderPrimitivesClones(2));
    EXPECT_EQ(-1, mesh.RenderPrimitivesUserTexs(nullptr, 0));
    EXPECT_EQ(-1, mesh.RenderSubMesh(0));
    EXPECT_EQ(-1, mesh.RenderFVF());
    Device3D = device;
    ASSERT_EQ(4u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CORE(Meshes) Error:  Call  CMesh::RenderFVF  without BeginScene.",
              messages.Texts()[0]);
    EXPECT_EQ("CORE(Meshes) Error:  Call  CMesh::RenderPrimitivesUserTexs  without "
              "BeginScene.\n\n Next this Warnings will be skiped.",
              messages.Texts()[3]);
}

TEST_F(MeshDraw, RenderFVFDrawsTheMeshWithItsVertexColours)
{
    // The header reserves more than the block fills: the rest stays zero.
    std::string text = QUAD;
    text.replace(0, text.find("MESH"), "NumVertices 6\nNumPrimitives 3\n");
    ASSERT_EQ(0, Load(WriteMesh("roomy.msh", text), mesh, MESH_XYZ | MESH_DIFFUSE)) << messages.Joined();
    const std::vector<uint8_t> vb = ReadVB(mesh);
    ASSERT_EQ(6u * 16, vb.size());
    EXPECT_EQ(std::vector<uint8_t>(32, 0), std::vector<uint8_t>(vb.begin() + 64, vb.end()));
    gGraphics.BeginScene();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    test::UseClipSpace();
    gGraphics.CullNone();
    gGraphics.SetStageDiffuse();
    EXPECT_EQ(0, mesh.RenderFVF());
    EXPECT_EQ(6, gGraphics.counters.vertices);
    EXPECT_EQ(3, gGraphics.counters.primitives);
    EXPECT_EQ(1, gGraphics.counters.drawCalls);
    gGraphics.EndScene();
    test::Image image;
    ASSERT_TRUE(test::ReadBackBuffer(image));
    EXPECT_TRUE(test::ColorNear(0xFFFF0000, image.At(image.width / 2, image.height / 2), 2))
        << std::hex << image.At(image.width / 2, image.height / 2);
}

TEST_F(MeshDraw, CountersAndSubMeshes)
{
    ASSERT_EQ(0, Load(WriteMesh("quad.msh", QUAD), mesh, MESH_XYZ | MESH_DIFFUSE));
    gGraphics.BeginScene();
    mesh.BindBuffers();
    EXPECT_EQ(0, mesh.RenderPrimitives(1));
    // The counters take the mesh's primitive count, not the argument.
    EXPECT_EQ(2, gGraphics.counters.primitives);
    EXPECT_EQ(0, mesh.RenderPrimitivesClones(1));
    EXPECT_EQ(4, gGraphics.counters.primitives);
    EXPECT_EQ(0, mesh.RenderSubMesh(0));
    EXPECT_EQ(6, gGraphics.counters.primitives);
    EXPECT_EQ(3, gGraphics.counters.drawCalls);

    // A non-indexed mesh draws no submesh but still counts it.
    ASSERT_EQ(0, Load(WriteMesh("quad.msh", QUAD), mesh, MESH_XYZ, LOAD_MESH_SKIP_INDICES));
    mesh.BindBuffers();
    EXPECT_EQ(-1, mesh.RenderSubMesh(0));
    EXPECT_EQ(16, gGraphics.counters.vertices);
    EXPECT_EQ(4, gGraphics.counters.drawCalls);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(MeshDraw, MultiTexturedMeshesDrawOnlyMaterialsWithPrimitives)
{
    std::string text = QUAD;
    text.replace(text.find("MESH"), 4, "MATERIAL_MULTI_TEXTURING\nMESH");
    ASSERT_EQ(0, Load(WriteMesh("multi.msh", text), mesh, MESH_XYZ | MESH_DIFFUSE));
    ASSERT_EQ(1, mesh.materialCount);
    EXPECT_EQ(0, mesh.materials[0].firstPrimitive);
    EXPECT_EQ(1, mesh.materials[0].lastPrimitive);
    gGraphics.BeginScene();
    mesh.BindBuffers();
    EXPECT_EQ(0, mesh.RenderPrimitives(0));
    EXPECT_EQ(0, mesh.RenderAllTextures());
    EXPECT_EQ(0, gGraphics.counters.drawCalls);
}

TEST_F(MeshDraw, EmptyMeshesDrawNothing)
{
    ASSERT_EQ(0, Load(WriteMesh("bin.msh", std::string("binary_mesh\0", 12)), mesh, MESH_XYZ));
    gGraphics.BeginScene();
    EXPECT_EQ(0, mesh.RenderFVF());
    EXPECT_EQ(0, mesh.RenderPrimitives(0));
    EXPECT_EQ(0, mesh.RenderAllTextures());
    EXPECT_EQ(0, mesh.RenderSubMesh(0));
    EXPECT_EQ(0, gGraphics.counters.drawCalls);
}

TEST_F(MeshDraw, ClonesNumberTheirVerticesAndShiftTheirIndices)
{
    ResetUsageParams();
    gUsageParams.clones = 3;
    gUsageParams.worldByte = 12;
    ASSERT_EQ(0, LoadMesh(WriteMesh("quad.msh", QUAD).c_str(), &mesh, MESH_XYZ | MESH_EXTRA, 0))
        << messages.Joined();
    EXPECT_EQ(3, mesh.cloneCount);
    std::vector<uint8_t> vb = ReadVB(mesh);
    ASSERT_EQ(3u * 4 * 16, vb.size());
    for (int k = 0; k < 3; ++k)
        for (int v = 0; v < 4; ++v) {
            EXPECT_EQ(k, vb[(k * 4 + v) * 16 + 12]) << k << " " << v;
            EXPECT_EQ(At<float>(vb, v * 16), At<float>(vb, (k * 4 + v) * 16));
        }
    std::vector<uint32_t> indices = ReadIndices(mesh);
    ASSERT_GE(indices.size(), 18u);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7, 8, 9, 10, 8, 10, 11}),
              std::vector<uint32_t>(indices.begin(), indices.begin() + 18));
}

TEST_F(MeshDraw, ClonesThatOverflowSixteenBitIndicesAreRefused)
{
    std::string text = "NumVertices 30000\nNumPrimitives 1\nMESH\n30000\n";
    for (int i = 0; i < 30000; ++i)
        text += "0 0 0\n";
    text += "indices 1\n0 1 2\n";
    ResetUsageParams();
    gUsageParams.clones = 3;
    ASSERT_EQ(0, LoadMesh(WriteMesh("big.msh", text).c_str(), &mesh, MESH_XYZ, 0));
    EXPECT_EQ(1, mesh.cloneCount);
    EXPECT_EQ(1u, messages.Count()) << messages.Joined();
    // With 32-bit indices the same clones fit.
    messages.Clear();
    ASSERT_EQ(0, LoadMesh(WriteMesh("big.msh", text).c_str(), &mesh, MESH_XYZ,
                          LOAD_MESH_INDEX32));
    EXPECT_EQ(3, mesh.cloneCount);
    std::vector<uint32_t> indices = ReadIndices(mesh);
    ASSERT_GE(indices.size(), 9u);
    EXPECT_EQ(60002u, indices[8]);
}

TEST_F(MeshDraw, SystemMemoryOnlyBelowTheRequiredShaderLevel)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    D3DVERTEXBUFFER_DESC desc;
    ResetUsageParams();
    ASSERT_EQ(D3D_OK, CreateMeshVB(64, &vb, MESH_XYZ));
    vb->GetDesc(&desc);
    vb->Release();
    EXPECT_EQ(D3DPOOL_MANAGED, desc.Pool);
    EXPECT_EQ(DWORD(D3DUSAGE_WRITEONLY), desc.Usage);
    gUsageParams.sysIfVs = 40;  // above the device's level 30
    ASSERT_EQ(D3D_OK, CreateMeshVB(64, &vb, MESH_XYZ));
    vb->GetDesc(&desc);
    vb->Release();
    EXPECT_EQ(D3DPOOL_SYSTEMMEM, desc.Pool);
    EXPECT_EQ(DWORD(D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING), desc.Usage);
    gUsageParams.sysIfVs = 20;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(D3D_OK, CreateMeshIB32(2, &ib));
    D3DINDEXBUFFER_DESC idesc;
    ib->GetDesc(&idesc);
    ib->Release();
    EXPECT_EQ(D3DPOOL_MANAGED, idesc.Pool);
    EXPECT_EQ(24u, idesc.Size);
    EXPECT_EQ(D3DFMT_INDEX32, idesc.Format);
}

TEST_F(MeshDraw, ReleaseGivesBackTextureReferencesAndIsSafeTwice)
{
    ASSERT_EQ(0, Load(WriteMesh("quad.msh", QUAD), mesh, MESH_XYZ | MESH_DIFFUSE));
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateTexture(Device3D, 1, 1, 1, 0, D3DFMT_A8R8G8B8,
                                        D3DPOOL_MANAGED, &texture));
    int index = gMeshTextures.Add("Some\\Brick.TGA", texture);
    ASSERT_GE(index, 0);
    EXPECT_EQ(index, gMeshTextures.Find("some\\brick.tga"));
    mesh.textures[0] = {gMeshTextures.AddRef(index), index};
    mesh.materials[0].texture = gMeshTextures.AddRef(index);
    mesh.materials[0].textureIndex = index;
    gMeshTextures.Release(index);  // the test's own reference
    EXPECT_EQ(2, gMeshTextures.entries[index].refCount);
    mesh.Release();
    EXPECT_EQ(0, gMeshTextures.entries[index].refCount);
    EXPECT_EQ(-1, gMeshTextures.Find("some\\brick.tga"));
    mesh.Release();
    EXPECT_EQ(nullptr, mesh.vertexBuffer);
    EXPECT_EQ(0, mesh.materialCount);
}

TEST_F(MeshDraw, CopiesOwnTheirBuffersAndTextureReferences)
{
    ASSERT_EQ(0, Load(WriteMesh("quad.msh", QUAD), mesh, MESH_XYZ | MESH_DIFFUSE));
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateTexture(Device3D, 1, 1, 1, 0, D3DFMT_A8R8G8B8,
                                        D3DPOOL_MANAGED, &texture));
    int index = gMeshTextures.Add("copy.tga", texture);
    mesh.textures[1] = {texture, index};
    mesh.textures[2].texture = texture;  // held through no table entry: not shared
    CMesh copy;
    ASSERT_EQ(D3D_OK, copy.CopyFrom(mesh));
    EXPECT_EQ(texture, copy.textures[1].texture);
    EXPECT_EQ(nullptr, copy.textures[2].texture);
    IDirect3DTexture9* held = nullptr;
    EXPECT_EQ(-1, gMeshTextures.AddRef(copy.textures[2], &held));
    EXPECT_EQ(nullptr, held);
    EXPECT_NE(mesh.vertexBuffer, copy.vertexBuffer);
    EXPECT_EQ(ReadVB(mesh), ReadVB(copy));
    EXPECT_EQ(ReadIndices(mesh), ReadIndices(copy));
    EXPECT_EQ(2, gMeshTextures.entries[index].refCount);
    ASSERT_EQ(1, copy.subMeshCount);
    EXPECT_EQ(3, copy.subMeshes[0].lastVertex);
    EXPECT_EQ(mesh.corners[6], copy.corners[6]);
    mesh.Release();
    EXPECT_EQ(1, gMeshTextures.entries[index].refCount);
    copy.Release();
    EXPECT_EQ(0, gMeshTextures.entries[index].refCount);
}

TEST_F(MeshDraw, RemovingAndAppendingSubMeshesRebasesIndices)
{
    const char* text = R"(NumVertices 7
NumPrimitives 3
NAMES_BY_MESHES
MESH a
3
0 0 0
1 0 0
1 1 0
indices 1
0 1 2
MESH b
4
5 0 0
6 0 0
6 1 0
5 1 0
indices 2
0 1 2
0 2 3
)";
    ASSERT_EQ(0, Load(WriteMesh("edit.msh", text), mesh, MESH_XYZ));
    CMesh other;
    ASSERT_EQ(D3D_OK, other.CopyFrom(mesh));
    const int first = 0;
    ASSERT_EQ(D3D_OK, mesh.RemoveSubMeshes(&first, 1));
    EXPECT_EQ(4, mesh.vertexCount);
    EXPECT_EQ(2, mesh.primitiveCount);
    ASSERT_EQ(1, mesh.subMeshCount);
    EXPECT_STREQ("b", mesh.subMeshes[0].name);
    EXPECT_EQ(0, mesh.subMeshes[0].firstVertex);
    EXPECT_EQ(1, mesh.subMeshes[0].lastPrimitive);
    std::vector<uint8_t> vb = ReadVB(mesh);
    ASSERT_EQ(48u, vb.size());
    EXPECT_EQ(5.0f, At<float>(vb, 0));
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 0, 2, 3}), ReadIndices(mesh));

    ASSERT_EQ(D3D_OK, mesh.AppendSubMeshes(other));
    EXPECT_EQ(11, mesh.vertexCount);
    EXPECT_EQ(5, mesh.primitiveCount);
    ASSERT_EQ(3, mesh.subMeshCount);
    EXPECT_STREQ("a", mesh.subMeshes[1].name);
    EXPECT_EQ(4, mesh.subMeshes[1].firstVertex);
    EXPECT_EQ(2, mesh.subMeshes[1].firstPrimitive);
    EXPECT_EQ(7, mesh.subMeshes[2].firstVertex);
    std::vector<uint32_t> indices = ReadIndices(mesh);
    ASSERT_GE(indices.size(), 15u);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 4, 5, 6, 7, 8, 9, 7, 9, 10}),
              std::vector<uint32_t>(indices.begin(), indices.begin() + 15));
    EXPECT_EQ(E_INVALIDARG, mesh.AppendSubMeshes(mesh));
    other.Release();

    // Without indices the primitive count follows the vertices that are left.
    ASSERT_EQ(0, Load(WriteMesh("edit.msh", text), mesh, MESH_XYZ, LOAD_MESH_SKIP_INDICES));
    const int second = 1;
    ASSERT_EQ(D3D_OK, mesh.RemoveSubMeshes(&second, 1));
    EXPECT_EQ(3, mesh.vertexCount);
    EXPECT_EQ(1, mesh.primitiveCount);
}

// Without a header the blocks' vertices go to no buffer, though a "verts:" reserve makes
// one: the edits and the writer take only the vertices the mesh holds.
TEST_F(MeshDraw, EditsAndSavesStayInsideWhatTheMeshHolds)
{
    const std::string path = WriteMesh("noheader.msh", "NAMES_BY_MESHES\nMESH a\n3\n0 0 0\n1 0 0\n1 1 0\n"
                                                       "MESH b\n2\n5 0 0\n6 0 0\n");
    CMesh other, again;
    ASSERT_EQ(0, Load(path, mesh, MESH_XYZ, 0, SReserves{8, 0, 0}));
    ASSERT_EQ(0, Load(path, other, MESH_XYZ, 0, SReserves{8, 0, 0}));
    ASSERT_TRUE(mesh.vertexBuffer && mesh.vertexCount == 0 && mesh.subMeshes[0].lastVertex == 2);
    const std::string saved = WriteMesh("saved.msh", "");
    ASSERT_EQ(0, SaveMesh(saved.c_str(), &mesh, MESH_XYZ, SAVE_MESH_NAMES));
    ASSERT_EQ(0, Load(saved, again, MESH_XYZ));
    EXPECT_EQ(-1, again.subMeshes[0].lastVertex) << test::ReadFile(saved);
    ASSERT_EQ(D3D_OK, mesh.AppendSubMeshes(other));
    ASSERT_EQ(4, mesh.subMeshCount);
    EXPECT_EQ(-1, mesh.subMeshes[3].lastVertex);
    const int first = 0;
    ASSERT_EQ(D3D_OK, other.RemoveSubMeshes(&first, 1));
    EXPECT_EQ(-1, other.subMeshes[0].lastVertex);
    other.Release();
    again.Release();
}

// Two blocks, each with its own material list and table (specular colours too); the
// numbers of the first block are not in order.
const char* const TWO_BLOCKS = R"(NumVertices 6
NumPrimitives 4
NAMES_BY_MESHES
MESH "front"
3
0 0 0
1.25 0 0
1 1 -0.5
indices 2
0 1 2
2 1 0
normals 3
0 0 1
0 0.7071068 0.7071068
1 0 0
TextureCoords 3
0 0
0.5 0
1 1
MaterialList 2 2
1 0
Materials... R G B A
diffuse 1 0 0 1 specular 0.5 0.25 0 name red path ""
diffuse 0 0.2 1 1 specular 0 0 1 name blue path ""
MESH "back"
3
2 2 2
3 2 2
3 3 2.123456
indices 2
0 1 2
2 1 0
normals 3
0 0 -1
0 0 -1
0 0 -1
TextureCoords 3
0.25 0.75
1 0
0 1
MaterialList 1 2
0 0
Materials... R G B A
diffuse 0.3 0.3 0.3 1 specular 1 1 1 name grey path ""
)";

// A block with both kinds of index section: the next block starts after all its primitives.
const char* const BOTH_INDEX_KINDS = "NumVertices 6\nNumPrimitives 3\nMESH\n3\n0 0 0\n1 0 0\n1 1 0\n"
                                     "indices 1\n0 1 2\nindices_ex 3 1\n2 1 0\n"
                                     "MESH\n3\n5 0 0\n6 0 0\n6 1 0\nindices 1\n0 1 2\n";

// Every sample mesh and the meshes above: saved with every part, they load back to
// the same buffers, blocks and per-primitive materials.
TEST_F(MeshDraw, SavedMeshesLoadBackToTheSameBuffers)
{
    std::vector<std::string> files = {test::RunDir() + "\\System\\SpriteMesh.msh"};
    for (const auto& e : std::filesystem::recursive_directory_iterator(test::RunDir() + "\\Meshes"))
        if (e.path().extension() == ".msh")
            files.push_back(e.path().string());
    ASSERT_GT(files.size(), 10u);
    files.push_back(WriteMesh("both.msh", BOTH_INDEX_KINDS));
    files.push_back(WriteMesh("two.msh", TWO_BLOCKS));
    const uint32_t format = MESH_XYZ | MESH_NORMAL | MESH_DIFFUSE | MESH_SPECULAR | MESH_UV0 | MESH_UV1;
    const uint32_t parts = SAVE_MESH_INDICES | SAVE_MESH_NAMES | SAVE_MESH_MATERIALS | SAVE_MESH_BOUND_BOX |
                           SAVE_MESH_TEXTURES;
    const std::string saved = WriteMesh("saved.msh", "");
    for (const std::string& file : files) {
        ASSERT_EQ(0, Load(file, mesh, format, LOAD_MESH_QUIET_TEXTURES)) << file << messages.Joined();
        ASSERT_EQ(0, SaveMesh(saved.c_str(), &mesh, format, parts));
        CMesh again;
        ASSERT_EQ(0, Load(saved, again, format, LOAD_MESH_QUIET_TEXTURES)) << messages.Joined();
        const std::string written = test::ReadFile(saved);
        EXPECT_EQ(ReadVB(mesh), ReadVB(again)) << file << "\n" << written;
        EXPECT_EQ(ReadIndices(mesh), ReadIndices(again)) << file;
        ASSERT_EQ(mesh.subMeshCount, again.subMeshCount) << file;
        for (int i = 0; i < mesh.subMeshCount; ++i) {
            EXPECT_EQ(mesh.subMeshes[i].lastVertex, again.subMeshes[i].lastVertex) << file;
            EXPECT_EQ(mesh.subMeshes[i].lastPrimitive, again.subMeshes[i].lastPrimitive) << file;
        }
        EXPECT_EQ(mesh.materialCount, again.materialCount) << file;
        EXPECT_EQ(std::vector<int>(mesh.primitiveMaterials, mesh.primitiveMaterials + mesh.primitiveMaterialCount),
                  std::vector<int>(again.primitiveMaterials, again.primitiveMaterials + again.primitiveMaterialCount))
            << file << "\n" << written;
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(mesh.corners[i], again.corners[i]) << file << " corner " << i;
        again.Release();
    }
    ASSERT_EQ(4, mesh.primitiveMaterialCount);
    EXPECT_EQ(1, mesh.primitiveMaterials[0]);
    EXPECT_EQ(2, mesh.primitiveMaterials[3]);
    // Each block's list and table went with the block.
    const std::string written = test::ReadFile(saved);
    EXPECT_NE(std::string::npos, written.find("MaterialList 1 2", written.find("MESH \"back\""))) << written;
    EXPECT_NE(std::string::npos, written.find("SPECULAR_PER_VERTEX")) << written;
    // What the writer writes, the reader takes without a word.
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A save that fails leaves the file it would replace as it was; a mesh the reader would
// refuse (more than 256 blocks) is refused before anything is written.
TEST_F(MeshDraw, AFailedSaveLeavesTheOldFile)
{
    const std::string path = WriteMesh("kept.msh", QUAD);
    const std::string old = test::ReadFile(path);
    const std::string edit = WriteMesh("edit.msh", std::string("NumVertices 7\nNumPrimitives 2\nMESH\n3\n0 0 0\n"
                                                               "1 0 0\n1 1 0\n") + strchr(QUAD, 'M'));
    ASSERT_EQ(0, Load(edit, mesh, MESH_XYZ)) << messages.Joined();
    // Without its only indexed block the mesh has no indices to read back.
    const int indexed = 1;
    ASSERT_EQ(D3D_OK, mesh.RemoveSubMeshes(&indexed, 1));
    EXPECT_EQ(-5, SaveMesh(path.c_str(), &mesh, MESH_XYZ, SAVE_MESH_INDICES));
    EXPECT_EQ(old, test::ReadFile(path));

    std::string blocks;
    for (int i = 0; i < 256; ++i)
        blocks += "MESH\n1\n0 0 0\n";
    ASSERT_EQ(0, Load(WriteMesh("blocks.msh", "NumVertices 256\n" + blocks), mesh, MESH_XYZ));
    CMesh quad;
    ASSERT_EQ(0, Load(path, quad, MESH_XYZ, LOAD_MESH_SKIP_INDICES));
    ASSERT_EQ(D3D_OK, mesh.AppendSubMeshes(quad));
    quad.Release();
    ASSERT_EQ(257, mesh.subMeshCount);
    messages.Clear();
    EXPECT_EQ(-20, SaveMesh(path.c_str(), &mesh, MESH_XYZ, SAVE_MESH_NAMES));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("MAX_SUBMESHES")) << messages.Joined();
    EXPECT_EQ(old, test::ReadFile(path));

    // Nor is a mesh of more primitives than the reader takes, or one whose index names a
    // vertex outside its submesh.
    const struct {
        const char* said;
        uint32_t flags;
        void (*spoil)(CMesh&);
    } spoiled[] = {
        {"MAX_PRIMS", SAVE_MESH_NAMES, [](CMesh& m) { m.primitiveCount = MAX_MESH_PRIMS + 1; }},
        {"an index names a vertex outside its submesh", SAVE_MESH_INDICES,
         [](CMesh& m) {
             D3DINDEXBUFFER_DESC desc;
             void* data = nullptr;
             ASSERT_EQ(D3D_OK, m.indexBuffer->GetDesc(&desc));
             ASSERT_EQ(D3D_OK, m.indexBuffer->Lock(0, 0, &data, 0));
             if (desc.Format == D3DFMT_INDEX32)
                 static_cast<uint32_t*>(data)[2] = 9;
             else
                 static_cast<uint16_t*>(data)[2] = 9;
             m.indexBuffer->Unlock();
         }},
    };
    for (const auto& row : spoiled) {
        SCOPED_TRACE(row.said);
        CMesh spoilt;
        ASSERT_EQ(0, Load(path, spoilt, MESH_XYZ));
        const int primitives = spoilt.primitiveCount;
        row.spoil(spoilt);
        messages.Clear();
        EXPECT_EQ(-20, SaveMesh(path.c_str(), &spoilt, MESH_XYZ, row.flags));
        ASSERT_EQ(1u, messages.Count()) << messages.Joined();
        EXPECT_NE(std::string::npos, messages.Texts()[0].find(row.said)) << messages.Joined();
        EXPECT_EQ(old, test::ReadFile(path));
        spoilt.primitiveCount = primitives;
        spoilt.Release();
    }
}

TEST_F(MeshDraw, SaveWithoutAFileIsRefused)
{
    ASSERT_EQ(0, Load(WriteMesh("quad.msh", QUAD), mesh, MESH_XYZ));
    EXPECT_EQ(-1, SaveMesh("Z:\\unused.msh", &mesh, MESH_XYZ, SAVE_MESH_NO_FILE));
    EXPECT_EQ(1u, messages.Count());
    EXPECT_EQ(-1, SaveMesh("Z:\\no\\such\\dir\\x.msh", &mesh, MESH_XYZ, 0));
    EXPECT_EQ("Can't save mesh.. Z:\\no\\such\\dir\\x.msh", messages.Texts()[1]);
}

} // namespace
