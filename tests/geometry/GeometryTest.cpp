// The geometry unit's class and presentation keywords, its world matrix and its texture
// stages (the last on the real device of the started program).

#include "tests/geometry/GeometryFixture.h"

#include "core/Graphics.h"
#include "core/Meshes/Mesh.h"
#include "engine/MapContainer.h"
#include "engine/MeshContainer.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"
#include "scene/Renderer.h"

namespace geometrytest {
namespace {

class GeometryTest : public UnitTest {};

// The base reads "Pos:" and "Orient:" after the mesh; the matrix is rebuilt after every
// call into the base, and new units take it from the prototype.
TEST_F(GeometryTest, PosAfterMeshReachesTheWorldMatrix)
{
    RunScript("MeshContainer [ MeshCount: 4 ]\n"
              "GEOMETRY Box {\n"
              "  MeshFVF: [ xyz uv0 ]\n"
              "  Mesh: \"" + Dir() + "missing.msh\"\n"
              "  Pos: [ 1 2 3 ]\n"
              "  Orient: [ 0 90 0 ]\n"
              "  Color: [ 1 0 0 1 ]\n"
              "};\n");
    CGeometry* box = CreateGeometry("Box");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(uint32_t(MESH_XYZ | MESH_UV0), box->MeshFVF);
    EXPECT_EQ(0, box->mesh);
    EXPECT_EQ(0u, gMeshContainer->defaultFormat);
    EXPECT_TRUE(messages.Contains("CGeometry::ScanNativePropertyes Error: Not loaded or found mesh.\nUnit: 'Box'."))
        << messages.Joined();
    EXPECT_FLOAT_EQ(1.0f, box->world._41);
    EXPECT_FLOAT_EQ(2.0f, box->world._42);
    EXPECT_FLOAT_EQ(3.0f, box->world._43);
    EXPECT_NEAR(-1.0f, box->world._13, 1e-6f);  // yaw 90: x turns to -z
    EXPECT_TRUE(box->SysControls & SYS_GEOMETRY);
    EXPECT_EQ(GEOMETRY_UNIT_TYPE, box->type);
}

TEST_F(GeometryTest, OnlyTheFirstFourTextureStagesWarn)
{
    RunScript("TexContainer [ TexCount: 8 ]\n"
              "GEOMETRY Box {\n"
              "  Texture5: \"" + Dir() + "missing5.bmp\"\n"
              "  Texture2: \"" + Dir() + "missing2.bmp\"\n"
              "};\n");
    EXPECT_EQ(1u, Count("CGeometry::ScanNativePropertyes Error: Not loaded or found texture.\nUnit: 'Box'."))
        << messages.Joined();
    CGeometry* box = CreateGeometry("Box");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(0, box->textures[2]);
    EXPECT_EQ(0, box->textures[5]);
}

TEST_F(GeometryTest, ClassLookupsWarnWithTheirNames)
{
    RunScript("GEOMETRY Box {\n"
              "  VertDeclarator: NoDecl\n"
              "  VertexShader: NoVs\n"
              "  PixelShader: NoPs\n"
              "  Billboard: NoBoard\n"
              "};\n"
              "GEOMETRY Board { };\n"
              "GEOMETRY Tree { Billboard: Board };\n");
    EXPECT_TRUE(messages.Contains("Not found vertex declarator 'NoDecl' for UNIT 'Box'.")) << messages.Joined();
    EXPECT_TRUE(messages.Contains("Not found vertex shader 'NoVs' for UNIT 'Box'."));
    EXPECT_TRUE(messages.Contains("Not found pixel shader 'NoPs' for UNIT 'Box'."));
    EXPECT_TRUE(messages.Contains("Not found billboard unit 'NoBoard'."));
    EXPECT_EQ(4u, messages.Count());
    EXPECT_EQ(gIUnitInspector->GetClassTemplate("Board"), gIUnitInspector->GetClassTemplate("Tree")->billboardClass);
}

// The renderer writes reflection and shadow textures into the unit's eight stages.
TEST_F(GeometryTest, EffectStagesBeyondSevenAreRefused)
{
    RunScript("GEOMETRY Mirror {\n"
              "  ReflectionReceiver: { ReflectionTexture: [ Refl Number: 9 ] ReflectionOpacity: 0.5 };\n"
              "  ShadowReceiver: { ShadowTexture: [ Shade Number: 7 ] };\n"
              "  Pos: [ 0 1 0 ]\n"
              "};\n");
    CClassTemplate* mirror = gIUnitInspector->GetClassTemplate("Mirror");
    ASSERT_NE(nullptr, mirror);
    EXPECT_EQ(0, mirror->reflectionTextureNumber);
    EXPECT_EQ(7, mirror->shadowTextureNumber);
    EXPECT_FLOAT_EQ(0.5f, mirror->ReflectionOpacity);
    EXPECT_FLOAT_EQ(1.0f, mirror->prototype->Pos.y);
    EXPECT_EQ(1u, Count("Texture stage 9 is beyond stage 7")) << messages.Joined();
}

TEST_F(GeometryTest, UvMulAddIsAShaderParameter)
{
    CGeometry unit;
    const uint32_t index = unit.GetParamIndex("UvMulAdd");
    ASSERT_NE(0u, index);
    const float* words = reinterpret_cast<const float*>(&unit);
    EXPECT_EQ(1.0f, words[index]);
    EXPECT_EQ(0.0f, words[index + 2]);
    EXPECT_EQ(ATOM_DIR_WORD, unit.GetParamIndex("Dir"));
    EXPECT_EQ(0u, unit.GetParamIndex("Nothing"));
}

class GeometryMapTest : public UnitTest {
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        RunScript("GEOMETRY Hut { };\n");
        map = new CGameMap(32, 32);
        gMapContainer->AddMap(map);
        hut = dynamic_cast<CGeometry*>(gIUnitInspector->CreateUnitFromTemplate(gIUnitInspector->GetClassTemplate("Hut"), map));
        ASSERT_NE(nullptr, hut);
    }
    CGameMap* map = nullptr;
    CGeometry* hut = nullptr;
};

TEST_F(GeometryMapTest, CoordYawNinetyIsHeadingStepTwo)
{
    FILE* file = Open("coord_ay: [ 5 7 90 ] texture: \"" + Dir() + "none.bmp\" };\n");
    EXPECT_EQ(SCAN_BLOCK_END, hut->ScanMissionData(file, nullptr));
    EXPECT_EQ(2, hut->mapPos.direction);
    EXPECT_TRUE(messages.Contains("CGeometry::ScanMissionData Error: Not loaded texture.\nUnit: 'Hut'."));
    SMapPos cell;
    map->GetPosByFPos(&cell, hut->Pos);
    EXPECT_EQ(cell.x, hut->mapPos.x);
    EXPECT_EQ(cell.z, hut->mapPos.z);
    EXPECT_FLOAT_EQ(hut->Pos.x, hut->world._41);
}

TEST_F(GeometryMapTest, NegativeYawWrapsIntoTheEightSteps)
{
    FILE* file = Open("coord_ay: [ 5 7 -90 ] };\ncoord_ay: [ 5 7 -45 ] };\n");
    EXPECT_EQ(SCAN_BLOCK_END, hut->ScanMissionData(file, nullptr));
    EXPECT_EQ(6, hut->mapPos.direction);
    EXPECT_EQ(SCAN_BLOCK_END, hut->ScanMissionData(file, nullptr));
    EXPECT_EQ(7, hut->mapPos.direction);
}

// One key in single-property mode; an unknown key ends the block for the caller to report.
TEST_F(GeometryMapTest, SinglePropertyModeAndUnknownKeys)
{
    FILE* file = Open("[ 3 4 5 ] NEXT\nwobble 1 };\n");
    EXPECT_EQ(SCAN_DONE, hut->ScanMissionData(file, "pos:"));
    EXPECT_FLOAT_EQ(4.0f, hut->Pos.y);
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    EXPECT_STREQ("NEXT", word);
    EXPECT_EQ(SCAN_UNKNOWN, hut->ScanMissionData(file, nullptr));
    EXPECT_STREQ("wobble", gUnknownWord);
}

// ---- Texture stages on the device ----

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

} // namespace
} // namespace geometrytest
