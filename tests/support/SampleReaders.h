#pragma once
// The building keyword block and the cost/area file of the sample read word by word with the
// program's keyword scanner, in the order the building reader takes them, independently of
// the building reader itself (bracket errors are reported through the message function).
// Prices and areas are kept as the exact hundredths their decimal texts write.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lint {

struct Rect {
    int left, top, right, bottom;  // inclusive
};

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
    int64_t price = 0, areaA = 0, areaB = 0;  // hundredths
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
// A building's cost/area file in the run folder (1-based number).
std::string CostAreaPath(int building);

// A figure's decimal text ("45000.50", "61.5", "300") as hundredths; -1 for any other text.
int64_t Hundredths(const std::string& text);
// Hundredths as the column shows them: two decimals, grouped by three with blanks when asked.
std::string FigureText(int64_t hundredths, bool grouped);
// The price of an amount, to the hundredth, half up.
int64_t Total(int64_t pricePerUnit, int64_t amount);

} // namespace lint
