#include "BuildingPictures.h"

#include "BuildingMeshes.h"
#include "Layout.h"

#include <cmath>

namespace gen {

namespace {

constexpr int kCellPixels = kWallAtlasSize / kWallAtlasColumns;

Rect CellRect(WallCell c)
{
    const int x = int(c) % kWallAtlasColumns * kCellPixels, y = int(c) / kWallAtlasColumns * kCellPixels;
    return {x, y, x + kCellPixels - 1, y + kCellPixels - 1};
}

Rect Inset(const Rect& r, int l, int t, int rr, int b) { return {r.left + l, r.top + t, r.right - rr, r.bottom - b}; }

// A window with frame, cross bar and sill, fitted into the fractions of a bay.
void PaintWindow(Image& img, const Rect& bay, uint32_t trim, float top, float bottom)
{
    const int w = bay.Width(), h = bay.Height();
    const Rect glass{bay.left + int(w * kWindowX0), bay.top + int(h * top),
                     bay.left + int(w * kWindowX1) - 1, bay.top + int(h * bottom) - 1};
    img.Fill(Inset(glass, -4, -4, -4, -4), trim);
    for (int y = glass.top; y <= glass.bottom; ++y) {
        const float t = float(y - glass.top) / float(glass.Height());
        img.Fill({glass.left, y, glass.right, y}, Mix(0xFF9CB8CC, 0xFF34485A, t));
    }
    img.Fill({(glass.left + glass.right) / 2 - 1, glass.top, (glass.left + glass.right) / 2 + 1, glass.bottom}, trim);
    img.Fill({glass.left, glass.top + glass.Height() / 3, glass.right, glass.top + glass.Height() / 3 + 2}, trim);
    img.Fill({glass.left - 7, glass.bottom + 4, glass.right + 7, glass.bottom + 8}, Mix(trim, 0xFF000000, 0.25f));
}

void WriteWalls(const BuildingSpec& b)
{
    Image img(kWallAtlasSize, kWallAtlasSize, b.wallColour);
    img.Speckle({0, 0, kWallAtlasSize - 1, kWallAtlasSize - 1}, 6, uint32_t(b.number));
    const uint32_t dark = Mix(b.wallColour, 0xFF000000, 0.3f);
    // Typical floor bay: window, and the slab edge as a band at the bottom.
    const Rect bay = CellRect(kCellWindowBay);
    PaintWindow(img, bay, b.trimColour, kWindowTop, kWindowBottom);
    img.Fill({bay.left, bay.bottom - 7, bay.right, bay.bottom}, b.trimColour);
    // Hall bay: a plinth and a wide shop window.
    const Rect hall = CellRect(kCellHallBay);
    img.Fill({hall.left, hall.bottom - 22, hall.right, hall.bottom}, dark);
    PaintWindow(img, hall, b.trimColour, 0.25f, 0.78f);
    img.Fill({hall.left, hall.top, hall.right, hall.top + 9}, b.trimColour);
    // Entrance: a double door under a lit sign.
    const Rect door = CellRect(kCellEntrance);
    img.Fill({door.left, door.bottom - 22, door.right, door.bottom}, dark);
    img.Fill({door.left + 30, door.top + 40, door.right - 30, door.bottom}, b.trimColour);
    img.Fill({door.left + 35, door.top + 46, door.right - 35, door.bottom}, 0xFF3A2A20);
    img.Fill({door.left + 38, door.top + 50, door.left + 61, door.bottom - 20}, 0xFF7F9DB2);
    img.Fill({door.left + 66, door.top + 50, door.right - 38, door.bottom - 20}, 0xFF7F9DB2);
    img.Fill({door.left + 24, door.top + 16, door.right - 24, door.top + 30}, 0xFFF2EEDC);
    img.Fill({door.left, door.top, door.right, door.top + 9}, b.trimColour);
    img.Fill(CellRect(kCellInnerWall), 0xFFE9E4DA);
    img.Fill(CellRect(kCellTrim), b.trimColour);
    const Rect parapet = CellRect(kCellParapet);
    img.Fill({parapet.left, parapet.top, parapet.right, parapet.top + 14}, b.trimColour);
    img.Fill(CellRect(kCellRoof), b.roofColour);
    img.Speckle(CellRect(kCellRoof), 14, 77);
    img.Fill(CellRect(kCellSlab), 0xFFA8A49C);
    img.Speckle(CellRect(kCellSlab), 8, 78);
    img.WriteTga(BuildingFile(b, "Walls", "tga"), 24);
}

// Elevation pictures for the column: hall, one floor, attic, and the two overlays.
void WriteFacade(const BuildingSpec& b, const BuildingLayout& l)
{
    Image img(l.facadeWidth, l.facadeHeight, 0);
    const int bays = std::max(1, int(std::lround(b.length / kBayWidth)));
    auto windows = [&](const Rect& r, int top, int bottom) {
        for (int i = 0; i < bays; ++i) {
            const int x0 = r.left + r.Width() * i / bays, x1 = r.left + r.Width() * (i + 1) / bays - 1;
            const int w = x1 - x0 + 1;
            img.Fill({x0 + w * 3 / 10, r.top + top, x0 + w * 7 / 10, r.top + bottom}, 0xFF5F7D95);
        }
    };
    img.Fill(l.floor, b.wallColour);
    windows(l.floor, 3, 9);
    img.Fill({l.floor.left, l.floor.bottom - 1, l.floor.right, l.floor.bottom}, b.trimColour);
    img.Fill(l.hall, b.wallColour);
    windows(l.hall, 4, 12);
    img.Fill({l.hall.left, l.hall.bottom - 3, l.hall.right, l.hall.bottom}, Mix(b.wallColour, 0xFF000000, 0.3f));
    const int mid = (l.hall.left + l.hall.right) / 2;
    img.Fill({mid - 4, l.hall.top + 5, mid + 4, l.hall.bottom - 2}, 0xFF3A2A20);
    img.Fill({mid - 6, l.hall.top + 3, mid + 6, l.hall.top + 4}, b.trimColour);
    img.Fill(l.attic, b.trimColour);
    img.Fill({l.attic.left, l.attic.bottom - 4, l.attic.right, l.attic.bottom}, b.wallColour);
    img.SetAlpha(l.hall, 255);
    img.SetAlpha(l.floor, 255);
    img.SetAlpha(l.attic, 255);
    img.Frame(l.floorSelection, 0xFF20E040, 2);
    img.Fill(l.floorLighting, 0x60FFF2B0);
    img.WriteTga(BuildingFile(b, "Facade", "tga"), 32);
}

void WritePlan(const BuildingSpec& b, const BuildingLayout& l)
{
    Image img(l.planWidth, l.planHeight, 0);
    img.Fill(l.plan, 0xFF2E2E2E);  // outer walls
    const Rect inner = Inset(l.plan, 3, 3, 3, 3);
    img.Fill(inner, 0xFF9A9A9A);
    static const uint32_t kFlatFloors[] = {0xFFD9C9A3, 0xFFC3D4B8, 0xFFB9CBDA, 0xFFDCC0B8};
    for (size_t i = 0; i < b.flats.size(); ++i) {
        const FlatSpec& f = b.flats[i];
        const uint32_t floor = kFlatFloors[i % 4];
        for (const PlanRect& pr : f.parts) {
            const Rect r = PlanPixels(b, pr);
            // In the plan the flat shows a muted floor; its button picture shows it lighter.
            img.Fill(Inset(r, 1, 1, 1, 1), Mix(floor, 0xFF606060, 0.35f));
            const FlatLayout& fl = l.flats[i];
            img.Fill(PlanPixels(b, pr, fl.source.left - fl.buttonX, fl.source.top - fl.buttonY), floor);
        }
    }
    for (const PlanRect& pr : b.cores) {
        const Rect r = PlanPixels(b, pr);
        img.Fill(Inset(r, 1, 1, 1, 1), 0xFF6C6C6C);
        for (int y = r.top + 3; y < r.bottom - 2; y += 3)
            img.Fill({r.left + 3, y, r.right - 3, y}, 0xFF8A8A8A);  // stair treads
    }
    // Every flat's picture is opaque exactly inside the flat: the window library's hit mask.
    img.SetAlpha({kPlanFlatsX, 0, l.planWidth - 1, l.planHeight - 1}, 0);
    for (size_t i = 0; i < b.flats.size(); ++i)
        for (const PlanRect& pr : b.flats[i].parts) {
            const FlatLayout& fl = l.flats[i];
            const Rect r = PlanPixels(b, pr, fl.source.left - fl.buttonX, fl.source.top - fl.buttonY);
            img.SetAlpha(r, 255);
            img.Frame(r, 0xFF505050);
        }
    img.WriteTga(BuildingFile(b, "Plan", "tga"), 32);
}

} // namespace

void WriteBuildingPictures(const BuildingSpec& b)
{
    const BuildingLayout& l = Layout(b);
    WriteWalls(b);
    WriteFacade(b, l);
    WritePlan(b, l);
}

void WriteSharedBuildingPictures()
{
    Image glass(64, 64);
    for (int y = 0; y < 64; ++y)
        glass.Fill({0, y, 63, y}, Mix(0xFFB4CCDC, 0xFF2E4456, float(y) / 63.0f));
    glass.Fill({30, 0, 33, 63}, 0xFFEDEDED);
    glass.Fill({0, 20, 63, 22}, 0xFFEDEDED);
    glass.Frame({0, 0, 63, 63}, 0xFFEDEDED, 2);
    glass.WriteTga("Textures\\KestrelVale\\Glass.tga", 24);

    Image select(64, 64, 0x5530E050);
    select.Frame({0, 0, 63, 63}, 0xE060FF80, 3);
    select.WriteTga("Textures\\KestrelVale\\Select.tga", 32);

    Image interior(256, 256);
    interior.Fill({0, 0, 127, 127}, 0xFFB07A48);  // parquet
    for (int y = 0; y < 128; y += 16)
        interior.Fill({0, y, 127, y}, 0xFF8A5A32);
    interior.Speckle({0, 0, 127, 127}, 10, 5);
    interior.Fill({128, 0, 255, 127}, 0xFFEDE8DC);  // walls
    interior.Fill({0, 128, 127, 255}, 0xFF5C7490);  // upholstery
    interior.Speckle({0, 128, 127, 255}, 8, 6);
    interior.Fill({128, 128, 255, 255}, 0xFF7A5230);  // wood
    interior.Speckle({128, 128, 255, 255}, 12, 7);
    interior.WriteTga("Textures\\KestrelVale\\Interior.tga", 24);
}

} // namespace gen
