#include "tests/support/Harness.h"

#include "core/Tga.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

namespace {

struct TgaSpec {
    int width = 2, height = 2, bpp = 24;
    uint8_t type = 2;
    uint8_t descriptor = 0;
    std::string id;            // image id field
    int colourMapEntries = 0;  // a 24-bit colour map the reader must skip
};

std::string Header(const TgaSpec& s)
{
    std::string h(18, '\0');
    h[0] = char(s.id.size());
    h[1] = char(s.colourMapEntries ? 1 : 0);
    h[2] = char(s.type);
    h[5] = char(s.colourMapEntries & 0xFF);
    h[6] = char(s.colourMapEntries >> 8);
    h[7] = char(s.colourMapEntries ? 24 : 0);
    h[12] = char(s.width & 0xFF);
    h[13] = char(s.width >> 8);
    h[14] = char(s.height & 0xFF);
    h[15] = char(s.height >> 8);
    h[16] = char(s.bpp);
    h[17] = char(s.descriptor);
    return h + s.id + std::string(size_t(s.colourMapEntries) * 3, '\x77');
}

// Pixel p of the file is (p, p + 1, p + 2[, p + 3]) counted in file order.
std::string Pixels(const TgaSpec& s)
{
    std::string data;
    int bytes = s.bpp / 8;
    for (int p = 0; p < s.width * s.height; ++p)
        for (int k = 0; k < bytes; ++k)
            data += char(16 * p + k);
    return data;
}

struct Loaded {
    int result = 99, width = -1, height = -1;
    std::unique_ptr<uint8_t[]> pixels;
};

Loaded Load(const std::string& path)
{
    Loaded l;
    uint8_t* pixels = nullptr;
    l.result = LoadTGA(path.c_str(), &l.width, &l.height, &pixels);
    l.pixels.reset(pixels);
    return l;
}

Loaded LoadFile(const std::string& name, const std::string& content)
{
    std::string path = test::TempDir("utils_tga_" + name) + "\\image.tga";
    test::WriteFile(path, content);
    return Load(path);
}

void ExpectRefused(const Loaded& l, int code)
{
    EXPECT_EQ(code, l.result);
    EXPECT_EQ(-1, l.width);
    EXPECT_EQ(-1, l.height);
    EXPECT_EQ(nullptr, l.pixels);
}

TEST(Tga, TrueColour24IsExpandedAndFlipped)
{
    test::MessageRecorder messages;
    TgaSpec s;
    Loaded l = LoadFile("24", Header(s) + Pixels(s));
    ASSERT_EQ(TGA_OK, l.result) << messages.Joined();
    EXPECT_EQ(2, l.width);
    EXPECT_EQ(2, l.height);
    // The file's first row (pixels 0, 1) becomes the buffer's last row.
    const uint8_t expected[16] = {0x20, 0x21, 0x22, 0xFF, 0x30, 0x31, 0x32, 0xFF,
                                  0x00, 0x01, 0x02, 0xFF, 0x10, 0x11, 0x12, 0xFF};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(expected[i], l.pixels[i]) << i;
    EXPECT_EQ(0u, messages.Count());
}

TEST(Tga, TrueColour32KeepsAlpha)
{
    TgaSpec s;
    s.width = 1;
    s.bpp = 32;
    Loaded l = LoadFile("32", Header(s) + Pixels(s));
    ASSERT_EQ(TGA_OK, l.result);
    const uint8_t expected[8] = {0x10, 0x11, 0x12, 0x13, 0x00, 0x01, 0x02, 0x03};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(expected[i], l.pixels[i]) << i;
}

TEST(Tga, TopDownFileIsNotFlipped)
{
    TgaSpec s;
    s.width = 1;
    s.descriptor = 0x20;
    Loaded l = LoadFile("topdown", Header(s) + Pixels(s));
    ASSERT_EQ(TGA_OK, l.result);
    EXPECT_EQ(0x00, l.pixels[0]);
    EXPECT_EQ(0x10, l.pixels[4]);
}

TEST(Tga, ImageIdAndColourMapAreSkipped)
{
    TgaSpec s;
    s.width = s.height = 1;
    s.id = "made by hand";
    s.colourMapEntries = 2;
    Loaded l = LoadFile("id", Header(s) + Pixels(s));
    ASSERT_EQ(TGA_OK, l.result);
    const uint8_t expected[4] = {0x00, 0x01, 0x02, 0xFF};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(expected[i], l.pixels[i]) << i;
}

TEST(Tga, OutParametersAreOptional)
{
    TgaSpec s;
    std::string path = test::TempDir("utils_tga_optional") + "\\image.tga";
    test::WriteFile(path, Header(s) + Pixels(s));
    EXPECT_EQ(TGA_OK, LoadTGA(path.c_str(), nullptr, nullptr, nullptr));
}

TEST(Tga, MissingFileIsLeftToTheCaller)
{
    test::MessageRecorder messages;
    ExpectRefused(Load(test::TempDir("utils_tga_missing") + "\\none.tga"), TGA_CANT_OPEN);
    EXPECT_EQ(0u, messages.Count());
}

TEST(Tga, OnlyTooWideIsRefusedAndAnyHeightLoads)
{
    test::MessageRecorder messages;
    TgaSpec wide;
    wide.width = 2049;
    ExpectRefused(LoadFile("wide", Header(wide)), TGA_TOO_LARGE);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("TGA file: width too large.", messages.Texts()[0]);

    TgaSpec tall;
    tall.width = 1;
    tall.height = 4097;
    Loaded l = LoadFile("tall", Header(tall) + Pixels(tall));
    ASSERT_EQ(TGA_OK, l.result) << messages.Joined();
    EXPECT_EQ(4097, l.height);
    EXPECT_EQ(0x00, l.pixels[4 * 4096]);  // the file's first row is the buffer's last
    EXPECT_EQ(0x10, l.pixels[4 * 4095]);
    EXPECT_EQ(1u, messages.Count());

    // The greatest height with hardly any data is refused before its memory is taken.
    TgaSpec high;
    high.width = 2048;
    high.height = 65535;
    high.bpp = 32;
    ExpectRefused(LoadFile("high", Header(high) + std::string(64, '\x01')), TGA_BAD_DATA);
    ASSERT_EQ(2u, messages.Count());
    EXPECT_NE(std::string::npos, messages.Texts()[1].find("cut short")) << messages.Joined();
}

// The one message says what is wrong with the file.
TEST(Tga, UnsupportedKindsAreRefusedWithOneMessageSayingWhy)
{
    TgaSpec rle, grey, bpp16, noWidth, noHeight;
    rle.type = 10;
    grey.type = 3;
    grey.bpp = 8;
    bpp16.bpp = 16;
    noWidth.width = 0;
    noHeight.height = 0;
    const std::pair<TgaSpec, const char*> cases[] = {
        {rle, "image type 10"},         {grey, "image type 3"}, {bpp16, "16 bits per pixel"},
        {noWidth, "0 x 2 pixels"}, {noHeight, "2 x 0 pixels"},
    };
    for (const auto& [spec, why] : cases) {
        test::MessageRecorder messages;
        ExpectRefused(LoadFile("kind", Header(spec) + std::string(64, '\x55')), TGA_BAD_DATA);
        ASSERT_EQ(1u, messages.Count());
        EXPECT_NE(std::string::npos, messages.Texts()[0].find(why)) << messages.Joined();
        EXPECT_NE(std::string::npos, messages.Texts()[0].find("image.tga")) << messages.Joined();
    }
}

TEST(Tga, CutShortFilesAreRefusedWithOneMessage)
{
    TgaSpec s;
    s.width = s.height = 4;
    TgaSpec huge;
    huge.width = huge.height = 2048;
    huge.bpp = 32;
    TgaSpec idPastEnd;
    idPastEnd.id = std::string(200, 'i');
    const std::string cases[] = {
        Header(s).substr(0, 10),                  // not even a header
        Header(s) + Pixels(s).substr(0, 47),      // one byte short
        Header(huge) + std::string(100, '\x01'),  // claims 16 MB, holds 100 bytes
        Header(idPastEnd).substr(0, 60),          // the id field runs off the end
    };
    for (const std::string& content : cases) {
        test::MessageRecorder messages;
        ExpectRefused(LoadFile("short", content), TGA_BAD_DATA);
        EXPECT_EQ(1u, messages.Count()) << messages.Joined();
    }
}

} // namespace
