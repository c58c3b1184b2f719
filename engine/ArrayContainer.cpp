#include "engine/ArrayContainer.h"

CArrayContainer* gArrayContainer = nullptr;
IArrayContainer* gIArrayContainer = nullptr;
