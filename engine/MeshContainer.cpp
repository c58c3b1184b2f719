#include "engine/MeshContainer.h"

CMeshContainer* gMeshContainer = nullptr;
IMeshContainer* gIMeshContainer = nullptr;

uint16_t CMeshContainer::LoadMesh(const char*, uint32_t, int)
{
    return 0;
}
