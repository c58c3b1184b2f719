// The render-state cache against a real device: a cached value is never sent again, a scene
// begins from the frame defaults, and bindings reach the device when they must.

#include "tests/support/TestDevice.h"

#include "tests/support/Harness.h"

#include <gtest/gtest.h>

namespace {

using test::RenderState;
using test::StageState;

class StateCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, device.Init());
        gGraphics.BeginScene();
    }
    void TearDown() override { gGraphics.EndScene(); }

    void NewScene()
    {
        gGraphics.EndScene();
        gGraphics.BeginScene();
    }

    test::MessageRecorder messages;
    test::TestDevice device;
};

TEST_F(StateCache, RepeatedSettersMakeNoDeviceCall)
{
    gGraphics.SetBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    int changes = gGraphics.counters.renderStateChanges;
    EXPECT_EQ(3, changes);  // two factors and blending on; the operation is already add
    // Behind the cache's back: a second identical call must not repair this.
    Device3D->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    gGraphics.SetBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    EXPECT_EQ(DWORD(D3DBLEND_ONE), RenderState(D3DRS_SRCBLEND));
    EXPECT_EQ(changes, gGraphics.counters.renderStateChanges);

    gGraphics.SetZFunc(D3DCMP_ALWAYS);
    Device3D->SetRenderState(D3DRS_ZFUNC, D3DCMP_NEVER);
    gGraphics.SetZFunc(D3DCMP_ALWAYS);
    EXPECT_EQ(DWORD(D3DCMP_NEVER), RenderState(D3DRS_ZFUNC));

    gGraphics.SetLighting(false);
    Device3D->SetRenderState(D3DRS_LIGHTING, TRUE);
    gGraphics.SetLighting(false);
    EXPECT_EQ(DWORD(TRUE), RenderState(D3DRS_LIGHTING));
}

