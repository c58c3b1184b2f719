// Shader creation from assembly and HLSL: levels and profiles, the failure messages, and
// shaders that really draw, read back from the device (the shipped sprite shader included).

#include "tests/support/ShaderFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using test::COLOUR_VS;
const char COLOUR_PS_HLSL[] =
    "float4 cTint;\n"
    "void Main(float4 d : COLOR0, out float4 o : COLOR0) { o = d * cTint; }\n";
const char PASS_PS_11[] = "ps.1.1\nmov r0, v0\n";
const char PASS_PS_30[] = "ps_3_0\ndcl_color v0\nmov oC0, v0\n";
const char SPRITE_SHADER[] = "System/SpriteShader.hls";

// The version token that opens a shader's code.
template <class Shader>
DWORD VersionOf(Shader* shader)
{
    if (!shader)
        return 0;
    UINT size = 0;
    shader->GetFunction(nullptr, &size);
    std::vector<DWORD> code(size / sizeof(DWORD) + 1);
    shader->GetFunction(code.data(), &size);
    return size >= sizeof(DWORD) ? code[0] : 0;
}

using Shaders = test::ShaderFiles;

TEST_F(Shaders, ProfileNamesMapToLevels)
{
    EXPECT_EQ(11, GetShaderLevel("vs_1_1"));
    EXPECT_EQ(11, GetShaderLevel("vs.1.1"));
    EXPECT_EQ(20, GetShaderLevel("vs_2_0"));
    EXPECT_EQ(30, GetShaderLevel("vs_3_0"));
    EXPECT_EQ(11, GetShaderLevel("ps.1.1"));
    EXPECT_EQ(14, GetShaderLevel("ps_1_4"));
    EXPECT_EQ(30, GetShaderLevel("ps_3_0"));
    EXPECT_EQ(0, GetShaderLevel("ps_1_2"));
    EXPECT_EQ(0, GetShaderLevel("vs_2_x"));
    EXPECT_EQ(0, GetShaderLevel(""));
}

