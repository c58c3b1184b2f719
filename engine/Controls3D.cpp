#include "engine/Controls3D.h"

CControls3D* gControls3D = nullptr;
IControls3D* gIControls3D = nullptr;