TEST_F(StateCache, SceneBeginRestoresExactlyTheChangedStates)
{
    gGraphics.SetLighting(false);
    gGraphics.SetBlendSeparate(D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MAX, D3DBLEND_ZERO,
                               D3DBLEND_ONE, D3DBLENDOP_ADD);
    gGraphics.SetAlphaTest(D3DCMP_GREATEREQUAL, 2);
    gGraphics.SetZWrite(false);
    gGraphics.SetZEnable(false);
    gGraphics.SetZFunc(D3DCMP_ALWAYS);
    gGraphics.CullCW();
    gGraphics.SetWireframe(true);
    gGraphics.SetColorWrite7();
    gGraphics.SetAddressMode(2, D3DTADDRESS_CLAMP);
    EXPECT_NE(0u, gGraphics.RenderStates & RS_ADDRESS_CHANGED);
    // Not a cached state: the restore must leave it alone.
    Device3D->SetRenderState(D3DRS_FOGENABLE, TRUE);

    NewScene();
    EXPECT_EQ(8, gGraphics.counters.renderStateChanges);
    EXPECT_EQ(DWORD(TRUE), RenderState(D3DRS_LIGHTING));
    EXPECT_EQ(DWORD(FALSE), RenderState(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(DWORD(FALSE), RenderState(D3DRS_SEPARATEALPHABLENDENABLE));
    EXPECT_EQ(DWORD(D3DBLENDOP_ADD), RenderState(D3DRS_BLENDOP));
    EXPECT_EQ(DWORD(FALSE), RenderState(D3DRS_ALPHATESTENABLE));
    EXPECT_EQ(DWORD(TRUE), RenderState(D3DRS_ZWRITEENABLE));
    EXPECT_EQ(DWORD(D3DZB_TRUE), RenderState(D3DRS_ZENABLE));
    EXPECT_EQ(DWORD(D3DCMP_LESSEQUAL), RenderState(D3DRS_ZFUNC));
    EXPECT_EQ(DWORD(D3DCULL_CCW), RenderState(D3DRS_CULLMODE));
    EXPECT_EQ(DWORD(D3DFILL_SOLID), RenderState(D3DRS_FILLMODE));
    EXPECT_EQ(15u, RenderState(D3DRS_COLORWRITEENABLE));
    DWORD mode = 0;
    Device3D->GetSamplerState(2, D3DSAMP_ADDRESSV, &mode);
    EXPECT_EQ(DWORD(D3DTADDRESS_WRAP), mode);
    EXPECT_EQ(DWORD(TRUE), RenderState(D3DRS_FOGENABLE));
    EXPECT_EQ(RS_CULL_CCW, gGraphics.RenderStates);

    // Nothing changed since: the next scene begin changes nothing.
    NewScene();
    EXPECT_EQ(0, gGraphics.counters.renderStateChanges);
}

TEST_F(StateCache, SceneBeginForgetsBlendFactorsAndBindings)
{
    gGraphics.SetBlend(D3DBLEND_ONE, D3DBLEND_ONE);
    gGraphics.SetTexture(gGraphics.whiteTexture, 3);
    gGraphics.SetFVF(D3DFVF_XYZ);
    NewScene();
    EXPECT_EQ(0xFFFFFFFFu, gGraphics.srcBlend);
    EXPECT_EQ(0u, gGraphics.fvf);
    IDirect3DBaseTexture9* bound = nullptr;
    Device3D->GetTexture(3, &bound);
    EXPECT_EQ(nullptr, bound);
    // The same factors reach the device again after the scene begin.
    Device3D->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    gGraphics.SetBlend(D3DBLEND_ONE, D3DBLEND_ONE);
    EXPECT_EQ(DWORD(D3DBLEND_ONE), RenderState(D3DRS_SRCBLEND));
}

TEST_F(StateCache, DiffuseThenModulateSetsTheAlphaOperationBack)
{
    gGraphics.SetStageDiffuse();
    EXPECT_EQ(DWORD(D3DTOP_SELECTARG2), StageState(0, D3DTSS_ALPHAOP));
    EXPECT_EQ(DWORD(D3DTA_DIFFUSE), StageState(0, D3DTSS_COLORARG2));
    gGraphics.SetStageModulate();
    EXPECT_EQ(DWORD(D3DTOP_MODULATE), StageState(0, D3DTSS_ALPHAOP));
    EXPECT_EQ(DWORD(D3DTOP_MODULATE), StageState(0, D3DTSS_COLOROP));
    EXPECT_EQ(DWORD(D3DTA_TEXTURE), StageState(0, D3DTSS_COLORARG1));
    EXPECT_EQ(DWORD(D3DTOP_DISABLE), StageState(1, D3DTSS_COLOROP));
    EXPECT_EQ(STAGES_PRESET, gGraphics.currentStages);

    gGraphics.ResetStages();
    EXPECT_EQ(DWORD(D3DTOP_SELECTARG1), StageState(0, D3DTSS_ALPHAOP));
    EXPECT_EQ(DWORD(D3DTA_CURRENT), StageState(0, D3DTSS_COLORARG2));
    // The cache follows the reset, so the preset reaches the device again.
    gGraphics.SetStageModulate();
    EXPECT_EQ(DWORD(D3DTOP_MODULATE), StageState(0, D3DTSS_ALPHAOP));
}

// An outline blends for itself only: the next draw finds the blending it left and the
// default stages, in the cache and on the device.
TEST_F(StateCache, AnOutlineLeavesTheBlendingItFoundAndTheDefaultStages)
{
    for (const bool blended : {false, true}) {
        if (blended)
            gGraphics.SetBlend(D3DBLEND_ONE, D3DBLEND_ONE);
        else
            gGraphics.BlendOff();
        gGraphics.SetStageModulate();
        EXPECT_EQ(D3D_OK, gGraphics.DrawRectXY(1, 1, 20, 20, 0x80FFFFFF));
        EXPECT_EQ(DWORD(blended), RenderState(D3DRS_ALPHABLENDENABLE));
        EXPECT_EQ(blended, (gGraphics.RenderStates & RS_BLEND_ON) != 0);
        if (blended) {
            EXPECT_EQ(DWORD(D3DBLEND_ONE), RenderState(D3DRS_SRCBLEND));
        }
        EXPECT_EQ(DWORD(D3DTOP_SELECTARG1), StageState(0, D3DTSS_ALPHAOP));
        EXPECT_EQ(STAGES_DEFAULT, gGraphics.currentStages);
    }
}

TEST_F(StateCache, StageTableAppliesUpToTheFirstDisabledStageOnce)
{
    SStageState table[STAGE_COUNT];
    for (SStageState& s : table)
        s = DEFAULT_STAGE_OFF;
    table[0] = {D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE,
                D3DTA_DIFFUSE};
    table[1] = {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG2,
                D3DTA_TEXTURE, D3DTA_CURRENT};
    gGraphics.SetStages(table);
    EXPECT_EQ(DWORD(D3DTOP_ADD), StageState(0, D3DTSS_COLOROP));
    EXPECT_EQ(DWORD(D3DTOP_MODULATE), StageState(1, D3DTSS_COLOROP));
    EXPECT_EQ(DWORD(D3DTOP_DISABLE), StageState(2, D3DTSS_COLOROP));
    // The same table again does nothing, even with new contents.
    table[0].colorOp = D3DTOP_SUBTRACT;
    gGraphics.SetStages(table);
    EXPECT_EQ(DWORD(D3DTOP_ADD), StageState(0, D3DTSS_COLOROP));
}

TEST_F(StateCache, ClockwiseCullingReachesTheDeviceAgainAfterANewScene)
{
    gGraphics.CullCW();
    EXPECT_EQ(DWORD(D3DCULL_CW), RenderState(D3DRS_CULLMODE));
    NewScene();
    EXPECT_EQ(DWORD(D3DCULL_CCW), RenderState(D3DRS_CULLMODE));
    gGraphics.CullCW();
    EXPECT_EQ(DWORD(D3DCULL_CW), RenderState(D3DRS_CULLMODE));
}

TEST_F(StateCache, CullingLeftOffAloneStaysOffIntoTheNextScene)
{
    gGraphics.CullCCW();
    gGraphics.CullNone();
    EXPECT_EQ(DWORD(D3DCULL_NONE), RenderState(D3DRS_CULLMODE));
    EXPECT_EQ(0u, gGraphics.RenderStates);
    NewScene();
    EXPECT_EQ(DWORD(D3DCULL_NONE), RenderState(D3DRS_CULLMODE));
    // With any other state changed the default comes back.
    gGraphics.SetZWrite(false);
    NewScene();
    EXPECT_EQ(DWORD(D3DCULL_CCW), RenderState(D3DRS_CULLMODE));
}

TEST_F(StateCache, StreamBindingsAreCountedAndANullBufferRefused)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(D3D_OK, Device3D->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vb, nullptr));
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(D3D_OK, Device3D->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib,
                                                  nullptr));
    EXPECT_EQ(D3D_OK, gGraphics.SetBuffers(vb, 16, ib));
    EXPECT_EQ(D3D_OK, gGraphics.SetBuffers(vb, 32, ib));  // a new stride alone rebinds nothing
    EXPECT_EQ(1, gGraphics.counters.streamBinds);
    EXPECT_EQ(1, gGraphics.counters.indexBinds);
    UINT offset = 0, stride = 0;
    IDirect3DVertexBuffer9* bound = nullptr;
    Device3D->GetStreamSource(0, &bound, &offset, &stride);
    EXPECT_EQ(vb, bound);
    EXPECT_EQ(16u, stride);
    bound->Release();

    EXPECT_EQ(HRESULT(-1), gGraphics.SetStreamVB(1, nullptr, 16));
    EXPECT_EQ(HRESULT(-1), gGraphics.SetStreamVB(STREAM_COUNT, vb, 16));
    EXPECT_EQ(nullptr, gGraphics.streamVBs[1]);
    EXPECT_EQ(D3D_OK, gGraphics.SetStreamVB(1, vb, 12));
    EXPECT_EQ(D3D_OK, gGraphics.SetStreamVB(1, vb, 12));
    EXPECT_EQ(2, gGraphics.counters.streamBinds);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    vb->Release();
    ib->Release();
}

