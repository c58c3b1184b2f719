#include "ColumnPictures.h"

#include <algorithm>

namespace gen {

namespace {

constexpr uint32_t kPanel = 0xFF3C3F44, kEdge = 0xFFB0B0B0, kButton = 0xFF5A6068;

Rect Frame(const Rect& r, int n) { return {r.left + n * r.Width(), r.top, r.right + n * r.Width(), r.bottom}; }

void Button(Image& img, const Rect& r)
{
    img.Fill(r, kButton);
    img.Frame(r, kEdge);
}

void WriteWindows(TextPainter& text)
{
    Image img(256, 256, 0);
    // Presentation selector: drop-down button and bar.
    Button(img, kSelectorButton);
    for (int i = 0; i < 4; ++i)
        img.Fill({5 + i, 7 + i, 11 - i, 7 + i}, 0xFFFFFFFF);
    img.Fill(kSelectorBar, 0xFFD8D8D8);
    img.Frame(kSelectorBar, 0xFF808080);
    // Control panel with the captions of its two buttons.
    img.Fill(kControlPanel, kPanel);
    img.Frame(kControlPanel, kEdge);
    const int px = kControlPanel.left, py = kControlPanel.top;
    text.Draw(img, px + 8, py + 34, "Показ", 10, 0xFFE0E0E0);
    text.Draw(img, px + 50, py + 34, "День/ночь", 10, 0xFFE0E0E0);
    text.Draw(img, px + 10, py + 62, "ЖК «Кестрел Вейл»", 14, 0xFFFFFFFF, true);
    text.Draw(img, px + 10, py + 84, "Отдел продаж: ежедневно 9–21", 10, 0xFFC8C8C8);
    text.Draw(img, px + 10, py + 100, "ул. Соколиная, 12", 10, 0xFFC8C8C8);
    // Flat popup: captions on the left, the program writes the figures from x = 113.
    img.Fill(kFlatPopup, 0xE0202428);
    img.Frame(kFlatPopup, kEdge);
    const int fx = kFlatPopup.left + 10, fy = kFlatPopup.top;
    text.Draw(img, fx, fy + 14, "Площадь, м²:", 12, 0xFFD0D0D0);
    text.Draw(img, fx, fy + 33, "Цена за м²:", 12, 0xFFD0D0D0);
    text.Draw(img, fx, fy + 51, "Стоимость:", 12, 0xFFD0D0D0);
    // Show-flat button: frame 0 an eye (show), frame 1 a cross (close).
    for (int n = 0; n < 2; ++n) {
        const Rect r = Frame(kShowFlatButton, n);
        Button(img, r);
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        if (n == 0) {
            img.Fill({cx - 9, cy - 2, cx + 9, cy + 2}, 0xFFFFFFFF);
            img.Fill({cx - 5, cy - 4, cx + 5, cy + 4}, 0xFFFFFFFF);
            img.Fill({cx - 2, cy - 2, cx + 2, cy + 2}, 0xFF203040);
        } else {
            for (int i = -5; i <= 5; ++i) {
                img.Fill({cx + i - 1, cy + i, cx + i + 1, cy + i}, 0xFFFF6050);
                img.Fill({cx - i - 1, cy + i, cx - i + 1, cy + i}, 0xFFFF6050);
            }
        }
    }
    // Day/night button: frame 0 the sun (day), frame 1 the moon (night).
    for (int n = 0; n < 2; ++n) {
        const Rect r = Frame(kDayNightButton, n);
        Button(img, r);
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        img.Fill({cx - 4, cy - 4, cx + 4, cy + 4}, n == 0 ? 0xFFFFD040 : 0xFFE8E8F8);
        if (n == 1)
            img.Fill({cx - 1, cy - 5, cx + 5, cy + 2}, kButton);
    }
    img.WriteTga("Textures\\Windows.tga", 32);
}

// A hint box; the captions shrink until they fit its width.
void Hint(Image& img, TextPainter& text, const Rect& r, const char* line1, const char* line2)
{
    img.Fill(r, 0xE8FFF6D5);
    img.Frame(r, 0xFF8A6D2B);
    int size = 11;
    while (size > 7 && std::max(text.Measure(line1, size), line2 ? text.Measure(line2, size) : 0) >
                           r.Width() - 10)
        --size;
    text.Draw(img, r.left + 6, r.top + 2, line1, size, 0xFF2A2010);
    if (line2)
        text.Draw(img, r.left + 6, r.top + 16, line2, size, 0xFF2A2010);
}

void WriteHints(TextPainter& text)
{
    Image img(512, 128, 0);
    Hint(img, text, kHint1, "Выберите этаж на фасаде", nullptr);
    Hint(img, text, kHint2, "Выберите квартиру на плане этажа", "или нажмите «Показать квартиру»");
    Hint(img, text, kHint4, "Камера облетает квартиру.",
         "Нажмите кнопку ещё раз, чтобы закрыть показ.");
    img.WriteTga("Textures\\Hints.tga", 32);
}

} // namespace

void WriteColumnPictures(TextPainter& text)
{
    WriteWindows(text);
    WriteHints(text);
}

} // namespace gen
