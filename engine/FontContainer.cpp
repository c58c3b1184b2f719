#include "engine/FontContainer.h"

CFontContainer* gFontContainer = nullptr;
IFontContainer* gIFontContainer = nullptr;