TEST_F(StateCache, SwitchingBetweenDeclarationAndFVFAlwaysReachesTheDevice)
{
    IDirect3DVertexDeclaration9* decl = gGraphics.declarations[SPRITE_DECLARATION];
    gGraphics.SetDeclaration(decl);
    gGraphics.SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    DWORD fvf = 0;
    Device3D->GetFVF(&fvf);
    EXPECT_EQ(DWORD(D3DFVF_XYZ | D3DFVF_DIFFUSE), fvf);
    gGraphics.SetDeclaration(decl);
    IDirect3DVertexDeclaration9* current = nullptr;
    Device3D->GetVertexDeclaration(&current);
    EXPECT_EQ(decl, current);
    if (current)
        current->Release();
    gGraphics.SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    Device3D->GetFVF(&fvf);
    EXPECT_EQ(DWORD(D3DFVF_XYZ | D3DFVF_DIFFUSE), fvf);
}

TEST_F(StateCache, TexturesBindOnceAndUnbindOnlyWhatIsBound)
{
    gGraphics.SetWhiteTexture(0);
    gGraphics.SetWhiteTexture(5);
    EXPECT_EQ(gGraphics.whiteTexture, gGraphics.stageTextures[5]);
    Device3D->SetTexture(5, nullptr);  // behind the cache's back
    gGraphics.SetWhiteTexture(5);
    IDirect3DBaseTexture9* bound = nullptr;
    Device3D->GetTexture(5, &bound);
    EXPECT_EQ(nullptr, bound);
    gGraphics.ResetTextures();
    Device3D->GetTexture(0, &bound);
    EXPECT_EQ(nullptr, bound);
    for (IDirect3DBaseTexture9* t : gGraphics.stageTextures)
        EXPECT_EQ(nullptr, t);
}

