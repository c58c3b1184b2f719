#include "scene/RenderStatesBlock.h"

#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "scene/Renderer.h"

#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

bool Equal(const char* a, const char* b) { return strcmp(a, b) == 0; }

// The blending keywords: flags set and cleared, then op, source, destination and, with
// the separate alpha blend, the three alpha fields.
struct SBlendKeyword {
    const char* word;
    uint32_t set;
    uint32_t srcBlend, destBlend;
};

const SBlendKeyword BLEND_KEYWORDS[] = {
    {"AlphaBlendNormal", RSB_ALPHA_BLEND, 5, 6},
    {"AlphaBlendAdd", RSB_ALPHA_BLEND, 5, 2},
    {"AlphaBlendAdd2", RSB_ALPHA_BLEND, 2, 2},
    {"AlphaBlendMax", RSB_ALPHA_BLEND | RSB_SEPARATE_ALPHA, 5, 6},
    {"AlphaBlendAddMax", RSB_ALPHA_BLEND | RSB_SEPARATE_ALPHA, 5, 2},
};
static_assert(std::size(BLEND_KEYWORDS) == 5, "blending keywords");

// Keywords without a value: flags set and cleared.
struct SFlagKeyword {
    const char* word;
    uint32_t set;
    uint32_t clear;
};

const SFlagKeyword FLAG_KEYWORDS[] = {
    {"ZWriteOff", RSB_NO_Z_WRITE, 0},
    {"ZEnableOff", RSB_NO_Z_TEST, 0},
    {"CullingOff", 0, RSB_CULL_CCW | RSB_CULL_CW},
    {"CullingCW", RSB_CULL_CW, RSB_CULL_CCW},
};
static_assert(std::size(FLAG_KEYWORDS) == 4, "flag keywords");

struct SModeName {
    const char* word;
    uint32_t value;
};

const SModeName ADDRESS_MODES[] = {
    {"Wrap", D3DTADDRESS_WRAP},     {"Mirror", D3DTADDRESS_MIRROR},
    {"Clamp", D3DTADDRESS_CLAMP},   {"Border", D3DTADDRESS_BORDER},
    {"MirrorOnce", D3DTADDRESS_MIRRORONCE},
};
static_assert(std::size(ADDRESS_MODES) == 5, "texture address modes");

const SModeName FILTER_MODES[] = {
    {"None", D3DTEXF_NONE},
    {"Point", D3DTEXF_POINT},
    {"Linear", D3DTEXF_LINEAR},
    {"Anisotropic", D3DTEXF_ANISOTROPIC},
    {"PyramidalQuad", D3DTEXF_PYRAMIDALQUAD},
    {"GaussianQuad", D3DTEXF_GAUSSIANQUAD},
};
static_assert(std::size(FILTER_MODES) == 6, "texture filters");

template <typename T, size_t N>
const T* Find(const T (&table)[N], const char* word)
{
    for (const T& entry : table)
        if (Equal(entry.word, word)) return &entry;
    return nullptr;
}

void ApplyBlendKeyword(CRenderStatesBlock* block, const SBlendKeyword& key)
{
    block->flags = (block->flags & ~uint32_t(RSB_SEPARATE_ALPHA)) | key.set;
    block->blendOp = D3DBLENDOP_ADD;
    block->srcBlend = key.srcBlend;
    block->destBlend = key.destBlend;
    if (key.set & RSB_SEPARATE_ALPHA) {
        block->alphaSrcBlend = D3DBLEND_ONE;
        block->alphaDestBlend = D3DBLEND_ONE;
        block->alphaBlendOp = D3DBLENDOP_MAX;
    }
}

