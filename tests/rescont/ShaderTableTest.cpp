#include "tests/rescont/ResourceFixture.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "engine/ResourceScan.h"
#include "engine/ShaderContainer.h"
#include "scene/ParticleSystems.h"
#include "scene/Renderer.h"

#include <cstddef>
#include <string>

namespace rescont {
namespace {

constexpr float SENTINEL = -7.0f;

class ShaderTableTest : public ResourceTest {
protected:
    void SetUp() override
    {
        ResourceTest::SetUp();
        gShaderTableWarnings = 4;
        ASSERT_EQ(0, shaders.FirstScan(Open("[ ShaderCount: 4 TableCount: 8 ]")));
        for (int i = 0; i < 64; ++i) block[i] = 100.0f + i;
        for (int i = 0; i < 80; ++i) array[i] = 1000.0f + i;
        object.block = block;
        object.array = array;
        Fill(0, 256);
    }
    CShaderTable* Scan(const std::string& text)
    {
        FILE* f = Open(text + " NEXT");
        EXPECT_EQ(0, shaders.ScanShaderTable(f));
        EXPECT_EQ("NEXT", NextWord(f));
        IShaderContainer& shared = shaders;  // tables are reached through the interface
        return shared.GetTable(shaders.tables.Count());
    }
    static void Fill(UINT first, UINT n)
    {
        for (UINT r = first; r < first + n; ++r) {
            const float v[4] = {SENTINEL, SENTINEL, SENTINEL, SENTINEL};
            Device3D->SetVertexShaderConstantF(r, v, 1);
            if (r < 224) Device3D->SetPixelShaderConstantF(r, v, 1);
        }
    }
    static D3DXVECTOR4 Vertex(UINT reg)
    {
        D3DXVECTOR4 v;
        Device3D->GetVertexShaderConstantF(reg, v, 1);
        return v;
    }
    static D3DXVECTOR4 Pixel(UINT reg)
    {
        D3DXVECTOR4 v;
        Device3D->GetPixelShaderConstantF(reg, v, 1);
        return v;
    }
    static void ExpectFrom(const D3DXVECTOR4& got, const float* source)
    {
        EXPECT_EQ(source[0], got.x);
        EXPECT_EQ(source[1], got.y);
        EXPECT_EQ(source[2], got.z);
        EXPECT_EQ(source[3], got.w);
    }

    CShaderContainer shaders;
    float block[64];
    float array[80];
    SObjectConstants object;
};

const char HEADER[] = "{ Register Source Count";

TEST_F(ShaderTableTest, RowsReadRegistersSourcesAndCounts)
{
    CShaderTable* t = Scan(std::string("Lit {\n VertexConstants: ") + HEADER +
                           "\n 0 ClearColor 1\n 4 TEMPLATE::GlowParams 1\n FlowReg: 20 PartSystem::Data NumWorlds\n"
                           " 9 Unknown Lots\n };\n Comment\n PixelConstants: " + HEADER + "\n 3 AirFog 2\n };\n};");
    ASSERT_NE(nullptr, t);
    EXPECT_STREQ("Lit", t->name);
    EXPECT_EQ(1, shaders.FindTable("Lit"));
    EXPECT_EQ(0, shaders.FindTable("lit"));
    ASSERT_EQ(4, t->vertex.count);
    ASSERT_EQ(1, t->pixel.count);
    const SShaderTableRow* r = t->vertex.rows;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&gRenderer->ClearColor), r[0].data);
    EXPECT_EQ(FLOW_NONE, r[0].flowStart);
    EXPECT_EQ(4u, r[1].reg);
    EXPECT_EQ(0u, r[1].data);
    uintptr_t out = 0;
    EXPECT_EQ(ShaderConstantByName("TEMPLATE::GlowParams", &out), r[1].code);
    EXPECT_LE(0xF0000000u, r[1].code);  // words of the object's class data
    EXPECT_EQ(20u, r[2].reg);
    EXPECT_EQ(20u, r[2].flowStart);
    EXPECT_EQ(0u, r[2].data);
    EXPECT_EQ(PARTICLE_DATA_WORD, r[2].code);
    EXPECT_EQ(&gRenderer->numWorlds, r[2].countVariable);
    EXPECT_EQ(0u, r[3].count);
    EXPECT_EQ(2u, t->pixel.rows[0].count);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CRecordTable::ScanRecords:  Undefine string 'Lots'.", messages.Texts()[0]);
}