TEST_F(Shaders, LevelAboveTheDeviceCompilesForTheDeviceProfile)
{
    std::string vs = File("colour.vsh", COLOUR_VS);
    gGraphics.vsLevel = 20;
    ShaderPair pair = Keep(gGraphics.CompileVertexShader(vs.c_str(), 30));
    ASSERT_NE(nullptr, pair.vs) << messages.Joined();
    EXPECT_EQ(20, pair.level);
    EXPECT_EQ(DWORD(D3DVS_VERSION(2, 0)), VersionOf(pair.vs));

    std::string ps = File("tint.psh", COLOUR_PS_HLSL);
    gGraphics.psLevel = 14;
    ShaderPair pixel = Keep(gGraphics.CompilePixelShader(ps.c_str(), 30, 0));
    ASSERT_NE(nullptr, pixel.ps) << messages.Joined();
    EXPECT_EQ(14, pixel.level);
    EXPECT_EQ(DWORD(D3DPS_VERSION(1, 4)), VersionOf(pixel.ps));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(Shaders, VertexLevelTenHasNoProfileAndFailsToCompile)
{
    std::string vs = File("colour.vsh", COLOUR_VS);
    gGraphics.vsLevel = VertexShaderLevel(D3DVS_VERSION(1, 0));
    ShaderPair pair = gGraphics.CompileVertexShader(vs.c_str(), 30);
    EXPECT_EQ(nullptr, pair.vs);
    EXPECT_EQ(0, pair.level);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ(0u, messages.Texts()[0].find("Can`t compile HLSL shader..  " + vs + ". \n\n"))
        << messages.Joined();
}

TEST_F(Shaders, MissingFilesAreNamed)
{
    std::string missing = dir + "\\none.sh";
    EXPECT_EQ(nullptr, gGraphics.CompileVertexShader(missing.c_str(), 30).vs);
    EXPECT_EQ(nullptr, gGraphics.CompilePixelShader(missing.c_str(), 30, 0).ps);
    EXPECT_EQ(nullptr, gGraphics.CreatePixelShaderFromFile(missing.c_str()).ps);
    EXPECT_EQ(nullptr, gGraphics.CreateVertexShaderFromFile(missing.c_str()).vs);
    ASSERT_EQ(4u, messages.Count());
    for (const std::string& t : messages.Texts())
        EXPECT_EQ("Can`t find shader file.. " + missing, t);
}

TEST_F(Shaders, AssemblyFilesTakeTheirLevelFromTheFirstWord)
{
    ShaderPair ps11 = Keep(gGraphics.CreatePixelShaderFromFile(File("a.psh", PASS_PS_11).c_str()));
    EXPECT_NE(nullptr, ps11.ps);
    EXPECT_EQ(11, ps11.level);
    ShaderPair ps30 = Keep(gGraphics.CreatePixelShaderFromFile(File("b.psh", PASS_PS_30).c_str()));
    EXPECT_EQ(30, ps30.level);
    // A comment first: the shader is made, its level unknown.
    ShaderPair commented = Keep(gGraphics.CreateVertexShaderFromFile(
        File("c.vsh", "// position only\nvs_1_1\ndcl_position v0\nmov oPos, v0\n").c_str()));
    EXPECT_NE(nullptr, commented.vs);
    EXPECT_EQ(0, commented.level);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(Shaders, AssemblyErrorsCarryTheAssemblersText)
{
    std::string bad = File("bad.psh", "ps_2_0\nnotaninstruction r0, v0\n");
    ShaderPair pair = gGraphics.CreatePixelShaderFromFile(bad.c_str());
    EXPECT_EQ(nullptr, pair.ps);
    EXPECT_EQ(0, pair.level);
    ASSERT_EQ(1u, messages.Count());
    const std::string& text = messages.Texts()[0];
    std::string head = "Can`t assemble pixel shader..  " + bad + ". \n\nError:  ";
    EXPECT_EQ(0u, text.find(head)) << text;
    EXPECT_GT(text.size(), head.size());
}

TEST_F(Shaders, SuccessWithErrorTextIsAFailedCompile)
{
    std::string vs = File("intrinsic.vsh",
                          "float4 cDir;\n"
                          "void Main(float4 p : POSITION, out float4 oP : POSITION,\n"
                          "          out float4 oD : COLOR0) { oP = p; oD = normalize(cDir); }\n");
    ID3DXBuffer *code = nullptr, *errors = nullptr;
    HRESULT hr = D3DXCompileShaderFromFileA(vs.c_str(), nullptr, nullptr, "Main", "vs_3_0", 0,
                                            &code, &errors, nullptr);
    std::string errorText =
        errors ? static_cast<const char*>(errors->GetBufferPointer()) : std::string();
    if (code)
        code->Release();
    if (errors)
        errors->Release();
    if (FAILED(hr) || errorText.find("E50") == std::string::npos)
        GTEST_SKIP() << "this compiler compiles the intrinsic cleanly";

    ShaderPair pair = gGraphics.CompileVertexShader(vs.c_str(), 30);
    EXPECT_EQ(nullptr, pair.vs);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ(0u, messages.Texts()[0].find("Can`t compile HLSL shader..  " + vs +
                                           ". \n\nError:  "));
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("E50"));
}

TEST_F(Shaders, DefineReachesThePreprocessor)
{
    std::string vs = File("define.vsh", std::string("#if MODE == 3\n") + COLOUR_VS +
                                            "#else\nthis does not compile\n#endif\n");
    ShaderPair good = Keep(gGraphics.CompileVertexShaderDefine(vs.c_str(), 11, "MODE", 3));
    EXPECT_NE(nullptr, good.vs);
    EXPECT_EQ(11, good.level);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(nullptr, gGraphics.CompileVertexShaderDefine(vs.c_str(), 11, "MODE", 4).vs);
    EXPECT_EQ(1u, messages.Count());
    std::string ps = File("define.psh", std::string("#if MODE == -2\n") + COLOUR_PS_HLSL +
                                            "#else\nthis does not compile\n#endif\n");
    EXPECT_NE(nullptr, Keep(gGraphics.CompilePixelShaderDefine(ps.c_str(), 20, "MODE", -2, 0)).ps);
    EXPECT_EQ(1u, messages.Count()) << messages.Joined();
}

// A shader's includes are read beside the file that names them, and never from a device
// (opening one may wait forever on a port).
TEST_F(Shaders, IncludesAreReadBesideTheirFileAndNeverFromADevice)
{
    const std::string uniform = "float4 cColor;\n";
    File("parts\\Uniform.h", uniform);
    File("parts\\Colour.h", "#include \"Uniform.h\"\n" + std::string(COLOUR_VS).substr(uniform.size()));
    File("parts\\Pass.inc", "mov r0, v0\n");
    const std::string vs = File("included.vsh", "#include \"parts/Colour.h\"\n");
    const std::string ps = File("included.psh", "ps.1.1\n#include \"parts/Pass.inc\"\n");
    EXPECT_NE(nullptr, Keep(gGraphics.CompileVertexShader(vs.c_str(), 11)).vs);
    EXPECT_NE(nullptr, Keep(gGraphics.CreatePixelShaderFromFile(ps.c_str())).ps);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();

    // An include that is not there is named where the shader's own file names it.
    const std::string missing = File("missing.vsh", std::string("#include \"parts/None.h\"\n") + COLOUR_VS);
    EXPECT_EQ(nullptr, Keep(gGraphics.CompileVertexShader(missing.c_str(), 11)).vs);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ(0u, messages.Texts()[0].find("Can`t compile HLSL shader..  " + missing + ". \n\nError:  " + missing))
        << messages.Joined();
    messages.Clear();

    const std::string deviceVs = File("device.vsh", std::string("#include \"NUL\"\n") + COLOUR_VS);
    const std::string devicePs = File("device.psh", "ps.1.1\n#include \"NUL\"\nmov r0, v0\n");
    EXPECT_EQ(nullptr, Keep(gGraphics.CompileVertexShader(deviceVs.c_str(), 11)).vs);
    EXPECT_EQ(nullptr, Keep(gGraphics.CreatePixelShaderFromFile(devicePs.c_str())).ps);
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ(0u, messages.Texts()[0].find("Can`t compile HLSL shader..  " + deviceVs));
    EXPECT_EQ(0u, messages.Texts()[1].find("Can`t assemble pixel shader..  " + devicePs));
}

// An include chain that comes back to itself without a guard or nests past any real shader,
// one that opens files past any real shader, and an include that cannot be a shader (not
// text, too large: this program itself) fail the shader at once with a message naming the
// file.
TEST_F(Shaders, IncludesThatNeverEndOrAreNoShaderFailTheShader)
{
    char program[MAX_PATH] = {};
    ASSERT_LT(0u, GetModuleFileNameA(nullptr, program, MAX_PATH));
    File("a.h", "#include \"b.h\"\n");
    File("b.h", "#include \"a.h\"\n");
    for (int i = 0; i < 40; ++i) {  // each level includes the next twice
        const std::string next = "#include \"d" + std::to_string(i + 1) + ".h\"\n";
        File("d" + std::to_string(i) + ".h", next + next);
    }
    for (int i = 0; i < 31; ++i) {  // each level includes the next twice, within the depth
        const std::string next = "#include \"w" + std::to_string(i + 1) + ".h\"\n";
        File("w" + std::to_string(i) + ".h", i < 30 ? next + next : "");
    }
    File("binary.h", std::string("float4 c;\0\0\0\1", 13));
    File("large.h", std::string((1 << 20) + 1, ' '));
    const struct {
        bool pixel;
        std::string include, refusal;
    } cases[] = {
        {false, "self.vsh", "Shader files are nested too deep at '" + dir + "\\self.vsh'."},
        {true, "a.h", "Shader files are nested too deep at '" + dir + "\\"},
        {false, "d0.h", "Shader files are nested too deep at '" + dir + "\\d"},
        {false, "w0.h", "Shader file '" + dir + "\\w"},
        {false, "binary.h", "Shader file '" + dir + "\\binary.h' is not text."},
        {false, "large.h", "Shader file '" + dir + "\\large.h' takes the shader past 1048576 bytes."},
        {true, program, "Shader file '" + std::string(program) + "' "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.include);
        messages.Clear();
        const std::string include = "#include \"" + c.include + "\"\n";
        ShaderPair pair;
        std::string head;
        if (c.pixel) {
            const std::string ps = File("main.psh", "ps.1.1\n" + include + "mov r0, v0\n");
            pair = Keep(gGraphics.CreatePixelShaderFromFile(ps.c_str()));
            head = "Can`t assemble pixel shader..  " + ps;
        } else {
            const std::string vs = File("self.vsh", include + COLOUR_VS);
            pair = Keep(gGraphics.CompileVertexShader(vs.c_str(), 11));
            head = "Can`t compile HLSL shader..  " + vs;
        }
        EXPECT_EQ(nullptr, pair.vs);
        ASSERT_EQ(1u, messages.Count()) << messages.Joined();
        EXPECT_EQ(0u, messages.Texts()[0].find(head + ". \n\nError:  " + c.refusal)) << messages.Joined();
        if (c.include == "w0.h") {
            EXPECT_NE(std::string::npos, messages.Texts()[0].find("' takes the shader past 2048 opened files."));
        }
    }
}

// Headers guarded against their own inclusion build, whether they include themselves or
// each other: the preprocessor opens them again and finds them empty. A header open twice on
// the chain still finds the files beside it once the inner copy is closed, and a large header
// named by many others counts once against the shader's text, its guard's define put before
// its body or after it, however the others name it: from sibling folders through "..", or in
// other letter cases.
TEST_F(Shaders, GuardedHeadersThatIncludeEachOtherBuild)
{
    const auto guarded = [](const std::string& name, const std::string& body) {
        return "#ifndef " + name + "\n#define " + name + "\n" + body + "#endif\n";
    };
    File("ga.h", guarded("GA_H", "#include \"gb.h\"\nfloat4 cColor;\n"));
    File("gb.h", guarded("GB_H", "#include \"ga.h\"\n"));
    File("gself.h", guarded("GSELF_H", "#include \"gself.h\"\n"));
    File("gpass.inc", guarded("GPASS_INC", "#include \"gpass.inc\"\nmov r0, v0\n"));
    File("sub\\gnest.h", guarded("GNEST_H", "#include \"gnest.h\"\n#include \"gleaf.h\"\n"));
    File("sub\\gleaf.h", "float4 cColor;\n");
    const std::string body = std::string(COLOUR_VS).substr(std::string("float4 cColor;\n").size());
    const std::string vs = File("guarded.vsh", "#include \"gb.h\"\n#include \"gself.h\"\n" + body);
    const std::string ps = File("guarded.psh", "ps.1.1\n#include \"gpass.inc\"\n");
    const std::string nested = File("nested.vsh", "#include \"sub/gnest.h\"\n" + body);
    EXPECT_NE(nullptr, Keep(gGraphics.CompileVertexShader(vs.c_str(), 11)).vs);
    EXPECT_NE(nullptr, Keep(gGraphics.CreatePixelShaderFromFile(ps.c_str())).ps);
    EXPECT_NE(nullptr, Keep(gGraphics.CompileVertexShader(nested.c_str(), 11)).vs);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();

    using Guard = std::string (*)(const std::string&, const std::string&);
    const Guard definedAfter = [](const std::string& name, const std::string& body) {
        return "#ifndef " + name + "\n" + body + "#define " + name + "\n#endif\n";
    };
    const struct {
        const char* style;
        Guard guard;
    } styles[] = {{"define first", guarded}, {"define last", definedAfter}};
    using Naming = std::string (*)(int);  // the i-th header's path, and how it names the shared one
    const auto cases = [](int i) {  // a spelling of its own for each: the letters the bits of i name in capitals
        std::string name = "shared.h";
        for (size_t bit = 0, letter = 0; letter < name.size(); ++letter)
            if (name[letter] != '.' && (i >> bit++ & 1))
                name[letter] = char(toupper(name[letter]));
        return name;
    };
    // Past 260 characters a path is still one file, however it is spelled.
    static const std::string deep = [] {
        std::string folder = "deep";
        for (char c = 'a'; c < 'f'; ++c)
            folder += "/" + std::string(60, c);
        return folder;
    }();
    const struct {
        const char* naming;
        std::string shared;  // where the shared header is
        Naming header, named;
    } namings[] = {
        {"beside", "shared.h", [](int i) { return "s" + std::to_string(i) + ".h"; }, [](int) { return std::string("shared.h"); }},
        {"sibling folders", "shared.h", [](int i) { return "f" + std::to_string(i) + "/s.h"; },
         [](int) { return std::string("../shared.h"); }},
        {"letter cases", "shared.h", [](int i) { return "s" + std::to_string(i) + ".h"; }, cases},
        {"sibling folders in a deep folder", deep + "/shared.h",
         [](int i) { return deep + "/f" + std::to_string(i) + "/s.h"; }, [](int) { return std::string("../shared.h"); }},
    };
    for (const auto& [style, guard] : styles) {
        for (const auto& [naming, sharedAt, header, named] : namings) {
            SCOPED_TRACE(std::string(style) + ", " + naming);
            messages.Clear();
            gGraphics.shaderBuilder.NewStart();
            const std::string head = "float4 cColor;\n// ", empty = guard("SHARED_H", head + "\n");
            const std::string shared = guard("SHARED_H", head + std::string(46000 - empty.size(), '-') + "\n");
            ASSERT_EQ(46000u, shared.size());
            File(sharedAt, shared);
            std::string includes;
            for (int i = 0; i < 24; ++i) {
                File(header(i), guard("S" + std::to_string(i) + "_H", "#include \"" + named(i) + "\"\n"));
                includes += "#include \"" + header(i) + "\"\n";
            }
            const std::string many = File("many.vsh", includes + body);
            EXPECT_NE(nullptr, Keep(gGraphics.CompileVertexShader(many.c_str(), 11)).vs);
            EXPECT_EQ(0u, messages.Count()) << messages.Joined();
        }
    }
}

TEST_F(Shaders, AssemblyTextFindsItsVersion)
{
    ShaderPair pair = Keep(gGraphics.CreateVertexShaderFromString(
        "// quad\nvs.1.1\ndcl_position v0\nmov oPos, v0\n"));
    EXPECT_NE(nullptr, pair.vs);
    EXPECT_EQ(11, pair.level);
    EXPECT_EQ(nullptr, gGraphics.CreateVertexShaderFromString(nullptr).vs);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();

    // An unknown version, and "vs" at the very end of the text, are refused with a message.
    EXPECT_EQ(nullptr, gGraphics.CreateVertexShaderFromString("vs_2_x\nmov oPos, v0\n").vs);
    EXPECT_EQ(nullptr, gGraphics.CreateVertexShaderFromString("mov oPos, v0 // vs").vs);
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("Can`t assemble vertex shader by string.\n\nError:  unknown shader version vs",
              messages.Texts()[1]);

    EXPECT_EQ(nullptr, gGraphics.CreateVertexShaderFromString("vs_1_1\nnonsense r0\n").vs);
    ASSERT_EQ(3u, messages.Count());
    EXPECT_EQ(0u, messages.Texts()[2].find("Can`t assemble vertex shader by string.\n\nError:  "));
}

// Draws one triangle over the middle of a black target and returns the middle pixel and
// a corner pixel.
void DrawTriangle(const ShaderPair& vs, const ShaderPair& ps, D3DCOLOR* middle, D3DCOLOR* corner)
{
    gGraphics.BeginScene();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    gGraphics.SetDeclaration(gGraphics.declarations[0]);
    gGraphics.SetVertexShader(&vs);
    gGraphics.SetPixelShader(&ps);
    gGraphics.CullNone();
    const float colour[4] = {0.2f, 0.8f, 0.4f, 1.0f};
    Device3D->SetVertexShaderConstantF(0, colour, 1);
    const float vertices[] = {-0.8f, -0.8f, 0.5f, 0.0f, 0.8f, 0.5f, 0.8f, -0.8f, 0.5f};
    EXPECT_EQ(D3D_OK, Device3D->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 12));
    gGraphics.EndScene();
    test::Image image;
    ASSERT_TRUE(test::ReadBackBuffer(image));
    *middle = image.At(image.width / 2, image.height / 2);
    *corner = image.At(2, 2);
}

