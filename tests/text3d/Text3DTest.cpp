// 3D text on the device of the started program: the mesh a text becomes, its centring,
// text units read from a class block by the script reader, and the text drawn.

#include "core/Graphics.h"
#include "core/Meshes/Mesh.h"
#include "core/Meshes/MeshReader.h"
#include "engine/FontContainer.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"
#include "scene/Renderer.h"
#include "scene/Text3D.h"
#include "tests/support/Harness.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// One font, "Sign", of the given face and style.
class OneFont : public IFontContainer {
public:
    CEngFont* FindFont(const char* name) override { return strcmp(name, "Sign") == 0 ? &record : nullptr; }
    uint16_t FindFontIndex(const char* name) override { return FindFont(name) ? 1 : 0; }
    CEngFont* GetFont(uint16_t index) override { return index == 1 ? &record : nullptr; }
    CEngFont record;
};

class Text3DTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
        strcpy(fonts.record.font.face, "Arial");
        saved = gIFontContainer;
        gIFontContainer = &fonts;
        dir = test::TempDir("text3d") + "\\";
    }
    void TearDown() override
    {
        gIFontContainer = saved;
        program.Stop();
    }
    void RunScript(const std::string& text)
    {
        const std::string path = dir + "Script" + std::to_string(++scripts) + ".txt";
        test::WriteFile(path, text);
        ASSERT_EQ(0, gParser->ScanScript(path.c_str())) << messages.Joined();
    }
    CText3D* Create(const char* className)
    {
        CClassTemplate* cls = gIUnitInspector->GetClassTemplate(className);
        return cls ? dynamic_cast<CText3D*>(gIUnitInspector->CreateUnitFromTemplate(cls, nullptr)) : nullptr;
    }

    test::MessageRecorder messages;
    test::Program program;
    OneFont fonts;
    IFontContainer* saved = nullptr;
    std::string dir;
    int scripts = 0;
};

// The counts of the builder's own mesh for the same text and font.
void ExpectedCounts(const wchar_t* text, int bold, DWORD* vertices, DWORD* faces)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontW(-MulDiv(TEXT3D_POINT_SIZE, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0,
                             bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Arial");
    HGDIOBJ old = SelectObject(dc, font);
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateTextW(Device3D, dc, text, TEXT3D_DEVIATION, TEXT3D_EXTRUSION, &mesh, nullptr, nullptr));
    *vertices = mesh->GetNumVertices();
    *faces = mesh->GetNumFaces();
    mesh->Release();
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
}

TEST_F(Text3DTest, TextBecomesACentredTriangleMesh)
{
    STextMesh record;
    ASSERT_EQ(D3D_OK, record.BuildTextMesh("Arial", TEXT3D_POINT_SIZE, TEXT3D_DEVIATION, 0, 0, TEXT3D_VERTEX_FORMAT, "Lot 7"));
    ASSERT_NE(nullptr, record.mesh);
    const CMesh& mesh = *record.mesh;
    DWORD vertices = 0, faces = 0;
    ExpectedCounts(L"Lot 7", 0, &vertices, &faces);
    EXPECT_EQ(int(vertices), mesh.vertexCount);
    EXPECT_EQ(int(faces), mesh.primitiveCount);
    EXPECT_EQ(274u, mesh.vertexFormat);
    EXPECT_EQ(32, mesh.stride);
    EXPECT_EQ(D3DPT_TRIANGLELIST, mesh.primitiveType);
    EXPECT_EQ(2, mesh.indexSize);
    EXPECT_EQ(1, mesh.subMeshCount);
    ASSERT_NE(nullptr, mesh.vertexBuffer);
    ASSERT_NE(nullptr, mesh.indexBuffer);
    D3DVERTEXBUFFER_DESC vb;
    mesh.vertexBuffer->GetDesc(&vb);
    EXPECT_EQ(vertices * 32, vb.Size);
    D3DINDEXBUFFER_DESC ib;
    mesh.indexBuffer->GetDesc(&ib);
    EXPECT_EQ(faces * 6, ib.Size);
    // The box is symmetric about the origin and as wide as a text of five characters.
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_NEAR(-(&mesh.corners[0].x)[axis], (&mesh.corners[6].x)[axis], 1e-4f) << axis;
    EXPECT_GT(mesh.corners[6].x, mesh.corners[6].y);
    EXPECT_NEAR(TEXT3D_EXTRUSION, mesh.corners[6].z * 2.0f, 1e-4f);
    EXPECT_GT(mesh.boundRadius, 0.0f);
    EXPECT_EQ("Arial", record.face);
    EXPECT_EQ("Lot 7", record.text);
}