TEST_F(ShaderTableTest, RowsPastThirtyTwoWarnWithABudgetSharedByAllTables)
{
    std::string rows;
    for (int i = 0; i < 35; ++i)
        rows += " " + std::to_string(i) + " ClearColor 1\n";
    CShaderTable* a = Scan("A { VertexConstants: " + std::string(HEADER) + rows + " }; };");
    CShaderTable* b = Scan("B { PixelConstants: " + std::string(HEADER) + rows + " }; };");
    ASSERT_EQ(MAX_SHAD_TABLE_RECS, a->vertex.count);
    EXPECT_EQ(31u, a->vertex.rows[31].reg);
    EXPECT_EQ(31u, b->pixel.rows[31].reg);
    EXPECT_EQ(4u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Programmer Limit: MAX_SHAD_TABLE_RECS.", messages.Texts()[0]);
    EXPECT_EQ(4u, CountMessages("Programmer Limit: MAX_SHAD_TABLE_RECS."));
}

TEST_F(ShaderTableTest, LinkResolvesLaterDataOnceAndNamesWhatStaysUnknown)
{
    CRenderer* renderer = gRenderer;
    gRenderer = nullptr;  // the clear colour's owner does not exist yet
    CShaderTable* t = Scan(std::string("Late { VertexConstants: ") + HEADER +
                           " 0 ClearColor 1 1 NoSuchThing 1 2 mWorld 4 }; PixelConstants: " + HEADER +
                           " 0 Nope 1 }; };");
    gRenderer = renderer;
    EXPECT_EQ(0u, t->vertex.rows[0].data);
    EXPECT_STREQ("ClearColor", t->vertex.rows[0].postName);
    shaders.LinkPostStrings();
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&gRenderer->ClearColor), t->vertex.rows[0].data);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&gRenderer->mWorld), t->vertex.rows[2].data)
        << "the renderer's moving world pointer";
    EXPECT_EQ(SHADER_CONST_PER_OBJECT, t->vertex.rows[2].code);
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("ShaderContainer:  post string 'NoSuchThing' not linked for vertex constant.",
              messages.Texts()[0]);
    EXPECT_EQ("ShaderContainer:  post string 'Nope' not linked for pixel constant.",
              messages.Texts()[1]);
    shaders.LinkPostStrings();
    EXPECT_EQ(2u, messages.Count());
}

