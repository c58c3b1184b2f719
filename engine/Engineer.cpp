#include "engine/Engineer.h"

CEngineer* gEngineer = nullptr;
IEngineer* gIEngineer = nullptr;