// A code page 1251 text becomes the mesh of its own letters, whatever the system's code page.
TEST_F(Text3DTest, CodePage1251TextBecomesItsLetters)
{
    STextMesh record;
    ASSERT_EQ(D3D_OK, record.BuildTextMesh("Arial", TEXT3D_POINT_SIZE, TEXT3D_DEVIATION, 0, 0, TEXT3D_VERTEX_FORMAT,
                                           "\xC4\xEE\xEC 7"));  // "Дом 7" in code page 1251
    DWORD vertices = 0, faces = 0;
    ExpectedCounts(L"Дом 7", 0, &vertices, &faces);
    ASSERT_NE(nullptr, record.mesh);
    EXPECT_EQ(int(vertices), record.mesh->vertexCount);
    EXPECT_EQ(int(faces), record.mesh->primitiveCount);
}

TEST_F(Text3DTest, NothingToBuildLeavesNoMesh)
{
    STextMesh record;
    EXPECT_EQ(-1, record.BuildTextMesh("Arial", 16, 0.14f, 0, 0, TEXT3D_VERTEX_FORMAT, ""));
    EXPECT_EQ(nullptr, record.mesh);
    EXPECT_EQ(-1, record.BuildTextMesh("", 16, 0.14f, 0, 0, TEXT3D_VERTEX_FORMAT, "A"));
    EXPECT_EQ(nullptr, record.mesh);
    // A vertex format without room for position and normal is refused.
    EXPECT_NE(D3D_OK, record.BuildTextMesh("Arial", 16, 0.14f, 0, 0, MESH_XYZ, "A"));
    EXPECT_EQ(nullptr, record.mesh);
    // A second build replaces the first mesh.
    ASSERT_EQ(D3D_OK, record.BuildTextMesh("Arial", 16, 0.14f, 1, 0, TEXT3D_VERTEX_FORMAT, "A"));
    const int first = record.mesh->vertexCount;
    ASSERT_EQ(D3D_OK, record.BuildTextMesh("Arial", 16, 0.14f, 1, 0, TEXT3D_VERTEX_FORMAT, "AAA"));
    EXPECT_GT(record.mesh->vertexCount, first);
    EXPECT_EQ(1, record.bold);
}

// A record rebuilds from the face and text it keeps; without a face it copies a mesh and
// centres the copy; a freed record has nothing to rebuild from.
TEST_F(Text3DTest, RebuildFromTheRecordOrFromAMesh)
{
    STextMesh record;
    ASSERT_EQ(D3D_OK, record.BuildTextMesh("Arial", 16, 0.14f, 1, 0, TEXT3D_VERTEX_FORMAT, "Lot"));
    const int vertices = record.mesh->vertexCount;
    ASSERT_EQ(D3D_OK, record.RebuildTextMesh());
    ASSERT_NE(nullptr, record.mesh);
    EXPECT_EQ(vertices, record.mesh->vertexCount);

    test::WriteFile(dir + "corner.msh", "NumVertices 3\nNumPrimitives 1\nMESH\n3\n"
                                        "0 0 0.5\n0 1 0.5\n2 0 0.5\nindices 1\n0 1 2\n");
    CMesh source;
    ASSERT_EQ(0, LoadMesh((dir + "corner.msh").c_str(), &source, MESH_XYZ, 0)) << messages.Joined();
    record.FreeTextMeshRecord();
    const STextMesh fresh;
    for (const STextMesh* r : {static_cast<const STextMesh*>(&record), &fresh}) {
        EXPECT_EQ(nullptr, r->mesh);
        EXPECT_EQ("", r->face);
        EXPECT_EQ("", r->text);
        EXPECT_EQ(0, r->pointSize);
        EXPECT_EQ(1.0f, r->deviation);
        EXPECT_EQ(0, r->bold);
        EXPECT_EQ(0u, r->vertexFormat);
    }
    EXPECT_EQ(-1, record.RebuildTextMesh());
    ASSERT_EQ(D3D_OK, record.RebuildTextMesh(&source));
    ASSERT_NE(nullptr, record.mesh);
    EXPECT_NE(source.vertexBuffer, record.mesh->vertexBuffer);
    EXPECT_EQ(D3DXVECTOR4(-1, -0.5f, 0, 1), record.mesh->corners[0]);
    EXPECT_EQ(D3DXVECTOR4(1, 0.5f, 0, 1), record.mesh->corners[6]);
    record.FreeTextMesh();
    source.Release();
}

