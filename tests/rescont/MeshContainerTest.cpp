#include "tests/rescont/ResourceFixture.h"

#include "core/Core.h"
#include "core/UsageParams.h"
#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "engine/MeshContainer.h"
#include "engine/Parser.h"
#include "engine/UnitInspector.h"
#include "scene/Geometry.h"

#include <string>
#include <vector>

namespace rescont {
namespace {

struct SLoadCall {
    std::string path;
    uint32_t format;
    int flags;
    int clones;  // the usage parameters the reader sees
};
std::vector<SLoadCall> gLoads;
int gLoadResult = 0;

int FakeLoader(const char* path, CMesh*, uint32_t format, int flags)
{
    gLoads.push_back({path, format, flags, int(gUsageParams.clones)});
    return gLoadResult;
}

class MeshContainerTest : public ResourceTest {
protected:
    void SetUp() override
    {
        ResourceTest::SetUp();
        gLoads.clear();
        gLoadResult = 0;
        meshes.loader = FakeLoader;
        Section("[ MeshCount: 8 VDeclCount: 4 MeshDirectory: \"Meshes\" ]");
    }
    void Section(const std::string& text) { ASSERT_EQ(0, meshes.FirstScan(Open(text))); }
    uint16_t Scan(FILE* file, int presentation = 0) { return meshes.ScanMesh(file, presentation); }

