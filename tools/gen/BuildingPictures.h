#pragma once
// The pictures of one building: the walls texture of its meshes, the facade pictures of the
// control column and the floor plan whose alpha channel outlines every flat.

#include "Complex.h"

namespace gen {

void WriteBuildingPictures(const BuildingSpec& b);
// Pictures shared by all buildings: window glass, the floor selection, the interior.
void WriteSharedBuildingPictures();

} // namespace gen
