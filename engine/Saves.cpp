#include "engine/Saves.h"

CSaves* gSaves = nullptr;
ISaves* gISaves = nullptr;
