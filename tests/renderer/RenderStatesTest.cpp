// "RenderStates:" blocks read from files, and what a block sets on a real device per pass.

#include "core/Graphics.h"
#include "core/Scanner.h"
#include "tests/renderer/RendererFixture.h"

#include <cstdio>

namespace rendertest {
namespace {

// Reads one block (the file starts after "RenderStates:") and the word that follows it.
struct SScanned {
    CRenderStatesBlock block;
    std::string next;
};

SScanned Scan(CRenderer& renderer, const std::string& text)
{
    const std::string path = test::TempDir("render_states") + "\\block.txt";
    test::WriteFile(path, text);
    SScanned out;
    FILE* file = fopen(path.c_str(), "r");
    EXPECT_NE(nullptr, file);
    if (!file) return out;
    EXPECT_EQ(0, renderer.ScanRenderStates(file, &out.block));
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    out.next = word;
    fclose(file);
    return out;
}

class RenderStatesReader : public ::testing::Test {
protected:
    test::MessageRecorder messages;
    CRenderer renderer;
};

TEST_F(RenderStatesReader, AnEmptyBlockKeepsTheDefaults)
{
    const SScanned s = Scan(renderer, "};\nAfter");
    EXPECT_EQ("After", s.next);
    EXPECT_EQ(uint32_t(RSB_CULL_CCW), s.block.flags);  // no blending, Z on, no alpha test
    for (int stage = 0; stage < RENDER_STAGES; ++stage) {
        EXPECT_EQ(uint32_t(D3DTADDRESS_WRAP), s.block.addressMode[stage]);
        EXPECT_EQ(uint32_t(D3DTEXF_LINEAR), s.block.filter[stage]);
        EXPECT_EQ(0u, s.block.borderColor[stage]);
    }
    EXPECT_EQ(0u, messages.Count());
}

TEST_F(RenderStatesReader, CullingCWAfterCullingOffCullsClockwise)
{
    const SScanned s = Scan(renderer, "CullingOff CullingCW };");
    EXPECT_EQ(uint32_t(RSB_CULL_CW), s.block.flags);
    EXPECT_EQ(0u, Scan(renderer, "CullingOff };").block.flags);
}

TEST_F(RenderStatesReader, RepeatedKeywordsSetBitsWithoutCarryingIntoOthers)
{
    const SScanned twice = Scan(renderer, "AlphaBlendNormal AlphaBlendNormal ZWriteOff ZWriteOff };");
    EXPECT_EQ(uint32_t(RSB_CULL_CCW | RSB_ALPHA_BLEND | RSB_NO_Z_WRITE), twice.block.flags);

    const SScanned s = Scan(renderer, "AlphaBlendMax AlphaBlendNormal };");
    EXPECT_EQ(uint32_t(RSB_CULL_CCW | RSB_ALPHA_BLEND), s.block.flags);
    EXPECT_EQ(5u, s.block.srcBlend);
    EXPECT_EQ(6u, s.block.destBlend);

    const SScanned max = Scan(renderer, "AlphaBlendAddMax };");
    EXPECT_EQ(uint32_t(RSB_CULL_CCW | RSB_ALPHA_BLEND | RSB_SEPARATE_ALPHA), max.block.flags);
    EXPECT_EQ(2u, max.block.destBlend);
    EXPECT_EQ(uint32_t(D3DBLENDOP_MAX), max.block.alphaBlendOp);
}

TEST_F(RenderStatesReader, AMisspeltKeywordCostsTheNextWordButNeverTheBlockEnd)
{
    const SScanned s = Scan(renderer, "AlphaBlendNormall ZWriteOff AlphaTest: 7 };\nNext");
    EXPECT_EQ(uint32_t(RSB_CULL_CCW | RSB_ALPHA_TEST), s.block.flags) << "ZWriteOff was the dropped word";
    EXPECT_EQ("Next", s.next);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("CRenderer::ScanRenderStates error:  undefine string 'AlphaBlendNormall'.", messages.Texts()[0]);

    const SScanned end = Scan(renderer, "ZWriteOff Culling };\nClassEnd: x");
    EXPECT_EQ("ClassEnd:", end.next) << "the block end after a misspelt word still ends the block";
    EXPECT_EQ(uint32_t(RSB_CULL_CCW | RSB_NO_Z_WRITE), end.block.flags);
}

TEST_F(RenderStatesReader, ReaderWarningsShareABudgetOfTwo)
{
    Scan(renderer, "One x Two x Three x };");
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[1].find("Next this Warnings will be skiped."));
}

TEST_F(RenderStatesReader, TextureAddressesWithBorderColours)
{
    const SScanned s = Scan(renderer,
                            "TextureAddresses: {\n"
                            "    [ Stage: 0 Mode: Clamp ]\n"
                            "    [ Stage: 2 Mode: Border BorderColor: FF102030 ]\n"
                            "    [ Stage: 7 Mode: MirrorOnce ]\n"
                            "    [ Stage: 3 Mode: Sideways ]\n"
                            "};\n"
                            "CullingOff\n"
                            "};\nAfter");
    EXPECT_EQ(uint32_t(D3DTADDRESS_CLAMP), s.block.addressMode[0]);
    EXPECT_EQ(uint32_t(D3DTADDRESS_WRAP), s.block.addressMode[1]);
    EXPECT_EQ(uint32_t(D3DTADDRESS_BORDER), s.block.addressMode[2]);
    EXPECT_EQ(0xFF102030u, s.block.borderColor[2]);
    EXPECT_EQ(uint32_t(D3DTADDRESS_WRAP), s.block.addressMode[3]) << "an unknown mode leaves the stage";
    EXPECT_EQ(uint32_t(D3DTADDRESS_MIRRORONCE), s.block.addressMode[7]);
    EXPECT_EQ(0u, s.block.flags) << "the sub-block's end did not end the block";
    EXPECT_EQ("After", s.next);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(RenderStatesReader, TextureFiltersAndStagesOutOfRange)
{
    const SScanned s = Scan(renderer,
                            "TextureFilters: {\n"
                            "    [ Stage: 1 Filter: Point ]\n"
                            "    [ Stage: 8 Filter: None ]\n"
                            "    [ Stage: -1 Filter: None ]\n"
                            "    [ Stage: 5 Filter: Anisotropic ]\n"
                            "};\n"
                            "};");
    EXPECT_EQ(uint32_t(D3DTEXF_POINT), s.block.filter[1]);
    EXPECT_EQ(uint32_t(D3DTEXF_ANISOTROPIC), s.block.filter[5]);
    for (int stage : {0, 2, 3, 4, 6, 7}) EXPECT_EQ(uint32_t(D3DTEXF_LINEAR), s.block.filter[stage]);
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_NE(std::string::npos, messages.Texts()[0].find("stage 8"));
}

TEST_F(RenderStatesReader, ABlockCutShortByTheEndOfTheFileStops)
{
    const SScanned s = Scan(renderer, "ZWriteOff TextureAddresses: { [ Stage: 1 Mode: Clamp");
    EXPECT_EQ(uint32_t(RSB_CULL_CCW | RSB_NO_Z_WRITE), s.block.flags);
    EXPECT_EQ("", s.next);
}

// What ApplyRenderStates leaves on the device.
class RenderStatesOnDevice : public RendererTest {
protected:
    CRenderStatesBlock Read(const std::string& text)
    {
        return Scan(*gRenderer, text).block;
    }
    static DWORD State(D3DRENDERSTATETYPE state)
    {
        DWORD value = 0xDEADBEEF;
        Device3D->GetRenderState(state, &value);
        return value;
    }
    void Apply(const CRenderStatesBlock& block, uint32_t pass)
    {
        gGraphics.BeginScene();
        gRenderer->ApplyRenderStates(block, pass);
    }
    void TearDown() override
    {
        gGraphics.EndScene();
        RendererTest::TearDown();
    }
};

TEST_F(RenderStatesOnDevice, TheReflectionPassDrawsAdditiveBlocksOneOneWithAlphaMin)
{
    Apply(Read("AlphaBlendAdd };"), PASS_REFLECTION);
    EXPECT_EQ(DWORD(TRUE), State(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(DWORD(D3DBLEND_ONE), State(D3DRS_SRCBLEND));
    EXPECT_EQ(DWORD(D3DBLEND_ONE), State(D3DRS_DESTBLEND));
    EXPECT_EQ(DWORD(TRUE), State(D3DRS_SEPARATEALPHABLENDENABLE));
    EXPECT_EQ(DWORD(D3DBLENDOP_MIN), State(D3DRS_BLENDOPALPHA));
}

TEST_F(RenderStatesOnDevice, TheReflectionPassDrawsNormalBlocksOneZero)
{
    Apply(Read("AlphaBlendNormal };"), PASS_REFLECTION);
    EXPECT_EQ(DWORD(D3DBLEND_ONE), State(D3DRS_SRCBLEND));
    EXPECT_EQ(DWORD(D3DBLEND_ZERO), State(D3DRS_DESTBLEND));
    EXPECT_EQ(DWORD(FALSE), State(D3DRS_SEPARATEALPHABLENDENABLE));
}

TEST_F(RenderStatesOnDevice, TheNormalPassSetsWhatTheBlockSays)
{
    Apply(Read("AlphaBlendMax ZWriteOff AlphaTest: 40 CullingCW "
               "TextureAddresses: { [ Stage: 1 Mode: Border BorderColor: 80FF0000 ] }; };"),
          PASS_NORMAL);
    EXPECT_EQ(DWORD(TRUE), State(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(DWORD(D3DBLEND_SRCALPHA), State(D3DRS_SRCBLEND));
    EXPECT_EQ(DWORD(D3DBLEND_INVSRCALPHA), State(D3DRS_DESTBLEND));
    EXPECT_EQ(DWORD(TRUE), State(D3DRS_SEPARATEALPHABLENDENABLE));
    EXPECT_EQ(DWORD(D3DBLENDOP_MAX), State(D3DRS_BLENDOPALPHA));
    EXPECT_EQ(DWORD(FALSE), State(D3DRS_ZWRITEENABLE));
    EXPECT_EQ(DWORD(TRUE), State(D3DRS_ZENABLE));
    EXPECT_EQ(DWORD(TRUE), State(D3DRS_ALPHATESTENABLE));
    EXPECT_EQ(DWORD(D3DCMP_GREATEREQUAL), State(D3DRS_ALPHAFUNC));
    EXPECT_EQ(40u, State(D3DRS_ALPHAREF));
    EXPECT_EQ(DWORD(D3DCULL_CW), State(D3DRS_CULLMODE));
    DWORD mode = 0, border = 0;
    Device3D->GetSamplerState(1, D3DSAMP_ADDRESSU, &mode);
    Device3D->GetSamplerState(1, D3DSAMP_BORDERCOLOR, &border);
    EXPECT_EQ(DWORD(D3DTADDRESS_BORDER), mode);
    EXPECT_EQ(0x80FF0000u, border);

    gRenderer->ApplyRenderStates(CRenderStatesBlock{}, PASS_NORMAL);
    EXPECT_EQ(DWORD(FALSE), State(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(DWORD(TRUE), State(D3DRS_ZWRITEENABLE));
    EXPECT_EQ(DWORD(FALSE), State(D3DRS_ALPHATESTENABLE));
    EXPECT_EQ(DWORD(D3DCULL_CCW), State(D3DRS_CULLMODE));
}

TEST_F(RenderStatesOnDevice, TheReflectionPassKeepsItsOwnCullingAndTheShadowPassItsDepth)
{
    Apply(Read("CullingOff ZWriteOff };"), PASS_REFLECTION);
    EXPECT_EQ(DWORD(D3DCULL_CCW), State(D3DRS_CULLMODE));
    gRenderer->shadowPass = 0;
    gRenderer->ApplyRenderStates(Read("ZEnableOff };"), PASS_SHADOW);
    EXPECT_EQ(DWORD(TRUE), State(D3DRS_ZENABLE)) << "depth is the shadow pass's own";
}

} // namespace
} // namespace rendertest
