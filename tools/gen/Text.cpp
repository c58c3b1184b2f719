#include "Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace gen {

namespace {

const char* const kFontDir = "/usr/share/fonts/truetype/dejavu/";

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "housing_gen: %s\n", what.c_str());
    std::exit(1);
}

std::vector<uint32_t> DecodeUtf8(const std::string& s)
{
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : -1;
        if (extra < 0 || (extra > 0 && i + size_t(extra) >= s.size()))
            Fail("bad UTF-8 in text '" + s + "'");
        uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : (c & 0x0F);
        for (int k = 1; k <= extra; ++k)
            cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += size_t(extra) + 1;
    }
    return out;
}

} // namespace

std::string ToCp1251(const std::string& utf8)
{
    std::string out;
    for (uint32_t cp : DecodeUtf8(utf8)) {
        if (cp < 0x80)
            out += char(cp);
        else if (cp >= 0x410 && cp <= 0x44F)
            out += char(0xC0 + (cp - 0x410));
        else if (cp == 0x401)
            out += char(0xA8);
        else if (cp == 0x451)
            out += char(0xB8);
        else if (cp == 0x2116)
            out += char(0xB9);  // numero sign
        else if (cp == 0xAB || cp == 0xBB)
            out += char(cp);    // guillemets keep their codes
        else if (cp == 0x2014)
            out += char(0x97);
        else
            Fail("no code page 1251 letter for U+" + std::to_string(cp));
    }
    return out;
}

struct TextPainter::Faces {
    FT_Library library = nullptr;
    FT_Face regular = nullptr;
    FT_Face bold = nullptr;
};

TextPainter::TextPainter() : faces_(new Faces)
{
    if (FT_Init_FreeType(&faces_->library))
        Fail("FreeType does not start");
    const std::string dir = kFontDir;
    if (FT_New_Face(faces_->library, (dir + "DejaVuSans.ttf").c_str(), 0, &faces_->regular) ||
        FT_New_Face(faces_->library, (dir + "DejaVuSans-Bold.ttf").c_str(), 0, &faces_->bold))
        Fail("DejaVu fonts missing under " + dir + " (package fonts-dejavu-core)");
}

TextPainter::~TextPainter()
{
    FT_Done_Face(faces_->regular);
    FT_Done_Face(faces_->bold);
    FT_Done_FreeType(faces_->library);
    delete faces_;
}

int TextPainter::Run(Image* image, int x, int y, const std::string& utf8, int pixelSize,
                     uint32_t argb, bool bold)
{
    FT_Face face = bold ? faces_->bold : faces_->regular;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
    const int ascender = int(face->size->metrics.ascender >> 6);
    int penX = x;
    for (uint32_t cp : DecodeUtf8(utf8)) {
        if (FT_Load_Char(face, cp, FT_LOAD_RENDER))
            Fail("glyph missing for U+" + std::to_string(cp));
        const FT_GlyphSlot g = face->glyph;
        if (image)
            for (unsigned row = 0; row < g->bitmap.rows; ++row)
                for (unsigned col = 0; col < g->bitmap.width; ++col) {
                    const unsigned char cover = g->bitmap.buffer[row * g->bitmap.pitch + col];
                    if (cover)
                        image->Blend(penX + g->bitmap_left + int(col),
                                     y + ascender - g->bitmap_top + int(row), argb, cover / 255.0f);
                }
        penX += int(g->advance.x >> 6);
    }
    return penX - x;
}

void TextPainter::Draw(Image& image, int x, int y, const std::string& utf8, int pixelSize,
                       uint32_t argb, bool bold)
{
    Run(&image, x, y, utf8, pixelSize, argb, bold);
}

int TextPainter::Measure(const std::string& utf8, int pixelSize, bool bold)
{
    return Run(nullptr, 0, 0, utf8, pixelSize, 0, bold);
}

} // namespace gen
