#pragma once
// The TGA reader: uncompressed true-colour images (24 or 32 bits per pixel) into a
// top-down buffer of four bytes per pixel (blue, green, red, alpha; alpha 0xFF for 24-bit
// files). Bad files are refused with one message and leave the out-parameters unwritten;
// a file that cannot be opened is left to the caller to report.

#include <cstdint>

// The widest image read; images may be of any height.
constexpr int TGA_MAX_SIZE = 2048;

enum {
    TGA_OK = 0,
    TGA_CANT_OPEN = -1,
    TGA_TOO_LARGE = -2,  // wider than TGA_MAX_SIZE
    TGA_BAD_DATA = -3,   // not uncompressed 24/32-bit, cut short, or no memory for it
};

// Each out-parameter may be null. The pixels are allocated with new[]; the caller owns
// them and frees them with delete[].
int LoadTGA(const char* path, int* width, int* height, uint8_t** pixels);
