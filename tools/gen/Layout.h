#pragma once
// Where each picture lies in its texture: the rectangles the building keyword block and the
// cost/area file name, computed once so that the pictures and the texts agree.

#include "Complex.h"
#include "Image.h"

#include <vector>

namespace gen {

struct FlatLayout {
    // The flat's picture in the plan texture: its own region, opaque exactly inside the flat
    // (the hit mask is the whole texture's alpha, so no other flat may show in it).
    Rect source;
    int buttonX, buttonY;  // its place inside the floor-plan window (the flat's bounding box)
    int labelX, labelY;    // the number and areas, relative to the button
};

struct BuildingLayout {
    // Facade texture
    int facadeWidth, facadeHeight;
    Rect hall, floor, attic, floorSelection, floorLighting;
    // Floor-plan texture
    int planWidth, planHeight;
    Rect plan;
    std::vector<FlatLayout> flats;
    // Top view (site plan) button and its highlight, both in the top-view texture
    Rect topButton, topSelect;
    int topX, topY;
};

constexpr int kFacadePixelsPerMetre = 4;
constexpr int kFacadeFloorPixels = 14, kFacadeHallPixels = 18, kFacadeAtticPixels = 10;
constexpr int kPlanMargin = 4;
constexpr int kPlanFlatsX = 256;  // flat pictures are packed from this column on

// The site plan shown at the top of the column, in "HousingTex".
constexpr int kHousingWidth = 512, kHousingHeight = 256;
constexpr int kSitePlanPixels = 232;
constexpr int kGroundPixels = 1024;
const Rect kTopViewWinRect{0, 0, kSitePlanPixels - 1, kSitePlanPixels - 1};
// The floor labels by the facade: room for "ЭТАЖ 12", and narrow enough that the one right
// of the widest facade stays inside the column.
const Rect kFloorNumberRect{240, 0, 291, 19};
const Rect kSelFloorNumberRect{240, 24, 291, 43};
constexpr int kTopViewWidth = 256, kTopViewHeight = 64;

// Site plan pixel of a point of the site (north up).
float SitePlanX(float worldX);
float SitePlanY(float worldZ);
// A footprint on the site: world rectangle covered by a building (any yaw of 0 or 90).
struct WorldRect {
    float x0, z0, x1, z1;
};
WorldRect Footprint(const BuildingSpec& b);

const BuildingLayout& Layout(const BuildingSpec& b);
// A part of a floor plan in plan-texture pixels (entrance side at the bottom), shifted.
Rect PlanPixels(const BuildingSpec& b, const PlanRect& r, int dx = 0, int dy = 0);

} // namespace gen
