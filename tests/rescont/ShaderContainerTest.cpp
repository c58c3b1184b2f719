#include "tests/rescont/ResourceFixture.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "engine/ShaderContainer.h"

#include <string>
#include <vector>

namespace rescont {
namespace {

// One uniform scaled into place: the macro picks nothing, so every variant compiles.
const char VERTEX_SOURCE[] =
    "float4 Scale : register(c0);\n"
    "void Main(float4 p : POSITION, out float4 oP : POSITION) { oP = p * Scale; }\n";
const char PIXEL_SOURCE[] =
    "float4 Tint : register(c0);\n"
    "float4 Main(float4 d : COLOR0) : COLOR0 { return d * Tint; }\n";

class ShaderContainerTest : public ResourceTest {
protected:
    void SetUp() override
    {
        ResourceTest::SetUp();
        WriteFile("Scale.vsh", VERTEX_SOURCE);
        WriteFile("Tint.psh", PIXEL_SOURCE);
        Section("ShaderCount: 16 TableCount: 4");
    }
    void Section(const std::string& words)
    {
        ASSERT_EQ(0, shaders.FirstScan(Open("[ " + words + " ShaderDirectory: \"" + Dir() + "\" ]")));
    }
    // The shader's code version token, 0 without a shader.
    static DWORD Version(const ShaderPair& pair, bool pixel)
    {
        UINT size = 0;
        if (!pair.vs) return 0;
        HRESULT hr = pixel ? pair.ps->GetFunction(nullptr, &size) : pair.vs->GetFunction(nullptr, &size);
        if (FAILED(hr) || size < 4) return 0;
        std::vector<DWORD> code(size / 4);
        if (pixel)
            pair.ps->GetFunction(code.data(), &size);
        else
            pair.vs->GetFunction(code.data(), &size);
        return code[0];
    }

