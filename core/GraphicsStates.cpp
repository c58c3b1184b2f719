// The render-state cache: every setter compares with its cached value and calls the device
// only on a change; each scene begins from the frame defaults. Every comparison is counted
// as a lookup, so the frame's lookups against its device calls show what the cache saves.

#include "core/Graphics.h"

#include "core/Messages.h"

namespace {

constexpr uint32_t UNKNOWN_VALUE = 0xFFFFFFFF;
constexpr uint32_t UNKNOWN_OP = 0x7FFFFFFF;

bool ValidIndex(int i, int count)
{
    return i >= 0 && i < count;
}

} // namespace

void CGraphics::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    Device3D->SetRenderState(state, value);
    ++counters.renderStateChanges;
}

// Changes an on/off state when its mask bit says the device is in the other state.
void CGraphics::SetFlag(uint32_t bit, bool set, D3DRENDERSTATETYPE state, DWORD value)
{
    ++counters.stateLookups;
    if (((RenderStates & bit) != 0) == set)
        return;
    RenderStates ^= bit;
    SetRenderState(state, value);
}

void CGraphics::SetColorWrite(uint32_t mask)
{
    ++counters.stateLookups;
    if (colorWrite == mask)
        return;
    colorWrite = mask;
    SetRenderState(D3DRS_COLORWRITEENABLE, mask);
}

void CGraphics::SetLighting(bool on)
{
    SetFlag(RS_LIGHTING_OFF, !on, D3DRS_LIGHTING, on);
}

void CGraphics::SetBlendFactors(uint32_t src, uint32_t dest)
{
    counters.stateLookups += 2;
    if (srcBlend != src) {
        srcBlend = src;
        SetRenderState(D3DRS_SRCBLEND, src);
    }
    if (destBlend != dest) {
        destBlend = dest;
        SetRenderState(D3DRS_DESTBLEND, dest);
    }
}

void CGraphics::SetBlendOp(uint32_t op)
{
    ++counters.stateLookups;
    if (blendOp == op)
        return;
    blendOp = op;
    SetRenderState(D3DRS_BLENDOP, op);
}

void CGraphics::SetSeparateAlphaOff()
{
    ++counters.stateLookups;
    if (!(RenderStates & RS_SEPARATE_ALPHA_ON))
        return;
    RenderStates &= ~RS_SEPARATE_ALPHA_ON;
    Device3D->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
}

void CGraphics::SetBlend(uint32_t src, uint32_t dest)
{
    SetBlendEx(src, dest, D3DBLENDOP_ADD);
}

void CGraphics::SetBlendEx(uint32_t src, uint32_t dest, uint32_t op)
{
    SetBlendFactors(src, dest);
    SetFlag(RS_BLEND_ON, true, D3DRS_ALPHABLENDENABLE, TRUE);
    SetBlendOp(op);
    SetSeparateAlphaOff();
}

void CGraphics::SetBlendSeparate(uint32_t src, uint32_t dest, uint32_t op, uint32_t srcAlpha,
                                 uint32_t destAlpha, uint32_t opAlpha)
{
    SetBlendFactors(src, dest);
    SetFlag(RS_BLEND_ON, true, D3DRS_ALPHABLENDENABLE, TRUE);
    SetBlendOp(op);
    counters.stateLookups += 4;
    if (!(RenderStates & RS_SEPARATE_ALPHA_ON)) {
        RenderStates |= RS_SEPARATE_ALPHA_ON;
        Device3D->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
    }
    if (srcBlendAlpha != srcAlpha) {
        srcBlendAlpha = srcAlpha;
        SetRenderState(D3DRS_SRCBLENDALPHA, srcAlpha);
    }
    if (destBlendAlpha != destAlpha) {
        destBlendAlpha = destAlpha;
        SetRenderState(D3DRS_DESTBLENDALPHA, destAlpha);
    }
    if (blendOpAlpha != opAlpha) {
        blendOpAlpha = opAlpha;
        SetRenderState(D3DRS_BLENDOPALPHA, opAlpha);
    }
}