TEST_F(Shaders, CompiledVertexAndAssembledPixelShadersDraw)
{
    std::string vs = File("colour.vsh", COLOUR_VS);
    struct {
        int level;
        const char* ps;
    } cases[] = {{11, PASS_PS_11}, {30, PASS_PS_30}};
    for (auto& c : cases) {
        ShaderPair v = Keep(gGraphics.CompileVertexShader(vs.c_str(), c.level));
        ShaderPair p = Keep(gGraphics.CreatePixelShaderFromFile(File("pass.psh", c.ps).c_str()));
        ASSERT_NE(nullptr, v.vs) << messages.Joined();
        ASSERT_NE(nullptr, p.ps) << messages.Joined();
        D3DCOLOR middle = 0, corner = 0;
        DrawTriangle(v, p, &middle, &corner);
        EXPECT_TRUE(test::ColorNear(0x33CC66, middle, 2)) << c.level << " " << std::hex << middle;
        EXPECT_TRUE(test::ColorNear(0x000000, corner, 0)) << c.level;
    }
}

TEST_F(Shaders, SpriteShaderPutsItsUniformsInTheFirstRegisters)
{
    const char* names[] = {"cOrigin", "cScale", "cColor", "cSize", "cUV", "cRow0", "cRow1"};
    for (const char* profile : {"vs_1_1", "vs_3_0"}) {
        ID3DXBuffer* code = nullptr;
        ID3DXConstantTable* table = nullptr;
        ASSERT_EQ(D3D_OK, D3DXCompileShaderFromFileA(SPRITE_SHADER, nullptr, nullptr, "Main",
                                                     profile, 0, &code, nullptr, &table));
        for (UINT i = 0; i < sizeof names / sizeof names[0]; ++i) {
            D3DXHANDLE h = table->GetConstantByName(nullptr, names[i]);
            D3DXCONSTANT_DESC desc;
            UINT count = 1;
            ASSERT_EQ(D3D_OK, table->GetConstantDesc(h, &desc, &count)) << names[i];
            EXPECT_EQ(i, desc.RegisterIndex) << profile << " " << names[i];
        }
        table->Release();
        code->Release();
    }
}