    CShaderContainer shaders;
};

TEST_F(ShaderContainerTest, DefinerWithFourMakesFourConsecutiveVariants)
{
    FILE* f = Open("Sky Definer: { RC_FOUR }; \"Scale.vsh\"\nNEXT");
    EXPECT_EQ(0, shaders.ScanVertexShader(f));
    EXPECT_EQ("NEXT", NextWord(f));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    ASSERT_EQ(4, shaders.shaders.Count());
    const uint16_t head = shaders.FindVertexShader("Sky");
    EXPECT_EQ(1, head);
    EXPECT_EQ(SHADER_VERTEX | SHADER_FAMILY_HEAD, shaders.shaders.At(head)->flags);
    for (int k = 1; k < 4; ++k) {
        EXPECT_STREQ("Sky", shaders.shaders.At(head + k)->name);
        EXPECT_EQ(SHADER_VERTEX, shaders.shaders.At(head + k)->flags);
        EXPECT_NE(nullptr, shaders.GetVertexShader(head + k).vs);
    }
    EXPECT_EQ(shaders.shaders.At(head), shaders.GetShaderVariant(head, 0));
    EXPECT_EQ(shaders.shaders.At(head + 3), shaders.GetShaderVariant(head, 3));
    EXPECT_EQ(nullptr, shaders.GetShaderVariant(0, 0));
    EXPECT_EQ(nullptr, shaders.GetShaderVariant(5, 0));
    EXPECT_EQ(nullptr, shaders.GetPixelShader(head).ps);
    EXPECT_EQ(nullptr, shaders.GetVertexShader(9).vs);
}

TEST_F(ShaderContainerTest, VariantBeyondTheFamilyIsClampedWithOneWarning)
{
    FILE* f = Open("Two Definer: { RC_TWO }; \"Scale.vsh\" Next \"Scale.vsh\"");
    ASSERT_EQ(0, shaders.ScanVertexShader(f));
    ASSERT_EQ(0, shaders.ScanVertexShader(f));
    ASSERT_EQ(3, shaders.FindVertexShader("Next"));
    EXPECT_EQ(shaders.shaders.At(2), shaders.GetShaderVariant(1, 5));
    EXPECT_EQ(shaders.shaders.At(2), shaders.GetShaderVariant(1, 2));
    EXPECT_EQ(1u, CountMessages("'Two' has fewer variants than asked for")) << messages.Joined();
    // A shader outside a family is its own variant.
    EXPECT_EQ(shaders.shaders.At(3), shaders.GetShaderVariant(3, 2));
}

TEST_F(ShaderContainerTest, VariableZeroOneOrMissingLeavesTheHeadAlone)
{
    FILE* f = Open("Zero Definer: { RC_ZERO }; \"Scale.vsh\"\n"
                   "One Definer: { RC_ONE }; \"Scale.vsh\"\n"
                   "Missing Definer: { RC_NONE }; \"Scale.vsh\"\n"
                   "Float Definer: { RC_FLOAT }; \"Scale.vsh\"\n"
                   "List Definer: { RC_LIST }; \"Scale.vsh\"\n");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(0, shaders.ScanVertexShader(f));
    EXPECT_EQ(5, shaders.shaders.Count());
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(SHADER_VERTEX | SHADER_FAMILY_HEAD, shaders.shaders.At(i)->flags);
        EXPECT_EQ(1, shaders.shaders.At(i)->variants);
        EXPECT_NE(nullptr, shaders.GetVertexShader(i).vs);
    }
    ASSERT_EQ(3u, messages.Count()) << messages.Joined();
    EXPECT_EQ("ShaderContainer:  variable 'RC_NONE' of shader 'Missing' is missing or not an integer.",
              messages.Texts()[0]);
}

TEST_F(ShaderContainerTest, PixelFamilyBracesEndWithTheirClosingWord)
{
    FILE* f = Open("Glass { Definer: { RC_TWO }; \"Tint.psh\" };\nPlain \"Tint.psh\"\nNEXT");
    EXPECT_EQ(0, shaders.ScanPixelShader(f));
    EXPECT_EQ(0, shaders.ScanPixelShader(f));
    EXPECT_EQ("NEXT", NextWord(f));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    ASSERT_EQ(3, shaders.shaders.Count());
    EXPECT_EQ(SHADER_PIXEL | SHADER_FAMILY_HEAD, shaders.shaders.At(1)->flags);
    EXPECT_EQ(SHADER_PIXEL, shaders.shaders.At(2)->flags);
    EXPECT_EQ(3, shaders.FindPixelShader("Plain"));
    // The searches do not look at the kind.
    EXPECT_EQ(1, shaders.FindVertexShader("Glass"));
    EXPECT_NE(nullptr, shaders.GetPixelShader(2).ps);
    EXPECT_EQ(D3DPS_VERSION(3, 0), Version(shaders.GetPixelShader(3), true));
    EXPECT_EQ(0, shaders.FindVertexShader(""));
    EXPECT_EQ(0, shaders.FindVertexShader(nullptr));
}

TEST_F(ShaderContainerTest, ShaderVersionTwentyCompilesVs20OnAVs30Device)
{
    ASSERT_EQ(30, gGraphics.vsLevel);
    Section("ShaderCount: 4 ShaderVer: 20");
    ASSERT_EQ(0, shaders.ScanVertexShader(Open("Old \"Scale.vsh\"")));
    const ShaderPair pair = shaders.GetVertexShader(1);
    EXPECT_EQ(20, pair.level);
    EXPECT_EQ(D3DVS_VERSION(2, 0), Version(pair, false));
    EXPECT_EQ(20, shaders.pixelShaderVersion);
}

TEST_F(ShaderContainerTest, FullPoolRequestsShutdownAndCapsAFamily)
{
    Section("ShaderCount: 3");
    EXPECT_EQ(-1, shaders.ScanVertexShader(Open("Big Definer: { RC_FOUR }; \"Scale.vsh\"")));
    EXPECT_EQ(2, shaders.shaders.Count());
    EXPECT_EQ(2, shaders.shaders.At(1)->variants);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("ShaderContainer:  shaders limit is exceed.", messages.Texts()[0]);
    EXPECT_EQ(1, gExitCode);
    EXPECT_EQ(-1, shaders.ScanVertexShader(Open("More \"Scale.vsh\"")));
    EXPECT_EQ(2u, messages.Count());
}

TEST_F(ShaderContainerTest, MissingFileIsReportedByTheGraphicsLayer)
{
    EXPECT_EQ(0, shaders.ScanVertexShader(Open("Gone \"Gone.vsh\"")));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("Can`t find shader file.. " + Dir() + "Gone.vsh", messages.Texts()[0]);
    EXPECT_EQ(nullptr, shaders.GetVertexShader(1).vs);
}

TEST_F(ShaderContainerTest, OneDefinerPerFamilyLongNamesAreCutAndEndOfFileEndsTheList)
{
    const std::string longName(40, 'N');
    FILE* f = Open("Pair Definer: { RC_TWO RC_FOUR }; \"Scale.vsh\"\n" + longName + " \"Scale.vsh\"");
    EXPECT_EQ(0, shaders.ScanVertexShader(f));
    EXPECT_EQ(0, shaders.ScanVertexShader(f));
    EXPECT_EQ(2, shaders.shaders.At(1)->variants);
    EXPECT_EQ(std::string(SHADER_NAME_SIZE - 1, 'N'), shaders.shaders.At(3)->name);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("ShaderContainer:  shader 'Pair' takes one definer; 'RC_FOUR' is ignored.",
              messages.Texts()[0]);
    // A list cut by the end of the file ends there.
    messages.Clear();
    EXPECT_EQ(0, shaders.ScanVertexShader(Open("Cut Definer: { RC_TWO")));
    EXPECT_EQ(0, shaders.ScanShaderTable(Open("Open { VertexConstants: { R S C 0 ClearColor 1")));
    EXPECT_EQ(1, shaders.GetTable(1)->vertex.count);
    // Callers that hold only the interface get the same table, and nothing outside the tables.
    IShaderContainer& outside = shaders;
    EXPECT_EQ(shaders.GetTable(1), outside.GetTable(1));
    EXPECT_EQ(nullptr, outside.GetTable(0));
    EXPECT_EQ(nullptr, outside.GetTable(2));
    EXPECT_EQ(0, shaders.ScanPixelShader(Open("CutPixel { Definer: {")));
}

TEST_F(ShaderContainerTest, SectionWords)
{
    CShaderContainer other;
    other.FirstScan(Open("[ ShaderCount: 5 Colour: 1 ShaderDirectory: Shaders ShaderVer: 11 ]"));
    EXPECT_STREQ("Shaders\\", other.directory);
    EXPECT_EQ(11, other.vertexShaderVersion);
    EXPECT_EQ(5, other.shaders.Capacity());
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("For ShaderContainer undefine string 'Colour:'.", messages.Texts()[0]);
    EXPECT_EQ("For ShaderContainer undefine string '1'.", messages.Texts()[1]);
}

// A repeated section sizes the container afresh; the shaders it drops must give their
// device references back.
TEST_F(ShaderContainerTest, ASecondSectionReleasesWhatTheFirstOneMade)
{
    const std::string section = "[ ShaderCount: 8 TableCount: 2 ShaderDirectory: \"" + Dir() + "\" ]";
    const unsigned long before = test::DeviceRefCount();
    {
        CShaderContainer local;
        ASSERT_EQ(0, local.FirstScan(Open(section)));
        ASSERT_EQ(0, local.ScanVertexShader(Open("Sky Definer: { RC_FOUR }; \"Scale.vsh\"")));
        ASSERT_EQ(0, local.ScanPixelShader(Open("Tint \"Tint.psh\"")));
        EXPECT_GT(test::DeviceRefCount(), before);
        ASSERT_EQ(0, local.FirstScan(Open(section)));
        EXPECT_EQ(before, test::DeviceRefCount());
        EXPECT_EQ(0, local.FindVertexShader("Sky"));
        EXPECT_EQ(0, local.ScanPixelShader(Open("Tint \"Tint.psh\"")));
        EXPECT_NE(nullptr, local.GetPixelShader(local.FindPixelShader("Tint")).ps);
    }
    EXPECT_EQ(before, test::DeviceRefCount());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace rescont
