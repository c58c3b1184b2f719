#include "engine/TexContainer.h"

CTexContainer* gTexContainer = nullptr;
ITexContainer* gITexContainer = nullptr;
