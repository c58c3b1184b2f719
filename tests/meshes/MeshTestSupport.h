#pragma once
// A small device of its own for the mesh tests, and helpers that write mesh files and read
// a mesh's buffers back.

#include "core/Meshes/Mesh.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace meshtest {

// Creates the window and device once (Device3D); false when no device can be made.
bool EnsureDevice();

// Writes text to a file in the test's folder and returns its full path.
std::string WriteMesh(const std::string& name, const std::string& text);

std::vector<uint8_t> ReadVB(const CMesh& mesh);
std::vector<uint32_t> ReadIndices(const CMesh& mesh);  // widened to 32 bits

template <class T> T At(const std::vector<uint8_t>& bytes, size_t offset)
{
    T value;
    memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// The "verts:", "prims:" and "submeshes:" reserves of a usage block.
struct SReserves {
    int vertices = 0, primitives = 0, submeshes = 0;
};

// Loads with a fresh usage block (defaults but the reserves) and a fresh warning state.
int Load(const std::string& path, CMesh& mesh, uint32_t format, int flags = 0, SReserves reserves = {});

} // namespace meshtest
