#include "engine/AnimContainer.h"

CAnimContainer* gAnimContainer = nullptr;
IAnimContainer* gIAnimContainer = nullptr;
