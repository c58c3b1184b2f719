#include "Image.h"

#include "Output.h"

#include <algorithm>

namespace gen {

namespace {
int Channel(uint32_t c, int shift) { return int((c >> shift) & 0xFF); }
int Clamp(int v) { return std::min(255, std::max(0, v)); }
}

uint32_t Argb(int a, int r, int g, int b)
{
    return uint32_t(Clamp(a)) << 24 | uint32_t(Clamp(r)) << 16 | uint32_t(Clamp(g)) << 8 |
           uint32_t(Clamp(b));
}

uint32_t WithAlpha(uint32_t argb, int alpha) { return (argb & 0xFFFFFF) | uint32_t(Clamp(alpha)) << 24; }

uint32_t Mix(uint32_t a, uint32_t b, float t)
{
    auto m = [&](int shift) {
        return int(Channel(a, shift) + (Channel(b, shift) - Channel(a, shift)) * t + 0.5f);
    };
    return Argb(m(24), m(16), m(8), m(0));
}

Image::Image(int width, int height, uint32_t fill)
    : width_(width), height_(height), pixels_(size_t(width) * height, fill)
{
}

void Image::Set(int x, int y, uint32_t argb)
{
    if (x >= 0 && y >= 0 && x < width_ && y < height_)
        pixels_[size_t(y) * width_ + x] = argb;
}

void Image::Blend(int x, int y, uint32_t argb, float cover)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    uint32_t& dst = pixels_[size_t(y) * width_ + x];
    const float t = cover * Channel(argb, 24) / 255.0f;
    const uint32_t mixed = Mix(dst, argb, t);
    dst = (mixed & 0xFFFFFF) | (dst & 0xFF000000);
}

void Image::Fill(const Rect& r, uint32_t argb)
{
    for (int y = r.top; y <= r.bottom; ++y)
        for (int x = r.left; x <= r.right; ++x)
            Set(x, y, argb);
}

void Image::Frame(const Rect& r, uint32_t argb, int thickness)
{
    for (int i = 0; i < thickness; ++i) {
        Fill({r.left + i, r.top + i, r.right - i, r.top + i}, argb);
        Fill({r.left + i, r.bottom - i, r.right - i, r.bottom - i}, argb);
        Fill({r.left + i, r.top + i, r.left + i, r.bottom - i}, argb);
        Fill({r.right - i, r.top + i, r.right - i, r.bottom - i}, argb);
    }
}

void Image::SetAlpha(const Rect& r, int alpha)
{
    for (int y = std::max(0, r.top); y <= std::min(height_ - 1, r.bottom); ++y)
        for (int x = std::max(0, r.left); x <= std::min(width_ - 1, r.right); ++x)
            pixels_[size_t(y) * width_ + x] = WithAlpha(At(x, y), alpha);
}

void Image::Paste(const Image& from, int x, int y)
{
    for (int j = 0; j < from.Height(); ++j)
        for (int i = 0; i < from.Width(); ++i)
            Set(x + i, y + j, from.At(i, j));
}

void Image::Speckle(const Rect& r, int amount, uint32_t seed)
{
    uint32_t state = seed * 2654435761u + 1;
    for (int y = r.top; y <= r.bottom; ++y)
        for (int x = r.left; x <= r.right; ++x) {
            if (x < 0 || y < 0 || x >= width_ || y >= height_)
                continue;
            state = state * 1664525u + 1013904223u;
            const int d = int((state >> 24) % uint32_t(2 * amount + 1)) - amount;
            const uint32_t c = At(x, y);
            pixels_[size_t(y) * width_ + x] = Argb(Channel(c, 24), Channel(c, 16) + d,
                                                   Channel(c, 8) + d, Channel(c, 0) + d);
        }
}

Image Image::Reduced(int factor) const
{
    Image out(width_ / factor, height_ / factor);
    for (int y = 0; y < out.height_; ++y)
        for (int x = 0; x < out.width_; ++x) {
            int sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i)
                    for (int c = 0; c < 4; ++c)
                        sum[c] += Channel(At(x * factor + i, y * factor + j), 24 - 8 * c);
            const int n = factor * factor;
            out.Set(x, y, Argb(sum[0] / n, sum[1] / n, sum[2] / n, sum[3] / n));
        }
    return out;
}

void Image::WriteTga(const std::string& path, int bitsPerPixel) const
{
    const int bytes = bitsPerPixel / 8;
    std::string data(18, '\0');
    data[2] = 2;  // uncompressed true colour
    data[12] = char(width_ & 0xFF);
    data[13] = char(width_ >> 8);
    data[14] = char(height_ & 0xFF);
    data[15] = char(height_ >> 8);
    data[16] = char(bitsPerPixel);
    data[17] = char(bytes == 4 ? 8 : 0);  // alpha bits; origin bottom-left
    data.reserve(data.size() + size_t(width_) * height_ * bytes);
    for (int y = height_ - 1; y >= 0; --y)
        for (int x = 0; x < width_; ++x) {
            const uint32_t c = At(x, y);
            data += char(Channel(c, 0));
            data += char(Channel(c, 8));
            data += char(Channel(c, 16));
            if (bytes == 4)
                data += char(Channel(c, 24));
        }
    WriteOutput(path, data);
}

namespace {

void PutLittle(std::string& data, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        data[at + size_t(i)] = char((value >> (8 * i)) & 0xFF);
}

} // namespace

void Image::WriteBmp(const std::string& path) const
{
    constexpr size_t headerSize = 54;
    const size_t rowSize = (size_t(width_) * 3 + 3) & ~size_t(3);
    const size_t pixelBytes = rowSize * size_t(height_);
    std::string data(headerSize, '\0');
    data[0] = 'B';
    data[1] = 'M';
    PutLittle(data, 2, uint32_t(headerSize + pixelBytes), 4);
    PutLittle(data, 10, uint32_t(headerSize), 4);
    PutLittle(data, 14, 40, 4);  // info header size
    PutLittle(data, 18, uint32_t(width_), 4);
    PutLittle(data, 22, uint32_t(height_), 4);
    PutLittle(data, 26, 1, 2);   // planes
    PutLittle(data, 28, 24, 2);  // bits per pixel
    PutLittle(data, 34, uint32_t(pixelBytes), 4);
    data.reserve(headerSize + pixelBytes);
    for (int y = height_ - 1; y >= 0; --y) {
        const size_t rowStart = data.size();
        for (int x = 0; x < width_; ++x) {
            const uint32_t c = At(x, y);
            data += char(Channel(c, 0));
            data += char(Channel(c, 8));
            data += char(Channel(c, 16));
        }
        data.append(rowSize - (data.size() - rowStart), '\0');
    }
    WriteOutput(path, data);
}

} // namespace gen
