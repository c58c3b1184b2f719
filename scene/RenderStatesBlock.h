#pragma once
// The 32 integers that say how a kind of object is blended, depth-tested, alpha-tested,
// culled and sampled; carried by every class template and particle system. Only the
// record and its defaults live here: reading and applying it belong to the renderer.

#include "core/Graphics.h"

#include <cstdint>

// RS_CULL_CCW and RS_CULL_CW are the render-state cache's own bits (core/Graphics.h).
enum : int32_t {
    RS_ALPHA_BLEND = 2,
    RS_NO_Z_WRITE = 8,
    RS_NO_Z_TEST = 16,
    RS_ALPHA_TEST = 64,
    RS_SEPARATE_ALPHA = 0x100,
};

constexpr int RENDER_STAGES = 8;

struct CRenderStatesBlock {
    int32_t flags = RS_CULL_CCW;
    int32_t blendOp = 1;         // D3DBLENDOP_ADD
    int32_t srcBlend = 5;        // D3DBLEND_SRCALPHA
    int32_t destBlend = 6;       // D3DBLEND_INVSRCALPHA
    int32_t alphaSrcBlend = 2;   // D3DBLEND_ONE
    int32_t alphaDestBlend = 2;  // D3DBLEND_ONE
    int32_t alphaBlendOp = 5;    // D3DBLENDOP_MAX
    int32_t alphaRef = 1;
    int32_t addressMode[RENDER_STAGES] = {1, 1, 1, 1, 1, 1, 1, 1};  // D3DTADDRESS_WRAP
    int32_t filter[RENDER_STAGES] = {2, 2, 2, 2, 2, 2, 2, 2};       // D3DTEXF_LINEAR
    int32_t borderColor[RENDER_STAGES] = {};
};
static_assert(sizeof(CRenderStatesBlock) == 32 * 4, "the block is 32 integers");