void CGraphics::BlendOff()
{
    SetFlag(RS_BLEND_ON, false, D3DRS_ALPHABLENDENABLE, FALSE);
    SetSeparateAlphaOff();
}

// A factor the cache did not know is left as set since on the device and made unknown
// again, so the next setter sends it.
void CGraphics::RestoreBlend(bool on, bool separate, uint32_t src, uint32_t dest, uint32_t op)
{
    if (!on) {
        BlendOff();
        return;
    }
    const uint32_t s = src == UNKNOWN_VALUE ? srcBlend : src;
    const uint32_t d = dest == UNKNOWN_VALUE ? destBlend : dest;
    if (separate)
        SetBlendSeparate(s, d, op, srcBlendAlpha, destBlendAlpha, blendOpAlpha);
    else
        SetBlendEx(s, d, op);
    if (src == UNKNOWN_VALUE)
        srcBlend = UNKNOWN_VALUE;
    if (dest == UNKNOWN_VALUE)
        destBlend = UNKNOWN_VALUE;
}

void CGraphics::SetAlphaTest(uint32_t func, uint32_t ref)
{
    counters.stateLookups += 2;
    if (alphaFunc != func) {
        alphaFunc = func;
        SetRenderState(D3DRS_ALPHAFUNC, func);
    }
    if (alphaRef != ref) {
        alphaRef = ref;
        SetRenderState(D3DRS_ALPHAREF, ref);
    }
    SetFlag(RS_ALPHATEST_ON, true, D3DRS_ALPHATESTENABLE, TRUE);
}

void CGraphics::AlphaTestOff()
{
    SetFlag(RS_ALPHATEST_ON, false, D3DRS_ALPHATESTENABLE, FALSE);
}

