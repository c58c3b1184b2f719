#include "tests/support/ImageFiles.h"

#include "core/Textures.h"

#include <cstring>

namespace textest {

namespace {

void Put16(std::string& s, uint32_t v)
{
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}

void Put32(std::string& s, uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

enum : uint32_t {
    DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4, DDSD_PIXELFORMAT = 0x1000,
    DDPF_ALPHAPIXELS = 0x1, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40,
    DDSCAPS_COMPLEX = 0x8, DDSCAPS_TEXTURE = 0x1000,
    DDSCAPS2_CUBEMAP_ALL = 0x200 | 0xFC00,
};

struct SDdsFormat {
    uint32_t flags, fourCC, bits, r, g, b, a;
};

std::string DdsHeader(int width, int height, const SDdsFormat& f, uint32_t caps, uint32_t caps2)
{
    std::string s = "DDS ";
    Put32(s, 124);
    Put32(s, DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT);
    Put32(s, uint32_t(height));
    Put32(s, uint32_t(width));
    Put32(s, 0);  // pitch
    Put32(s, 0);  // depth
    Put32(s, 0);  // mip levels
    for (int i = 0; i < 11; ++i)
        Put32(s, 0);
    for (uint32_t v : {32u, f.flags, f.fourCC, f.bits, f.r, f.g, f.b, f.a})
        Put32(s, v);
    for (uint32_t v : {caps, caps2, 0u, 0u, 0u})
        Put32(s, v);
    return s;
}

} // namespace

Pixels Pattern(int width, int height)
{
    Pixels p(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p[size_t(y) * width + x] = 0xFF000000u | uint32_t(x * 255 / width) << 16 |
                                       uint32_t(y * 255 / height) << 8 | uint32_t((x + y) & 0xFF);
    return p;
}

std::string Bmp24(int width, int height, const Pixels& pixels)
{
    const int rowBytes = (width * 3 + 3) & ~3;
    std::string s = "BM";
    Put32(s, uint32_t(54 + rowBytes * height));
    Put32(s, 0);
    Put32(s, 54);
    Put32(s, 40);
    Put32(s, uint32_t(width));
    Put32(s, uint32_t(height));
    Put16(s, 1);
    Put16(s, 24);
    for (int i = 0; i < 6; ++i)
        Put32(s, 0);
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            uint32_t c = pixels[size_t(y) * width + x];
            row += char(c & 0xFF);
            row += char((c >> 8) & 0xFF);
            row += char((c >> 16) & 0xFF);
        }
        row.resize(size_t(rowBytes), 0);
        s += row;
    }
    return s;
}

std::string Tga32(int width, int height, const Pixels& pixels)
{
    std::string s(12, 0);
    s[2] = 2;  // uncompressed true colour
    Put16(s, uint32_t(width));
    Put16(s, uint32_t(height));
    s += char(32);
    s += char(0x28);  // top row first, 8 alpha bits
    for (uint32_t c : pixels)
        Put32(s, c);
    return s;
}

std::string Dds16(int width, int height, D3DFORMAT format, const std::vector<uint16_t>& texels)
{
    const SDdsFormat a1r5g5b5 = {DDPF_RGB | DDPF_ALPHAPIXELS, 0, 16, 0x7C00, 0x03E0, 0x001F,
                                 0x8000};
    const SDdsFormat a4r4g4b4 = {DDPF_RGB | DDPF_ALPHAPIXELS, 0, 16, 0x0F00, 0x00F0, 0x000F,
                                 0xF000};
    std::string s = DdsHeader(width, height, format == D3DFMT_A1R5G5B5 ? a1r5g5b5 : a4r4g4b4,
                              DDSCAPS_TEXTURE, 0);
    for (uint16_t t : texels)
        Put16(s, t);
    return s;
}

std::string DdsDxt1(int width, int height)
{
    const SDdsFormat dxt1 = {DDPF_FOURCC, MAKEFOURCC('D', 'X', 'T', '1'), 0, 0, 0, 0, 0};
    std::string s = DdsHeader(width, height, dxt1, DDSCAPS_TEXTURE, 0);
    for (int block = 0; block < (width / 4) * (height / 4); ++block) {
        Put16(s, 0xF800);  // both end colours red, every index 0
        Put16(s, 0xF800);
        Put32(s, 0);
    }
    return s;
}

std::string CubeDds(int size, const uint32_t faceColors[6])
{
    const SDdsFormat argb = {DDPF_RGB | DDPF_ALPHAPIXELS, 0, 32, 0x00FF0000, 0x0000FF00,
                             0x000000FF, 0xFF000000};
    std::string s = DdsHeader(size, size, argb, DDSCAPS_TEXTURE | DDSCAPS_COMPLEX,
                              DDSCAPS2_CUBEMAP_ALL);
    for (int face = 0; face < 6; ++face)
        for (int i = 0; i < size * size; ++i)
            Put32(s, faceColors[face]);
    return s;
}

std::string Garble(const std::string& image)
{
    std::string file = "TEX ";
    file += std::string(8, '\x5A');
    file += image;
    // Whole words: the scrambling carries from byte to byte within a word.
    std::string padded = file + std::string((4 - file.size() % 4) % 4, 0);
    uint32_t add = GARBLE_START;
    for (size_t i = 0; i < size_t(GARBLE_WORDS) && i * 4 < padded.size(); ++i) {
        uint32_t w;
        memcpy(&w, &padded[i * 4], 4);
        if (i > 0)
            w += add;
        memcpy(&padded[i * 4], &w, 4);
        add += GARBLE_STEP;
    }
    return padded.substr(0, file.size());
}

} // namespace textest
