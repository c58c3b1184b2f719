#pragma once
// A plain ARGB picture drawn by the generator and written as an uncompressed true-colour TGA.

#include <cstdint>
#include <string>
#include <vector>

namespace gen {

struct Rect {
    int left, top, right, bottom;  // inclusive, as the program's rectangles are
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

uint32_t Argb(int a, int r, int g, int b);
uint32_t WithAlpha(uint32_t argb, int alpha);
uint32_t Mix(uint32_t a, uint32_t b, float t);  // t = 0 gives a, 1 gives b (all four channels)

class Image {
public:
    Image(int width, int height, uint32_t fill = 0);

    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t At(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
    void Set(int x, int y, uint32_t argb);                // clipped
    void Blend(int x, int y, uint32_t argb, float cover);  // source-over, keeps the alpha written
    void Fill(const Rect& r, uint32_t argb);
    void Frame(const Rect& r, uint32_t argb, int thickness = 1);
    void SetAlpha(const Rect& r, int alpha);
    // Copies another picture with its alpha (no blending), at (x, y).
    void Paste(const Image& from, int x, int y);
    // Deterministic speckle: varies the colour of every pixel of r by up to +-amount.
    void Speckle(const Rect& r, int amount, uint32_t seed);
    // Image scaled down by an integer factor (box filter).
    Image Reduced(int factor) const;

    // 32 bits keep the alpha channel; 24 bits drop it. Rows are written bottom-up.
    void WriteTga(const std::string& path, int bitsPerPixel) const;
    // 24-bit BMP without alpha, rows bottom-up.
    void WriteBmp(const std::string& path) const;

private:
    int width_, height_;
    std::vector<uint32_t> pixels_;  // top row first
};

} // namespace gen
