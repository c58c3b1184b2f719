#include "core/Meshes/Skeleton.h"

#include <algorithm>

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

void CSkeleton::CopyFrom(const CSkeleton& other)
{
    if (&other == this)
        return;
    Release();
    flags = other.flags;
    if (other.boneCount <= 0 || !other.bones)
        return;
    boneCount = other.boneCount;
    bones = new SBone[boneCount];
    std::copy(other.bones, other.bones + boneCount, bones);
    for (int i = 0; i < boneCount; ++i)
        if (other.bones[i].master)
            bones[i].master = bones + (other.bones[i].master - other.bones);
    if (other.inverseMatrices) {
        inverseMatrices = new D3DXMATRIX[boneCount];
        std::copy(other.inverseMatrices, other.inverseMatrices + boneCount, inverseMatrices);
    }
}
