// The placement footprint of a geometry unit in the engine's valid map. Occupied cells
// hold the complement of the free value, so they always differ from it.
#include "scene/Geometry.h"

#include "engine/ArrayContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "engine/Layouts.h"

namespace {

CLayout* PlaceLayout(const CAtom& unit)
{
    return unit.classTemplate ? unit.classTemplate->placeLayout : nullptr;
}

} // namespace

void CGeometry::ClearFootprint()
{
    CLayout* layout = PlaceLayout(*this);
    if (footprintPlaced && layout && gEngine && gEngine->validMap)
        layout->FillDataValue(footprintPos, *gEngine->validMap, uint32_t(gEngine->validMapValue));
    footprintPlaced = false;
}

void CGeometry::PlaceFootprint()
{
    CLayout* layout = PlaceLayout(*this);
    if (!map || !layout || !gEngine || !gEngine->validMap) return;
    ClearFootprint();
    const uint32_t occupied = ~uint32_t(gEngine->validMapValue);
    if (layout->FillDataValue(mapPos, *gEngine->validMap, occupied) != 0) return;
    footprintPos = mapPos;
    footprintPlaced = true;
}