// Units of a class block: the font and text are copied from the prototype, the mesh is
// built at first initialisation with the font's style; without a font no mesh is built.
TEST_F(Text3DTest, ClassBlockTextIsBuiltForEachUnit)
{
    fonts.record.flags = FONT_BOLD;
    RunScript("TEXT3D Title { Font: Sign Text: \"Kestrel Vale\" Pos: [ 1 2 3 ] };\n"
              "TEXT3D Nameless { Font: Missing Text: Word };\n"
              "TEXT3D Blank { Font: Sign };\n"
              "ATOM Marker { };\n"
              "TEXT3D Labelled { Text: Alone StartActions: { CreateAttach ( Marker ) }; };\n");
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CText3D::ScanNativePropertyes Error:  not found font 'Missing'.", messages.Texts()[0]);

    CText3D* title = Create("Title");
    ASSERT_NE(nullptr, title);
    EXPECT_STREQ("Kestrel Vale", title->text);
    EXPECT_EQ(1, title->font);
    EXPECT_FLOAT_EQ(2.0f, title->Pos.y);
    ASSERT_NE(nullptr, title->textMesh);
    ASSERT_NE(nullptr, title->textMesh->mesh);
    EXPECT_EQ(1, title->textMesh->bold);
    EXPECT_EQ(TEXT3D_POINT_SIZE, title->textMesh->pointSize);
    DWORD vertices = 0, faces = 0;
    ExpectedCounts(L"Kestrel Vale", 1, &vertices, &faces);
    EXPECT_EQ(int(faces), title->textMesh->mesh->primitiveCount);

    CText3D* nameless = Create("Nameless");
    ASSERT_NE(nullptr, nameless);
    EXPECT_EQ(nullptr, nameless->textMesh);
    CText3D* blank = Create("Blank");
    ASSERT_NE(nullptr, blank);
    EXPECT_EQ(nullptr, blank->textMesh);

    // No font: no mesh, but the start actions run.
    CText3D* labelled = Create("Labelled");
    ASSERT_NE(nullptr, labelled);
    EXPECT_EQ(nullptr, labelled->textMesh);
    EXPECT_NE(nullptr, labelled->FindSlaveByClass("Marker"));

    EXPECT_EQ(0, gIUnitInspector->DeleteUnit(title));
    EXPECT_EQ(1u, messages.Count()) << messages.Joined();
}

// The block's end places the text where the block put it.
TEST_F(Text3DTest, PresentationFontKeyTakesNoValueAndTheBlockPlacesTheUnit)
{
    const std::string path = dir + "keys.txt";
    test::WriteFile(path, "font: pos: [ 4 5 6 ] coord_ay: [ 7 8 90 ] };");
    FILE* file = fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    CText3D unit;
    EXPECT_EQ(SCAN_BLOCK_END, unit.ScanMissionData(file, nullptr));
    fclose(file);
    EXPECT_FLOAT_EQ(5.0f, unit.Pos.y);
    EXPECT_EQ(D3DXVECTOR3(7, 5, 8), D3DXVECTOR3(unit.world._41, unit.world._42, unit.world._43));
    // Turned a quarter: its x axis runs along the world's z.
    EXPECT_NEAR(0.0f, unit.world._11, 1e-6f);
    EXPECT_NEAR(1.0f, fabsf(unit.world._13), 1e-6f);
}

// The text drawn with the unit's world matrix by the fixed pipeline shows up white on black
// in the middle of the view, and only there.
TEST_F(Text3DTest, TextIsDrawn)
{
    RunScript("TEXT3D Sign3D { Font: Sign Text: \"HOUSE\" };\n");
    CText3D* unit = Create("Sign3D");
    ASSERT_NE(nullptr, unit);
    ASSERT_NE(nullptr, unit->textMesh);
    // A class without shaders: the unit sets its layout and its world transform (scaled
    // by its Size) itself.
    unit->Size = D3DXVECTOR4(0.3f, 0.3f, 0.3f, 1.0f);
    unit->Pos = D3DXVECTOR4(0.0f, 0.0f, 0.5f, 1.0f);  // inside the depth range
    unit->UpdateWorldMatrix();
    gGraphics.BeginScene();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    test::UseClipSpace();
    gGraphics.CullNone();
    gGraphics.SetStageModulate();
    gGraphics.SetFVF(MESH_XYZ);
    EXPECT_EQ(0u, unit->Render(1));
    gGraphics.EndScene();
    test::Image image;
    ASSERT_TRUE(test::ReadBackBuffer(image));
    const CMesh& mesh = *unit->textMesh->mesh;
    // Pixels inside the text's box (in clip space: its corners scaled) that are lit.
    const float halfWidth = mesh.corners[6].x * 0.3f, halfHeight = mesh.corners[6].y * 0.3f;
    int lit = 0, outside = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const float cx = (x + 0.5f) / image.width * 2.0f - 1.0f, cy = 1.0f - (y + 0.5f) / image.height * 2.0f;
            const bool on = (image.At(x, y) & 0xFFFFFF) != 0;
            const bool inside = std::fabs(cx) <= halfWidth + 0.02f && std::fabs(cy) <= halfHeight + 0.02f;
            if (on && inside) ++lit;
            if (on && !inside) ++outside;
        }
    EXPECT_GT(lit, 20);
    EXPECT_EQ(0, outside);
}

} // namespace
