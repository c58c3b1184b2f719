#include "engine/Nations.h"

CNations* gNations = nullptr;
INations* gINations = nullptr;
