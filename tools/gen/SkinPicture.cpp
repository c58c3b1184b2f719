#include "SkinPicture.h"

#include "Image.h"

namespace gen {

namespace {

constexpr uint32_t kBody = 0xE0282C32, kEdge = 0xFFA0A4AA, kButton = 0xFF5A6068,
                   kMark = 0xFFFFFFFF;

// Bands of the list dialog frame (rows) and its columns: left, middle, right, scroll bar.
const Rect kBandRows[] = {{0, 0, 0, 36}, {0, 37, 0, 93}, {0, 94, 0, 116}, {0, 117, 0, 144},
                          {0, 145, 0, 157}};
const Rect kBandColumns[] = {{0, 0, 15, 0}, {16, 0, 56, 0}, {57, 0, 72, 0}, {73, 0, 98, 0}};

void Piece(Image& img, const Rect& r)
{
    img.Fill(r, kBody);
    img.Frame(r, kEdge);
}

void Arrow(Image& img, const Rect& r, bool up)
{
    Piece(img, r);
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    for (int i = 0; i < 4; ++i) {
        const int y = up ? cy - 2 + i : cy + 2 - i;
        img.Fill({cx - i, y, cx + i, y}, kMark);
    }
}

} // namespace

void WriteSkinPicture()
{
    Image img(256, 256, 0);
    for (const Rect& row : kBandRows)
        for (const Rect& column : kBandColumns)
            Piece(img, {column.left, row.top, column.right, row.bottom});
    Arrow(img, {116, 0, 135, 12}, true);
    Arrow(img, {136, 0, 155, 12}, false);
    img.Fill({156, 0, 175, 9}, kButton);
    Piece(img, {176, 0, 189, 13});
    for (int i = 3; i <= 10; ++i) {
        img.Set(176 + i, i, kMark);
        img.Set(189 - i, i, kMark);
    }
    // Check marks: toggled (191, 1)-(199, 9) with a tick, untoggled (200, 1)-(208, 9) empty.
    img.Fill({191, 1, 199, 9}, kButton);
    img.Frame({191, 1, 199, 9}, kEdge);
    for (int i = 0; i < 3; ++i)
        img.Fill({193 + i, 4 + i, 193 + i, 5 + i}, kMark);
    for (int i = 0; i < 3; ++i)
        img.Fill({196 + i, 6 - 2 * i, 196 + i, 7 - 2 * i}, kMark);
    img.Fill({200, 1, 208, 9}, kButton);
    img.Frame({200, 1, 208, 9}, kEdge);
    img.WriteTga("System\\WinElems.tga", 32);
}

void WriteHintPicture()
{
    Image(256, 128, 0xFFEEEEAA).WriteBmp("System\\HintTexture.bmp");
}

} // namespace gen
