#pragma once
// The control column's own pictures: "Textures\Windows.tga" (selector bar, control panel,
// flat popup, show and day/night buttons with their frames) and "Textures\Hints.tga".

#include "Image.h"
#include "Text.h"

namespace gen {

// Rectangles the application takes its pictures from (inclusive).
const Rect kSelectorButton{0, 0, 16, 17};
const Rect kSelectorBar{18, 0, 241, 15};
const Rect kControlPanel{0, 19, 243, 141};
const Rect kFlatPopup{0, 143, 230, 215};
const Rect kShowFlatButton{0, 238, 38, 255};   // two frames side by side
const Rect kDayNightButton{79, 238, 103, 255}; // two frames side by side
const Rect kHint1{0, 0, 149, 17};
const Rect kHint2{0, 17, 255, 49};
const Rect kHint4{0, 49, 376, 81};

void WriteColumnPictures(TextPainter& text);

} // namespace gen