void CGraphics::SetWireframe(bool on)
{
    SetFlag(RS_WIREFRAME, on, D3DRS_FILLMODE, on ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
}

void CGraphics::CullCCW()
{
    ++counters.stateLookups;
    if (RenderStates & RS_CULL_CCW)
        return;
    RenderStates = (RenderStates | RS_CULL_CCW) & ~RS_CULL_CW;
    SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

void CGraphics::CullCW()
{
    ++counters.stateLookups;
    if (RenderStates & RS_CULL_CW)
        return;
    RenderStates = (RenderStates | RS_CULL_CW) & ~RS_CULL_CCW;
    SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
}

void CGraphics::CullNone()
{
    ++counters.stateLookups;
    if (!(RenderStates & (RS_CULL_CW | RS_CULL_CCW)))
        return;
    RenderStates &= ~(RS_CULL_CW | RS_CULL_CCW);
    SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

void CGraphics::SetZEnable(bool on)
{
    SetFlag(RS_ZTEST_OFF, !on, D3DRS_ZENABLE, on ? D3DZB_TRUE : D3DZB_FALSE);
}

void CGraphics::SetZWrite(bool on)
{
    SetFlag(RS_ZWRITE_OFF, !on, D3DRS_ZWRITEENABLE, on);
}

void CGraphics::SetZFunc(uint32_t func)
{
    ++counters.stateLookups;
    if (zFunc == func)
        return;
    zFunc = func;
    if (func != D3DCMP_LESSEQUAL)
        RenderStates |= RS_ZFUNC_CHANGED;
    else
        RenderStates &= ~RS_ZFUNC_CHANGED;
    SetRenderState(D3DRS_ZFUNC, func);
}

void CGraphics::SetAddressMode(int sampler, uint32_t mode)
{
    ++counters.stateLookups;
    if (!ValidIndex(sampler, SAMPLER_COUNT) || addressModes[sampler] == mode)
        return;
    addressModes[sampler] = mode;
    Device3D->SetSamplerState(sampler, D3DSAMP_ADDRESSU, mode);
    Device3D->SetSamplerState(sampler, D3DSAMP_ADDRESSV, mode);
    Device3D->SetSamplerState(sampler, D3DSAMP_ADDRESSW, mode);
    if (mode != D3DTADDRESS_WRAP)
        RenderStates |= RS_ADDRESS_CHANGED;
}

void CGraphics::SetAddressModes(const uint32_t modes[SAMPLER_COUNT])
{
    for (int i = 0; i < SAMPLER_COUNT; ++i)
        SetAddressMode(i, modes[i]);
}

void CGraphics::ResetAddressModes()
{
    for (int i = 0; i < SAMPLER_COUNT; ++i)
        SetAddressMode(i, D3DTADDRESS_WRAP);
    RenderStates &= ~RS_ADDRESS_CHANGED;
}

void CGraphics::SetFilters(const uint32_t* values)
{
    for (int i = 0; i < SAMPLER_COUNT; ++i) {
        uint32_t v = values ? values[i] : uint32_t(D3DTEXF_LINEAR);
        ++counters.stateLookups;
        if (filters[i] == v)
            continue;
        filters[i] = v;
        Device3D->SetSamplerState(i, D3DSAMP_MAGFILTER, v);
        Device3D->SetSamplerState(i, D3DSAMP_MINFILTER, v);
    }
}

void CGraphics::SetBorderColors(const uint32_t colors[SAMPLER_COUNT])
{
    for (int i = 0; i < SAMPLER_COUNT; ++i) {
        ++counters.stateLookups;
        if (borderColors[i] == colors[i])
            continue;
        borderColors[i] = colors[i];
        Device3D->SetSamplerState(i, D3DSAMP_BORDERCOLOR, colors[i]);
    }
}

void CGraphics::SetTexture(IDirect3DBaseTexture9* texture, int stage)
{
    ++counters.stateLookups;
    if (!ValidIndex(stage, STAGE_COUNT) || stageTextures[stage] == texture)
        return;
    stageTextures[stage] = texture;
    Device3D->SetTexture(stage, texture);
}

void CGraphics::SetWhiteTexture(int stage)
{
    SetTexture(whiteTexture, stage);
}

void CGraphics::ResetTextures()
{
    for (int i = 0; i < STAGE_COUNT; ++i)
        SetTexture(nullptr, i);
}

void CGraphics::SetStageValue(int stage, uint32_t SStageState::*field,
                              D3DTEXTURESTAGESTATETYPE type, uint32_t value)
{
    ++counters.stateLookups;
    if (stages[stage].*field == value)
        return;
    stages[stage].*field = value;
    Device3D->SetTextureStageState(stage, type, value);
}

void CGraphics::SetStages(const SStageState* table)
{
    ++counters.stateLookups;
    if (!table) {
        ResetStages();
        return;
    }
    if (reinterpret_cast<uintptr_t>(table) == currentStages)
        return;
    currentStages = reinterpret_cast<uintptr_t>(table);
    for (int i = 0; i < STAGE_COUNT; ++i) {
        const SStageState& s = table[i];
        if (s.colorOp == D3DTOP_DISABLE) {
            SetStageValue(i, &SStageState::colorOp, D3DTSS_COLOROP, D3DTOP_DISABLE);
            return;
        }
        SetStageValue(i, &SStageState::colorOp, D3DTSS_COLOROP, s.colorOp);
        SetStageValue(i, &SStageState::colorArg1, D3DTSS_COLORARG1, s.colorArg1);
        SetStageValue(i, &SStageState::colorArg2, D3DTSS_COLORARG2, s.colorArg2);
        SetStageValue(i, &SStageState::alphaOp, D3DTSS_ALPHAOP, s.alphaOp);
        SetStageValue(i, &SStageState::alphaArg1, D3DTSS_ALPHAARG1, s.alphaArg1);
        SetStageValue(i, &SStageState::alphaArg2, D3DTSS_ALPHAARG2, s.alphaArg2);
    }
}

void CGraphics::SetStageModulate()
{
    currentStages = STAGES_PRESET;
    SetStageValue(0, &SStageState::colorOp, D3DTSS_COLOROP, D3DTOP_MODULATE);
    SetStageValue(0, &SStageState::colorArg1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    SetStageValue(0, &SStageState::colorArg2, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    SetStageValue(0, &SStageState::alphaOp, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    SetStageValue(0, &SStageState::alphaArg1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    SetStageValue(0, &SStageState::alphaArg2, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    SetStageValue(1, &SStageState::colorOp, D3DTSS_COLOROP, D3DTOP_DISABLE);
    SetStageValue(1, &SStageState::alphaOp, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void CGraphics::SetStageDiffuse()
{
    currentStages = STAGES_PRESET;
    SetStageValue(0, &SStageState::colorOp, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    SetStageValue(0, &SStageState::colorArg2, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    SetStageValue(0, &SStageState::alphaOp, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    SetStageValue(0, &SStageState::alphaArg2, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    SetStageValue(1, &SStageState::colorOp, D3DTSS_COLOROP, D3DTOP_DISABLE);
    SetStageValue(1, &SStageState::alphaOp, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void CGraphics::ResetStages()
{
    ++counters.stateLookups;
    if (currentStages == STAGES_DEFAULT)
        return;
    currentStages = STAGES_DEFAULT;
    // Sent unconditionally: after a scene begin the cache does not know the device's stages.
    const SStageState& defaults = DEFAULT_STAGE0;
    stages[0] = defaults;
    Device3D->SetTextureStageState(0, D3DTSS_COLOROP, defaults.colorOp);
    Device3D->SetTextureStageState(0, D3DTSS_COLORARG1, defaults.colorArg1);
    Device3D->SetTextureStageState(0, D3DTSS_COLORARG2, defaults.colorArg2);
    Device3D->SetTextureStageState(0, D3DTSS_ALPHAOP, defaults.alphaOp);
    Device3D->SetTextureStageState(0, D3DTSS_ALPHAARG1, defaults.alphaArg1);
    Device3D->SetTextureStageState(0, D3DTSS_ALPHAARG2, defaults.alphaArg2);
    stages[1].colorOp = stages[1].alphaOp = D3DTOP_DISABLE;
    Device3D->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    Device3D->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

HRESULT CGraphics::SetBuffers(IDirect3DVertexBuffer9* vb, UINT stride,
                              IDirect3DIndexBuffer9* ib)
{
    counters.stateLookups += 2;
    if (vb && vb != streamVBs[0]) {
        HRESULT hr = Device3D->SetStreamSource(0, vb, 0, stride);
        if (FAILED(hr)) {
            WarningBox(&bindWarningBudget, "Error in CGraphics::SetBuffers (SetStreamSource).",
                       nullptr);
            return hr;
        }
        streamVBs[0] = vb;
        ++counters.streamBinds;
    }
    if (ib && ib != indexBuffer) {
        HRESULT hr = Device3D->SetIndices(ib);
        if (FAILED(hr)) {
            WarningBox(&bindWarningBudget, "Error in CGraphics::SetBuffers (SetIndices).",
                       nullptr);
            return hr;
        }
        indexBuffer = ib;
        ++counters.indexBinds;
    }
    return S_OK;
}

HRESULT CGraphics::SetStreamVB(int stream, IDirect3DVertexBuffer9* vb, UINT stride)
{
    ++counters.stateLookups;
    if (!vb || !ValidIndex(stream, STREAM_COUNT))
        return -1;
    if (vb == streamVBs[stream])
        return S_OK;
    HRESULT hr = Device3D->SetStreamSource(stream, vb, 0, stride);
    if (FAILED(hr)) {
        WarningBox(&bindWarningBudget, "Error in CGraphics::SetStreamVB.", nullptr);
        return hr;
    }
    streamVBs[stream] = vb;
    ++counters.streamBinds;
    return S_OK;
}

void CGraphics::SetVertexShader(const ShaderPair* pair)
{
    ++counters.stateLookups;
    if (!pair) {
        if (vertexShader) {
            vertexShader = nullptr;
            Device3D->SetVertexShader(nullptr);
        }
        return;
    }
    if (!pair->vs || pair == vertexShader)
        return;
    vertexShader = pair;
    // Shaders above the device's level run on the processor.
    ++counters.stateLookups;
    int software = pair->level > vsLevel;
    if (software != softwareVP) {
        softwareVP = software;
        Device3D->SetSoftwareVertexProcessing(software);
    }
    Device3D->SetVertexShader(pair->vs);
    ++counters.vertexShaderChanges;
}

void CGraphics::SetPixelShader(const ShaderPair* pair)
{
    ++counters.stateLookups;
    if (!pair) {
        if (pixelShader) {
            pixelShader = nullptr;
            Device3D->SetPixelShader(nullptr);
        }
        return;
    }
    if (pair == pixelShader)
        return;
    pixelShader = pair;
    Device3D->SetPixelShader(pair->ps);
    ++counters.pixelShaderChanges;
}

void CGraphics::SetDeclaration(IDirect3DVertexDeclaration9* decl)
{
    ++counters.stateLookups;
    if (decl == declaration)
        return;
    declaration = decl;
    fvf = 0;
    Device3D->SetVertexDeclaration(decl);
}

void CGraphics::SetFVF(uint32_t value)
{
    ++counters.stateLookups;
    if (value == fvf)
        return;
    fvf = value;
    declaration = nullptr;
    Device3D->SetFVF(value);
}

// What a scene begin forgets: bindings, shaders, textures, stage and blend values.
void CGraphics::ForgetSceneState()
{
    colorWrite = 15;
    Device3D->SetRenderState(D3DRS_COLORWRITEENABLE, 15);
    for (IDirect3DVertexBuffer9*& vb : streamVBs)
        vb = nullptr;
    indexBuffer = nullptr;
    declaration = nullptr;
    fvf = 0;
    vertexShader = nullptr;
    pixelShader = nullptr;
    Device3D->SetVertexShader(nullptr);
    Device3D->SetPixelShader(nullptr);
    for (int i = 0; i < STAGE_COUNT; ++i) {
        stageTextures[i] = nullptr;
        Device3D->SetTexture(i, nullptr);
    }
    currentStages = STAGES_UNKNOWN;
    for (int i = 0; i < 2; ++i)
        stages[i].colorOp = stages[i].alphaOp = UNKNOWN_OP;
    stages[0].colorArg1 = stages[0].colorArg2 = UNKNOWN_VALUE;
    stages[0].alphaArg1 = stages[0].alphaArg2 = UNKNOWN_VALUE;
    srcBlend = destBlend = UNKNOWN_VALUE;
    alphaFunc = alphaRef = UNKNOWN_VALUE;
}

void CGraphics::RestoreRenderStates()
{
    // Only states marked in the mask go back, so a mask of zero leaves the device as it is.
    if (RenderStates) {
        SetFlag(RS_BLEND_ON, false, D3DRS_ALPHABLENDENABLE, FALSE);
        SetFlag(RS_ALPHATEST_ON, false, D3DRS_ALPHATESTENABLE, FALSE);
        SetFlag(RS_LIGHTING_OFF, false, D3DRS_LIGHTING, TRUE);
        SetFlag(RS_ZWRITE_OFF, false, D3DRS_ZWRITEENABLE, TRUE);
        SetFlag(RS_ZTEST_OFF, false, D3DRS_ZENABLE, D3DZB_TRUE);
        SetZFunc(D3DCMP_LESSEQUAL);
        CullCCW();
        SetFlag(RS_WIREFRAME, false, D3DRS_FILLMODE, D3DFILL_SOLID);
    }
    SetColorWrite(15);
    ++counters.stateLookups;
    if (blendOp != D3DBLENDOP_ADD) {
        blendOp = D3DBLENDOP_ADD;
        Device3D->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    }
    SetSeparateAlphaOff();
    ResetAddressModes();
}