TEST_F(StateCache, ShaderAboveTheDeviceLevelRunsInSoftware)
{
    const char* text = "vs_1_1\ndcl_position v0\nmov oPos, v0\n";
    ShaderPair low = gGraphics.CreateVertexShaderFromString(text);
    ShaderPair high = low;
    high.level = gGraphics.vsLevel + 10;
    gGraphics.SetVertexShader(&high);
    EXPECT_TRUE(Device3D->GetSoftwareVertexProcessing());
    EXPECT_EQ(1, gGraphics.counters.vertexShaderChanges);
    gGraphics.SetVertexShader(&low);
    EXPECT_FALSE(Device3D->GetSoftwareVertexProcessing());
    gGraphics.SetVertexShader(&low);
    EXPECT_EQ(2, gGraphics.counters.vertexShaderChanges);

    ShaderPair failed = {};
    gGraphics.SetVertexShader(&failed);  // a failed shader is ignored
    EXPECT_EQ(&low, gGraphics.vertexShader);
    gGraphics.SetVertexShader(&high);
    NewScene();  // processing goes back to the hardware with the new scene
    EXPECT_FALSE(Device3D->GetSoftwareVertexProcessing());
    EXPECT_EQ(nullptr, gGraphics.vertexShader);
    IDirect3DVertexShader9* bound = nullptr;
    Device3D->GetVertexShader(&bound);
    EXPECT_EQ(nullptr, bound);

    // A failed pixel shader binds as no shader.
    ShaderPair failedPixel = {};
    gGraphics.SetPixelShader(&failedPixel);
    EXPECT_EQ(1, gGraphics.counters.pixelShaderChanges);
    gGraphics.SetPixelShader(nullptr);
    EXPECT_EQ(nullptr, gGraphics.pixelShader);
    low.vs->Release();
}

TEST_F(StateCache, SamplerStatesAreSentOnlyOnChange)
{
    const uint32_t modes[SAMPLER_COUNT] = {1, 3, 1, 1, 4, 1, 1, 1};
    gGraphics.SetAddressModes(modes);
    DWORD mode = 0;
    Device3D->GetSamplerState(4, D3DSAMP_ADDRESSW, &mode);
    EXPECT_EQ(DWORD(D3DTADDRESS_BORDER), mode);
    const uint32_t colours[SAMPLER_COUNT] = {0, 0xFF00FF00, 0, 0, 0, 0, 0, 0};
    gGraphics.SetBorderColors(colours);
    Device3D->SetSamplerState(1, D3DSAMP_BORDERCOLOR, 0x12345678);
    gGraphics.SetBorderColors(colours);
    DWORD colour = 0;
    Device3D->GetSamplerState(1, D3DSAMP_BORDERCOLOR, &colour);
    EXPECT_EQ(0x12345678u, colour);
    const uint32_t filters[SAMPLER_COUNT] = {1, 1, 1, 1, 1, 1, 1, 1};
    gGraphics.SetFilters(filters);
    DWORD filter = 0;
    Device3D->GetSamplerState(7, D3DSAMP_MINFILTER, &filter);
    EXPECT_EQ(DWORD(D3DTEXF_POINT), filter);
    gGraphics.ResetAddressModes();
    Device3D->GetSamplerState(1, D3DSAMP_ADDRESSU, &mode);
    EXPECT_EQ(DWORD(D3DTADDRESS_WRAP), mode);
    EXPECT_EQ(0u, gGraphics.RenderStates & RS_ADDRESS_CHANGED);
}

} // namespace
