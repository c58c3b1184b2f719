#pragma once
// The mesh record and the mesh text reader that the mesh container loads with. Until the
// mesh module is part of the program a minimal record stands in and every load fails with
// a message, so no mesh is reported as read that was not.

#if __has_include("core/Meshes/MeshReader.h")
#include "core/Meshes/MeshReader.h"
#else
#include "core/Messages.h"

#include <cstdint>

struct CMesh {
    uint32_t vertexFormat = 0;
    uint32_t usage = 0;
    uint32_t flags = 0;
    void Release() {}
};

inline int LoadMesh(const char* path, CMesh*, uint32_t, int)
{
    MsgBox2("CORE:  LoadMesh error: mesh files can't be read yet.. ", path);
    return -1;
}
#endif