// DrawSprite's constants for a sprite at (x, y) of w x h pixels in one colour.
void SetSpriteConstants(float x, float y, float w, float h, const D3DXCOLOR& colour)
{
    const D3DVIEWPORT9& vp = gGraphics.viewport;
    const float width = float(vp.Width), height = float(vp.Height);
    const float c[8][4] = {
        {x - width / 2, height / 2 + 1.0f - y, 0.5f, 0},
        {2.0f / width, 2.0f / height, 0, 1.0f},
        {colour.r, colour.g, colour.b, colour.a},
        {w, h, 1.0f, 1.0f},
        {0, 0, 1.0f, 1.0f},
        {1, 0, 0, 0},
        {0, 1, 0, 0},
        {0, 0, 1, 0},
    };
    Device3D->SetVertexShaderConstantF(0, &c[0][0], 8);
}

// The shipped sprite shader draws the shipped quad at both levels, from either quad's
// buffers with SpriteMesh's primitives (as sprite drawing does), under the default culling.
TEST_F(Shaders, SpriteShaderDrawsTheSpriteQuadAtBothLevels)
{
    ShaderPair ps30 = Keep(gGraphics.CreatePixelShaderFromFile(File("p.psh", PASS_PS_30).c_str()));
    const ShaderPair* shaders[] = {&gGraphics.spriteShader11, &gGraphics.spriteShader30};
    CMesh* buffers[] = {&gGraphics.SpriteMesh, &gGraphics.SpriteMesh2};
    for (const ShaderPair* vs : shaders) {
        for (CMesh* quad : buffers) {
            SCOPED_TRACE(testing::Message() << "level " << vs->level << " from SpriteMesh"
                                            << (quad == buffers[0] ? "" : "2"));
            ASSERT_NE(nullptr, vs->vs);
            gGraphics.BeginScene();
            Device3D->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            gGraphics.SetDeclaration(gGraphics.declarations[SPRITE_DECLARATION]);
            gGraphics.SetVertexShader(vs);
            if (vs->level >= 30) {
                gGraphics.SetPixelShader(&ps30);
            } else {
                gGraphics.SetPixelShader(nullptr);
                gGraphics.SetStageModulate();
                gGraphics.SetWhiteTexture(0);
            }
            gGraphics.SetZEnable(false);
            SetSpriteConstants(100, 60, 80, 50, D3DXCOLOR(1.0f, 0.5f, 0.25f, 1.0f));
            EXPECT_EQ(DWORD(D3DCULL_CCW), test::RenderState(D3DRS_CULLMODE));
            EXPECT_EQ(D3D_OK, quad->BindBuffers());
            EXPECT_EQ(D3D_OK, gGraphics.SpriteMesh.RenderPrimitives(0));
            gGraphics.EndScene();
            test::Image image;
            ASSERT_TRUE(test::ReadBackBuffer(image));
            const int inside[][2] = {{103, 62}, {140, 85}, {177, 106}};
            for (const auto& p : inside)
                EXPECT_TRUE(test::ColorNear(0xFF8040, image.At(p[0], p[1]), 2))
                    << "at " << p[0] << "," << p[1] << std::hex << " " << image.At(p[0], p[1]);
            const int outside[][2] = {{96, 85}, {184, 85}, {140, 55}, {140, 113}};
            for (const auto& p : outside)
                EXPECT_TRUE(test::ColorNear(0, image.At(p[0], p[1]), 0))
                    << "at " << p[0] << "," << p[1];
        }
    }
}

} // namespace
