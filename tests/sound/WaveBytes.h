#pragma once
// Builds the bytes of RIFF files for the sound tests.

#include <cstdint>
#include <string>

namespace wavebytes {

inline std::string U32(uint32_t v)
{
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}
inline std::string U16(uint16_t v) { return std::string{char(v), char(v >> 8)}; }
inline void PutU32(std::string& bytes, size_t at, uint32_t v) { bytes.replace(at, 4, U32(v)); }

// A chunk with its header; odd sizes get their pad byte.
inline std::string Chunk(const char* id, const std::string& body)
{
    std::string chunk = std::string(id, 4) + U32(uint32_t(body.size())) + body;
    if (body.size() % 2) chunk += '\0';
    return chunk;
}
inline std::string Riff(const char* form, const std::string& chunks)
{
    return "RIFF" + U32(uint32_t(4 + chunks.size())) + std::string(form, 4) + chunks;
}
// The 16 fixed bytes of a format chunk.
inline std::string Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    const uint16_t block = uint16_t(channels * bits / 8);
    return U16(tag) + U16(channels) + U32(rate) + U32(rate * block) + U16(block) + U16(bits);
}
inline std::string Pcm(uint16_t channels, uint32_t rate, uint16_t bits, const std::string& samples)
{
    return Riff("WAVE", Chunk("fmt ", Format(1, channels, rate, bits)) + Chunk("data", samples));
}

} // namespace wavebytes
