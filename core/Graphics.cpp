#include "core/Graphics.h"

#include "core/CameraMath.h"

#include <cstring>

IDirect3D9* Direct3D;
IDirect3DDevice9* Device3D;
CGraphics gGraphics;

namespace {

struct SProfileName {
    int level;
    const char* name;
};

const SProfileName PIXEL_PROFILES[] = {
    {11, "ps_1_1"}, {12, "ps_1_2"}, {13, "ps_1_3"}, {14, "ps_1_4"}, {20, "ps_2_0"}, {30, "ps_3_0"},
};
static_assert(sizeof PIXEL_PROFILES / sizeof PIXEL_PROFILES[0] == 6, "pixel profiles");

const SProfileName VERTEX_PROFILES[] = {{11, "vs_1_1"}, {20, "vs_2_0"}, {30, "vs_3_0"}};
static_assert(sizeof VERTEX_PROFILES / sizeof VERTEX_PROFILES[0] == 3, "vertex profiles");

template <size_t N>
void FillProfiles(char (&slots)[SHADER_LEVEL_SLOTS][PROFILE_NAME_SIZE],
                  const SProfileName (&names)[N])
{
    memset(slots, 0, sizeof slots);
    for (const SProfileName& p : names)
        strcpy(slots[p.level], p.name);
}

} // namespace

CGraphics::CGraphics()
{
    deviceType = D3DDEVTYPE_HAL;
    FillProfiles(psProfiles, PIXEL_PROFILES);
    FillProfiles(vsProfiles, VERTEX_PROFILES);
    viewportWarningBudget = 2;
    renderTargetWarningBudget = 2;
    presentWarningBudget = 1;
    drawSpriteWarningBudget = 2;
    bindWarningBudget = 2;
    ResetSettings();
    ResetCache();
}

void CGraphics::ResetSettings()
{
    behaviorFlags = D3DCREATE_MIXED_VERTEXPROCESSING;
    presentParams = D3DPRESENT_PARAMETERS{};
    presentParams.BackBufferWidth = 1024;
    presentParams.BackBufferHeight = 768;
    presentParams.BackBufferFormat = D3DFMT_X8R8G8B8;
    presentParams.BackBufferCount = 3;
    presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParams.EnableAutoDepthStencil = TRUE;
    presentParams.AutoDepthStencilFormat = D3DFMT_D16;
    presentParams.FullScreen_RefreshRateInHz = 75;
    presentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    textureColorKey = 0;
    clearColor = 0;
    clearFlags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER;
}

// Everything that belongs to one device, back to its state before Init.
void CGraphics::ResetCache()
{
    viewportPushCount = 0;
    defaultViewport = D3DVIEWPORT9{};
    offscreenBeginCount = 0;
    onBackBuffer = 1;
    savedBackBuffer = nullptr;
    savedDepth = nullptr;
    offscreenTexture = nullptr;
    offscreenDepth = nullptr;
    inScene = 0;
    sceneBegunOnce = 0;
    softwareVP = 0;

    RenderStates = 0;
    srcBlend = destBlend = 0;
    blendOp = D3DBLENDOP_ADD;
    srcBlendAlpha = destBlendAlpha = blendOpAlpha = 0;
    alphaFunc = alphaRef = 0;
    memset(addressModes, 0, sizeof addressModes);
    memset(filters, 0, sizeof filters);
    memset(borderColors, 0, sizeof borderColors);
    memset(stageTextures, 0, sizeof stageTextures);
    memset(streamVBs, 0, sizeof streamVBs);
    indexBuffer = nullptr;
    vertexShader = nullptr;
    pixelShader = nullptr;
    declaration = nullptr;
    fvf = 0;
    colorWrite = 15;
    zFunc = D3DCMP_LESSEQUAL;
    currentStages = STAGES_DEFAULT;
    stages[0] = DEFAULT_STAGE0;
    for (int i = 1; i < STAGE_COUNT; ++i)
        stages[i] = DEFAULT_STAGE_OFF;

    spriteBegun = 0;
    spriteBlended = 1;
    defaultCursor.Clear();
    cursor = nullptr;
    spriteShader11 = ShaderPair{};
    spriteShader30 = ShaderPair{};
    memset(declarations, 0, sizeof declarations);
    caps = D3DCAPS9{};
    vsLevel = psLevel = 0;
    viewport = D3DVIEWPORT9{};
    sprite = nullptr;
    line = nullptr;
    camera = nullptr;
    defaultCamera = CViewPoint{};
    memset(static_cast<void*>(&frustum), 0, sizeof frustum);  // plain floats
    maxMultisample = D3DMULTISAMPLE_NONE;
    SetIdentity(&spriteMatrix);
    SetIdentity(&view);
    SetIdentity(&projection);
    SetIdentity(&viewProjection);
    SetIdentity(&inverseView);
    whiteTexture = nullptr;
    counters = SFrameCounters{};
    renderTargetDepth = 0;
    memset(renderTargets, 0, sizeof renderTargets);
}
