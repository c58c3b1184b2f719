#include "tests/fuzz/Seeds.h"

#include "tests/sound/WaveBytes.h"
#include "tests/support/Harness.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/RealProgram.h"

#include <cstdint>
#include <cstring>

namespace fuzz {

namespace {

void AddFiles(std::vector<std::string>& out, const std::string& dir, const char* extension)
{
    const size_t length = strlen(extension);
    for (const auto& [name, content] : test::ReadTree(dir))
        if (name.size() >= length && name.compare(name.size() - length, length, extension) == 0)
            out.push_back(content);
}

// An 18-byte TGA header.
std::string TgaHeader(uint8_t idLength, uint8_t mapType, uint8_t type, uint16_t mapLength, uint8_t mapBits,
                      uint16_t width, uint16_t height, uint8_t bits, uint8_t descriptor)
{
    const uint8_t h[18] = {idLength, mapType, type, 0, 0, uint8_t(mapLength), uint8_t(mapLength >> 8), mapBits,
                           0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8),
                           bits, descriptor};
    return std::string(reinterpret_cast<const char*>(h), sizeof h);
}

using textest::Pattern;

// A BMP of the test pattern.
std::string Bmp24(int width, int height)
{
    return textest::Bmp24(width, height, Pattern(width, height));
}

} // namespace

void AddSampleFiles(std::vector<std::string>& out, const char* dir, const char* extension)
{
    AddFiles(out, test::RunDir() + "\\" + dir, extension);
}

void AddHandMadeFiles(std::vector<std::string>& out, const char* folder)
{
    AddFiles(out, std::string(HOUSING_SOURCE_DIR) + "\\tests\\fuzz\\seeds\\" + folder, "");
}

void AddTgaSeeds(std::vector<std::string>& out)
{
    out.push_back(test::Tga32(4, 3, Pattern(4, 3)));
    std::string top = test::Tga32(2, 2, Pattern(2, 2));
    top[17] = 0x28;  // top row first, 8 alpha bits
    out.push_back(top);
    std::string rgb = TgaHeader(0, 0, 2, 0, 0, 3, 2, 24, 0);
    for (int i = 0; i < 3 * 2 * 3; ++i) rgb += char(i * 13);
    out.push_back(rgb);
    // An image id and a colour map before the pixels.
    out.push_back(TgaHeader(5, 1, 2, 2, 24, 1, 1, 32, 8) + "ident" + std::string(6, '\x7F') + "\x01\x02\x03\x04");
    // Run-length and colour-mapped images, which the reader refuses.
    out.push_back(TgaHeader(0, 0, 10, 0, 0, 2, 2, 32, 8) + "\x83" + std::string(4, '\x40'));
    out.push_back(TgaHeader(0, 1, 1, 2, 24, 2, 1, 8, 0) + std::string(6, '\x20') + "\x00\x01");
}

void AddBmpSeeds(std::vector<std::string>& out)
{
    out.push_back(Bmp24(4, 4));
    out.push_back(Bmp24(3, 5));
}

void AddWaveSeeds(std::vector<std::string>& out)
{
    using namespace wavebytes;
    out.push_back(Pcm(1, 8000, 8, std::string(64, '\x80')));
    out.push_back(Pcm(2, 44100, 16, std::string(61, '\x10')));  // odd size: a pad byte
    // WAVE_FORMAT_EXTENSIBLE with its 22 extra bytes, a "fact" and a "LIST" chunk.
    const std::string extensible = Format(0xFFFE, 2, 22050, 16) + U16(22) + U16(16) + U32(3) + std::string(16, '\x01');
    out.push_back(Riff("WAVE", Chunk("fmt ", extensible) + Chunk("fact", U32(8)) + Chunk("LIST", "INFOISFT\4\0\0\0abc") +
                               Chunk("data", std::string(32, '\x05'))));
    // A compressed format with extra bytes and no "data" chunk.
    out.push_back(Riff("WAVE", Chunk("fmt ", Format(2, 1, 11025, 4) + U16(4) + U32(0x01F40100))));
}

void AddTexSeeds(std::vector<std::string>& out)
{
    out.push_back(textest::Garble(Bmp24(4, 4)));
    out.push_back(textest::Garble(test::Tga32(8, 4, Pattern(8, 4))));
    out.push_back(textest::Garble(Bmp24(32, 16)));  // longer than the scrambled words
    out.push_back(textest::Garble(""));
}

std::string FoundDir(const char* reader)
{
    return std::string(HOUSING_SOURCE_DIR) + "\\tests\\fuzz\\found\\" + reader;
}

} // namespace fuzz
