#pragma once
// The 32 integers that say how a kind of object is blended, depth-tested, alpha-tested,
// culled and sampled; carried by every class template and particle system. The renderer
// reads a block from a script (CRenderer::ScanRenderStates) and turns it into calls on the
// graphics state cache before each draw (CRenderer::ApplyRenderStates).

#include <cstdint>

// Flag bits of a block.
enum : uint32_t {
    RSB_ALPHA_BLEND = 2,
    RSB_NO_Z_WRITE = 8,
    RSB_NO_Z_TEST = 16,
    RSB_CULL_CCW = 32,
    RSB_ALPHA_TEST = 64,
    RSB_SEPARATE_ALPHA = 0x100,
    RSB_CULL_CW = 0x400,
};

// Render pass bits, shared by the renderer, the units' Render and the class templates.
enum : uint32_t {
    PASS_NORMAL = 1,
    PASS_REFLECTION = 2,
    PASS_SHADOW = 4,
    PASS_GLOW = 8,
};

constexpr int RENDER_STAGES = 8;

struct CRenderStatesBlock {
    uint32_t flags = RSB_CULL_CCW;
    uint32_t blendOp = 1;         // D3DBLENDOP_ADD
    uint32_t srcBlend = 5;        // D3DBLEND_SRCALPHA
    uint32_t destBlend = 6;       // D3DBLEND_INVSRCALPHA
    uint32_t alphaSrcBlend = 2;   // D3DBLEND_ONE
    uint32_t alphaDestBlend = 2;  // D3DBLEND_ONE
    uint32_t alphaBlendOp = 5;    // D3DBLENDOP_MAX
    uint32_t alphaRef = 1;
    uint32_t addressMode[RENDER_STAGES] = {1, 1, 1, 1, 1, 1, 1, 1};  // D3DTADDRESS_WRAP
    uint32_t filter[RENDER_STAGES] = {2, 2, 2, 2, 2, 2, 2, 2};       // D3DTEXF_LINEAR
    uint32_t borderColor[RENDER_STAGES] = {};                        // D3DCOLOR
};
static_assert(sizeof(CRenderStatesBlock) == 32 * 4, "the block is 32 integers");
