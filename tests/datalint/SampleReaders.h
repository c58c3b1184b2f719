#pragma once
// The building keyword block and the cost/area file read word by word with the program's
// keyword scanner, in the order the building reader takes them. The building classes are
// not built yet; this replays their grammar so the sample is checked against the real
// scanner (bracket errors are reported through the message function).

#include "DataFiles.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lint {

struct BuildingBlock {
    int numFloors = 0;
    std::map<std::string, std::string> paths;  // mesh and picture keywords -> path
    std::map<std::string, Rect> rects;         // rectangle keywords -> rectangle
    std::string topTexture;
    Rect topSource{};
    int topX = 0, topY = 0;
    std::string address, costFile;
    std::vector<std::string> unknown;          // words the building reader would report
    bool closed = false;                       // ended by "};"
};
BuildingBlock ScanBuildingBlock(const std::string& path);

struct FlatRecord {
    std::string word;
    int number = 0;
    float price = 0, areaA = 0, areaB = 0;
    Rect source{};
    int buttonX = 0, buttonY = 0;
    bool hasLabel = false;
    int labelX = 0, labelY = 0;
    uint32_t labelColour = 0xFFFFFFFF;
};

struct FloorRecord {
    std::string plan;  // floor-plan picture
    Rect planSource{};
    std::vector<FlatRecord> flats;
};
// Floors by number, as the cost/area reader selects them.
std::map<int, FloorRecord> ScanCostArea(const std::string& path);

} // namespace lint
