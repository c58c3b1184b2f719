#include "SitePictures.h"

#include "Complex.h"
#include "Layout.h"

#include <cmath>

namespace gen {

namespace {

constexpr float kGroundScale = kGroundPixels / kSiteSize;  // pixels per metre
constexpr uint32_t kLawn = 0xFF5E8A3C, kAsphalt = 0xFF4B4D50, kPaving = 0xFFC9BFAA,
                   kSand = 0xFFD8C48E, kTree = 0xFF2F5A26;

Rect GroundRect(float x0, float z0, float x1, float z1)
{
    const float h = kSiteSize / 2;
    return {int(std::lround((x0 + h) * kGroundScale)), int(std::lround((h - z1) * kGroundScale)),
            int(std::lround((x1 + h) * kGroundScale)) - 1, int(std::lround((h - z0) * kGroundScale)) - 1};
}

void Disk(Image& img, float x, float z, float radius, uint32_t colour)
{
    const float h = kSiteSize / 2, cx = (x + h) * kGroundScale, cy = (h - z) * kGroundScale;
    const float r = radius * kGroundScale;
    for (int y = int(cy - r) - 1; y <= int(cy + r) + 1; ++y)
        for (int px = int(cx - r) - 1; px <= int(cx + r) + 1; ++px) {
            const float d = std::sqrt((px + 0.5f - cx) * (px + 0.5f - cx) + (y + 0.5f - cy) * (y + 0.5f - cy));
            const float cover = std::fmin(1.0f, std::fmax(0.0f, r - d + 0.5f));
            if (cover > 0)
                img.Blend(px, y, colour, cover);
        }
}

Image PaintGround()
{
    Image g(kGroundPixels, kGroundPixels, kLawn);
    g.Speckle({0, 0, kGroundPixels - 1, kGroundPixels - 1}, 9, 11);
    // The street along the south edge, its pavement, the drives and the parking.
    g.Fill(GroundRect(-120, -120, 120, -108), kAsphalt);
    g.Fill(GroundRect(-120, -114.2f, 120, -113.8f), 0xFFE8E8E8);
    g.Fill(GroundRect(-120, -108, 120, -103), kPaving);
    g.Fill(GroundRect(30, -103, 36, 75), kAsphalt);
    g.Fill(GroundRect(-92, 69, 36, 75), kAsphalt);
    g.Fill(GroundRect(36, -92, 48, -18), kAsphalt);
    for (float z = -92; z <= -18; z += 2.6f)
        g.Fill(GroundRect(37, z, 47.5f, z + 0.2f), 0xFFE8E8E8);
    // Aprons around the buildings and the paths from every entrance.
    for (const BuildingSpec& b : Buildings()) {
        const WorldRect f = Footprint(b);
        g.Fill(GroundRect(f.x0 - 2.5f, f.z0 - 2.5f, f.x1 + 2.5f, f.z1 + 2.5f), kPaving);
    }
    g.Fill(GroundRect(-53.5f, 9, -50.5f, 36), kPaving);  // building 1 to the drive
    g.Fill(GroundRect(-53.5f, 9, 30, 12), kPaving);
    g.Fill(GroundRect(36, 28.5f, 52, 31.5f), kPaving);   // building 2 (its entrance faces west)
    g.Fill(GroundRect(2.5f, -103, 5.5f, -56), kPaving);  // building 3 to the street
    g.Fill(GroundRect(-90, -81.5f, 30, -78.5f), kPaving);
    g.Fill(GroundRect(-90, -81.5f, -87, 69), kPaving);
    // The playground and its benches.
    Disk(g, -40, -34, 14, kSand);
    g.Fill(GroundRect(-46, -38, -42, -34), 0xFFC0392B);
    g.Fill(GroundRect(-36, -30, -33, -27), 0xFF2980B9);
    g.Fill(GroundRect(-38, -42, -30, -40), 0xFFF1C40F);
    for (float x = -52; x <= -30; x += 7)
        g.Fill(GroundRect(x, -50.5f, x + 2.2f, -49.8f), 0xFF6E4B2A);
    // Trees: crowns with a darker rim, on a fixed pattern.
    uint32_t state = 12345;
    for (int i = 0; i < 70; ++i) {
        state = state * 1664525u + 1013904223u;
        const float x = -115.0f + float(state >> 8 & 0xFFFF) / 65535.0f * 230.0f;
        state = state * 1664525u + 1013904223u;
        const float z = -100.0f + float(state >> 8 & 0xFFFF) / 65535.0f * 215.0f;
        bool clear = !(x > 26 && x < 52) && !(z > 65 && z < 79) && std::hypot(x + 40, z + 34) > 17;
        for (const BuildingSpec& b : Buildings()) {
            const WorldRect f = Footprint(b);
            clear = clear && !(x > f.x0 - 8 && x < f.x1 + 8 && z > f.z0 - 12 && z < f.z1 + 8);
        }
        if (!clear)
            continue;
        Disk(g, x + 0.6f, z - 0.6f, 3.2f, 0x80203018);  // shadow
        Disk(g, x, z, 3.0f, kTree);
        Disk(g, x - 0.5f, z + 0.5f, 1.8f, 0xFF3F7232);
    }
    return g;
}

// The site plan: the middle of the ground, reduced, with the roofs and numbers on it.
void WriteHousing(const Image& ground, TextPainter& text)
{
    const int crop = kSitePlanPixels * 4, offset = (kGroundPixels - crop) / 2;
    Image middle(crop, crop);
    for (int y = 0; y < crop; ++y)
        for (int x = 0; x < crop; ++x)
            middle.Set(x, y, ground.At(x + offset, y + offset));
    Image housing(kHousingWidth, kHousingHeight, 0);
    Image plan = middle.Reduced(4);
    for (const BuildingSpec& b : Buildings()) {
        const BuildingLayout& l = Layout(b);
        const Rect roof{l.topX, l.topY, l.topX + l.topButton.Width() - 1, l.topY + l.topButton.Height() - 1};
        plan.Fill({roof.left + 2, roof.top + 2, roof.right + 2, roof.bottom + 2}, 0xFF2A3A22);
        plan.Fill(roof, b.roofColour);
        text.Draw(plan, roof.right + 3, roof.top - 2, std::to_string(b.number), 11, 0xFFFFFFFF, true);
    }
    text.Draw(plan, kSitePlanPixels - 16, 4, "С", 11, 0xFFFFFFFF, true);
    plan.Fill({kSitePlanPixels - 12, 17, kSitePlanPixels - 11, 26}, 0xFFFFFFFF);
    plan.Frame({0, 0, kSitePlanPixels - 1, kSitePlanPixels - 1}, 0xFFB0B0B0);
    plan.SetAlpha({0, 0, kSitePlanPixels - 1, kSitePlanPixels - 1}, 255);
    housing.Paste(plan, 0, 0);
    // Tabs under the "ЭТАЖ n" captions: hovered floor and selected floor.
    housing.Fill(kFloorNumberRect, 0xC0202020);
    housing.Frame(kFloorNumberRect, 0xE0B0B0B0);
    housing.Fill(kSelFloorNumberRect, 0xC0202020);
    housing.Frame(kSelFloorNumberRect, 0xFF10FF40);
    housing.WriteTga("Textures\\KestrelVale\\Housing.tga", 32);
}

// Each building's button on the site plan (its roof, lit) and the highlight frame of the
// chosen building, side by side in one texture.
void WriteTopView()
{
    Image img(kTopViewWidth, kTopViewHeight, 0);
    for (const BuildingSpec& b : Buildings()) {
        const BuildingLayout& l = Layout(b);
        img.Fill(l.topButton, Mix(b.roofColour, 0xFFFFFFFF, 0.25f));
        img.Frame(l.topButton, 0xFFF0F0F0);
        img.Frame(l.topSelect, 0xFFFFD020, 2);
    }
    img.WriteTga("Textures\\KestrelVale\\TopView.tga", 32);
}

} // namespace

void WriteSitePictures(TextPainter& text)
{
    const Image ground = PaintGround();
    ground.WriteTga("Textures\\KestrelVale\\Ground.tga", 24);
    WriteHousing(ground, text);
    WriteTopView();
}

} // namespace gen
