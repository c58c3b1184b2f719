#include "scene/ParticleSystems.h"

#include <cstring>

CParticleSystems* gParticleSystems = nullptr;
IParticleSystems* gIParticleSystems = nullptr;

uint32_t CParticleSystems::GetParamIndex(const char* name) const
{
    return name && strcmp(name, "Data") == 0 ? 25 : 0;
}
