// Textures named by mesh files: found beside the mesh or in the texture folder, loaded once
// and shared by reference count between meshes, given back once, reported when missing or
// unreadable, and drawn per material.

#include "core/Graphics.h"
#include "core/Meshes/MeshReader.h"
#include "core/Meshes/MeshStaging.h"
#include "core/Meshes/MeshTextures.h"
#include "core/UsageParams.h"
#include "tests/meshes/MeshTestSupport.h"
#include "tests/support/Harness.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace meshtest;

namespace {

constexpr uint32_t RED = 0xFFFF0000, BLUE = 0xFF0000FF, GREEN = 0xFF00FF00;

// A quad over the whole view: its left half drawn with material 0, its right half with
// material 1, whose texture paths are given.
std::string TwoMaterialQuad(const std::string& left, const std::string& right)
{
    return "NumVertices 6\nNumPrimitives 4\nMATERIAL_MULTI_TEXTURING\nMESH\n6\n"
           "-1 -1 0.5\n-1 1 0.5\n0 1 0.5\n0 -1 0.5\n1 1 0.5\n1 -1 0.5\n"
           "indices 4\n0 1 2\n0 2 3\n3 2 4\n3 4 5\n"
           "TextureCoords 6\n0 1\n0 0\n0.5 0\n0.5 1\n1 0\n1 1\n"
           "MaterialList 2 4\n0 0 1 1\n"
           "Materials... R G B A\n"
           "diffuse 1 1 1 1 specular 0 0 0 name \"left\" path \"" + left + "\"\n"
           "diffuse 1 1 1 1 specular 0 0 0 name \"right\" path \"" + right + "\"\n";
}

std::string SlotMesh(const std::string& texture)
{
    return "NumVertices 3\nNumPrimitives 1\nMESH\n3\n0 0 0\n1 0 0\n1 1 0\nindices 1\n0 1 2\n"
           "TexturePath: \"" + texture + "\"\n";
}

class MeshTextures : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(EnsureDevice());
        dir = test::TempDir("meshtextures");
        WriteBmp("Red.bmp", RED);
        WriteBmp("Blue.bmp", BLUE);
    }
    void TearDown() override
    {
        if (gGraphics.inScene)
            gGraphics.EndScene();
        first.Release();
        second.Release();
        ResetUsageParams();
    }
    void WriteBmp(const std::string& name, uint32_t colour)
    {
        test::Image image;
        image.width = image.height = 4;
        image.pixels.assign(16, colour);
        ASSERT_TRUE(test::SaveBmp(image, dir + "\\" + name));
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        test::WriteFile(dir + "\\" + name, text);
        return dir + "\\" + name;
    }
    static int RefCount(int index) { return gMeshTextures.entries[index].refCount; }
    // Draws the mesh's materials over a black view with fixed-function texturing.
    static void DrawMaterials(CMesh& mesh, IDirect3DBaseTexture9* const* userTextures = nullptr, int count = 0)
    {
        gGraphics.BeginScene();
        Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        test::UseClipSpace();
        gGraphics.CullNone();
        gGraphics.SetStageModulate();
        gGraphics.SetFVF(MESH_XYZ | MESH_UV0);
        mesh.BindBuffers();
        EXPECT_EQ(0, userTextures ? mesh.RenderPrimitivesUserTexs(userTextures, count) : mesh.RenderPrimitives(0));
        gGraphics.EndScene();
    }

    test::MessageRecorder messages;
    std::string dir;
    CMesh first, second;
};

TEST_F(MeshTextures, MaterialTexturesAreLoadedAndDrawnPerMaterial)
{
    ASSERT_EQ(0, Load(Write("quad.msh", TwoMaterialQuad("Red.bmp", "Blue.bmp")), first, MESH_XYZ | MESH_UV0));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    ASSERT_EQ(2, first.materialCount);
    ASSERT_NE(nullptr, first.materials[0].texture);
    ASSERT_NE(nullptr, first.materials[1].texture);
    EXPECT_EQ(gMeshTextures.Find((dir + "\\Red.bmp").c_str()), first.materials[0].textureIndex);

    DrawMaterials(first);
    test::Image image;
    ASSERT_TRUE(test::ReadBackBuffer(image));
    const int y = image.height / 2;
    EXPECT_TRUE(test::ColorNear(RED, image.At(image.width / 4, y), 2)) << std::hex << image.At(image.width / 4, y);
    EXPECT_TRUE(test::ColorNear(BLUE, image.At(3 * image.width / 4, y), 2));

    // A caller's texture replaces a material's; a null entry keeps the material's own.
    IDirect3DTexture9* green = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateTexture(Device3D, 1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &green));
    D3DLOCKED_RECT locked;
    ASSERT_EQ(D3D_OK, green->LockRect(0, &locked, nullptr, 0));
    *static_cast<uint32_t*>(locked.pBits) = GREEN;
    green->UnlockRect(0);
    IDirect3DBaseTexture9* const user[2] = {green, nullptr};
    DrawMaterials(first, user, 2);
    ASSERT_TRUE(test::ReadBackBuffer(image));
    EXPECT_TRUE(test::ColorNear(GREEN, image.At(image.width / 4, y), 2));
    EXPECT_TRUE(test::ColorNear(BLUE, image.At(3 * image.width / 4, y), 2));
    // A material past the caller's table keeps its own, whatever lies beyond the table.
    IDirect3DBaseTexture9* const shortTable[2] = {green, green};
    DrawMaterials(first, shortTable, 1);
    ASSERT_TRUE(test::ReadBackBuffer(image));
    EXPECT_TRUE(test::ColorNear(GREEN, image.At(image.width / 4, y), 2));
    EXPECT_TRUE(test::ColorNear(BLUE, image.At(3 * image.width / 4, y), 2));
    green->Release();
}

