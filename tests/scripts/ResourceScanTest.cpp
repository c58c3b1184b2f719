#include "tests/scripts/ScriptFiles.h"

#include "core/Scanner.h"
#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "engine/ResourceScan.h"
#include "scene/ParticleSystems.h"
#include "scene/Renderer.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using scripts::TextFile;

TEST(ResourceScan, VertexFormatList)
{
    test::MessageRecorder messages;
    TextFile file("fvf", "[ xyz normal uv0 ] [ xyzw diffuse specular uv1 bone weight ] []");
    EXPECT_EQ(0x112u, ScanFVF(file));
    EXPECT_EQ(0x4u | 0x40 | 0x80 | 0x200 | 0x1000 | 0x8, ScanFVF(file));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(ResourceScan, UnknownVertexFormatWordGivesZeroAndKeepsThePlace)
{
    test::MessageRecorder messages;
    TextFile file("fvfbad", "[ xyz bogus normal odd ]\nNext");
    EXPECT_EQ(0u, ScanFVF(file));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Undefine FVF 'bogus'", messages.Texts()[0]);
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    EXPECT_STREQ("Next", word);
}

} // namespace

namespace {

constexpr uintptr_t UNTOUCHED = 0x5A5A;

TEST(ShaderConstantByName, EmptyNamesLeaveOutUntouched)
{
    uintptr_t out = UNTOUCHED;
    EXPECT_EQ(0u, ShaderConstantByName(nullptr, &out));
    EXPECT_EQ(0u, ShaderConstantByName("", &out));
    EXPECT_EQ(UNTOUCHED, out);
}

TEST(ShaderConstantByName, NamedSourcesGiveTheirCodes)
{
    auto renderer = std::make_unique<CRenderer>();
    CRenderer* const oldRenderer = gRenderer;
    gRenderer = renderer.get();
    uintptr_t out = UNTOUCHED;
    EXPECT_EQ(0u, ShaderConstantByName("ClearColor", &out));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&renderer->clearColor), out);
    gRenderer = nullptr;
    EXPECT_EQ(0u, ShaderConstantByName("ClearColor", &out));
    EXPECT_EQ(0u, out) << "no renderer: the name resolves later";
    gRenderer = oldRenderer;

    auto engine = std::make_unique<CEngine>();
    CEngine* const oldEngine = gEngine;
    gEngine = engine.get();
    EXPECT_EQ(0u, ShaderConstantByName("WaterFog", &out));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&engine->waterFog), out);
    gEngine = oldEngine;

    EXPECT_EQ(SHADER_CONST_PER_OBJECT, ShaderConstantByName("mWorld", &out));
    EXPECT_EQ(SHADER_CONST_PER_OBJECT, ShaderConstantByName("mBones", &out));
    EXPECT_EQ(0u, ShaderConstantByName("mViewProj", &out));
    out = UNTOUCHED;
    EXPECT_EQ(0u, ShaderConstantByName("NoPrefix", &out));
    EXPECT_EQ(0u, out);
}

TEST(ShaderConstantByName, PrefixedParameters)
{
    auto particles = std::make_unique<CParticleSystems>();
    CParticleSystems* const oldParticles = gParticleSystems;
    gParticleSystems = particles.get();
    uintptr_t out = UNTOUCHED;
    EXPECT_EQ(25u, ShaderConstantByName("PartSystem::Data", &out));
    EXPECT_EQ(1u, out) << "a code alone";
    EXPECT_EQ(0u, ShaderConstantByName("PartSystem::Other", &out));
    gParticleSystems = oldParticles;

    EXPECT_EQ(TEMPLATE_PARAM_FLAG | uint32_t(offsetof(CClassTemplate, GlowLevel) / 4),
              ShaderConstantByName("TEMPLATE::GlowParams", &out));
    EXPECT_EQ(0u, out);
    EXPECT_EQ(TEMPLATE_PARAM_FLAG | uint32_t(offsetof(CClassTemplate, ReflectionOpacity) / 4),
              ShaderConstantByName("TEMPLATE::MirrorParams", &out));

    // Fewer than two characters after the ":" leave the parameter empty.
    EXPECT_EQ(0u, ShaderConstantByName("TEMPLATE:", &out));
    EXPECT_EQ(0u, ShaderConstantByName("TEMPLATE:G", &out));
    EXPECT_EQ(0u, ShaderConstantByName("ATOM:", &out));
}

} // namespace
