// The "Renderer" section of the start script, read through the real script reader.

#include "core/Graphics.h"
#include "tests/renderer/RendererFixture.h"

namespace rendertest {
namespace {

using RendererSection = RendererTest;

TEST_F(RendererSection, SizesTheQueuesAndPerObjectArrays)
{
    EXPECT_EQ(4, gRenderer->QueueCount);
    EXPECT_EQ(8, gRenderer->InQueueCount);
    EXPECT_EQ(16, gRenderer->MaxRenderObjects);
    ASSERT_EQ(4u, gRenderer->queues.size());
    ASSERT_EQ(4u, gRenderer->reflectionQueues.size());
    EXPECT_EQ(8u, gRenderer->queues[3].units.size());
    EXPECT_EQ(16u, gRenderer->inverseWorlds.size());
    EXPECT_EQ(16u * 3 + 1, gRenderer->instanceMatrices.size());
    EXPECT_EQ(16u * 768 + 4, gRenderer->bonePalette.size());
    EXPECT_EQ(0, gRenderer->glowing);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(RendererSection, GlowingWithHalfTheBackBuffer)
{
    ReadScript("Renderer [ Glowing: [ BufferRatio: 1/2 ColorFormat: A8R8G8B8 DepthFormat: D24S8 Passes: 3 ] ]");
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(2, gRenderer->BufferRatio);
    EXPECT_EQ(VIEW_WIDTH / 2, gRenderer->glowWidth);
    EXPECT_EQ(VIEW_HEIGHT / 2, gRenderer->glowHeight);
    EXPECT_EQ(D3DFMT_D24S8, gRenderer->DepthFormat);
    EXPECT_EQ(3, gRenderer->Passes);
    ASSERT_NE(nullptr, gRenderer->glowTextureA);
    ASSERT_NE(nullptr, gRenderer->glowDepth);
    D3DSURFACE_DESC desc{};
    gRenderer->glowTextureB->GetLevelDesc(0, &desc);
    EXPECT_EQ(UINT(VIEW_WIDTH / 2), desc.Width);
    EXPECT_EQ(DWORD(D3DUSAGE_RENDERTARGET), desc.Usage & D3DUSAGE_RENDERTARGET);
    EXPECT_EQ(1, gRenderer->glowing);
    EXPECT_EQ(0, gIRenderer->EnableGlowing(0));
    EXPECT_EQ(0, gIRenderer->EnableGlowing(1));
    EXPECT_EQ(1, gRenderer->glowing);
}

TEST_F(RendererSection, OnlyTheFirstDigitOfTheRatioCounts)
{
    ReadScript("Renderer [ Glowing: [ BufferRatio: 1/10 ] ]");
    EXPECT_EQ(1, gRenderer->BufferRatio);
    EXPECT_EQ(VIEW_WIDTH, gRenderer->glowWidth);
}

TEST_F(RendererSection, ImproperRatiosAreRefusedAndTheRatioStays)
{
    ReadScript("Renderer [ Glowing: [ BufferRatio: 2/3 BufferRatio: 1/0 BufferRatio: 1/x ] ]");
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_TRUE(messages.SaidWithMore("CRenderer::FirstScan:  Improper BufferRatio '2/3'.", 2));
    EXPECT_EQ(4, gRenderer->BufferRatio);
    EXPECT_EQ(VIEW_WIDTH / 4, gRenderer->glowWidth);
}

TEST_F(RendererSection, WithoutGlowTargetsGlowingCannotBeTurnedOn)
{
    EXPECT_EQ(-1, gIRenderer->EnableGlowing(1));
    EXPECT_EQ(0, gRenderer->glowing);
    EXPECT_EQ(0, gIRenderer->EnableGlowing(0));
}

TEST_F(RendererSection, UnknownWordsAreReportedAndReadingGoesOn)
{
    ReadScript("Renderer [ Queues: 3 Glowing: [ Blur: 2 Passes: 6 ] QueueCount: 5 ]");
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_TRUE(messages.SaidWithMore("CRenderer::FirstScan:  Undefine string 'Queues:'.", 1));
    EXPECT_TRUE(messages.SaidWithMore("CRenderer::FirstScan:  In Glowing undefine string 'Blur:'.", 1));
    EXPECT_EQ(6, gRenderer->Passes);
    EXPECT_EQ(5, gRenderer->QueueCount);
}

TEST_F(RendererSection, SizesOutOfRangeAreRefusedAndTheSizesStay)
{
    ReadScript("Renderer [ QueueCount: 300 InQueueCount: -1 MaxRenderObjects: 2000000000 ]");
    ASSERT_EQ(3u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CRenderer::FirstScan:  Improper QueueCount: '300' (0..256).", messages.Texts()[0]);
    EXPECT_EQ(4, gRenderer->QueueCount);
    EXPECT_EQ(8, gRenderer->InQueueCount);
    EXPECT_EQ(16, gRenderer->MaxRenderObjects);
}

TEST_F(RendererSection, ASecondSectionResizesAndLetsGoOfTheQueuedUnits)
{
    CQuad* quad = AddQuad("Quad", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    RunFrame();
    ASSERT_TRUE(quad->state & UNIT_QUEUED);
    ReadScript("Renderer [ QueueCount: 2 InQueueCount: 3 MaxRenderObjects: 5 ]");
    EXPECT_FALSE(quad->state & UNIT_QUEUED);
    ASSERT_EQ(2u, gRenderer->queues.size());
    EXPECT_EQ(0, gRenderer->queues[1].count);
    EXPECT_EQ(3u, gRenderer->queues[1].units.size());
    EXPECT_EQ(5u * 768 + 4, gRenderer->bonePalette.size());
    RunFrame();
    EXPECT_EQ(1, gRenderer->queues[1].count);
}

TEST_F(RendererSection, AClassBlockReadsItsRenderStatesAndGoesOn)
{
    ReadScript("GEOMETRY Glass {\n"
               "    RenderStates: AlphaBlendAdd ZWritOff Bogus TextureFilters: { [ Stage: 0 Filter: Point ] }; };\n"
               "    RenderQueue: 3\n"
               "};\n");
    CClassTemplate* glass = gUnitInspector->GetClassTemplate("Glass");
    ASSERT_NE(nullptr, glass);
    EXPECT_EQ(uint32_t(RSB_CULL_CCW | RSB_ALPHA_BLEND), glass->renderStates.flags);
    EXPECT_EQ(2u, glass->renderStates.destBlend);
    EXPECT_EQ(uint32_t(D3DTEXF_POINT), glass->renderStates.filter[0]);
    EXPECT_EQ(3, glass->prototype->RenderQueue) << "the class block went on after the states";
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CRenderer::ScanRenderStates error:  undefine string 'ZWritOff'.", messages.Texts()[0]);
}

TEST_F(RendererSection, ClearColourComesFromTheDevice)
{
    gGraphics.clearColor = 0xFF336699;
    ReadScript("Renderer [ ]");
    EXPECT_EQ(D3DCOLOR(0xFF336699), D3DCOLOR(gRenderer->ClearColor));
}

} // namespace
} // namespace rendertest

namespace rendertest {
namespace {

TEST(RendererSample, TheSampleStartScriptGivesTheRendererItsQueues)
{
    test::MessageRecorder messages;
    test::Program program;
    ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
    ASSERT_NE(nullptr, gRenderer);
    EXPECT_EQ(8, gRenderer->QueueCount);
    EXPECT_EQ(512u, gRenderer->queues[7].units.size());
    EXPECT_EQ(1024, gRenderer->MaxRenderObjects);
    EXPECT_TRUE(program.RunFrames(3));
    program.Stop();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace rendertest
