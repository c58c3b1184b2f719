#include "Complex.h"

#include <cmath>

namespace gen {

const std::vector<BuildingSpec>& Buildings()
{
    static const std::vector<BuildingSpec> list = {
        {1, "ул. Соколиная, 12, корпус 1", 9, 30.0f, 10.5f, -52.0f, 42.0f, 0.0f,
         0xFFB5553C, 0xFFEDE3D0, 0xFF5A5F66,
         {{13.0f, 5.0f, 17.0f, 10.5f}},
         {{{{0.0f, 0.0f, 7.0f, 10.5f}}, 61.50, 34.20, 45000.50},
          {{{7.0f, 0.0f, 13.0f, 10.5f}, {13.0f, 0.0f, 15.0f, 5.0f}}, 64.80, 38.10, 44200.00},
          {{{15.0f, 0.0f, 17.0f, 5.0f}, {17.0f, 0.0f, 23.0f, 10.5f}}, 64.80, 38.10, 44200.00},
          {{{23.0f, 0.0f, 30.0f, 10.5f}}, 61.50, 34.20, 45000.50}},
         7.4f},
        {2, "ул. Соколиная, 12, корпус 2", 5, 20.0f, 11.0f, 58.0f, 30.0f, 90.0f,
         0xFFE4D6B8, 0xFF8C6F55, 0xFF6B4A3A,
         {{8.5f, 5.5f, 11.5f, 11.0f}},
         {{{{0.0f, 0.0f, 8.5f, 11.0f}, {8.5f, 0.0f, 10.0f, 5.5f}}, 84.30, 48.60, 52800.00},
          {{{10.0f, 0.0f, 11.5f, 5.5f}, {11.5f, 0.0f, 20.0f, 11.0f}}, 84.30, 48.60, 52800.00}},
         10.0f},
        {3, "ул. Соколиная, 14", 12, 27.0f, 12.0f, 4.0f, -48.0f, 0.0f,
         0xFFC9D3DC, 0xFF3F5C7A, 0xFF4A4F57,
         {{12.0f, 6.0f, 15.0f, 12.0f}},
         {{{{0.0f, 0.0f, 10.0f, 12.0f}}, 98.40, 57.30, 47500.00},
          {{{10.0f, 0.0f, 17.0f, 6.0f}, {10.0f, 6.0f, 12.0f, 12.0f}}, 45.80, 21.40, 49900.00},
          {{{17.0f, 0.0f, 27.0f, 12.0f}, {15.0f, 6.0f, 17.0f, 12.0f}}, 98.40, 57.30, 47500.00}},
         8.0f},
    };
    return list;
}

double FlatPrice(const FlatSpec& flat, int floor)
{
    const double price = flat.basePrice * (1.0 + 0.006 * (floor - 1));
    return std::round(price * 100.0) / 100.0;
}

std::string BuildingFile(const BuildingSpec& b, const std::string& kind, const std::string& ext)
{
    if (ext == "msh") return kMeshFolder + BuildingMesh(b, kind);
    const std::string folder = ext == "tga" ? "Textures\\KestrelVale\\" : "Presentations\\KestrelVale\\";
    return folder + "Building" + std::to_string(b.number) + kind + "." + ext;
}

std::string BuildingMesh(const BuildingSpec& b, const std::string& kind)
{
    return "KestrelVale\\Building" + std::to_string(b.number) + kind + ".msh";
}

} // namespace gen
