#pragma once
// Captions drawn into pictures with FreeType (Cyrillic included), and the conversion of the
// generator's UTF-8 texts into code page 1251 for the files the program reads.

#include "Image.h"

#include <string>

namespace gen {

// Converts UTF-8 text (ASCII and Russian letters, a few signs) to code page 1251; any other
// character stops the generator, so no stray UTF-8 reaches a data file.
std::string ToCp1251(const std::string& utf8);

class TextPainter {
public:
    // Opens the sans and bold faces of the installed DejaVu family; exits when they are missing.
    TextPainter();
    ~TextPainter();
    TextPainter(const TextPainter&) = delete;
    TextPainter& operator=(const TextPainter&) = delete;

    // Draws text with its baseline-top box starting at (x, y): y is the top of the line.
    void Draw(Image& image, int x, int y, const std::string& utf8, int pixelSize, uint32_t argb,
              bool bold = false);
    int Measure(const std::string& utf8, int pixelSize, bool bold = false);

private:
    int Run(Image* image, int x, int y, const std::string& utf8, int pixelSize, uint32_t argb,
            bool bold);
    struct Faces;
    Faces* faces_;
};

} // namespace gen
