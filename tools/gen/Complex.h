#pragma once
// The sample residential complex "Kestrel Vale": its site, its three buildings, their flats
// with areas and prices. Every other part of the generator draws from this one description.

#include <cstdint>
#include <string>
#include <vector>

namespace gen {

// A rectangle of a floor plan in metres: x along the building's length, z across it from the
// entrance side (z = 0) to the back.
struct PlanRect {
    float x0, z0, x1, z1;
};

struct FlatSpec {
    std::vector<PlanRect> parts;  // the flat's outline as a union of rectangles
    double areaA, areaB;          // total and living area, m2
    double basePrice;             // price per m2 on floor 1
};

struct BuildingSpec {
    int number;                  // 1-based, as the buyer reads it
    std::string address;         // UTF-8
    int floors;
    float length, depth;         // metres, along local x and z
    float siteX, siteZ, yawDeg;  // placement on the site (centre of the footprint)
    uint32_t wallColour, trimColour, roofColour;
    std::vector<PlanRect> cores;  // stairs and lifts, not for sale
    std::vector<FlatSpec> flats;
    float planScale;              // floor-plan pixels per metre
};

constexpr float kHallHeight = 4.0f;
constexpr float kFloorHeight = 3.0f;
constexpr float kBayWidth = 3.0f;   // one window per bay
constexpr float kSiteSize = 240.0f; // the ground is a square centred on the origin

const std::vector<BuildingSpec>& Buildings();
// Price per m2 of a flat on a floor (whole kopecks): floors above the first cost a little more.
double FlatPrice(const FlatSpec& flat, int floor);

// Names of the files, as the program opens them (relative to the run folder).
std::string BuildingFile(const BuildingSpec& b, const std::string& kind, const std::string& ext);
// The mesh container's folder (the script's "MeshDirectory:") and a building's mesh as
// presentations name it, relative to that folder.
const std::string kMeshFolder = "Meshes\\";
std::string BuildingMesh(const BuildingSpec& b, const std::string& kind);

} // namespace gen
