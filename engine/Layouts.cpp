#include "engine/Layouts.h"

CLayouts* gLayouts = nullptr;
