#pragma once
// The ground of the site (lawns, drives, paths, parking, a playground), the site plan of the
// column's top view with the floor-number tabs ("HousingTex"), and the buildings' top-view
// buttons.

#include "Text.h"

namespace gen {

void WriteSitePictures(TextPainter& text);

} // namespace gen
