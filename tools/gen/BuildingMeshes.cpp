#include "BuildingMeshes.h"

#include "Mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <tuple>

namespace gen {

namespace {

constexpr float kWallThickness = 0.3f;

UvRect Cell(WallCell c)
{
    return AtlasCell(int(c) % kWallAtlasColumns, int(c) / kWallAtlasColumns, kWallAtlasColumns,
                     kWallAtlasColumns, kWallAtlasSize);
}

// One side of the footprint seen from outside: where it starts, its direction to the viewer's
// right, its length.
struct Side {
    Vec3 origin, along;
    float length;
};

std::vector<Side> Sides(const BuildingSpec& b, float inset)
{
    const float hx = b.length / 2 - inset, hz = b.depth / 2 - inset;
    return {{{-hx, 0, -hz}, {1, 0, 0}, 2 * hx},
            {{hx, 0, -hz}, {0, 0, 1}, 2 * hz},
            {{hx, 0, hz}, {-1, 0, 0}, 2 * hx},
            {{-hx, 0, hz}, {0, 0, -1}, 2 * hz}};
}

// The building reader stacks the parts by the top of their bounding boxes: the hall and the
// floor must end exactly at their storey heights.
void WriteStorey(const Mesh& m, float height, const std::string& path, const std::string& texture)
{
    if (m.MaxY() != height) {
        std::fprintf(stderr, "housing_gen: %s is %.3f high, not %.3f\n", path.c_str(), m.MaxY(), height);
        std::exit(1);
    }
    m.Write(path, texture);
}

int BayCount(float length) { return std::max(1, int(std::lround(length / kBayWidth))); }

// Outer walls in bays, inner walls, the cap on top of the wall ring and the slab.
void WallRing(Mesh& m, const BuildingSpec& b, float height, WallCell bay, bool withEntrance)
{
    m.BeginBlock();
    const std::vector<Side> outer = Sides(b, 0);
    for (size_t s = 0; s < outer.size(); ++s) {
        const int bays = BayCount(outer[s].length);
        const float w = outer[s].length / float(bays);
        for (int i = 0; i < bays; ++i) {
            const bool door = withEntrance && s == 0 && i == bays / 2;
            m.Quad(outer[s].origin + outer[s].along * (w * float(i)), outer[s].along * w,
                   {0, height, 0}, Cell(door ? kCellEntrance : bay));
        }
    }
    m.BeginBlock();
    for (const Side& s : Sides(b, kWallThickness))  // seen from inside: walk the other way
        m.Quad(s.origin + s.along * s.length, s.along * -s.length, {0, height, 0},
               Cell(kCellInnerWall));
    const float hx = b.length / 2, hz = b.depth / 2, t = kWallThickness;
    const UvRect trim = Cell(kCellTrim);
    m.Box({-hx, height, -hz}, {hx, height, -hz + t}, trim, Mesh::kPosY);
    m.Box({-hx, height, hz - t}, {hx, height, hz}, trim, Mesh::kPosY);
    m.Box({-hx, height, -hz + t}, {-hx + t, height, hz - t}, trim, Mesh::kPosY);
    m.Box({hx - t, height, -hz + t}, {hx, height, hz - t}, trim, Mesh::kPosY);
    m.Box({-hx + t, 0.02f, -hz + t}, {hx - t, 0.02f, hz - t}, Cell(kCellSlab), Mesh::kPosY);
}

void WriteHall(const BuildingSpec& b, const std::string& texture)
{
    Mesh m;
    WallRing(m, b, kHallHeight, kCellHallBay, true);
    m.BeginBlock();
    const float front = -b.depth / 2;
    m.Box({-2.2f, 2.9f, front - 1.6f}, {2.2f, 3.1f, front}, Cell(kCellTrim));  // canopy
    m.Box({-1.8f, 0.0f, front - 1.2f}, {1.8f, 0.15f, front}, Cell(kCellSlab),
          Mesh::kAll & ~Mesh::kNegY);  // entrance step
    WriteStorey(m, kHallHeight, BuildingFile(b, "Hall", "msh"), texture);
}

void WriteFloor(const BuildingSpec& b, const std::string& texture)
{
    Mesh m;
    WallRing(m, b, kFloorHeight, kCellWindowBay, false);
    WriteStorey(m, kFloorHeight, BuildingFile(b, "Floor", "msh"), texture);
}

void WriteAttic(const BuildingSpec& b, const std::string& texture)
{
    const float parapet = 1.2f;
    Mesh m;
    WallRing(m, b, parapet, kCellParapet, false);
    m.BeginBlock();
    const float hx = b.length / 2 - kWallThickness, hz = b.depth / 2 - kWallThickness;
    m.Box({-hx, 0.35f, -hz}, {hx, 0.35f, hz}, Cell(kCellRoof), Mesh::kPosY);
    // The stair and lift housing over the core.
    const PlanRect& core = b.cores.front();
    const float x0 = core.x0 - b.length / 2, x1 = core.x1 - b.length / 2;
    const float z0 = core.z0 - b.depth / 2, z1 = std::min(core.z1 - b.depth / 2, hz);
    m.Box({x0, 0.35f, z0}, {x1, 2.8f, z1}, Cell(kCellPlainWall), Mesh::kAll & ~Mesh::kPosY &
          ~Mesh::kNegY);
    m.Box({x0 - 0.2f, 2.8f, z0 - 0.2f}, {x1 + 0.2f, 3.0f, z1 + 0.2f}, Cell(kCellTrim),
          Mesh::kAll & ~Mesh::kNegY);
    m.Write(BuildingFile(b, "Attic", "msh"), texture);
}

void WriteSelection(const BuildingSpec& b)
{
    const float hx = b.length / 2 + 0.15f, hz = b.depth / 2 + 0.15f;
    Mesh m;
    m.Box({-hx, -0.05f, -hz}, {hx, kFloorHeight + 0.05f, hz}, {0.0f, 0.0f, 1.0f, 1.0f},
          Mesh::kAll & ~Mesh::kNegY);
    m.Write(BuildingFile(b, "Select", "msh"), "Textures\\KestrelVale\\Select.tga");
}

void WriteWindows(const BuildingSpec& b)
{
    Mesh m;
    for (const Side& s : Sides(b, -0.03f)) {
        const int bays = BayCount(s.length);
        const float w = s.length / float(bays);
        for (int i = 0; i < bays; ++i) {
            const Vec3 at = s.origin + s.along * (w * (float(i) + kWindowX0)) +
                            Vec3{0, kFloorHeight * (1.0f - kWindowBottom), 0};
            m.Quad(at, s.along * (w * (kWindowX1 - kWindowX0)),
                   {0, kFloorHeight * (kWindowBottom - kWindowTop), 0}, {0, 0, 1, 1});
        }
    }
    m.Write(BuildingFile(b, "Windows", "msh"), "Textures\\KestrelVale\\Glass.tga");
}

// Interior atlas: 2 x 2 cells of a 256-pixel texture.
UvRect InteriorCell(int column, int row) { return AtlasCell(column, row, 2, 2, 256); }

void WriteInterior(const BuildingSpec& b)
{
    const float ox = -b.length / 2, oz = -b.depth / 2, t = kWallThickness;
    Mesh m;
    m.Box({ox + t, 0.05f, oz + t}, {-ox - t, 0.05f, -oz - t}, InteriorCell(0, 0), Mesh::kPosY);
    // Partitions along every edge of the flats and cores that is not an outer wall.
    m.BeginBlock();
    std::set<std::tuple<float, float, float, float>> edges;
    auto addEdges = [&](const PlanRect& r) {
        edges.insert({r.x0, r.z0, r.x1, r.z0});
        edges.insert({r.x0, r.z1, r.x1, r.z1});
        edges.insert({r.x0, r.z0, r.x0, r.z1});
        edges.insert({r.x1, r.z0, r.x1, r.z1});
    };
    for (const FlatSpec& f : b.flats)
        for (const PlanRect& r : f.parts)
            addEdges(r);
    for (const PlanRect& r : b.cores)
        addEdges(r);
    const float half = 0.06f, wallHeight = 2.7f;
    for (const auto& [x0, z0, x1, z1] : edges) {
        const bool outer = (x0 == x1 && (x0 == 0 || x0 == b.length)) ||
                           (z0 == z1 && (z0 == 0 || z0 == b.depth));
        if (outer)
            continue;
        m.Box({ox + x0 - half, 0.05f, oz + z0 - half}, {ox + x1 + half, wallHeight, oz + z1 + half},
              InteriorCell(1, 0), Mesh::kAll & ~Mesh::kNegY);
    }
    // Furniture in the largest part of every flat: a sofa, a table and a bed.
    m.BeginBlock();
    for (const FlatSpec& f : b.flats) {
        const PlanRect& r = *std::max_element(f.parts.begin(), f.parts.end(),
            [](const PlanRect& a, const PlanRect& c) {
                return (a.x1 - a.x0) * (a.z1 - a.z0) < (c.x1 - c.x0) * (c.z1 - c.z0);
            });
        const float cx = ox + (r.x0 + r.x1) / 2, x0 = ox + r.x0 + 0.6f;
        const float z0 = oz + r.z0 + 0.6f, z1 = oz + r.z1 - 0.6f;
        const int faces = Mesh::kAll & ~Mesh::kNegY;
        m.Box({x0, 0.05f, z0}, {x0 + 0.9f, 0.8f, z0 + 2.1f}, InteriorCell(0, 1), faces);
        m.Box({cx - 0.6f, 0.05f, z0 + 0.4f}, {cx + 0.6f, 0.75f, z0 + 1.3f}, InteriorCell(1, 1), faces);
        m.Box({cx - 0.8f, 0.05f, z1 - 2.0f}, {cx + 0.8f, 0.55f, z1}, InteriorCell(0, 1), faces);
    }
    m.Write(BuildingFile(b, "Interior", "msh"), "Textures\\KestrelVale\\Interior.tga");
}

} // namespace

void WriteBuildingMeshes(const BuildingSpec& b)
{
    const std::string walls = BuildingFile(b, "Walls", "tga");
    WriteHall(b, walls);
    WriteFloor(b, walls);
    WriteAttic(b, walls);
    WriteSelection(b);
    WriteWindows(b);
    WriteInterior(b);
}

void WriteGroundMesh()
{
    constexpr int kCells = 8;
    const float step = kSiteSize / kCells, half = kSiteSize / 2;
    Mesh m;
    for (int j = 0; j < kCells; ++j)
        for (int i = 0; i < kCells; ++i) {
            // Texture rows run from the north edge (v = 0) southwards.
            const UvRect uv{float(i) / kCells, float(kCells - 1 - j) / kCells,
                            float(i + 1) / kCells, float(kCells - j) / kCells};
            m.Quad({-half + step * float(i), 0, -half + step * float(j)}, {step, 0, 0},
                   {0, 0, step}, uv);
        }
    m.Write(kMeshFolder + "KestrelVale\\Ground.msh", "Textures\\KestrelVale\\Ground.tga");
}

} // namespace gen
