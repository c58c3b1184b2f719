#pragma once
// The meshes of one building: hall, typical floor, attic, floor selection, windows of a floor
// and the interior of a floor. Local frame: footprint centred on the origin, y = 0 at the
// bottom of each part, the entrance facing -z.

#include "Complex.h"

namespace gen {

// Texture atlas of a building's walls: 4 x 4 cells of the walls texture.
enum WallCell { kCellWindowBay, kCellPlainWall, kCellInnerWall, kCellTrim, kCellHallBay,
                kCellEntrance, kCellParapet, kCellRoof, kCellSlab, kWallCellCount };
constexpr int kWallAtlasSize = 512;
constexpr int kWallAtlasColumns = 4;
static_assert(kWallCellCount <= kWallAtlasColumns * kWallAtlasColumns, "walls atlas too small");

// Where the window opening lies in a bay cell, as fractions of the bay (x) and of the floor
// height measured from the top (y): the window mesh and the bay picture both use it.
constexpr float kWindowX0 = 0.28f, kWindowX1 = 0.72f, kWindowTop = 0.22f, kWindowBottom = 0.68f;

void WriteBuildingMeshes(const BuildingSpec& b);
void WriteGroundMesh();

} // namespace gen