TEST_F(ShaderTableTest, ApplyWritesEachRowFromItsSourceAndSkipsUnresolvedRows)
{
    gRenderer->ClearColor = D3DXCOLOR(0.25f, 0.5f, 0.75f, 1.0f);
    gRenderer->numWorlds = 2;
    CShaderTable* t = Scan(std::string("Apply { VertexConstants: ") + HEADER +
                           " 0 ClearColor 1\n 1 TEMPLATE::GlowParams 1\n 2 PartSystem::Data 2\n"
                           " 5 NoSuchThing 1\n 6 PartSystem::Data NumWorlds\n };"
                           " PixelConstants: " + HEADER + " 7 ClearColor 1 }; };");
    messages.Clear();
    EXPECT_EQ(0, t->Apply(&object));
    ExpectFrom(Vertex(0), gRenderer->ClearColor);
    uintptr_t out = 0;
    ExpectFrom(Vertex(1), array + (ShaderConstantByName("TEMPLATE::GlowParams", &out) & 0xFFFF));
    ExpectFrom(Vertex(2), block + PARTICLE_DATA_WORD);
    ExpectFrom(Vertex(3), block + PARTICLE_DATA_WORD + 4);
    EXPECT_EQ(SENTINEL, Vertex(4).x);
    EXPECT_EQ(SENTINEL, Vertex(5).x);
    ExpectFrom(Vertex(7), block + PARTICLE_DATA_WORD + 4);
    EXPECT_EQ(SENTINEL, Vertex(8).x);
    ExpectFrom(Pixel(7), gRenderer->ClearColor);

    // The count variable is read when the table is applied.
    gRenderer->numWorlds = 3;
    t->Apply(&object);
    ExpectFrom(Vertex(8), block + PARTICLE_DATA_WORD + 8);
    gRenderer->numWorlds = 0;

    // Without an object block only the fixed rows write.
    Fill(0, 16);
    EXPECT_EQ(0, t->Apply(nullptr));
    ExpectFrom(Vertex(0), gRenderer->ClearColor);
    EXPECT_EQ(SENTINEL, Vertex(1).x);
    EXPECT_EQ(SENTINEL, Vertex(2).x);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ShaderTableTest, IndirectRowsReadThroughTheirPointer)
{
    CShaderTable* t = Scan(std::string("Indirect { VertexConstants: ") + HEADER + " 10 mWorld 1 }; };");
    const float* current = block + 40;
    SShaderTableRow& row = t->vertex.rows[0];
    row.data = reinterpret_cast<uintptr_t>(&current);  // as the renderer's moving pointer
    ASSERT_EQ(SHADER_CONST_PER_OBJECT, row.code);
    t->Apply(&object);
    ExpectFrom(Vertex(10), block + 40);
    current = nullptr;  // nothing to point at: nothing written
    Fill(10, 1);
    t->Apply(&object);
    EXPECT_EQ(SENTINEL, Vertex(10).x);
}

TEST_F(ShaderTableTest, FlowRowsAdvancePerObjectAndRestartEachFrame)
{
    CShaderTable* t = Scan(std::string("Flow { VertexConstants: ") + HEADER +
                           " FlowReg: 20 PartSystem::Data 4 }; PixelConstants: " + HEADER +
                           " FlowReg: 2 PartSystem::Data 1 }; };");
    t->Apply(&object);
    SObjectConstants second{block + 16, array};
    t->Apply(&second);
    ExpectFrom(Vertex(20), block + PARTICLE_DATA_WORD);
    ExpectFrom(Vertex(23), block + PARTICLE_DATA_WORD + 12);
    ExpectFrom(Vertex(24), block + PARTICLE_DATA_WORD + 16);
    ExpectFrom(Vertex(27), block + PARTICLE_DATA_WORD + 28);
    EXPECT_EQ(SENTINEL, Vertex(28).x);
    ExpectFrom(Pixel(2), block + PARTICLE_DATA_WORD);
    ExpectFrom(Pixel(3), block + PARTICLE_DATA_WORD + 16);
    EXPECT_EQ(28u, t->vertex.rows[0].reg);

    shaders.ResetFlowRegisters();
    EXPECT_EQ(20u, t->vertex.rows[0].reg);
    EXPECT_EQ(2u, t->pixel.rows[0].reg);
    t->Apply(&second);
    ExpectFrom(Vertex(20), block + PARTICLE_DATA_WORD + 16);
}

TEST_F(ShaderTableTest, FlowPastTheDeviceRegistersIsSkippedWithOneWarning)
{
    ASSERT_EQ(256u, gGraphics.caps.MaxVertexShaderConst);
    CShaderTable* t = Scan(std::string("Far { VertexConstants: ") + HEADER +
                           " FlowReg: 248 PartSystem::Data 4 }; };");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(0, t->Apply(&object));
    ExpectFrom(Vertex(252), block + PARTICLE_DATA_WORD);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ(0u, messages.Texts()[0].find("CShaderTable::Apply:  constants of table 'Far' pass the "
                                           "device's registers."));
}

TEST_F(ShaderTableTest, FullTablePoolRequestsShutdown)
{
    ASSERT_EQ(0, shaders.FirstScan(Open("[ TableCount: 1 ]")));
    FILE* f = Open("T { };");
    EXPECT_EQ(-1, shaders.ScanShaderTable(f));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("ShaderContainer:  tables limit is exceed.", messages.Texts()[0]);
    EXPECT_EQ(1, gExitCode);
}

} // namespace
} // namespace rescont
