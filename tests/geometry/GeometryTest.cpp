// The geometry unit's class and presentation keywords and its world matrix.

#include "tests/geometry/GeometryFixture.h"

#include "core/Meshes/Mesh.h"
#include "engine/MapContainer.h"
#include "engine/MeshContainer.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"

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

// A derived class starts from its parent's geometry values, matrix included.
TEST_F(GeometryTest, DerivedClassCopiesTheGeometryValues)
{
    RunScript("GEOMETRY Base { MeshFVF: [ xyz normal ] Pos: [ 0 4 0 ] };\n"
              "GEOMETRY Child : Base { Orient: [ 0 0 0 ] };\n");
    CGeometry* child = CreateGeometry("Child");
    ASSERT_NE(nullptr, child) << messages.Joined();
    EXPECT_EQ(uint32_t(MESH_XYZ | MESH_NORMAL), child->MeshFVF);
    EXPECT_FLOAT_EQ(4.0f, child->world._42);
    EXPECT_EQ(D3DXVECTOR4(1, 1, 0, 0), child->UvMulAdd);
}

// The billboard unit goes when its unit is hidden or released, through the registry.
TEST_F(GeometryTest, HidingDeletesTheBillboardUnit)
{
    RunScript("GEOMETRY Board { };\nGEOMETRY Tree { Billboard: Board };\n");
    CGeometry* tree = CreateGeometry("Tree");
    ASSERT_NE(nullptr, tree);
    for (int round = 0; round < 2; ++round) {
        tree->billboard = Create("Board");
        const uint32_t id = tree->billboard->id;
        if (round == 0)
            tree->OnHide();
        else
            tree->Release();
        EXPECT_EQ(nullptr, tree->billboard);
        EXPECT_EQ(nullptr, gUnitInspector->UnitAt(int(id)));
    }
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

} // namespace
} // namespace geometrytest
