#pragma once
// The window manager's skin "System\WinElems.tga": list dialog frame pieces, scroll and close
// buttons, the scroll thumb and the two check marks, at the places the window library takes
// them from.

namespace gen {

void WriteSkinPicture();
// "System\HintTexture.bmp": the size of the tooltip render target; its content is drawn over.
void WriteHintPicture();

} // namespace gen
