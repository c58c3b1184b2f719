// Shaders are built in a building process whose time and memory are bounded: shapes that this
// platform's compiler builds in milliseconds build, shapes that would hold it for minutes or
// take gigabytes are stopped at a limit with one message while this process keeps its memory,
// and the shaders of one start share one time limit, past which one message counts the rest.

#include "tests/support/ShaderFixture.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using test::COLOUR_VS;

const char MAIN_HEAD[] =
    "void Main(float4 p : POSITION, out float4 oP : POSITION, out float4 oD : COLOR0)\n{ oP = p; oD = ";

// "#define <name><i> <step>" for i = 1..levels: "$" in step stands for i - 1, "@" for i.
std::string Chain(const std::string& first, const std::string& step, int levels)
{
    std::string text = first;
    for (int i = 1; i <= levels; ++i) {
        std::string line = step;
        for (size_t at; (at = line.find('$')) != std::string::npos;)
            line.replace(at, 1, std::to_string(i - 1));
        for (size_t at; (at = line.find('@')) != std::string::npos;)
            line.replace(at, 1, std::to_string(i));
        text += line + "\n";
    }
    return text;
}

// A shader whose colour is the expression, after the definitions.
std::string Colour(const std::string& definitions, const std::string& expression)
{
    return definitions + "float4 cColor;\n" + MAIN_HEAD + expression + "; }\n";
}

std::string Repeated(const std::string& line, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += line;
    return text;
}

// A guarded header of about size bytes of comment lines.
std::string GuardedComments(size_t size)
{
    std::string text = "#ifndef HUGE_H\n#define HUGE_H\n";
    while (text.size() < size)
        text += "// " + std::string(76, '-') + "\n";
    return text + "#endif\n";
}

// What a start says of the shaders its time left unbuilt.
std::string StartSpent(int count, const std::string& first, unsigned startMs)
{
    return "Can`t build " + std::to_string(count) + " shaders, from '" + first +
           "' on: the shaders of this start took past " + std::to_string(startMs) + " ms to build.";
}

size_t OwnMemory()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return counters.PrivateUsage;
}

class ShaderBuilds : public test::ShaderFiles {
protected:
    void TearDown() override
    {
        gGraphics.shaderBuilder.limits = CShaderBuilder::Limits{};
        ShaderFiles::TearDown();
    }
};

