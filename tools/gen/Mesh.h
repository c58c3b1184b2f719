#pragma once
// Geometry in the program's mesh text format: blocks of vertices (position, normal, one
// texture-coordinate pair) with indexed triangles. Faces are wound clockwise seen from the
// front, as Direct3D's default culling expects (left-handed, y up).

#include "Image.h"

#include <string>
#include <vector>

namespace gen {

struct Vec3 {
    float x, y, z;
};
Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, float k);
Vec3 Cross(Vec3 a, Vec3 b);

// A region of a texture in texture coordinates (u to the right, v down).
struct UvRect {
    float u0, v0, u1, v1;
};
// The cell (column, row) of a texture split into columns x rows equal cells, pulled in by half
// a texel of a size x size texture so that filtering does not bleed from the neighbours.
UvRect AtlasCell(int column, int row, int columns, int rows, int size);

class Mesh {
public:
    // Starts a new block; the following faces go into it.
    void BeginBlock();
    // A quad seen from the front: origin at its lower left, `right` and `up` its edges as the
    // viewer sees them. The normal points at the viewer.
    void Quad(Vec3 origin, Vec3 right, Vec3 up, UvRect uv);
    // An axis-aligned box from min to max with the given faces (+x, -x, +y, -y, +z, -z) facing
    // out (or in, for a room seen from inside); every face shows the same texture region.
    enum Faces { kPosX = 1, kNegX = 2, kPosY = 4, kNegY = 8, kPosZ = 16, kNegZ = 32, kAll = 63 };
    void Box(Vec3 min, Vec3 max, UvRect uv, int faces = kAll, bool inward = false);

    int VertexCount() const;
    int PrimitiveCount() const;
    float MaxY() const;
    // Writes the file; texture is the name written after "TextureName" (empty: none).
    void Write(const std::string& programPath, const std::string& texture) const;

private:
    struct Vertex {
        Vec3 position, normal;
        float u, v;
    };
    struct Block {
        std::vector<Vertex> vertices;
        std::vector<int> indices;  // three per triangle, block-relative
    };
    std::vector<Block> blocks_;
};

} // namespace gen
