#pragma once
// Image files tests write themselves: BMP, TGA, DDS and scrambled "TEX " files, built in
// memory from A8R8G8B8 words.

#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

namespace textest {

// Pixels are A8R8G8B8 words, top row first.
using Pixels = std::vector<uint32_t>;

// A gradient with a different colour in every texel.
Pixels Pattern(int width, int height);

std::string Bmp24(int width, int height, const Pixels& pixels);
std::string Tga32(int width, int height, const Pixels& pixels);
// 16-bit DDS (A1R5G5B5 or A4R4G4B4) from raw texel words.
std::string Dds16(int width, int height, D3DFORMAT format, const std::vector<uint16_t>& texels);
// A DXT1 DDS of solid colour.
std::string DdsDxt1(int width, int height);
// A cube DDS (A8R8G8B8) with one solid colour per face.
std::string CubeDds(int size, const uint32_t faceColors[6]);
// The image wrapped into a "TEX " file and scrambled.
std::string Garble(const std::string& image);

} // namespace textest
