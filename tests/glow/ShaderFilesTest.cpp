// The shipped effect shaders build with no error text: the HLSL ones at shader models 2.0
// and 3.0 with their uniforms where the shader tables write them, the assembly ones through
// the assembler and through the program's shader creation.

#include "tests/glow/EffectsFixture.h"

#include "core/Graphics.h"

#include <cstring>

namespace effects {
namespace {

std::string Shipped(const char* name)
{
    return test::RunDir() + "\\Shaders\\Effects\\" + name;
}

std::string Text(ID3DXBuffer* buffer)
{
    if (!buffer) return std::string();
    const char* p = static_cast<const char*>(buffer->GetBufferPointer());
    return std::string(p, strnlen(p, buffer->GetBufferSize()));
}

// Compiles with D3DX for the profile; the error text (empty when clean) and the register
// of each named uniform.
std::string Compile(const std::string& file, const char* profile, std::vector<std::pair<std::string, int>>* uniforms)
{
    ID3DXBuffer *code = nullptr, *errors = nullptr;
    ID3DXConstantTable* table = nullptr;
    const HRESULT hr = D3DXCompileShaderFromFileA(file.c_str(), nullptr, nullptr, "Main", profile, 0, &code,
                                                  &errors, &table);
    std::string text = Text(errors);
    if (FAILED(hr) && text.empty()) text = "failed without text";
    for (auto& uniform : *uniforms) {
        D3DXHANDLE handle = table ? table->GetConstantByName(nullptr, uniform.first.c_str()) : nullptr;
        D3DXCONSTANT_DESC desc;
        UINT count = 1;
        uniform.second = handle && SUCCEEDED(table->GetConstantDesc(handle, &desc, &count)) ? int(desc.RegisterIndex) : -1;
    }
    if (code) code->Release();
    if (errors) errors->Release();
    if (table) table->Release();
    return text;
}

using ShaderFiles = EffectsTest;

TEST_F(ShaderFiles, TheHlslShadersCompileAtTwoAndThreeWithoutErrorText)
{
    for (const char* version : {"2_0", "3_0"}) {
        std::vector<std::pair<std::string, int>> none;
        EXPECT_EQ("", Compile(Shipped("NonGlow.psh"), (std::string("ps_") + version).c_str(), &none)) << version;
        std::vector<std::pair<std::string, int>> uniforms = {
            {"mWorldViewProj0", 0}, {"mWorldViewProj3", 0}, {"mWorld0", 0}, {"mMirror0", 0}, {"mMirror3", 0}};
        EXPECT_EQ("", Compile(Shipped("Mirror.vsh"), (std::string("vs_") + version).c_str(), &uniforms)) << version;
        const int expected[] = {0, 3, 4, 8, 11};
        for (size_t i = 0; i < uniforms.size(); ++i)
            EXPECT_EQ(expected[i], uniforms[i].second) << uniforms[i].first << " at " << version;
    }
}

TEST_F(ShaderFiles, TheAssemblyShadersAssembleAndAreMadeByTheProgram)
{
    for (const char* name : {"GlowBlur.psh", "GlowPostBlur.psh", "Mirror.psh"}) {
        ID3DXBuffer *code = nullptr, *errors = nullptr;
        EXPECT_EQ(D3D_OK, D3DXAssembleShaderFromFileA(Shipped(name).c_str(), nullptr, nullptr, 0, &code, &errors))
            << name;
        EXPECT_EQ("", Text(errors)) << name;
        if (code) code->Release();
        if (errors) errors->Release();
        // The compile path sees the version token and assembles.
        ShaderPair pair = gGraphics.CompilePixelShader(Shipped(name).c_str(), 30, 0);
        EXPECT_NE(nullptr, pair.ps) << name;
        EXPECT_EQ(20, pair.level) << name;
        if (pair.ps) pair.ps->Release();
    }
    // The start script made all three glow shaders.
    EXPECT_NE(nullptr, gRenderer->nonGlowPixelShader.ps);
    EXPECT_NE(nullptr, gRenderer->blurPixelShader.ps);
    EXPECT_NE(nullptr, gRenderer->postBlurPixelShader.ps);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace effects
