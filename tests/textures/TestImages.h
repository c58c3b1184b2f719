#pragma once
// The texture tests' image files (tests/support/ImageFiles.h), a Direct3D device made for
// the whole test program, and texel read-back.

#include "tests/support/ImageFiles.h"

#include <d3d9.h>

namespace textest {

// Level 0 of a lockable texture as A8R8G8B8 words (X8R8G8B8 read with alpha 0xFF).
Pixels ReadTexels(IDirect3DTexture9* texture);

} // namespace textest
