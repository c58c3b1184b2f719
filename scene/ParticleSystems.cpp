#include "scene/ParticleSystems.h"

CParticleSystems* gParticleSystems = nullptr;
IParticleSystems* gIParticleSystems = nullptr;
