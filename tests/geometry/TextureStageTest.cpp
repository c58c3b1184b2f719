// The texture stages a geometry unit binds and the mesh it draws, on the device of the
// started program. (Apart from the script tests: the render-state cache and the class
// templates each name their own culling bits.)

#include "core/Graphics.h"
#include "core/Meshes/Mesh.h"
#include "engine/MeshContainer.h"
#include "engine/Parser.h"
#include "engine/TexContainer.h"
#include "scene/Geometry.h"
#include "scene/Renderer.h"
#include "tests/support/Harness.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

namespace geometrytest {
namespace {

class TextureStageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
        dir = test::TempDir("geometry_textures") + "\\";
        test::Image image;
        image.width = image.height = 2;
        image.pixels.assign(4, 0xFFFF0000);
        test::SaveBmp(image, dir + "red.bmp");
        const std::string script = dir + "Textures.txt";
        test::WriteFile(script, "TexContainer [ TexCount: 8 ]\nMeshContainer [ MeshCount: 4 ]\n"
                                "TEXTURE Red \"" + dir + "red.bmp\"\n");
        ASSERT_EQ(0, gParser->ScanScript(script.c_str())) << messages.Joined();
        red = gTexContainer->FindTexture("Red");
        ASSERT_NE(0, red);
        for (IDirect3DTexture9*& t : made) ASSERT_EQ(D3D_OK, D3DXCreateTexture(Device3D, 2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t));
        CEngineMesh* record = nullptr;
        meshIndex = gMeshContainer->meshes.Add(record);
        ASSERT_NE(0, meshIndex);
        record->mesh.textures[3].texture = made[0];
        record->mesh.textures[4].texture = made[1];
        substitute.textures[4].texture = made[2];
        substitute.textures[5].texture = made[3];
    }
    void TearDown() override
    {
        if (gRenderer) gRenderer->substituteMesh = nullptr;
        if (CEngineMesh* record = gMeshContainer ? gMeshContainer->GetMesh(meshIndex) : nullptr)
            for (STextureSlot& slot : record->mesh.textures) slot.texture = nullptr;
        for (IDirect3DTexture9* t : made)
            if (t) t->Release();
        program.Stop();
    }
    IDirect3DBaseTexture9* Stage(int s)
    {
        IDirect3DBaseTexture9* t = nullptr;
        Device3D->GetTexture(s, &t);
        if (t) t->Release();
        return t;
    }

    test::MessageRecorder messages;
    test::Program program;
    std::string dir;
    uint16_t red = 0;
    uint16_t meshIndex = 0;
    IDirect3DTexture9* made[4] = {};
    CMesh substitute;
};

TEST_F(TextureStageTest, UnitThenMeshThenSubstituteThenWhite)
{
    CGeometry unit;
    unit.mesh = meshIndex;
    unit.textures[0] = red;
    unit.textures[4] = red;
    gRenderer->substituteMesh = &substitute;
    unit.SetTextures();
    EXPECT_EQ(gTexContainer->GetTexture(red), Stage(0));
    EXPECT_EQ(made[0], Stage(3));  // the mesh's
    EXPECT_EQ(gTexContainer->GetTexture(red), Stage(4));  // the unit's before the mesh's
    EXPECT_EQ(made[3], Stage(5));  // the substitute's
    EXPECT_EQ(gGraphics.whiteTexture, Stage(6));
    EXPECT_EQ(gGraphics.whiteTexture, Stage(1));
    gRenderer->substituteMesh = nullptr;
    unit.mesh = 0;
    unit.SetTextures();
    EXPECT_EQ(gGraphics.whiteTexture, Stage(3));
    EXPECT_EQ(gGraphics.whiteTexture, Stage(5));
}


// Drawn for the normal pass: the unit's mesh through the mesh container with the unit's
// texture; in the shadow pass its shadow-caster mesh; with a substitute mesh, that one.
TEST_F(TextureStageTest, RenderDrawsTheMeshOfThePass)
{
    const char* const quad = "NumVertices 4\nNumPrimitives 2\nMESH\n4\n"
                             "-1 -1 0.5\n-1 1 0.5\n1 1 0.5\n1 -1 0.5\n"
                             "indices 2\n0 1 2\n0 2 3\nTextureCoords 4\n0 1\n0 0\n1 0\n1 1\n";
    const char* const corner = "NumVertices 3\nNumPrimitives 1\nMESH\n3\n"
                               "-1 -1 0.5\n-1 -0.5 0.5\n-0.5 -1 0.5\n"
                               "indices 1\n0 1 2\nTextureCoords 3\n0 0\n0 0\n0 0\n";
    test::WriteFile(dir + "quad.msh", quad);
    test::WriteFile(dir + "corner.msh", corner);
    CGeometry unit;
    unit.mesh = gMeshContainer->LoadMesh((dir + "quad.msh").c_str(), MESH_XYZ | MESH_UV0, 1);
    unit.shadowMesh = gMeshContainer->LoadMesh((dir + "corner.msh").c_str(), MESH_XYZ | MESH_UV0, 1);
    ASSERT_NE(0, unit.mesh) << messages.Joined();
    ASSERT_NE(0, unit.shadowMesh) << messages.Joined();
    unit.textures[0] = red;
    auto draw = [&](uint32_t pass) {
        gGraphics.BeginScene();
        Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        test::UseClipSpace();
        gGraphics.CullNone();
        gGraphics.SetStageModulate();
        gGraphics.SetFVF(MESH_XYZ | MESH_UV0);  // the renderer's part: the vertex layout
        EXPECT_EQ(0u, unit.Render(pass));
        gGraphics.EndScene();
        test::Image image;
        EXPECT_TRUE(test::ReadBackBuffer(image));
        return image;
    };
    test::Image image = draw(1);
    ASSERT_GT(image.width, 0);
    EXPECT_TRUE(test::ColorNear(0xFFFF0000, image.At(image.width / 2, image.height / 2), 2))
        << std::hex << image.At(image.width / 2, image.height / 2);
    image = draw(PASS_SHADOW);
    EXPECT_TRUE(test::ColorNear(0xFF000000, image.At(image.width / 2, image.height / 2), 2));
    EXPECT_TRUE(test::ColorNear(0xFFFF0000, image.At(2, image.height - 3), 2))
        << std::hex << image.At(2, image.height - 3);
    CEngineMesh* cornerRecord = gMeshContainer->GetMesh(unit.shadowMesh);
    gRenderer->substituteMesh = &cornerRecord->mesh;
    image = draw(1);
    EXPECT_TRUE(test::ColorNear(0xFF000000, image.At(image.width / 2, image.height / 2), 2));
    gRenderer->substituteMesh = nullptr;
}

} // namespace
} // namespace geometrytest
