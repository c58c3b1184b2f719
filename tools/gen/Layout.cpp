#include "Layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace gen {

namespace {

constexpr float kSitePlanMetres = kSiteSize * float(kSitePlanPixels * 4) / kGroundPixels;

// The flat's number and its two areas with the line between them take about this block
// from the label position (the areas start 14 pixels right of the number, 4 above and 9
// below it, each text 3 pixels above its place); the data lint measures the real texts.
constexpr int kLabelBlockTop = -7, kLabelBlockWidth = 48, kLabelBlockHeight = 30, kLabelMargin = 2;

bool Inside(const std::vector<Rect>& parts, int x, int y)
{
    for (const Rect& p : parts)
        if (x >= p.left && x <= p.right && y >= p.top && y <= p.bottom)
            return true;
    return false;
}

// The label position whose block lies wholly on the flat, a margin in from its edges, as
// near the middle of the flat's largest part as can be; relative to the flat's box.
bool PlaceLabel(const std::vector<Rect>& parts, const Rect& box, const Rect& big, int* labelX, int* labelY)
{
    const int middleX = (big.left + big.right + 1) / 2, middleY = (big.top + big.bottom + 1) / 2;
    long best = -1;
    for (int y = box.top; y + kLabelBlockHeight + 2 * kLabelMargin <= box.bottom + 1; ++y)
        for (int x = box.left; x + kLabelBlockWidth + 2 * kLabelMargin <= box.right + 1; ++x) {
            const long dx = x + kLabelMargin + kLabelBlockWidth / 2 - middleX;
            const long dy = y + kLabelMargin + kLabelBlockHeight / 2 - middleY;
            if (best >= 0 && dx * dx + dy * dy >= best)
                continue;
            bool fits = true;
            for (int py = y; fits && py < y + kLabelBlockHeight + 2 * kLabelMargin; ++py)
                for (int px = x; fits && px < x + kLabelBlockWidth + 2 * kLabelMargin; ++px)
                    fits = Inside(parts, px, py);
            if (!fits)
                continue;
            best = dx * dx + dy * dy;
            *labelX = x + kLabelMargin - box.left;
            *labelY = y + kLabelMargin - kLabelBlockTop - box.top;
        }
    return best >= 0;
}

Rect Bounds(const std::vector<Rect>& parts)
{
    Rect r = parts.front();
    for (const Rect& p : parts)
        r = {std::min(r.left, p.left), std::min(r.top, p.top), std::max(r.right, p.right),
             std::max(r.bottom, p.bottom)};
    return r;
}

BuildingLayout Compute(const BuildingSpec& b)
{
    BuildingLayout l{};
    const int w = int(std::lround(b.length * kFacadePixelsPerMetre));
    l.facadeWidth = 256;
    l.facadeHeight = 64;
    l.hall = {0, 0, w - 1, kFacadeHallPixels - 1};
    l.floor = {0, 20, w - 1, 20 + kFacadeFloorPixels - 1};
    l.attic = {0, 36, w - 1, 36 + kFacadeAtticPixels - 1};
    // The selection overlay sits 2 pixels out of the floor picture on every side.
    l.floorSelection = {130, 0, 130 + w + 3, kFacadeFloorPixels + 3};
    l.floorLighting = {130, 20, 130 + w - 1, 20 + kFacadeFloorPixels - 1};

    l.planWidth = 512;
    l.planHeight = 128;
    int packX = kPlanFlatsX, packY = 0, rowHeight = 0;
    l.plan = {0, 0, kPlanMargin * 2 + int(std::lround(b.length * b.planScale)) - 1,
              kPlanMargin * 2 + int(std::lround(b.depth * b.planScale)) - 1};
    for (const FlatSpec& f : b.flats) {
        std::vector<Rect> parts;
        for (const PlanRect& r : f.parts)
            parts.push_back(PlanPixels(b, r));
        const Rect box = Bounds(parts);
        FlatLayout fl{};
        if (packX + box.Width() > l.planWidth) {
            packX = kPlanFlatsX;
            packY += rowHeight + 2;
            rowHeight = 0;
        }
        fl.source = {packX, packY, packX + box.Width() - 1, packY + box.Height() - 1};
        packX += box.Width() + 2;
        rowHeight = std::max(rowHeight, box.Height());
        if (packY + rowHeight > l.planHeight || l.plan.right >= kPlanFlatsX) {
            std::fprintf(stderr, "housing_gen: the plan of building %d does not fit its texture\n", b.number);
            std::exit(1);
        }
        fl.buttonX = box.left;
        fl.buttonY = box.top;
        const Rect* big = &parts.front();
        for (const Rect& p : parts)
            if (p.Width() * p.Height() > big->Width() * big->Height())
                big = &p;
        if (!PlaceLabel(parts, box, *big, &fl.labelX, &fl.labelY)) {
            std::fprintf(stderr, "housing_gen: the figures of a flat of building %d do not fit on it\n", b.number);
            std::exit(1);
        }
        l.flats.push_back(fl);
    }

    const WorldRect fp = Footprint(b);
    l.topX = int(std::lround(SitePlanX(fp.x0)));
    l.topY = int(std::lround(SitePlanY(fp.z1)));
    const int tw = int(std::lround(SitePlanX(fp.x1))) - l.topX;
    const int th = int(std::lround(SitePlanY(fp.z0))) - l.topY;
    const int column = (b.number - 1) * 80;
    l.topButton = {column, 0, column + tw - 1, th - 1};
    l.topSelect = {column + 40, 0, column + 40 + tw - 1, th - 1};
    return l;
}

} // namespace

Rect PlanPixels(const BuildingSpec& b, const PlanRect& r, int dx, int dy)
{
    const float s = b.planScale;
    return {dx + kPlanMargin + int(std::lround(r.x0 * s)),
            dy + kPlanMargin + int(std::lround((b.depth - r.z1) * s)),
            dx + kPlanMargin + int(std::lround(r.x1 * s)) - 1,
            dy + kPlanMargin + int(std::lround((b.depth - r.z0) * s)) - 1};
}

float SitePlanX(float worldX) { return (worldX + kSitePlanMetres / 2) * kSitePlanPixels / kSitePlanMetres; }
float SitePlanY(float worldZ) { return (kSitePlanMetres / 2 - worldZ) * kSitePlanPixels / kSitePlanMetres; }

WorldRect Footprint(const BuildingSpec& b)
{
    const bool turned = std::fabs(std::fmod(b.yawDeg, 180.0f)) > 45.0f;
    const float hx = (turned ? b.depth : b.length) / 2, hz = (turned ? b.length : b.depth) / 2;
    return {b.siteX - hx, b.siteZ - hz, b.siteX + hx, b.siteZ + hz};
}

const BuildingLayout& Layout(const BuildingSpec& b)
{
    static std::map<int, BuildingLayout> cache;
    auto it = cache.find(b.number);
    if (it == cache.end())
        it = cache.emplace(b.number, Compute(b)).first;
    return it->second;
}

} // namespace gen
