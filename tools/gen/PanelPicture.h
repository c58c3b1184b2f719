#pragma once
// The developer panel's picture "Developer\MainPanel.tga": the body, the caption in its two
// frames (body shown, body folded), the line under the body, the view-check rows with their
// boxes and the check mark, at the places the panel takes them from.

#include "Text.h"

namespace gen {

void WritePanelPicture(TextPainter& text);

} // namespace gen
