// Render queues over real frames: what is queued, refused, drawn and forgotten.

#include "core/Graphics.h"
#include "engine/Controls3D.h"
#include "tests/renderer/RendererFixture.h"

#include <algorithm>

namespace rendertest {
namespace {

using RenderQueues = RendererTest;

int CountOf(const std::string& entry)
{
    return int(std::count(gLog.begin(), gLog.end(), entry));
}

TEST_F(RenderQueues, QueueZeroBelongsToTheControls)
{
    CQuad* quad = AddQuad("Zero", 0, {0, 0, 10, 10}, 0xFFFFFFFF);
    AddQuad("Four", 4, {0, 0, 10, 10}, 0xFFFFFFFF);
    RunFrame();
    EXPECT_EQ(0, CountOf("draw:Four:1")) << "beyond QueueCount";
    EXPECT_FALSE(quad->state & UNIT_QUEUED);
    EXPECT_EQ(0, CountOf("draw:Zero:1"));
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("CRenderer::PutInRenderQueue  Error:  unit 'Zero' have improper RenderQueue", messages.Texts()[0]);

    quad->SysControls |= SYS_FOR_CONTROLS3D;
    RunFrame();
    EXPECT_EQ(1, CountOf("draw:Zero:1")) << "drawn with the controls";
}

TEST_F(RenderQueues, ControlsWithAQueueBeyondQueueCountAreWarnedAndNotDrawn)
{
    CQuad* control = AddQuad("Far", 9, {0, 0, 10, 10}, 0xFFFFFFFF);
    control->SysControls |= SYS_FOR_CONTROLS3D;
    RunFrame();
    EXPECT_EQ(0, CountOf("draw:Far:1"));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CRenderer::RenderControls  Error:  unit 'Far' have improper RenderQueue", messages.Texts()[0]);
}

TEST_F(RenderQueues, MaxRenderObjectsDropsLaterUnitsWithTwoWarningsPerRun)
{
    ReadScript("Renderer [ MaxRenderObjects: 2 ]");
    for (const char* name : {"A", "B", "C", "D"}) AddQuad(name, 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    RunFrame();
    EXPECT_EQ(1, CountOf("draw:A:1"));
    EXPECT_EQ(1, CountOf("draw:B:1"));
    EXPECT_EQ(0, CountOf("draw:C:1"));
    EXPECT_EQ(0, CountOf("draw:D:1"));
    EXPECT_EQ(2, gRenderer->renderObjects) << "no index beyond the limit";
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("CRenderer::PutInRenderQueue  Warning:  MaxRenderObjects limit is exceed.", messages.Texts()[0]);
    EXPECT_NE(std::string::npos, messages.Texts()[1].find("Next this Warnings will be skiped."));
    RunFrame();
    EXPECT_EQ(2u, messages.Count()) << "the third warning is not shown";
}

TEST_F(RenderQueues, AFullQueueDropsTheUnit)
{
    ReadScript("Renderer [ InQueueCount: 1 ]");
    AddQuad("First", 2, {0, 0, 10, 10}, 0xFFFFFFFF);
    AddQuad("Second", 2, {0, 0, 10, 10}, 0xFFFFFFFF);
    RunFrame();
    EXPECT_EQ(1, CountOf("draw:First:1"));
    EXPECT_EQ(0, CountOf("draw:Second:1"));
    EXPECT_TRUE(messages.Contains("CRenderer::PutInRenderQueue  Warning:  GeneralQueues list is overflow."));
}

TEST_F(RenderQueues, PreRenderResultsOneAndTwoSkipTheDrawButKeepTheUnitQueued)
{
    CQuad* one = AddQuad("One", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    CQuad* two = AddQuad("Two", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    CQuad* four = AddQuad("Four", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    CQuad* silent = AddQuad("Silent", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    for (CQuad* quad : {one, two, four}) quad->SysControls |= SYS_ENABLE_PRE_RENDER | SYS_ENABLE_POST_RENDER;
    one->preRenderResult = 1;
    two->preRenderResult = 2;
    four->preRenderResult = 4;
    silent->preRenderResult = 1;  // PreRender is not enabled: never asked
    RunFrame();
    EXPECT_EQ(0, CountOf("draw:One:1"));
    EXPECT_EQ(0, CountOf("draw:Two:1"));
    EXPECT_EQ(1, CountOf("draw:Four:1"));
    EXPECT_EQ(1, CountOf("postrender:Four"));
    EXPECT_EQ(0, CountOf("postrender:One"));
    EXPECT_EQ(0, CountOf("prerender:Silent"));
    EXPECT_EQ(1, CountOf("draw:Silent:1"));
    EXPECT_TRUE(one->state & UNIT_QUEUED);
    EXPECT_TRUE(two->state & UNIT_QUEUED);
}

TEST_F(RenderQueues, OnShowOnlyOnTheFirstQueuingAfterAHiddenPeriod)
{
    CQuad* quad = AddQuad("Shy", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    RunFrame();
    RunFrame();
    EXPECT_EQ(1, CountOf("show:Shy"));
    quad->SysControls &= ~uint32_t(SYS_RENDER_ALWAYS);
    RunFrame();
    EXPECT_EQ(1, CountOf("hide:Shy"));
    EXPECT_FALSE(quad->state & UNIT_QUEUED) << "ResetFrame took bit 8 back";
    quad->SysControls |= SYS_RENDER_ALWAYS;
    RunFrame();
    RunFrame();
    EXPECT_EQ(2, CountOf("show:Shy"));
}

TEST_F(RenderQueues, OnlyUnitsMarkedToRenderAndTheSlavesOfQueuedMastersAreDrawn)
{
    CQuad* master = AddQuad("Master", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    CQuad* slave = AddQuad("Slave", 2, {0, 0, 10, 10}, 0xFFFFFFFF);
    CQuad* loose = AddQuad("Loose", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    for (CQuad* quad : {slave, loose}) quad->SysControls &= ~uint32_t(SYS_RENDER_ALWAYS);
    ASSERT_EQ(0, master->AttachUnit(slave, NOT_ATTACHED));
    RunFrame();
    EXPECT_EQ(1, CountOf("draw:Master:1"));
    EXPECT_EQ(1, CountOf("draw:Slave:1"));
    EXPECT_EQ(0, CountOf("draw:Loose:1"));

    master->SysControls &= ~uint32_t(SYS_RENDER_ALWAYS);
    RunFrame();
    EXPECT_EQ(1, CountOf("draw:Slave:1")) << "a slave of an unqueued master is not drawn";
    EXPECT_EQ(1, CountOf("hide:Slave"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(RenderQueues, AUnitDeletedWhileDrawingLeavesNoPointerBehind)
{
    CQuad* killer = AddQuad("Killer", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    CQuad* victim = AddQuad("Victim", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    CQuad* caster = AddQuad("Caster", 2, {0, 0, 10, 10}, 0xFFFFFFFF);
    victim->SysControls |= SYS_ENABLE_PRE_RENDER;
    killer->onRender = [&] {
        gUnitInspector->DeleteUnit(victim);
        gUnitInspector->DeleteUnit(caster);
    };
    gRenderer->ResetFrame();
    gUnitInspector->ProcessUnits();
    gRenderer->PutShadowCaster(victim);
    gRenderer->PutReflectionCaster(victim);
    gRenderer->AddLight(victim);
    gGraphics.BeginScene();
    gRenderer->RenderUnits(PASS_NORMAL);
    gGraphics.EndScene();
    EXPECT_EQ(1, CountOf("draw:Killer:1"));
    EXPECT_EQ(0, CountOf("prerender:Victim"));
    EXPECT_EQ(0, CountOf("draw:Caster:1"));
    EXPECT_TRUE(RendererForgot(victim));
    EXPECT_TRUE(RendererForgot(caster));
    killer->onRender = nullptr;
    RunFrame();  // the reset walks the queues with the nulls left behind
    EXPECT_EQ(2, CountOf("draw:Killer:1"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(RenderQueues, AUnitDeletingItselfWhileDrawingGetsNoPostRender)
{
    CQuad* self = AddQuad("Self", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    self->SysControls |= SYS_ENABLE_POST_RENDER;
    self->onRender = [self] { gUnitInspector->DeleteUnit(self); };
    RunFrame();
    EXPECT_EQ(1, CountOf("draw:Self:1"));
    EXPECT_EQ(0, CountOf("postrender:Self")) << "no post-render on a deleted unit";
    EXPECT_TRUE(RendererForgot(self));
}

TEST_F(RenderQueues, ControlsLeaveTheSceneQueuesForTheGlowPassAndTheNextReset)
{
    CQuad* scene = AddQuad("Scene", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    CQuad* control = AddQuad("Control", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    control->SysControls |= SYS_FOR_CONTROLS3D;
    RunFrame();
    EXPECT_EQ(1, CountOf("draw:Scene:1"));
    EXPECT_EQ(1, CountOf("draw:Control:1"));
    ASSERT_EQ(1, gRenderer->queues[1].count);
    EXPECT_EQ(scene, gRenderer->queues[1].units[0]);
    EXPECT_EQ(1, gRenderer->controlQueues[1].count);
    scene->SysControls &= ~uint32_t(SYS_RENDER_ALWAYS);
    gRenderer->ResetFrame();
    EXPECT_FALSE(scene->state & UNIT_QUEUED);
}

TEST_F(RenderQueues, AWorldWithoutW1StillDrawsAfterTheWarning)
{
    CQuad* quad = AddQuad("Skewed", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    quad->world._44 = 0.999f;
    RunFrame();
    EXPECT_EQ(1, CountOf("draw:Skewed:1"));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CRenderer::RenderUnits  Warning:  mWorld._44!=1 \n for unit 'Skewed'.", messages.Texts()[0]);
}

TEST_F(RenderQueues, OnlyGeometryIsDrawnAndShadowed)
{
    CQuad* plain = AddQuad("Plain", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    plain->SysControls &= ~uint32_t(SYS_GEOMETRY);
    RunFrame();
    EXPECT_TRUE(plain->state & UNIT_QUEUED);
    EXPECT_EQ(0, CountOf("draw:Plain:1"));
    EXPECT_EQ(0, gRenderer->renderObjects) << "only geometry takes a render object";
    gRenderer->PutShadowCaster(plain);
    gRenderer->PutShadowReceiver(plain);
    EXPECT_TRUE(gRenderer->shadowCasters.empty());
    EXPECT_EQ(0, gRenderer->shadowReceivers);
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("CRenderer::PutShadowCaster  Error:  unit 'Plain' is not geometry", messages.Texts()[0]);
}

TEST_F(RenderQueues, TheBonePaletteHoldsSixtyFourBonesPerObject)
{
    CQuad* quad = AddQuad("Boned", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    int bones = 70;
    float* first = gRenderer->TakeBonePalette(quad, &bones);
    EXPECT_EQ(64, bones);
    EXPECT_EQ(gRenderer->bonePalette.data() + PALETTE_START, first);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CRenderer  Warning:  unit 'Boned' has 70 bones; only 64 are drawn.", messages.Texts()[0]);
    int few = 2;
    EXPECT_EQ(first + 64 * BONE_FLOATS, gRenderer->TakeBonePalette(quad, &few));
    gRenderer->ResetFrame();
    EXPECT_EQ(PALETTE_START, gRenderer->paletteOffset);
}

} // namespace
} // namespace rendertest

namespace rendertest {
namespace {

using GeometryQueuing = RendererTest;

TEST_F(GeometryQueuing, GeometryGetsItsRenderObjectPaletteAndBillboard)
{
    ReadScript("GEOMETRY Board { };\n");
    CClassTemplate* tmpl = TemplateWith("};");
    tmpl->billboardClass = gUnitInspector->GetClassTemplate("Board");
    ASSERT_NE(nullptr, tmpl->billboardClass) << messages.Joined();
    CQuad* first = AddQuad("First", 2, {0, 0, 10, 10}, 0xFFFFFFFF);
    CQuad* second = AddQuad("Second", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    second->classTemplate = tmpl;
    first->bonePaletteOffset = second->bonePaletteOffset = 99;
    RunFrame();
    EXPECT_EQ(0, first->renderObject);
    EXPECT_EQ(1, second->renderObject);
    EXPECT_EQ(0u, first->bonePaletteOffset);
    EXPECT_EQ(0u, second->bonePaletteOffset);
    ASSERT_NE(nullptr, second->billboard);
    EXPECT_EQ(tmpl->billboardClass, second->billboard->classTemplate);
    EXPECT_EQ(nullptr, first->billboard);
    CAtom* const billboard = second->billboard;
    RunFrame();
    EXPECT_EQ(billboard, second->billboard) << "made once";
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(GeometryQueuing, DrawingHandsOnTheUvTransformAndTheShadowTexture)
{
    CClassTemplate* tmpl = TemplateWith("};");
    tmpl->shadowTexture = 7;
    tmpl->shadowTextureNumber = 2;
    CQuad* quad = AddQuad("Shadowed", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    quad->classTemplate = tmpl;
    quad->UvMulAdd = D3DXVECTOR4(0.5f, 0.25f, 0.1f, 0.2f);
    RunFrame();
    EXPECT_EQ(quad->UvMulAdd, gRenderer->UvMulAdd[0]);
    EXPECT_EQ(7, quad->textures[2]);
    EXPECT_EQ(1, gRenderer->shadowReceivers);
}

TEST_F(GeometryQueuing, ControlsTakeRenderObjectsToo)
{
    CQuad* scene = AddQuad("Scene", 1, {0, 0, 10, 10}, 0xFFFFFFFF);
    CQuad* control = AddQuad("Control", 0, {0, 0, 10, 10}, 0xFFFFFFFF);
    control->SysControls |= SYS_FOR_CONTROLS3D;
    control->bonePaletteOffset = 99;
    RunFrame();
    EXPECT_EQ(0, scene->renderObject);
    EXPECT_EQ(1, control->renderObject);
    EXPECT_EQ(0u, control->bonePaletteOffset);
    EXPECT_EQ(2, gRenderer->renderObjects);
}

TEST_F(GeometryQueuing, AControlWithoutAMeshIsNotDrawn)
{
    CQuad* control = AddQuad("Bare", 0, {0, 0, 10, 10}, 0xFFFFFFFF);
    control->SysControls |= SYS_FOR_CONTROLS3D;
    control->mesh = 0;
    RunFrame();
    EXPECT_EQ(0, CountOf("draw:Bare:1"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace rendertest
