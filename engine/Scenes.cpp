#include "engine/Scenes.h"

CScenes* gScenes = nullptr;
IScenes* gIScenes = nullptr;
