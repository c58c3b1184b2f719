#include "engine/Iconer.h"

CIconer* gIconer = nullptr;
CIconer* gIIconer = nullptr;
