#include "core/Graphics.h"
#include "core/Textures.h"
#include "tests/support/Harness.h"
#include "tests/textures/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

namespace {

using textest::Pixels;

template <class T> struct ComRelease {
    void operator()(T* p) const
    {
        if (p)
            p->Release();
    }
};
template <class T> using ComPtr = std::unique_ptr<T, ComRelease<T>>;

class TexturesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = test::TempDir("textures");
        ResetUsageParams();
        gTexError = 0;
    }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::string path = dir + "\\" + name;
        test::WriteFile(path, bytes);
        return path;
    }
    static D3DSURFACE_DESC Desc(IDirect3DTexture9* t)
    {
        D3DSURFACE_DESC d = {};
        t->GetLevelDesc(0, &d);
        return d;
    }

    test::MessageRecorder messages;
    std::string dir;
};

TEST_F(TexturesTest, BmpLoadsAtItsOwnSizeWithItsTexels)
{
    Pixels pixels = textest::Pattern(20, 12);
    ComPtr<IDirect3DTexture9> t(LoadTexture(Write("a.bmp", textest::Bmp24(20, 12, pixels)).c_str()));
    ASSERT_TRUE(t);
    EXPECT_EQ(0, gTexError);
    D3DSURFACE_DESC d = Desc(t.get());
    EXPECT_EQ(20u, d.Width);
    EXPECT_EQ(12u, d.Height);
    EXPECT_EQ(D3DPOOL_MANAGED, d.Pool);
    EXPECT_EQ(1u, t->GetLevelCount());
    EXPECT_EQ(pixels, textest::ReadTexels(t.get()));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(TexturesTest, TgaKeepsItsAlpha)
{
    Pixels pixels = textest::Pattern(8, 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (pixels[i] & 0xFFFFFF) | uint32_t(i * 8) << 24;
    ComPtr<IDirect3DTexture9> t(LoadTexture(Write("a.tga", textest::Tga32(8, 4, pixels)).c_str()));
    ASSERT_TRUE(t);
    EXPECT_EQ(D3DFMT_A8R8G8B8, Desc(t.get()).Format);
    EXPECT_EQ(pixels, textest::ReadTexels(t.get()));

    uint8_t* alpha = GetAlphaBytes(t.get());
    ASSERT_NE(nullptr, alpha);
    for (size_t i = 0; i < pixels.size(); ++i)
        EXPECT_EQ(pixels[i] >> 24, alpha[i]) << i;
    delete[] alpha;
}

TEST_F(TexturesTest, DdsFormatsAndTheirAlpha)
{
    std::vector<uint16_t> a1(16), a4(16);
    for (int i = 0; i < 16; ++i) {
        a1[i] = uint16_t((i % 3 == 0 ? 0x8000 : 0) | (i * 0x421));
        a4[i] = uint16_t(i << 12 | 0x0ABC);
    }
    ComPtr<IDirect3DTexture9> t1(
        LoadTexture(Write("a1.dds", textest::Dds16(4, 4, D3DFMT_A1R5G5B5, a1)).c_str()));
    ComPtr<IDirect3DTexture9> t4(
        LoadTexture(Write("a4.dds", textest::Dds16(4, 4, D3DFMT_A4R4G4B4, a4)).c_str()));
    ASSERT_TRUE(t1 && t4);
    ASSERT_EQ(D3DFMT_A1R5G5B5, Desc(t1.get()).Format);
    ASSERT_EQ(D3DFMT_A4R4G4B4, Desc(t4.get()).Format);

    std::unique_ptr<uint8_t[]> alpha1(GetAlphaBytes(t1.get()));
    std::unique_ptr<uint8_t[]> alpha4(GetAlphaBytes(t4.get()));
    ASSERT_TRUE(alpha1 && alpha4);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(i % 3 == 0 ? 1 : 0, alpha1[i]) << i;
        EXPECT_EQ(i, alpha4[i]) << i;
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(TexturesTest, AlphaOfOtherFormatsIsRefusedWithAMessage)
{
    ComPtr<IDirect3DTexture9> dxt(LoadTexture(Write("a.dds", textest::DdsDxt1(8, 8)).c_str()));
    ASSERT_TRUE(dxt);
    EXPECT_EQ(D3DFMT_DXT1, Desc(dxt.get()).Format);
    EXPECT_EQ(nullptr, GetAlphaBytes(dxt.get()));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("GetAlphaBytes:  Unknown texture format for get alpha.", messages.Texts()[0]);

    // A render target cannot be locked.
    ComPtr<IDirect3DTexture9> target(gGraphics.CreateTargetTexture(16, 16, D3DFMT_A8R8G8B8));
    ASSERT_TRUE(target);
    EXPECT_EQ(nullptr, GetAlphaBytes(target.get()));
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("GetAlphaBytes:  Texture->LockRect failed.", messages.Texts()[1]);
    EXPECT_EQ(nullptr, GetAlphaBytes(nullptr));
    EXPECT_EQ(2u, messages.Count());
}

TEST_F(TexturesTest, MissingAndBadFilesAreToldApart)
{
    EXPECT_EQ(nullptr, LoadTexture((dir + "\\none.bmp").c_str()));
    EXPECT_EQ(1, gTexError);
    EXPECT_EQ(nullptr, LoadTexture(Write("bad.bmp", "this is no image at all").c_str()));
    EXPECT_EQ(2, gTexError);
    EXPECT_EQ(nullptr, LoadCubeTexture((dir + "\\none.dds").c_str()));
    EXPECT_EQ(1, gTexError);
    gTexError = 2;
    EXPECT_EQ(nullptr, LoadTexture(""));
    EXPECT_EQ(2, gTexError) << "an empty name leaves the code alone";
    EXPECT_EQ(0u, messages.Count()) << "the caller decides about messages";
}

// The platform's BMP decoder sizes its rows from the header unchecked, even when only asked
// for the image's size: a header no device takes must be refused before it sees the file.
TEST_F(TexturesTest, BmpHeadersNoDeviceTakesAreRefusedBeforeDecoding)
{
    struct SHeader {
        const char* what;
        int32_t width, height;
        uint16_t bits;
        uint32_t compression;
        bool loads;
    };
    const SHeader headers[] = {
        {"rows top first", 4, -4, 24, 0, true},
        {"run-length rows 1.7e9 pixels wide", 0x66000020, -9417768, 24, 1, false},
        {"536870916 pixels wide", 0x20000004, 4, 24, 0, false},
        {"no width", 0, 4, 24, 0, false},
        {"the tallest negative height", 4, INT32_MIN, 24, 0, false},
    };
    for (const SHeader& h : headers) {
        SCOPED_TRACE(h.what);
        std::string bmp = textest::Bmp24(4, 4, textest::Pattern(4, 4));
        memcpy(&bmp[18], &h.width, 4);
        memcpy(&bmp[22], &h.height, 4);
        memcpy(&bmp[28], &h.bits, 2);
        memcpy(&bmp[30], &h.compression, 4);
        const std::string file = Write("h.bmp", bmp);
        EXPECT_EQ(h.loads, PlatformMayDecode(file.c_str()));
        ComPtr<IDirect3DTexture9> texture(LoadTexture(file.c_str()));
        EXPECT_EQ(h.loads, texture != nullptr);
        IDirect3DTexture9* raw = nullptr;
        EXPECT_EQ(h.loads ? 1 : 0, LoadGarbleTexture(Write("h.tex", textest::Garble(bmp)).c_str(), &raw));
        ComPtr<IDirect3DTexture9> garbled(raw);
    }
    // A BMP cut inside its size is no image either; a file that is no BMP is left to the platform.
    EXPECT_FALSE(PlatformMayDecode(Write("cut.bmp", "BM\x36\0\0\0").c_str()));
    EXPECT_TRUE(PlatformMayDecode(Write("tga.tga", textest::Tga32(2, 2, textest::Pattern(2, 2))).c_str()));
    EXPECT_TRUE(PlatformMayDecode((dir + "\\none.bmp").c_str()));
    EXPECT_FALSE(PlatformMayDecode("CON"));
}

TEST_F(TexturesTest, UsageParametersShapeTheTexture)
{
    gUsageParams.usage = D3DUSAGE_DYNAMIC;
    gResourcePool = D3DPOOL_DEFAULT;
    ComPtr<IDirect3DTexture9> t(
        LoadTexture(Write("a.bmp", textest::Bmp24(4, 4, textest::Pattern(4, 4))).c_str()));
    ASSERT_TRUE(t);
    D3DSURFACE_DESC d = Desc(t.get());
    EXPECT_EQ(D3DPOOL_DEFAULT, d.Pool);
    EXPECT_EQ(DWORD(D3DUSAGE_DYNAMIC), d.Usage);
}

TEST_F(TexturesTest, GarbleFileRoundTrip)
{
    // Larger than the 1 KiB that is scrambled.
    Pixels pixels = textest::Pattern(32, 32);
    const std::string bmp = textest::Bmp24(32, 32, pixels);
    const std::string garbled = textest::Garble(bmp);
    ASSERT_NE(bmp.substr(0, 100), garbled.substr(12, 100));
    IDirect3DTexture9* raw = nullptr;
    ASSERT_EQ(1, LoadGarbleTexture(Write("a.tex", garbled).c_str(), &raw));
    ComPtr<IDirect3DTexture9> t(raw);
    EXPECT_EQ(32u, Desc(t.get()).Width);
    EXPECT_EQ(pixels, textest::ReadTexels(t.get()));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(TexturesTest, GarbleFileShorterThanTheScrambledPart)
{
    Pixels pixels = textest::Pattern(4, 4);
    IDirect3DTexture9* raw = nullptr;
    ASSERT_EQ(1, LoadGarbleTexture(
                     Write("a.tex", textest::Garble(textest::Bmp24(4, 4, pixels))).c_str(), &raw));
    ComPtr<IDirect3DTexture9> t(raw);
    EXPECT_EQ(pixels, textest::ReadTexels(t.get()));
}

TEST_F(TexturesTest, GarbleBufferGrowsForLargeFilesAndIsReused)
{
    const std::string big = textest::Garble(textest::Bmp24(1024, 1024, textest::Pattern(1024, 1024)));
    const uint32_t need = uint32_t(big.size() / 4 + 16);
    ASSERT_GT(need, gGarbleCapacity);
    IDirect3DTexture9* raw = nullptr;
    ASSERT_EQ(1, LoadGarbleTexture(Write("big.tex", big).c_str(), &raw));
    raw->Release();
    EXPECT_EQ(need, gGarbleCapacity);
    const uint32_t* buffer = gGarbleBuffer;

    Pixels pixels = textest::Pattern(8, 8);
    ASSERT_EQ(1, LoadGarbleTexture(
                     Write("small.tex", textest::Garble(textest::Bmp24(8, 8, pixels))).c_str(),
                     &raw));
    ComPtr<IDirect3DTexture9> t(raw);
    EXPECT_EQ(need, gGarbleCapacity);
    EXPECT_EQ(buffer, gGarbleBuffer);
    EXPECT_EQ(pixels, textest::ReadTexels(t.get()));
}

TEST_F(TexturesTest, GarbleReaderRefusals)
{
    IDirect3DTexture9* raw = nullptr;
    // Not a "TEX " file, or no file at all: refused without a message.
    EXPECT_EQ(0, LoadGarbleTexture(Write("a.bmp", textest::Bmp24(4, 4, textest::Pattern(4, 4))).c_str(), &raw));
    EXPECT_EQ(0, LoadGarbleTexture((dir + "\\none.tex").c_str(), &raw));
    EXPECT_EQ(0, LoadGarbleTexture(Write("tiny", "TE").c_str(), &raw));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();

    const std::string shortFile = Write("short.tex", "TEX 12345678");
    EXPECT_EQ(0, LoadGarbleTexture(shortFile.c_str(), &raw));
    const std::string junk = Write("junk.tex", textest::Garble(std::string(300, 'j')));
    EXPECT_EQ(0, LoadGarbleTexture(junk.c_str(), &raw));
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Can`t create texture from garble file..  " + shortFile, messages.Texts()[0]);
    EXPECT_EQ("Can`t create texture from garble file..  " + junk, messages.Texts()[1]);
    EXPECT_EQ(nullptr, raw);
}

TEST_F(TexturesTest, CreatedTexturesAndTargets)
{
    D3DSURFACE_DESC desc = {};
    desc.Format = D3DFMT_A4R4G4B4;
    desc.Width = 24;
    desc.Height = 8;
    ComPtr<IDirect3DTexture9> t(CreateTextureByDesc(&desc));
    ASSERT_TRUE(t);
    EXPECT_EQ(D3DFMT_A4R4G4B4, Desc(t.get()).Format);
    EXPECT_EQ(24u, Desc(t.get()).Width);
    EXPECT_EQ(nullptr, CreateTextureByDesc(nullptr));

    desc.Format = D3DFMT_D24S8;
    desc.MultiSampleType = D3DMULTISAMPLE_16_SAMPLES;
    ComPtr<IDirect3DSurface9> depth(CreateTargetByDesc(&desc));
    ASSERT_TRUE(depth);
    D3DSURFACE_DESC got = {};
    depth->GetDesc(&got);
    EXPECT_EQ(D3DFMT_D24S8, got.Format);
    EXPECT_EQ(DWORD(D3DUSAGE_DEPTHSTENCIL), got.Usage);
    EXPECT_EQ(gGraphics.maxMultisample, got.MultiSampleType) << "lowered to what the device has";

    desc.Format = D3DFMT_X8R8G8B8;
    gUsageParams.usage = D3DUSAGE_RENDERTARGET;
    ComPtr<IDirect3DSurface9> target(CreateTargetByDesc(&desc));
    ASSERT_TRUE(target);
    target->GetDesc(&got);
    EXPECT_EQ(DWORD(D3DUSAGE_RENDERTARGET), got.Usage);

    // Off-screen surfaces cannot live in the managed pool.
    gUsageParams.usage = 0;
    EXPECT_EQ(nullptr, CreateTargetByDesc(&desc));
    EXPECT_EQ(2, gTexError);
    gResourcePool = D3DPOOL_SYSTEMMEM;
    ComPtr<IDirect3DSurface9> plain(CreateTargetByDesc(&desc));
    EXPECT_TRUE(plain);
    EXPECT_EQ(0, gTexError);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(TexturesTest, RenderTargetTextureIsDrawnIntoAndReadBack)
{
    ComPtr<IDirect3DTexture9> t(gGraphics.CreateTargetTexture(32, 16, D3DFMT_A8R8G8B8));
    ASSERT_TRUE(t);
    D3DSURFACE_DESC d = Desc(t.get());
    EXPECT_EQ(DWORD(D3DUSAGE_RENDERTARGET), d.Usage);
    EXPECT_EQ(D3DPOOL_DEFAULT, d.Pool);
    EXPECT_EQ(1u, t->GetLevelCount());

    ComPtr<IDirect3DSurface9> level(GetSurface(t.get()));
    ASSERT_TRUE(level);
    ASSERT_EQ(D3D_OK, Device3D->ColorFill(level.get(), nullptr, 0xFF3366CC));
    IDirect3DSurface9* copy = nullptr;
    ASSERT_EQ(D3D_OK, Device3D->CreateOffscreenPlainSurface(32, 16, D3DFMT_A8R8G8B8,
                                                             D3DPOOL_SYSTEMMEM, &copy, nullptr));
    ComPtr<IDirect3DSurface9> held(copy);
    ASSERT_EQ(D3D_OK, Device3D->GetRenderTargetData(level.get(), copy));
    D3DLOCKED_RECT lock;
    ASSERT_EQ(D3D_OK, copy->LockRect(&lock, nullptr, D3DLOCK_READONLY));
    EXPECT_EQ(0xFF3366CCu, static_cast<const uint32_t*>(lock.pBits)[5]);
    copy->UnlockRect();

    ComPtr<IDirect3DSurface9> rt(gGraphics.CreateRenderTarget(16, 16, D3DFMT_A8R8G8B8,
                                                               D3DMULTISAMPLE_NONE));
    ComPtr<IDirect3DSurface9> ds(gGraphics.CreateDepthSurface(16, 16, D3DFMT_D16,
                                                               D3DMULTISAMPLE_NONE));
    EXPECT_TRUE(rt && ds);
    EXPECT_EQ(nullptr, gGraphics.CreateTargetTexture(0, 0, D3DFMT_A8R8G8B8));
}

} // namespace