    CMeshContainer meshes;
};

TEST_F(MeshContainerTest, BlocksComeInEitherOrderBeforeThePath)
{
    FILE* f = Open("Tree FVF [ xyz normal uv0 ] USAGE [ dynamic clones: 3 ] \"Trees/tree.msh\"\n"
                   "Rock USAGE [ dynamic ] FVF [ xyz ] \"rock.msh\" NEXT");
    EXPECT_EQ(1, Scan(f));
    EXPECT_EQ(2, Scan(f));
    EXPECT_EQ("NEXT", NextWord(f));
    ASSERT_EQ(2u, gLoads.size());
    EXPECT_EQ(std::string(gBaseDir) + "Meshes\\Trees/tree.msh", gLoads[0].path);
    EXPECT_EQ(0x112u, gLoads[0].format);
    EXPECT_EQ(0, gLoads[0].flags);
    EXPECT_EQ(0x2u, gLoads[1].format);
    EXPECT_EQ(3, gLoads[0].clones);
    EXPECT_EQ(1, gLoads[1].clones);
    const CEngineMesh* tree = meshes.GetMesh(1);
    EXPECT_STREQ("Tree", tree->name);
    EXPECT_STREQ("Trees/tree.msh", tree->path);
    EXPECT_EQ(0x112u, tree->mesh.vertexFormat);
    EXPECT_EQ(0x200u, tree->mesh.usage);
    EXPECT_EQ(0x200u, meshes.GetMeshByName("Rock")->mesh.usage);
    EXPECT_EQ(2, meshes.FindMesh("Rock"));
    EXPECT_EQ(nullptr, meshes.GetMeshByName("rock"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(MeshContainerTest, AbsolutePathsAreTakenAsWritten)
{
    const std::string path = Dir() + "abs.msh";
    EXPECT_EQ(1, Scan(Open("FVF [ xyz ] \"" + path + "\"")));
    ASSERT_EQ(1u, gLoads.size());
    EXPECT_EQ(path, gLoads[0].path);
}

TEST_F(MeshContainerTest, DefaultFormatServesAnElementWithoutFvf)
{
    meshes.defaultFormat = 0x112;
    EXPECT_EQ(1, Scan(Open("\"plain.msh\"")));
    ASSERT_EQ(1u, gLoads.size());
    EXPECT_EQ(0x112u, gLoads[0].format);
    EXPECT_EQ(1, gLoads[0].clones);
    EXPECT_EQ(0x112u, meshes.GetMesh(1)->mesh.vertexFormat);
}

TEST_F(MeshContainerTest, SamePathUnderTwoNamesAnswersTheFirstIndex)
{
    FILE* f = Open("A FVF [ xyz ] \"same.msh\" B FVF [ xyz normal ] \"same.msh\" NEXT");
    EXPECT_EQ(1, Scan(f));
    EXPECT_EQ(1, Scan(f));
    EXPECT_EQ("NEXT", NextWord(f));
    EXPECT_EQ(1u, gLoads.size());
    EXPECT_EQ(0, meshes.FindMesh("B"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(MeshContainerTest, KnownNameIsAReferenceAndTheRestOfTheElementIsReadOver)
{
    EXPECT_EQ(1, Scan(Open("Tree FVF [ xyz ] \"tree.msh\"")));
    FILE* f = Open("Tree FVF [ xyz normal ] USAGE [ dynamic ] \"other.msh\" NEXT");
    EXPECT_EQ(1, Scan(f));
    EXPECT_EQ("NEXT", NextWord(f));
    // A unit property: the next property keyword stays for the unit.
    f = Open("Tree\n  Texture: \"bark.tga\"");
    EXPECT_EQ(1, Scan(f));
    EXPECT_EQ("Texture:", NextWord(f));
    EXPECT_EQ(1u, gLoads.size());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(MeshContainerTest, UnknownNameIsReportedAndTheNextKeywordIsNotEaten)
{
    FILE* f = Open("Bush Texture: \"leaf.tga\"");
    EXPECT_EQ(0, Scan(f));
    EXPECT_EQ("Texture:", NextWord(f));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CMeshContainer::ScanMesh:  Mesh 'Bush' not found.", messages.Texts()[0]);
    EXPECT_EQ(0, gExitCode);
    EXPECT_TRUE(gLoads.empty());
}

TEST_F(MeshContainerTest, NoFormatAndNoNameRequestsShutdown)
{
    EXPECT_EQ(0, Scan(Open("\"orphan.msh\"")));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CMeshContainer::ScanMesh:  Unknown FVF for mesh.", messages.Texts()[0]);
    EXPECT_EQ(1, gExitCode);
}

TEST_F(MeshContainerTest, MeshCountOneAllowsNoMesh)
{
    Section("[ MeshCount: 1 ]");
    EXPECT_EQ(0, Scan(Open("Tree FVF [ xyz ] \"tree.msh\"")));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CMeshContainer::ScanMesh:  meshes limit is exceed.", messages.Texts()[0]);
    EXPECT_EQ(1, gExitCode);
}

TEST_F(MeshContainerTest, LoadMeshSharesPathsSkipsIndicesAndRunsOutWithoutShutdown)
{
    Section("[ MeshCount: 3 ]");
    EXPECT_EQ(1, meshes.LoadMesh("frame1.msh", 0x2, 1));
    EXPECT_EQ(1, meshes.LoadMesh("frame1.msh", 0x2, 1));
    meshes.skipIndices = 1;
    EXPECT_EQ(2, meshes.LoadMesh("frame2.msh", 0x12, 0));
    ASSERT_EQ(2u, gLoads.size());
    EXPECT_EQ(0, gLoads[0].flags);
    EXPECT_EQ(32, gLoads[1].flags);
    EXPECT_EQ(0x12u, gLoads[1].format);
    EXPECT_EQ(MESH_PRESENTATION, meshes.GetMesh(1)->mesh.flags & MESH_PRESENTATION);
    EXPECT_EQ(0u, meshes.GetMesh(2)->mesh.flags & MESH_PRESENTATION);
    EXPECT_EQ(0, meshes.LoadMesh("frame3.msh", 0x2, 0));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("MeshContainer:  meshes limit is exceed.", messages.Texts()[0]);
    EXPECT_EQ(0, gExitCode);
}

// A failed mesh keeps its record and its name: a repeated element refers to it, unread.
TEST_F(MeshContainerTest, FailedLoadsKeepTheirNameAndPresentationMeshesAreReleased)
{
    EXPECT_EQ(1, Scan(Open("Keep FVF [ xyz ] \"keep.msh\"")));
    gLoadResult = -1;
    EXPECT_EQ(0, Scan(Open("Broken FVF [ xyz ] \"broken.msh\""), 1));
    EXPECT_EQ(2, meshes.FindMesh("Broken"));
    EXPECT_EQ(0, meshes.FindMeshPath(""));
    EXPECT_EQ(MESH_PRESENTATION, meshes.GetMesh(2)->mesh.flags);
    EXPECT_EQ(2, Scan(Open("Broken FVF [ xyz ] \"broken.msh\""), 1));
    EXPECT_EQ(2u, gLoads.size());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    gLoadResult = 0;
    EXPECT_EQ(3, Scan(Open("Shown FVF [ xyz ] \"shown.msh\""), 1));

    meshes.ReleaseMissionMeshes();
    EXPECT_EQ(1, meshes.FindMesh("Keep"));
    EXPECT_EQ(0, meshes.FindMesh("Shown"));
    EXPECT_EQ(0, meshes.FindMeshPath("shown.msh"));
    EXPECT_EQ(2, meshes.meshes.FreeCount());
    meshes.ReleaseMesh(3);  // already free
    meshes.ReleaseMesh(0);
    meshes.ReleaseMesh(99);
    EXPECT_EQ(2, meshes.meshes.FreeCount());
    // Freed records are taken again, last freed first.
    EXPECT_EQ(3, Scan(Open("Again FVF [ xyz ] \"again.msh\"")));
}

TEST_F(MeshContainerTest, RealReaderLoadsAndReleaseFreesTheBuffers)
{
    meshes.loader = ::LoadMesh;
    WriteFile("quad.msh", "NumVertices 4\nNumPrimitives 2\nMESH\n4\n-1 -1 0.5\n-1 1 0.5\n1 1 0.5\n"
                          "1 -1 0.5\nindices 2\n0 1 2\n0 2 3\n");
    FILE* f = Open("Quad USAGE [ pool_managed ] FVF [ xyz ] \"" + Dir() + "quad.msh\"\n"
                   "Lost FVF [ xyz ] \"" + Dir() + "lost.msh\" NEXT");
    ASSERT_EQ(1, Scan(f)) << messages.Joined();
    EXPECT_EQ(0, Scan(f));
    EXPECT_EQ("NEXT", NextWord(f));
    CEngineMesh* quad = meshes.GetMesh(1);
    EXPECT_EQ(4, quad->mesh.vertexCount);
    EXPECT_EQ(2, quad->mesh.primitiveCount);
    EXPECT_NE(nullptr, quad->mesh.vertexBuffer);
    EXPECT_EQ(2, meshes.FindMesh("Lost"));
    EXPECT_EQ(nullptr, meshes.GetMesh(2)->mesh.vertexBuffer);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("lost.msh"));
    meshes.ReleaseMesh(1);
    EXPECT_EQ(nullptr, quad->mesh.vertexBuffer);
    EXPECT_EQ(0, meshes.FindMesh("Quad"));
}

TEST_F(MeshContainerTest, LongNamesAndPathsAreCut)
{
    const std::string name(80, 'm');
    const std::string path(300, 'p');
    EXPECT_EQ(1, Scan(Open(name + " FVF [ xyz ] \"" + path + "\"")));
    EXPECT_EQ(std::string(MESH_NAME_SIZE - 1, 'm'), meshes.GetMesh(1)->name);
    EXPECT_EQ(std::string(MESH_PATH_SIZE - 1, 'p'), meshes.GetMesh(1)->path);
}

// Declarators are created on the sample's device.
class DeclaratorTest : public MeshContainerTest {
protected:
    std::vector<D3DVERTEXELEMENT9> Elements(uint16_t index)
    {
        std::vector<D3DVERTEXELEMENT9> out;
        IDirect3DVertexDeclaration9* decl = meshes.GetVertexDeclaration(index);
        UINT n = 0;
        if (!decl || FAILED(decl->GetDeclaration(nullptr, &n))) return out;
        out.resize(n);
        decl->GetDeclaration(out.data(), &n);
        return out;
    }
};

const char HEADER[] = " Stream Offset Type Method Usage Index\n";

TEST_F(DeclaratorTest, RowsWithCommentsBetweenKeepTheirOrder)
{
    FILE* f = Open(std::string("Lit") + HEADER +
                   "0 0 float3 position 0 // where\n"
                   "/* lighting */ 0 12 float3 normal 0\n"
                   "0 24 color color 0\n"
                   "1 0 float2 tex_coord 1\n"
                   "EndComponents.\nNEXT");
    EXPECT_EQ(0, meshes.ScanVertexDeclarator(f));
    EXPECT_EQ("NEXT", NextWord(f));
    EXPECT_EQ(1, meshes.FindVertexDeclarator("Lit"));
    EXPECT_EQ(0, meshes.FindVertexDeclarator(""));
    const std::vector<D3DVERTEXELEMENT9> e = Elements(1);
    ASSERT_EQ(5u, e.size());
    EXPECT_EQ(D3DDECLUSAGE_POSITION, e[0].Usage);
    EXPECT_EQ(12, e[1].Offset);
    EXPECT_EQ(D3DDECLUSAGE_NORMAL, e[1].Usage);
    EXPECT_EQ(D3DDECLTYPE_D3DCOLOR, e[2].Type);
    EXPECT_EQ(D3DDECLUSAGE_COLOR, e[2].Usage);
    EXPECT_EQ(1, e[3].Stream);
    EXPECT_EQ(D3DDECLUSAGE_TEXCOORD, e[3].Usage);
    EXPECT_EQ(1, e[3].UsageIndex);
    EXPECT_EQ(0xFF, e[4].Stream);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(DeclaratorTest, EndRightAfterTheHeaderGivesOnlyTheEndMarker)
{
    FILE* f = Open(std::string("Empty") + HEADER + "EndComponents. NEXT");
    EXPECT_EQ(0, meshes.ScanVertexDeclarator(f));
    EXPECT_EQ("NEXT", NextWord(f));
    EXPECT_EQ(1, meshes.FindVertexDeclarator("Empty"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(DeclaratorTest, ThirtyThreeRowsAreCutAtThirtyTwoAndReadToTheirEnd)
{
    static const char* const USAGES[] = {"position", "normal", "tex_coord", "color"};
    std::string rows;
    for (int i = 0; i < 33; ++i)
        rows += "0 " + std::to_string(i * 4) + " float1 " + USAGES[i / 8 % 4] + " " +
                std::to_string(i % 8) + "\n";
    FILE* f = Open(std::string("Wide") + HEADER + rows + "EndComponents. NEXT");
    meshes.ScanVertexDeclarator(f);
    EXPECT_EQ("NEXT", NextWord(f));
    ASSERT_LE(1u, messages.Count());
    EXPECT_EQ("PROGRAMMER LIMIT: more than 32 components in vertex declarator 'Wide'.",
              messages.Texts()[0]);
    const std::vector<D3DVERTEXELEMENT9> e = Elements(1);
    if (!e.empty()) {
        ASSERT_EQ(33u, e.size());
        EXPECT_EQ(31 * 4, e[31].Offset);
    }
}

TEST_F(DeclaratorTest, UnknownWordsAreReportedAndAFailedDeclaratorKeepsItsName)
{
    FILE* f = Open(std::string("Odd") + HEADER + "0 0 float5 position 0\n0 16 float3 binormal 0\n"
                   "EndComponents. NEXT");
    EXPECT_NE(0, meshes.ScanVertexDeclarator(f));
    EXPECT_EQ("NEXT", NextWord(f));
    ASSERT_EQ(3u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Undefine VertexDeclaration Type 'float5' in vertex declarator 'Odd'.",
              messages.Texts()[0]);
    EXPECT_EQ("Undefine VertexDeclaration Usage 'binormal' in vertex declarator 'Odd'.",
              messages.Texts()[1]);
    EXPECT_EQ("Can`t create vertex declarator 'Odd'.", messages.Texts()[2]);
    EXPECT_EQ(1, meshes.FindVertexDeclarator("Odd"));
    EXPECT_EQ(nullptr, meshes.GetVertexDeclaration(1));
}

TEST_F(DeclaratorTest, EndOfFileEndsTheRows)
{
    FILE* f = Open(std::string("Cut") + HEADER + "0 0 float3 position 0\n");
    EXPECT_EQ(0, meshes.ScanVertexDeclarator(f));
    EXPECT_EQ(2u, Elements(1).size());
}

TEST_F(DeclaratorTest, FullTableRequestsShutdown)
{
    Section("[ VDeclCount: 1 ]");
    EXPECT_EQ(-1, meshes.ScanVertexDeclarator(Open(std::string("One") + HEADER + "EndComponents.")));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("MeshContainer:  VertexDeclarators limit is exceed.", messages.Texts()[0]);
    EXPECT_EQ(1, gExitCode);
}

TEST_F(MeshContainerTest, SectionWordsAndAnOpenSection)
{
    Section("[ MeshCount: 4 Colour: 3 MeshDirectory: \"Mesh/\" ");
    EXPECT_STREQ("Mesh/", meshes.directory);
    ASSERT_EQ(3u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Undefine string 'Colour:'", messages.Texts()[0]);
    EXPECT_EQ("Undefine string '3'", messages.Texts()[1]);
    EXPECT_EQ("MeshContainer:  section is not closed by ']'.", messages.Texts()[2]);
    EXPECT_EQ(4, meshes.meshes.Capacity());
}

} // namespace
} // namespace rescont

namespace rescont {
namespace {

// A bare name, then the caller's next keyword, many times over, so that the stream's buffer
// is refilled in between; with either line end the keyword stays for the caller.
class BareNameLineEnds : public MeshContainerTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BareNameLineEnds, TheNextKeywordIsNotMisread)
{
    const std::string eol = GetParam();
    std::string text = "Quad FVF [ xyz ] \"quad.msh\"" + eol;
    for (int i = 0; i < 400; ++i) text += "Quad" + eol + "VertDeclarator: Decl" + std::to_string(i) + eol;
    text += "\"quad.msh\" Texture: \"t.tga\"" + eol;
    FILE* f = Open(text);
    EXPECT_EQ(1, Scan(f));
    for (int i = 0; i < 400; ++i) {
        EXPECT_EQ(1, Scan(f));
        EXPECT_EQ("VertDeclarator:", NextWord(f));
        EXPECT_EQ("Decl" + std::to_string(i), NextWord(f));
    }
    EXPECT_EQ(1, Scan(f)) << "a quoted path is found by path";
    EXPECT_EQ("Texture:", NextWord(f));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

INSTANTIATE_TEST_SUITE_P(LineEnds, BareNameLineEnds, ::testing::Values("\r\n", "\n"));

// A repeated section sizes the container afresh; the meshes and declarators it drops must
// give their device references back.
TEST_F(MeshContainerTest, ASecondSectionReleasesWhatTheFirstOneMade)
{
    WriteFile("quad.msh", "NumVertices 4\nNumPrimitives 2\nMESH\n4\n-1 -1 0.5\n-1 1 0.5\n1 1 0.5\n"
                          "1 -1 0.5\nindices 2\n0 1 2\n0 2 3\n");
    const std::string quad = "Quad FVF [ xyz ] \"" + Dir() + "quad.msh\"";
    const std::string decl = std::string("Pos") + HEADER + "0 0 float3 position 0\nEndComponents.";
    const unsigned long before = test::DeviceRefCount();
    {
        CMeshContainer local;
        ASSERT_EQ(0, local.FirstScan(Open("[ MeshCount: 2 VDeclCount: 2 ]")));
        ASSERT_EQ(1, local.ScanMesh(Open(quad), 0)) << messages.Joined();
        ASSERT_EQ(0, local.ScanVertexDeclarator(Open(decl)));
        EXPECT_GT(test::DeviceRefCount(), before);
        ASSERT_EQ(0, local.FirstScan(Open("[ MeshCount: 2 VDeclCount: 2 ]")));
        EXPECT_EQ(before, test::DeviceRefCount());
        EXPECT_EQ(0, local.FindMesh("Quad"));
        EXPECT_EQ(1, local.ScanMesh(Open(quad), 0)) << messages.Joined();
        EXPECT_EQ(0, local.ScanVertexDeclarator(Open(decl)));
    }
    EXPECT_EQ(before, test::DeviceRefCount());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A failed mesh and a failed declarator answer to their names with empty records; the
// sample draws on with a unit showing that mesh and a class naming that declarator (which
// falls back to its mesh's own vertex format).
TEST_F(DeclaratorTest, FailedMeshAndDeclaratorReachTheSampleFrameSafely)
{
    const std::string script = WriteFile("Failed.txt", "MESH Lost FVF [ xyz normal uv0 ] \"lost.msh\"\nMESH Lost\n"
                                         "VDECLARATOR Odd" + std::string(HEADER) +
                                         "0 0 float5 position 0\n0 16 float3 binormal 0\nEndComponents.\n");
    ASSERT_EQ(0, gParser->ScanScript(script.c_str())) << messages.Joined();
    EXPECT_EQ(1u, CountMessages("lost.msh")) << messages.Joined();
    EXPECT_EQ(0u, CountMessages("not found")) << "the second element is a reference";
    const uint16_t lost = gMeshContainer->FindMesh("Lost");
    const uint16_t odd = gMeshContainer->FindVertexDeclarator("Odd");
    ASSERT_NE(0, lost);
    ASSERT_NE(0, odd);
    EXPECT_EQ(nullptr, gMeshContainer->GetMesh(lost)->mesh.vertexBuffer);
    EXPECT_EQ(nullptr, gMeshContainer->GetVertexDeclaration(odd));

    test::Image before, after;
    ASSERT_TRUE(RunSampleFrames(3));  // the presentation starts
    ASSERT_TRUE(test::ReadBackBuffer(before));
    auto* ground = dynamic_cast<CGeometry*>(gIUnitInspector->FindUnitByName("Ground"));
    auto* rect = dynamic_cast<CGeometry*>(gIUnitInspector->FindUnitByName("SelFloorRect"));
    ASSERT_TRUE(ground && rect && ground->classTemplate);
    const uint16_t rectMesh = rect->mesh;
    ground->classTemplate->vertexDeclarator = odd;
    rect->mesh = lost;
    messages.Clear();
    const bool ran = RunSampleFrames(2);
    test::ReadBackBuffer(after);
    ground->classTemplate->vertexDeclarator = 0;
    rect->mesh = rectMesh;
    ASSERT_TRUE(ran);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    const int row = gEngine->view.Y + gEngine->view.Height - 150;
    for (int x : {100, 300, 500})
        EXPECT_TRUE(test::ColorNear(before.At(x, row), after.At(x, row), 6)) << "the ground at " << x;
}

} // namespace
} // namespace rescont
