// The weight of a shader's macros bounds what the platform's preprocessor really writes, for
// every shape of macro that multiplies its text, and stays near the text of the shaders the
// program ships, so that weighing refuses runaways and nothing real.

#include "core/GraphicsTypes.h"
#include "core/ShaderMacros.h"

#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

size_t Preprocessed(const std::string& text)
{
    ID3DXBuffer *out = nullptr, *errors = nullptr;
    D3DXPreprocessShader(text.data(), UINT(text.size()), nullptr, nullptr, &out, &errors);
    const size_t size = out ? strnlen(static_cast<const char*>(out->GetBufferPointer()), out->GetBufferSize()) : 0;
    if (out)
        out->Release();
    if (errors)
        errors->Release();
    return size;
}

uint64_t Weight(const std::string& text, bool* recursive = nullptr)
{
    CShaderMacros macros;
    macros.Define(text);
    return macros.Weigh(text, recursive);
}

// "#define <name><i> <step>" for i = 1..levels, "$" in step standing for the name before.
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

TEST(ShaderMacros, WeightBoundsWhatThePreprocessorWrites)
{
    const struct {
        const char* shape;
        std::string text;
    } shapes[] = {
        {"names doubling", Chain("#define A0 float4 x;\n", "#define A@ A$ A$", 12) + "A12\n"},
        {"bodies calling twice", Chain("#define D0(x) x\n", "#define D@(x) D$(x) D$(x)", 12) + "D12(float4 y;)\n"},
        {"arguments copied", "#define D(x) x x\nD(D(D(D(D(D(float4 y;))))))\n"},
        {"three calls deep", Chain("#define E0(x) x x\n", "#define E@(x) E$(E$(E$(x)))", 6) + "E6(float4 y;)\n"},
        {"names pasted", Chain("#define A0 float4 x;\n", "#define A@ A$ A$", 10) + "#define CAT(a, b) a##b\nCAT(A, 10)\n"},
        {"spliced and commented", Chain("#define A0 float4 x;\n", "#define A@ A$ \\\n /* \n */ A$", 10) + "A10\n"},
        {"operands of #if", Chain("#define A0 1\n", "#define A@ A$+A$", 10) + "#if A10 > 1\nfloat4 y;\n#endif\n"},
        {"defined in the middle", "float4 a;\n" + Chain("#define A0 float4 x;\n", "#define A@ A$ A$", 8) + "A8 A8\n"},
    };
    for (const auto& [shape, text] : shapes) {
        SCOPED_TRACE(shape);
        EXPECT_GE(Weight(text), Preprocessed(text));
    }
}

// This platform's preprocessor never ends on a macro met within its own expansion: such a
// use is told apart, a macro only defined so or named again in an argument is not.
TEST(ShaderMacros, AMacroWithinItsOwnExpansionIsToldApart)
{
    const struct {
        const char* text;
        bool recursive;
    } cases[] = {
        {"#define float4 float4 float4\nfloat4 x;\n", true},
        {"#define A B B\n#define B C\n#define C A\nB\n", true},
        {"#define F(a) F(a)\nF(1)\n", true},
        {"#define X X\n#if X\n#endif\n", true},
        {"#define X X\n#ifdef X\n#endif\n", false},
        {"#define I(x) x\nI(I(I(1)))\n", false},
        {"#define A B B\n#define B 1\nA A\n", false},
    };
    for (const auto& [text, recursive] : cases) {
        SCOPED_TRACE(text);
        bool met = !recursive;
        Weight(text, &met);
        EXPECT_EQ(recursive, met);
    }
}

TEST(ShaderMacros, ShippedShadersWeighNearTheirText)
{
    for (const char* name : {"System/SpriteShader.hls", "Shaders/FogTint.vsh", "Shaders/FogTint.psh", "Shaders/Lit.vsh",
                             "Shaders/Skinned.vsh", "Shaders/Effects/Mirror.vsh", "Shaders/Particles/Particle.vsh"}) {
        SCOPED_TRACE(name);
        const std::string text = test::ReadFile(test::RunDir() + "\\" + name);
        ASSERT_FALSE(text.empty());
        EXPECT_LE(Weight(text), 2 * text.size());
    }
}

// Weights saturate instead of overflowing, and chains deeper than the weigher follows count
// as past every bound, without exhausting the stack.
TEST(ShaderMacros, RunawaysSaturate)
{
    EXPECT_EQ(CShaderMacros::SATURATED, Weight(Chain("#define A0 float4 x;\n", "#define A@ A$ A$", 70) + "A70\n"));
    EXPECT_EQ(CShaderMacros::SATURATED, Weight(Chain("#define A0 x\n", "#define A@ A$", 20000) + "A20000\n"));
    std::string nested = "#define D(x) x x\n";
    for (int i = 0; i < 70; ++i)
        nested += "D(";
    EXPECT_EQ(CShaderMacros::SATURATED, Weight(nested + "y" + std::string(70, ')') + "\n"));
}

} // namespace
