#pragma once
// Small records the device object is made of: shader pairs, texture-stage records, the
// view frustum, render-target stack records and the per-frame counters.

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>

// A shader with the shader level (10 x major + minor) it was made for; both zero when
// creation failed. Only one of the two pointers is meaningful, by the kind of shader.
struct ShaderPair {
    union {
        IDirect3DVertexShader9* vs;
        IDirect3DPixelShader9* ps;
    };
    int level;
};
static_assert(sizeof(ShaderPair) == 2 * sizeof(void*), "pointer then level, padded");

// One texture stage's colour and alpha operation with their two arguments each.
struct SStageState {
    uint32_t colorOp, colorArg1, colorArg2;
    uint32_t alphaOp, alphaArg1, alphaArg2;
};
constexpr int STAGE_COUNT = 8;
// Stage 0 modulates texture and current colour and selects the texture's alpha; the other
// stages are off.
inline constexpr SStageState DEFAULT_STAGE0 = {D3DTOP_MODULATE,   D3DTA_TEXTURE, D3DTA_CURRENT,
                                               D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT};
inline constexpr SStageState DEFAULT_STAGE_OFF = {D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT,
                                                  D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT};

// The view volume in world space: corners, inward planes and the 12 edges as point pairs.
struct SFrustum {
    D3DXVECTOR3 corners[8];
    D3DXPLANE planes[6];  // near, far, left, right, top, bottom
    D3DXVECTOR3 edges[24];
};
enum { FRUSTUM_NEAR, FRUSTUM_FAR, FRUSTUM_LEFT, FRUSTUM_RIGHT, FRUSTUM_TOP, FRUSTUM_BOTTOM };

// One saved render target: viewport, colour target and depth surface (owned references).
// Releases a COM reference and forgets it.
template <class T>
void ReleaseAndClear(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

// Releases the shader of either kind and empties the pair.
inline void ReleaseShaderPair(ShaderPair& pair)
{
    ReleaseAndClear(pair.vs);
    pair.level = 0;
}

struct SRenderTargetRecord {
    D3DVIEWPORT9 viewport;
    IDirect3DSurface9* target;
    IDirect3DSurface9* depth;
};
constexpr int RENDER_TARGET_STACK_SIZE = 32;

// What one frame asked of the device; cleared at every scene begin.
struct SFrameCounters {
    int streamBinds;
    int indexBinds;
    int renderStateChanges;
    int primitives;
    int vertices;
    int vertexShaderChanges;
    int pixelShaderChanges;
    int drawCalls;
    int stateLookups;  // comparisons in the render-state cache, changed or not
};
