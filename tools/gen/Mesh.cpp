#include "Mesh.h"

#include "Output.h"

#include <cmath>
#include <cstdio>

namespace gen {

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

UvRect AtlasCell(int column, int row, int columns, int rows, int size)
{
    const float half = 0.5f / float(size);
    return {float(column) / columns + half, float(row) / rows + half,
            float(column + 1) / columns - half, float(row + 1) / rows - half};
}

void Mesh::BeginBlock() { blocks_.emplace_back(); }

void Mesh::Quad(Vec3 origin, Vec3 right, Vec3 up, UvRect uv)
{
    if (blocks_.empty())
        BeginBlock();
    Block& b = blocks_.back();
    // The front is where up x right points (left-handed): the viewer sees the corners
    // lower left, upper left, upper right, lower right go round clockwise.
    Vec3 n = Cross(up, right);
    const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    n = n * (1.0f / len);
    const int first = int(b.vertices.size());
    b.vertices.push_back({origin, n, uv.u0, uv.v1});
    b.vertices.push_back({origin + up, n, uv.u0, uv.v0});
    b.vertices.push_back({origin + up + right, n, uv.u1, uv.v0});
    b.vertices.push_back({origin + right, n, uv.u1, uv.v1});
    for (int i : {0, 1, 2, 0, 2, 3})
        b.indices.push_back(first + i);
}

void Mesh::Box(Vec3 lo, Vec3 hi, UvRect uv, int faces, bool inward)
{
    const Vec3 dx{hi.x - lo.x, 0, 0}, dy{0, hi.y - lo.y, 0}, dz{0, 0, hi.z - lo.z};
    // Each face from outside: origin, right, up. Seen from inside, right is reversed.
    struct Face {
        int bit;
        Vec3 origin, right, up;
    };
    const Face list[] = {
        {kNegZ, lo, dx, dy},
        {kPosX, lo + dx, dz, dy},
        {kPosZ, lo + dx + dz, dx * -1, dy},
        {kNegX, lo + dz, dz * -1, dy},
        {kPosY, lo + dy, dx, dz},
        {kNegY, lo + dz, dx, dz * -1},
    };
    for (const Face& f : list) {
        if (!(faces & f.bit))
            continue;
        if (inward)
            Quad(f.origin + f.right, f.right * -1, f.up, uv);
        else
            Quad(f.origin, f.right, f.up, uv);
    }
}

int Mesh::VertexCount() const
{
    int n = 0;
    for (const Block& b : blocks_)
        n += int(b.vertices.size());
    return n;
}

int Mesh::PrimitiveCount() const
{
    int n = 0;
    for (const Block& b : blocks_)
        n += int(b.indices.size() / 3);
    return n;
}

float Mesh::MaxY() const
{
    float top = -99999.0f;
    for (const Block& b : blocks_)
        for (const Vertex& v : b.vertices)
            top = std::fmax(top, v.position.y);
    return top;
}

void Mesh::Write(const std::string& programPath, const std::string& texture) const
{
    std::string out;
    char line[160];
    std::snprintf(line, sizeof line, "NumVertices   %d\nNumPrimitives %d\n", VertexCount(),
                  PrimitiveCount());
    out += line;
    for (const Block& b : blocks_) {
        if (b.vertices.empty())
            continue;
        std::snprintf(line, sizeof line, "\n\nMESH\n%zu\n", b.vertices.size());
        out += line;
        for (const Vertex& v : b.vertices) {
            std::snprintf(line, sizeof line, "%12.4f%12.4f%12.4f\n", v.position.x, v.position.y,
                          v.position.z);
            out += line;
        }
        std::snprintf(line, sizeof line, "indices %zu\n", b.indices.size() / 3);
        out += line;
        for (size_t i = 0; i < b.indices.size(); i += 3) {
            std::snprintf(line, sizeof line, "%d %d %d\n", b.indices[i], b.indices[i + 1],
                          b.indices[i + 2]);
            out += line;
        }
        std::snprintf(line, sizeof line, "normals %zu\n", b.vertices.size());
        out += line;
        for (const Vertex& v : b.vertices) {
            std::snprintf(line, sizeof line, "%12.4f%12.4f%12.4f\n", v.normal.x, v.normal.y,
                          v.normal.z);
            out += line;
        }
        std::snprintf(line, sizeof line, "TextureCoords %zu\n", b.vertices.size());
        out += line;
        for (const Vertex& v : b.vertices) {
            std::snprintf(line, sizeof line, "%.4f  %.4f\n", v.u, v.v);
            out += line;
        }
    }
    if (!texture.empty())
        out += "\nTextureName " + texture + "\n";
    out += "\n";
    WriteOutput(programPath, out);
}

} // namespace gen
