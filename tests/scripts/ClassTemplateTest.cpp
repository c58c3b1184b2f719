#include "tests/scripts/ScriptFiles.h"

#include "core/Messages.h"
#include "engine/ClassTemplate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

namespace {

using scripts::TextFile;

struct ClassTemplateTest : ::testing::Test {
    test::MessageRecorder messages;
    CClassTemplate parent;
    ClassTemplateTest()
    {
        CClassTemplate::warningBudget = 6;
        gWarningBudget = 4;
        strcpy(parent.name, "Parent");
    }
};

TEST_F(ClassTemplateTest, GlowBlockSetsValuesAndRange)
{
    TextFile file("glow", "{ GlowLevel: 2.5 LowGlowClamp: 0.2 HiGlowClamp: 0.8 };\nNext");
    EXPECT_EQ(0, parent.ScanGlowing(file));
    EXPECT_EQ(1, parent.glowing);
    EXPECT_FLOAT_EQ(2.5f, parent.GlowLevel);
    EXPECT_FLOAT_EQ(0.6f, parent.glowRange);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    char word[16];
    fscanf(file, "%15s", word);
    EXPECT_STREQ("Next", word);
}

TEST_F(ClassTemplateTest, ImproperGlowClampWarnsAndUsesRangeOne)
{
    TextFile file("clamp", "{ LowGlowClamp: 0.5 HiGlowClamp: 0.5 };");
    parent.ScanGlowing(file);
    EXPECT_FLOAT_EQ(1.0f, parent.glowRange);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CClassTemplate::ScanGlowing:  Improper glow clamp parameters.\nUnit 'Parent'.", messages.Texts()[0]);
}

TEST_F(ClassTemplateTest, EmptyBlockEndsAtItsOwnEnd)
{
    TextFile file("empty", "{ };\n{ ShadowFillColor: FF102030 };\n");
    parent.ScanShadowCaster(file);
    EXPECT_EQ(1, parent.shadowCaster);
    EXPECT_EQ(0u, parent.ShadowFillColor) << "the empty block must not read on";
    parent.ScanShadowCaster(file);
    EXPECT_EQ(0xFF102030u, parent.ShadowFillColor);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ClassTemplateTest, EachBlockReportsUnknownWords)
{
    TextFile file("unknown",
                  "{ Odd1 ReflectionOpacity: 0.25 SharingReflectionTexture InitNormal: [ 0 0 1 ] };\n"
                  "{ Odd2 FadingDistance: 50 };\n{ Odd3 };\n{ Odd4 };\n{ Odd5 GlowLevel: 3 };\n");
    parent.ScanReflectionReceiver(file);
    parent.ScanReflectionCaster(file);
    parent.ScanShadowReceiver(file);
    parent.ScanShadowCaster(file);
    parent.ScanGlowing(file);
    ASSERT_EQ(5u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CClassTemplate::ScanReflectionReceiver:  undefine string 'Odd1'.", messages.Texts()[0]);
    EXPECT_EQ("CClassTemplate::ScanReflectionCaster:  undefine string 'Odd2'.", messages.Texts()[1]);
    EXPECT_EQ("CClassTemplate::ScanShadowReceiver:  undefine string 'Odd3'.", messages.Texts()[2]);
    EXPECT_EQ("CClassTemplate::ScanShadowCaster:  undefine string 'Odd4'.", messages.Texts()[3]);
    EXPECT_EQ("CClassTemplate::ScanGlowing:  undefine string 'Odd5'.", messages.Texts()[4]);
    EXPECT_EQ(EFFECT_REFLECTION_RECEIVER | EFFECT_SHARING_REFLECTION | EFFECT_REFLECTION_CASTER, parent.effectFlags);
    EXPECT_FLOAT_EQ(0.25f, parent.ReflectionOpacity);
    EXPECT_FLOAT_EQ(1.0f, parent.InitNormal.z);
    EXPECT_FLOAT_EQ(50.0f, parent.FadingDistance);
    EXPECT_FLOAT_EQ(3.0f, parent.GlowLevel);
    EXPECT_EQ(1, parent.shadowCaster);
}

TEST_F(ClassTemplateTest, MissingResourcesWarnAndStayZero)
{
    TextFile file("missing", "{ ReflectionTexture: [ Mirror Number: 2 ] ReflectionDepthBuffer: Depth };\n"
                             "{ VertexShader: GlowVS PixelShader: GlowPS };\n");
    parent.ScanReflectionReceiver(file);
    parent.ScanGlowing(file);
    ASSERT_EQ(4u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CClassTemplate::ScanReflectionReceiver. Not found texture 'Mirror'.", messages.Texts()[0]);
    EXPECT_EQ("CClassTemplate::ScanReflectionReceiver. Not found depth buffer 'Depth'.", messages.Texts()[1]);
    EXPECT_EQ("For glowing is not found vertex shader 'GlowVS' for UNIT 'Parent'.", messages.Texts()[2]);
    EXPECT_EQ("For glowing is not found pixel shader 'GlowPS' for UNIT 'Parent'.", messages.Texts()[3]);
    EXPECT_EQ(2, parent.reflectionTextureNumber);
    EXPECT_EQ(0, parent.reflectionTexture);
    EXPECT_EQ(2, gWarningBudget) << "shader messages use the shared unit budget";
    EXPECT_EQ(4, CClassTemplate::warningBudget);
}

TEST_F(ClassTemplateTest, NinthStartActIsRefused)
{
    const D3DXVECTOR4 where(1, 2, 3, 1);
    for (uint16_t i = 1; i <= MAX_START_ACTS; ++i) {
        SStartAct* act = parent.AddStartAct(START_ACT_ATTACH, i, 7, &parent, &where);
        ASSERT_NE(nullptr, act);
        act->startDelay = float(i);
    }
    EXPECT_EQ(nullptr, parent.AddStartAct(START_ACT_ANIMATION, 99, 0, nullptr, nullptr));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("PROGRAMMER LIMIT: MAX_START_ACTS", messages.Texts()[0]);
    for (int i = 0; i < MAX_START_ACTS; ++i) {
        EXPECT_EQ(uint32_t(i + 1), parent.startActs[i].animation);
        EXPECT_EQ(START_ACT_ATTACH, parent.startActs[i].kind);
        EXPECT_FLOAT_EQ(3.0f, parent.startActs[i].position.z);
    }
}

TEST_F(ClassTemplateTest, ChildInheritsActsAndGlowButNotPlacementReflectionOrShadow)
{
    parent.AddStartAct(START_ACT_ANIMATION, 4, 0, nullptr, nullptr)->startDelay = 0.5f;
    const D3DXVECTOR4 where(1, 2, 3, 1);
    parent.AddStartAct(START_ACT_ATTACH, 0, 0x100, &parent, &where);
    TextFile file("inherit", "{ GlowLevel: 2 LowGlowClamp: 0.1 HiGlowClamp: 0.9 };\n"
                             "{ ShadowFillColor: 11223344 };\n{ ReflectionOpacity: 0.5 };\n");
    parent.ScanGlowing(file);
    parent.ScanShadowCaster(file);
    parent.ScanReflectionReceiver(file);
    parent.glowVertexShader = 3;
    parent.vertexShader = 6;
    parent.PlaceRotate = 2;
    parent.unitType = 4;
    // Resource indices that stay the child's own.
    uint16_t CClassTemplate::* const ownIndices[] = {
        &CClassTemplate::glowPixelShader,        &CClassTemplate::reflectionTexture,
        &CClassTemplate::reflectionDepthBuffer,  &CClassTemplate::reflectionTextureNumber,
        &CClassTemplate::reflectionVertexShader, &CClassTemplate::shadowTexture,
        &CClassTemplate::shadowTextureNumber,    &CClassTemplate::shadowVertexShader,
        &CClassTemplate::shadowPixelShader,
    };
    for (auto field : ownIndices) parent.*field = 9;

    CClassTemplate child;
    child.CopyFrom(parent);
    for (size_t i = 0; i < std::size(ownIndices); ++i) EXPECT_EQ(0, child.*ownIndices[i]) << "own index " << i;
    EXPECT_STREQ("", child.name);
    EXPECT_EQ(0u, child.unitType);
    EXPECT_EQ(START_ACT_ANIMATION, child.startActs[0].kind);
    EXPECT_EQ(4u, child.startActs[0].animation);
    EXPECT_FLOAT_EQ(0.5f, child.startActs[0].startDelay);
    EXPECT_EQ(START_ACT_ATTACH, child.startActs[1].kind);
    EXPECT_EQ(&parent, child.startActs[1].classTemplate);
    EXPECT_EQ(START_ACT_FREE, child.startActs[2].kind);
    EXPECT_EQ(1, child.glowing);
    EXPECT_EQ(3, child.glowVertexShader);
    EXPECT_FLOAT_EQ(0.8f, child.glowRange);
    EXPECT_EQ(6, child.vertexShader);
    EXPECT_EQ(1, child.PlaceRotate);
    EXPECT_EQ(0, child.effectFlags);
    EXPECT_FLOAT_EQ(1.0f, child.ReflectionOpacity);
    EXPECT_EQ(0, child.shadowCaster);
    EXPECT_EQ(0u, child.ShadowFillColor);
    EXPECT_EQ(0, memcmp(&parent.startActs, &child.startActs, sizeof child.startActs));
}

TEST_F(ClassTemplateTest, ParamByNameGivesTheWordsTheRendererReads)
{
    parent.GlowLevel = 2.0f;
    parent.LowGlowClamp = 0.25f;
    parent.HiGlowClamp = 0.75f;
    parent.glowRange = 0.5f;
    const uint32_t glow = CClassTemplate::ParamByName("GlowParams");
    EXPECT_EQ(TEMPLATE_PARAM_FLAG, glow & 0xF0000000u);
    EXPECT_EQ(offsetof(CClassTemplate, GlowLevel), (glow & 0x0FFFFFFFu) * 4);
    const float* words = reinterpret_cast<const float*>(reinterpret_cast<const uint32_t*>(&parent) +
                                                        (glow & 0x0FFFFFFFu));
    EXPECT_EQ(2.0f, words[0]);
    EXPECT_EQ(0.25f, words[1]);
    EXPECT_EQ(0.75f, words[2]);
    EXPECT_EQ(0.5f, words[3]);

    parent.ReflectionClearColor = 0xFF00FF00;
    parent.shadowCaster = 1;
    parent.shadowTexture = 9;
    const uint32_t mirror = gDefaultClassTemplate.ParamByName("MirrorParams");
    const uint32_t* mirrorWords = reinterpret_cast<const uint32_t*>(&parent) + (mirror & 0x0FFFFFFFu);
    EXPECT_EQ(1.0f, reinterpret_cast<const float*>(mirrorWords)[0]);
    EXPECT_EQ(99999.0f, reinterpret_cast<const float*>(mirrorWords)[1]);
    EXPECT_EQ(0xFF00FF00u, mirrorWords[2]);
    EXPECT_EQ(1u | (9u << 16), mirrorWords[3]);
    EXPECT_EQ(0u, CClassTemplate::ParamByName("Other"));
    EXPECT_EQ(0u, CClassTemplate::ParamByName(nullptr));
}

} // namespace
