#include "PanelPicture.h"

#include "Image.h"

namespace gen {

namespace {

constexpr uint32_t kBody = 0xC0202830, kEdge = 0xFF8090A0, kCaption = 0xE0304860,
                   kBox = 0xFF101418, kText = 0xFFFFFFFF, kMark = 0xFF60FF60;

// The view-check list: 6 rows of 15 pixels from (256, 12) to (400, 97); a row's box is at its
// top-left corner, where the panel draws the mark.
constexpr int kListX = 256, kListY = 12, kListRight = 400, kListBottom = 97, kRowHeight = 15;
// Rows by their bit: 0x2, 0x8, 0x10 and 0x20 have a meaning, the others stay blank.
const char* const kRowTexts[6] = {nullptr, "Wireframe", nullptr, "Blank shadow maps",
                                  "Valid map", "Units in world..."};

void CaptionFrame(Image& img, int left, bool folded)
{
    const Rect r{left, 320, left + 255, 337};
    img.Fill(r, kCaption);
    img.Frame(r, kEdge);
    // A small triangle at the left shows whether the body is open.
    for (int i = 0; i < 5; ++i) {
        if (folded)
            img.Fill({left + 6 + i, 325 + i / 2, left + 6 + i, 333 - i / 2 - 1}, kText);
        else
            img.Fill({left + 5 + i / 2, 326 + i, left + 13 - i / 2 - 1, 326 + i}, kText);
    }
}

} // namespace

void WritePanelPicture(TextPainter& text)
{
    Image img(512, 512, 0);
    img.Fill({0, 0, 255, 150}, kBody);
    img.Frame({0, 0, 255, 150}, kEdge);
    img.Fill({0, 307, 255, 308}, kEdge);
    CaptionFrame(img, 0, false);
    CaptionFrame(img, 256, true);
    img.Fill({kListX, kListY, kListRight, kListBottom}, kBody);
    for (int row = 0; row < 6; ++row) {
        if (!kRowTexts[row])
            continue;
        const int top = kListY + row * kRowHeight;
        const Rect box{kListX, top, kListX + 8, top + 8};
        img.Fill(box, kBox);
        img.Frame(box, kEdge);
        text.Draw(img, kListX + 13, top - 1, kRowTexts[row], 10, kText);
    }
    // The check mark, drawn over a row's box.
    img.Fill({257, 2, 263, 8}, kMark);
    img.WriteTga("Developer\\MainPanel.tga", 32);
}

} // namespace gen