TEST_F(MeshTextures, TwoMeshesShareOneTextureAndItIsReleasedOnce)
{
    ASSERT_EQ(0, Load(Write("a.msh", SlotMesh("Red.bmp")), first, MESH_XYZ));
    ASSERT_EQ(0, Load(Write("b.msh", SlotMesh("RED.BMP")), second, MESH_XYZ));  // another letter case
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    const int index = first.textures[0].index;
    ASSERT_GE(index, 0);
    EXPECT_EQ(index, second.textures[0].index);
    IDirect3DTexture9* texture = first.textures[0].texture;
    ASSERT_NE(nullptr, texture);
    EXPECT_EQ(texture, second.textures[0].texture);
    EXPECT_EQ(2, RefCount(index));
    EXPECT_EQ(4u, gMeshTextures.entries[index].desc.Width);

    texture->AddRef();  // the test's own hold, to see how many the table gives back
    first.Release();
    EXPECT_EQ(1, RefCount(index));
    EXPECT_EQ(nullptr, first.textures[0].texture);
    second.Release();
    EXPECT_EQ(0, RefCount(index));
    EXPECT_EQ(-1, gMeshTextures.Find((dir + "\\red.bmp").c_str()));
    second.Release();  // nothing is given back twice
    EXPECT_EQ(0u, texture->Release());
}

TEST_F(MeshTextures, MaterialTexturesAreSharedAndGivenBackWithTheMesh)
{
    const std::string text = TwoMaterialQuad("Red.bmp", "Red.bmp");
    ASSERT_EQ(0, Load(Write("m1.msh", text), first, MESH_XYZ | MESH_UV0));
    ASSERT_EQ(0, Load(Write("m2.msh", text), second, MESH_XYZ | MESH_UV0));
    const int index = first.materials[0].textureIndex;
    ASSERT_GE(index, 0);
    EXPECT_EQ(index, first.materials[1].textureIndex);
    EXPECT_EQ(index, second.materials[1].textureIndex);
    EXPECT_EQ(4, RefCount(index));
    first.Release();
    EXPECT_EQ(2, RefCount(index));
    second.Release();
    EXPECT_EQ(0, RefCount(index));
}

TEST_F(MeshTextures, TheTextureFolderBesideTheMeshFolderIsSearched)
{
    CreateDirectoryA((dir + "\\Textures").c_str(), nullptr);
    CreateDirectoryA((dir + "\\Meshes").c_str(), nullptr);
    WriteBmp("Textures\\Wall.bmp", BLUE);
    ASSERT_EQ(0, Load(Write("Meshes\\house.msh", SlotMesh("Wall.bmp")), first, MESH_XYZ));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_NE(nullptr, first.textures[0].texture);
    EXPECT_GE(gMeshTextures.Find((dir + "\\Textures\\Wall.bmp").c_str()), 0);

    // An absolute name that does not exist is looked for from its texture folder on.
    ASSERT_EQ(0, Load(Write("Meshes\\moved.msh", SlotMesh("C:\\nowhere\\Textures\\Wall.bmp")), second, MESH_XYZ));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(first.textures[0].texture, second.textures[0].texture);
}

TEST_F(MeshTextures, MissingAndUnreadableTexturesAreReportedAndLeaveTheSlotEmpty)
{
    const std::string missing = Write("missing.msh", SlotMesh("Nothing.bmp"));
    ASSERT_EQ(0, Load(missing, first, MESH_XYZ));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("In mesh:  '" + missing + "' \n\n  texture file:  'Nothing.bmp'  not found", messages.Texts()[0]);
    EXPECT_EQ(nullptr, first.textures[0].texture);
    EXPECT_EQ(-1, first.textures[0].index);
    ASSERT_EQ(1, gMeshStaging.failedTextureCount);
    EXPECT_EQ(dir + "\\Nothing.bmp", gMeshStaging.failedTextures[0]);

    Write("Junk.bmp", "this is not a picture");
    const std::string junk = Write("junk.msh", SlotMesh("Junk.bmp"));
    ASSERT_EQ(0, Load(junk, first, MESH_XYZ));
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("In mesh '" + junk + "' \n\n  for texture 'Junk.bmp' undefine error", messages.Texts()[1]);
    EXPECT_EQ(-1, gMeshTextures.Find((dir + "\\Junk.bmp").c_str()));

    // Quietly: the path is recorded, nothing is shown, the load succeeds.
    ASSERT_EQ(0, Load(missing, first, MESH_XYZ, LOAD_MESH_QUIET_TEXTURES));
    EXPECT_EQ(2u, messages.Count());
    EXPECT_EQ(1, gMeshStaging.failedTextureCount);
    EXPECT_EQ(nullptr, first.textures[0].texture);

    // Every texture of a file that fails is recorded and said: failures of one kind in one
    // message with the count of the others.
    messages.Clear();
    const std::string three = Write("three.msh", TwoMaterialQuad("Gone.bmp", "Junk.bmp") + "TexturePath: \"Lost.bmp\"\n");
    ASSERT_EQ(0, Load(three, first, MESH_XYZ | MESH_UV0));
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("In mesh:  '" + three + "' \n\n  texture file:  'Lost.bmp'  not found\n\n 1 more like this in '" + three + "'.",
              messages.Texts()[0]);
    EXPECT_EQ("In mesh '" + three + "' \n\n  for texture 'Junk.bmp' undefine error", messages.Texts()[1]);
    EXPECT_EQ(3, gMeshStaging.failedTextureCount);
}

} // namespace