// Macros named like what they stand for, pasted semantics, names swapped across #undef or
// between the branches of an #if, nested blends, doubling and chained macros: each builds,
// with the program's own limits, and says nothing. So does a library of shaders that include
// the same guarded headers.
TEST_F(ShaderBuilds, LegalShapesBuild)
{
    std::string mix = "cColor";
    for (int i = 0; i < 8; ++i)
        mix = "MIX2(" + mix + ", cB)";
    const struct {
        const char* shape;
        std::string text;
    } shapes[] = {
        {"an accessor named like its field", "#define xy(v) ((v).xy)\n" + Colour("", "cColor; oD.xy = xy(cColor)")},
        {"a function-like macro named like a uniform",
         "float4 scale;\n#define scale(x) ((x) * scale)\n" + Colour("", "scale(cColor)")},
        {"a pasted semantic",
         "#define TEXCOORD(n) TEXCOORD##n\nfloat4 cColor;\n"
         "void Main(float4 p : POSITION, float2 t : TEXCOORD(0), out float4 oP : POSITION,\n"
         "          out float4 oD : COLOR0, out float2 oT : TEXCOORD(0)) { oP = p; oD = cColor; oT = t; }\n"},
        {"names swapped across an #undef",
         "#define float4 half4\n#undef float4\n#define half4 float4\n" + Colour("", "cColor")},
        {"names defined each way round in two branches",
         Colour("#if 1\n#define A B\n#else\n#define B A\n#endif\n#define B cColor\n", "A")},
        {"a blend nested 8 deep", Colour("#define MIX2(a, b) (max((a), (b)) + min((a), (b)))\nfloat4 cB;\n", mix)},
        {"names doubling", Colour(Chain("#define A0 cColor\n", "#define A@ (A$ + A$)", 12), "A12")},
        {"arguments copied", Colour("#define D(x) (x + x)\n", "D(D(D(D(D(D(cColor))))))")},
        {"spliced and commented definitions",
         Colour(Chain("#define A0 cColor\n", "#define A@ (A$ \\\n /* \n */ + A$)", 8), "A8")},
        {"operands of #if", Chain("#define A0 1\n", "#define A@ A$+A$", 10) + "#if A10 > 1\n" + COLOUR_VS + "#endif\n"},
        {"definitions in mid-file",
         "float4 cColor;\n" + Chain("#define A0 cColor\n", "#define A@ (A$ + A$)", 8) + MAIN_HEAD + "A8 + A8; }\n"},
        {"a macro defined as itself, only tested", "#define X X\n#ifdef X\n" + std::string(COLOUR_VS) + "#endif\n"},
        {"a macro named again in its argument", Colour("#define I(x) x\n", "I(I(I(cColor)))")},
        {"a body naming another macro twice", Colour("#define A (B + B)\n#define B cColor\n", "A + A")},
        {"a chain of 20000 macros", Colour(Chain("#define A0 cColor\n", "#define A@ A$", 20000), "A20000")},
    };
    for (const auto& [shape, text] : shapes) {
        SCOPED_TRACE(shape);
        messages.Clear();
        EXPECT_NE(nullptr, Keep(gGraphics.CompileVertexShader(File("legal.vsh", text).c_str(), 30)).vs);
        EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    }

    // 43 shaders of about 12 KB, each including the same 20 small guarded headers.
    std::string includes;
    for (int h = 0; h < 20; ++h) {
        const std::string n = std::to_string(h);
        File("lib\\h" + n + ".h", "#ifndef H" + n + "_H\n#define H" + n + "_H\n#define TONE" + n + "(c) ((c) * cTone" +
                                      n + " + cBias" + n + ")\nfloat4 cTone" + n + ";\nfloat4 cBias" + n +
                                      ";\nvoid Shade" + n + "(float4 c, out float4 o) { o = TONE" + n + "(c); }\n#endif\n");
        includes += "#include \"lib/h" + std::to_string(h) + ".h\"\n";
    }
    messages.Clear();
    gGraphics.shaderBuilder.NewStart();
    int built = 0;
    for (int s = 0; s < 43; ++s) {
        std::string text = includes + "float4 cColor;\n";
        for (int f = 0; text.size() < 12000; ++f)
            text += "void Mix" + std::to_string(f) + "(float4 a, float4 b, out float4 o) { o = TONE" +
                    std::to_string((f + s) % 20) + "(a) * b + cColor; }\n";
        text += MAIN_HEAD + std::string("TONE") + std::to_string(s % 20) + "(cColor); }\n";
        built += Keep(gGraphics.CompileVertexShader(File("lib" + std::to_string(s) + ".vsh", text).c_str(), 30)).vs != nullptr;
    }
    gGraphics.shaderBuilder.SayUnbuilt();
    EXPECT_EQ(43, built);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A macro met within its own expansion (which this platform's preprocessor expands for ever),
// doubling macros, a name redefined sixty thousand times before it names itself, one large
// declared array, a megabyte of guarded header reopened two thousand times, unguarded repeats
// and a macro expanded to a megabyte: each is stopped at the limit it passes, with one message
// naming it, and the next shader builds in a fresh building process. This process's memory
// stays as it was.
TEST_F(ShaderBuilds, HostileShapesAreStoppedAtTheirLimit)
{
    File("huge.h", GuardedComments(960000));
    std::string prototypes;
    for (int i = 0; prototypes.size() < 32000 - 40; ++i)
        prototypes += "float4 f" + std::to_string(i) + "(float4 a, float4 b);\n";
    File("prototypes.h", prototypes);
    std::string macro = "#define PROTOTYPES";  // about 1 KiB
    for (int i = 0; i < 32; ++i)
        macro += " float4 g" + std::to_string(i) + "(float4 a);";

    enum ELimit { TIME, MEMORY };
    const struct {
        const char* shape;
        std::string head;  // put before a shader that builds
        ELimit limit;
    } shapes[] = {
        {"a name that names itself", "#define X X\nX\n", MEMORY},
        {"two names that name each other", "#define A B\n#define B A\nA\n", MEMORY},
        {"a call that calls itself", "#define F(a) F(a)\nF(1)\n", MEMORY},
        {"a name that names itself in #if", "#define X X\n#if X\n#endif\n", MEMORY},
        {"a type that names itself twice", "#define float4 float4 float4\nfloat4 x;\n", MEMORY},
        {"three names in a ring", "#define A B B\n#define B C\n#define C A\nB\n", MEMORY},
        {"a name redefined 60000 times, then naming itself",
         Repeated("#define R 0\n", 60000) + "#undef R\n#define R R\nR\n", MEMORY},
        {"one large declared array", "float4x4 m0[65536];\n", MEMORY},
        {"a doubling macro of 40 levels", Chain("#define A0 float4 x;\n", "#define A@ A$ A$", 40) + "A40\n", TIME},
        {"a doubling macro of 70 levels", Chain("#define A0 float4 x;\n", "#define A@ A$ A$", 70) + "A70\n", TIME},
        {"a megabyte of guarded header reopened 2000 times", Repeated("#include \"huge.h\"\n", 2000), TIME},
        {"64 unguarded repeats of a 32000-byte header", Repeated("#include \"prototypes.h\"\n", 64), TIME},
        {"a kilobyte macro named 1024 times", macro + "\n" + Repeated("PROTOTYPES\n", 1024), TIME},
    };
    CShaderBuilder& builder = gGraphics.shaderBuilder;
    builder.limits.startMs = 600000;
    const size_t memoryBefore = OwnMemory();
    for (const auto& [shape, head, limit] : shapes) {
        SCOPED_TRACE(shape);
        messages.Clear();
        // Each is given the limit it is to pass and room in the other.
        builder.limits.shaderMs = limit == TIME ? 1000 : 60000;
        builder.limits.memoryBytes = size_t(limit == MEMORY ? 256 : 512) << 20;
        const int launches = builder.Launches();
        const std::string vs = File("hostile.vsh", head + COLOUR_VS);
        EXPECT_EQ(nullptr, Keep(gGraphics.CompileVertexShader(vs.c_str(), 30)).vs);
        ASSERT_EQ(1u, messages.Count()) << messages.Joined();
        const std::string stopped = limit == TIME ? "Building the shader took past 1000 ms: it was stopped."
                                                  : "Building the shader took the shader builder past 256 MiB of "
                                                    "memory: it was stopped.";
        EXPECT_EQ("Can`t compile HLSL shader..  " + vs + ". \n\nError:  " + stopped, messages.Texts()[0]);
        EXPECT_EQ(launches + 1, builder.Launches());
        EXPECT_NE(nullptr, Keep(gGraphics.CompileVertexShader(File("after.vsh", COLOUR_VS).c_str(), 30)).vs);
        EXPECT_EQ(1u, messages.Count()) << messages.Joined();
    }
    EXPECT_LT(OwnMemory(), memoryBefore + (size_t(32) << 20));
}

// Ten shaders, each 900 KB of #undef lines including a thousand one-line headers, build in a
// fraction of a second each: the start's limit ends their building, one message counts what
// was left, the shaders after it included, and a new start builds again. A shader still
// building when the start's time runs out is stopped then, not at its own limit.
TEST_F(ShaderBuilds, TheShadersOfAStartShareOneTimeLimit)
{
    for (int h = 0; h < 1000; ++h)
        File("u" + std::to_string(h) + ".h", "#define U" + std::to_string(h) + " 1\n");
    std::string undefs;
    for (int i = 0; undefs.size() < 900000; ++i) {
        undefs += "#undef V" + std::to_string(i) + "\n";
        if (i % 60 == 0 && i / 60 < 1000)
            undefs += "#include \"u" + std::to_string(i / 60) + ".h\"\n";
    }
    CShaderBuilder& builder = gGraphics.shaderBuilder;
    builder.limits.startMs = 300;
    builder.NewStart();
    int built = 0;
    std::string firstLeft;
    for (int s = 0; s < 10; ++s) {
        const std::string vs = File("undefs" + std::to_string(s) + ".vsh", undefs + COLOUR_VS);
        const bool made = Keep(gGraphics.CompileVertexShader(vs.c_str(), 30)).vs != nullptr;
        built += made;
        if (!made && firstLeft.empty())
            firstLeft = vs;
    }
    EXPECT_EQ(nullptr, Keep(gGraphics.CompileVertexShader(File("after.vsh", COLOUR_VS).c_str(), 30)).vs);
    EXPECT_LT(built, 10);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();  // said once, for the start
    builder.SayUnbuilt();
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ(StartSpent(11 - built, firstLeft, 300), messages.Texts()[0]);
    builder.SayUnbuilt();
    EXPECT_EQ(1u, messages.Count());

    builder.NewStart();
    EXPECT_NE(nullptr, Keep(gGraphics.CompileVertexShader(File("after.vsh", COLOUR_VS).c_str(), 30)).vs);
    EXPECT_EQ(1u, messages.Count()) << messages.Joined();

    // A megabyte of guarded header reopened 150 times builds alone in over a second, within a
    // shader's own limit; in a start of 300 ms its build is ended with its building process.
    File("huge.h", GuardedComments(960000));
    const std::string slow = File("slow.vsh", Repeated("#include \"huge.h\"\n", 150) + COLOUR_VS);
    messages.Clear();
    builder.NewStart();
    EXPECT_EQ(nullptr, Keep(gGraphics.CompileVertexShader(slow.c_str(), 30)).vs);
    EXPECT_EQ(0u, builder.ProcessMemory());
    EXPECT_EQ(nullptr, Keep(gGraphics.CompileVertexShader(File("after.vsh", COLOUR_VS).c_str(), 30)).vs);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    builder.SayUnbuilt();
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ(StartSpent(2, slow, 300), messages.Texts()[0]);
}

} // namespace
