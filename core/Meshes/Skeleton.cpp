#include "core/Meshes/Skeleton.h"

void CSkeleton::Init()
{
    boneCount = 0;
    bones = nullptr;
    inverseMatrices = nullptr;
    flags = 0;
}

void CSkeleton::Release()
{
    delete[] bones;
    delete[] inverseMatrices;
    Init();
}
