#include "core/Tga.h"

#include "core/Messages.h"
#include "core/Paths.h"

#include <cstdio>
#include <memory>
#include <new>

namespace {

constexpr size_t HEADER_SIZE = 18;
constexpr uint8_t TYPE_TRUE_COLOUR = 2;
constexpr uint8_t ORIGIN_TOP = 0x20;

struct TgaHeader {
    uint8_t idLength;
    uint8_t colourMapType;
    uint8_t imageType;
    uint16_t colourMapLength;
    uint8_t colourMapEntryBits;
    int width;
    int height;
    int bitsPerPixel;
    uint8_t descriptor;
};

uint16_t ReadU16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

TgaHeader ParseHeader(const uint8_t* h)
{
    TgaHeader t;
    t.idLength = h[0];
    t.colourMapType = h[1];
    t.imageType = h[2];
    t.colourMapLength = ReadU16(h + 5);
    t.colourMapEntryBits = h[7];
    t.width = ReadU16(h + 12);
    t.height = ReadU16(h + 14);
    t.bitsPerPixel = h[16];
    t.descriptor = h[17];
    return t;
}

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

int Refuse(const char* what, const char* path)
{
    MsgBox5("TGA file: ", what, " '", path, "'.");
    return TGA_BAD_DATA;
}

// Says what keeps the reader from taking the image; false when nothing does.
bool HeaderFault(const TgaHeader& t, char* text, size_t size)
{
    if (t.width == 0 || t.height == 0)
        snprintf(text, size, "the image is %d x %d pixels, it has no pixels in", t.width, t.height);
    else if (t.imageType != TYPE_TRUE_COLOUR)
        snprintf(text, size, "image type %d is not read (only uncompressed true colour, type 2) in",
                 t.imageType);
    else if (t.bitsPerPixel != 24 && t.bitsPerPixel != 32)
        snprintf(text, size, "%d bits per pixel are not read (only 24 and 32) in", t.bitsPerPixel);
    else
        return false;
    return true;
}

// Skips the image id and any colour map so the file stands at the first pixel.
bool SkipToPixels(FILE* f, const TgaHeader& t)
{
    long skip = t.idLength;
    if (t.colourMapType != 0)
        skip += long(t.colourMapLength) * ((t.colourMapEntryBits + 7) / 8);
    return fseek(f, skip, SEEK_CUR) == 0;
}

// The bytes from the file position to its end cover every row.
bool HoldsPixels(FILE* f, const TgaHeader& t)
{
    const long at = ftell(f);
    if (at < 0 || fseek(f, 0, SEEK_END) != 0)
        return false;
    const long end = ftell(f);
    if (end < at || fseek(f, at, SEEK_SET) != 0)
        return false;
    const uint64_t needed = uint64_t(t.width) * uint64_t(t.height) * uint64_t(t.bitsPerPixel / 8);
    return uint64_t(end - at) >= needed;
}

// Reads the rows into the top-down buffer: bottom-up files fill it from its last row.
bool ReadRows(FILE* f, const TgaHeader& t, uint8_t* pixels)
{
    const size_t fileBytes = size_t(t.bitsPerPixel / 8);
    const size_t rowBytes = size_t(t.width) * fileBytes;
    uint8_t row[TGA_MAX_SIZE * 4];  // the caller has checked the width
    const bool topDown = (t.descriptor & ORIGIN_TOP) != 0;
    for (int y = 0; y < t.height; ++y) {
        if (fread(row, 1, rowBytes, f) != rowBytes)
            return false;
        uint8_t* dst = pixels + size_t(topDown ? y : t.height - 1 - y) * t.width * 4;
        for (int x = 0; x < t.width; ++x) {
            const uint8_t* src = row + size_t(x) * fileBytes;
            dst[4 * x + 0] = src[0];
            dst[4 * x + 1] = src[1];
            dst[4 * x + 2] = src[2];
            dst[4 * x + 3] = fileBytes == 4 ? src[3] : 0xFF;
        }
    }
    return true;
}

} // namespace

int LoadTGA(const char* path, int* width, int* height, uint8_t** pixels)
{
    File f(OpenDataFile(path, "rb"));
    if (!f)
        return TGA_CANT_OPEN;
    uint8_t raw[HEADER_SIZE];
    if (fread(raw, 1, HEADER_SIZE, f.get()) != HEADER_SIZE)
        return Refuse("header is cut short in", path);
    const TgaHeader t = ParseHeader(raw);
    if (t.width > TGA_MAX_SIZE) {
        MsgBox("TGA file: width too large.");
        return TGA_TOO_LARGE;
    }
    char fault[96];
    if (HeaderFault(t, fault, sizeof fault))
        return Refuse(fault, path);
    // Any height is taken; the file must hold all its rows before memory is taken for them.
    if (!SkipToPixels(f.get(), t) || !HoldsPixels(f.get(), t))
        return Refuse("image data is cut short in", path);
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size_t(t.width) * t.height * 4]);
    if (!buffer)
        return Refuse("not enough memory for", path);
    if (!ReadRows(f.get(), t, buffer.get()))
        return Refuse("image data is cut short in", path);
    if (width)
        *width = t.width;
    if (height)
        *height = t.height;
    if (pixels)
        *pixels = buffer.release();
    return TGA_OK;
}
