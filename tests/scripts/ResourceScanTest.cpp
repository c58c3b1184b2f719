#include "tests/scripts/ScriptFiles.h"

#include "core/Scanner.h"
#include "core/UsageParams.h"
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
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&renderer->ClearColor), out);
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
    EXPECT_EQ(PARTICLE_DATA_WORD, ShaderConstantByName("PartSystem::Data", &out));
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

namespace {

TEST(ResourceScan, UsageBlockStartsFromDefaults)
{
    test::MessageRecorder messages;
    TextFile file("usage", "[ dynamic cube sys_if_vs 2 bone_byte: 12 verts: 100 ]\n"
                           "[ render_target clones: 3 ]\n[ pool_sysmem odd bweight_byte: 16 ]\nNext");
    EXPECT_EQ(uint32_t(D3DUSAGE_DYNAMIC), ScanUsage(file));
    EXPECT_EQ(1, gUsageParams.cube);
    EXPECT_EQ(2, gUsageParams.sysIfVs);
    EXPECT_EQ(12, gUsageParams.boneByte);
    EXPECT_EQ(100, gUsageParams.vertices);

    EXPECT_EQ(1u, ScanUsage(file));
    EXPECT_EQ(1u, gUsageParams.usage);
    EXPECT_EQ(0, gUsageParams.pool);
    EXPECT_EQ(3, gUsageParams.clones);
    EXPECT_EQ(0, gUsageParams.cube) << "nothing leaks from the previous block";
    EXPECT_EQ(-1, gUsageParams.boneByte);
    EXPECT_EQ(0, gUsageParams.vertices);
    EXPECT_EQ(0, gUsageParams.sysIfVs);

    EXPECT_EQ(0u, ScanUsage(file));
    EXPECT_EQ(2, gUsageParams.pool);
    EXPECT_EQ(16, gUsageParams.weightByte);
    EXPECT_EQ(1, gUsageParams.clones);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("undefine USAGE 'odd'", messages.Texts()[0]);
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    EXPECT_STREQ("Next", word);
    ResetUsageParams();
}

TEST(ResourceScan, TextureDescription)
{
    test::MessageRecorder messages;
    TextFile file("desc", "[ format: D24S8 size: 512x256 antialias: 4x ]\n"
                          "[ size: 64X64 antialias: 3x blur format: a8r8g8b8 ]\n");
    D3DSURFACE_DESC desc{};
    desc.MultiSampleType = D3DMULTISAMPLE_2_SAMPLES;
    EXPECT_EQ(1, ScanTextureDesc(file, &desc));
    EXPECT_EQ(D3DFMT_D24S8, desc.Format);
    EXPECT_EQ(512u, desc.Width);
    EXPECT_EQ(256u, desc.Height);
    EXPECT_EQ(D3DMULTISAMPLE_4_SAMPLES, desc.MultiSampleType);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();

    EXPECT_EQ(1, ScanTextureDesc(file, &desc));
    EXPECT_EQ(512u, desc.Width) << "a size without a lower-case x writes nothing";
    EXPECT_EQ(D3DMULTISAMPLE_NONE, desc.MultiSampleType);
    EXPECT_EQ(D3DFMT_UNKNOWN, desc.Format);
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("ScanTextureDesc() Error: Unknown string 'blur' for texture desc.", messages.Texts()[0]);
    EXPECT_EQ("FindSurfaceFormat() Error: Unknown format 'a8r8g8b8'.", messages.Texts()[1]);
}

} // namespace