// A per-stage sub-block: entries "[" label stage label mode [ "BorderColor:" colour ]
// closing-token until "};". Stages outside 0-7 are warned and their entry ignored; a
// "};" met anywhere ends the sub-block.
void ScanStageModes(FILE* file, CRenderStatesBlock* block, bool addresses, int32_t* budget)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // the opening token
    for (;;) {
        do {
            Core::fscan_word(file, word);
            if (!word[0] || Equal(word, "};")) return;
        } while (!Equal(word, "["));
        int32_t stage = 0;
        Core::fscan_word(file, word);
        Core::fscan_int(file, &stage);
        Core::fscan_word(file, word);
        char mode[Core::WORD_BUFFER_SIZE];
        Core::fscan_word(file, mode);
        Core::fscan_word(file, word);
        uint32_t border = 0;
        const bool hasBorder = Equal(word, "BorderColor:");
        if (hasBorder) {
            Core::fscan_hex(file, &border);
            Core::fscan_word(file, word);
        }
        if (stage < 0 || stage >= RENDER_STAGES) {
            char number[16];
            snprintf(number, sizeof number, "%d", int(stage));
            WarningBox(budget, "CRenderer::ScanRenderStates error:  improper texture stage ", number,
                       " (0..7 are valid): entry ignored.", nullptr);
        } else {
            const SModeName* found = addresses ? Find(ADDRESS_MODES, mode) : Find(FILTER_MODES, mode);
            uint32_t* values = addresses ? block->addressMode : block->filter;
            if (found) values[stage] = found->value;
            if (addresses && hasBorder) block->borderColor[stage] = border;
        }
        if (!word[0] || Equal(word, "};")) return;
    }
}

} // namespace

int CRenderer::ScanRenderStates(FILE* file, CRenderStatesBlock* block)
{
    char word[Core::WORD_BUFFER_SIZE];
    while (!Core::fscan_is_end(file, word) && word[0]) {
        if (const SBlendKeyword* blend = Find(BLEND_KEYWORDS, word)) {
            ApplyBlendKeyword(block, *blend);
        } else if (const SFlagKeyword* flag = Find(FLAG_KEYWORDS, word)) {
            block->flags = (block->flags & ~flag->clear) | flag->set;
        } else if (Equal(word, "AlphaTest:")) {
            int32_t reference = 0;
            Core::fscan_int(file, &reference);
            block->flags |= RSB_ALPHA_TEST;
            block->alphaRef = uint32_t(reference);
        } else if (Equal(word, "TextureAddresses:") || Equal(word, "TextureFilters:")) {
            ScanStageModes(file, block, Equal(word, "TextureAddresses:"), &warningBudget);
        } else {
            WarningBox(&warningBudget, "CRenderer::ScanRenderStates error:  undefine string '", word,
                       "'.", nullptr);
            // The word after a misspelt keyword is its value; the block end is never one.
            if (Core::fscan_is_end(file, word) || !word[0]) break;
        }
    }
    return 0;
}

void CRenderer::ApplyRenderStates(const CRenderStatesBlock& block, uint32_t pass)
{
    if (!(block.flags & RSB_ALPHA_BLEND)) {
        gGraphics.BlendOff();
    } else if (pass == PASS_REFLECTION) {
        if (block.srcBlend == D3DBLEND_SRCALPHA && block.destBlend != D3DBLEND_ONE)
            gGraphics.SetBlend(D3DBLEND_ONE, D3DBLEND_ZERO);
        else if (block.srcBlend == D3DBLEND_SRCALPHA)
            gGraphics.SetBlendSeparate(D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_ADD, D3DBLEND_ONE,
                                       D3DBLEND_ONE, D3DBLENDOP_MIN);
    } else if (block.flags & RSB_SEPARATE_ALPHA) {
        gGraphics.SetBlendSeparate(block.srcBlend, block.destBlend, block.blendOp, block.alphaSrcBlend,
                                   block.alphaDestBlend, block.alphaBlendOp);
    } else {
        gGraphics.SetBlendEx(block.srcBlend, block.destBlend, block.blendOp);
    }

    if ((pass != PASS_SHADOW && pass != PASS_REFLECTION) || shadowPass) {
        gGraphics.SetZWrite(!(block.flags & RSB_NO_Z_WRITE));
        gGraphics.SetZEnable(!(block.flags & RSB_NO_Z_TEST));
    }

    if (block.flags & RSB_ALPHA_TEST)
        gGraphics.SetAlphaTest(D3DCMP_GREATEREQUAL, block.alphaRef);
    else
        gGraphics.AlphaTestOff();

    if (pass != PASS_REFLECTION) {
        if (block.flags & RSB_CULL_CCW)
            gGraphics.CullCCW();
        else if (block.flags & RSB_CULL_CW)
            gGraphics.CullCW();
        else
            gGraphics.CullNone();
    }

    gGraphics.SetAddressModes(block.addressMode);
    gGraphics.SetFilters(block.filter);
    gGraphics.SetBorderColors(block.borderColor);
}
