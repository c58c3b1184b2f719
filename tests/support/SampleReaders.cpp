#include "tests/support/SampleReaders.h"

#include "core/Scanner.h"
#include "tests/support/Harness.h"

#include <cstdio>
#include <cstring>

namespace lint {

namespace {

std::string Word(FILE* f)
{
    char w[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(f, w);
    return w;
}

std::string String(FILE* f)
{
    char s[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(f, s);
    return s;
}

Rect ScanRect(FILE* f)
{
    int32_t r[4] = {0, 0, 0, 0};
    Core::fscan_rect(f, r);
    return {r[0], r[1], r[2], r[3]};
}

int Int(FILE* f)
{
    int32_t v = 0;
    Core::fscan_int(f, &v);
    return v;
}

int64_t Figure(FILE* f) { return Hundredths(Word(f)); }

void Skip(FILE* f, int n) { for (int i = 0; i < n; ++i) Word(f); }

FlatRecord ScanFlat(FILE* f, const std::string& word)
{
    FlatRecord flat;
    flat.word = word;
    flat.number = word.size() > 4 ? word[4] - '0' : 0;
    Skip(f, 2);
    flat.price = Figure(f);
    Skip(f, 2);
    flat.areaA = Figure(f);
    flat.areaB = Figure(f);
    Skip(f, 2);
    flat.source = ScanRect(f);
    Skip(f, 2);
    flat.buttonX = Int(f);
    flat.buttonY = Int(f);
    Word(f);
    if (Word(f) != "]") {
        flat.hasLabel = true;
        Word(f);
        flat.labelX = Int(f);
        flat.labelY = Int(f);
        Core::fscan_hex(f, &flat.labelColour);
        Skip(f, 2);
    }
    return flat;
}

FloorRecord ScanFlats(FILE* f)
{
    FloorRecord floor;
    Word(f);
    char buffer[Core::WORD_BUFFER_SIZE];
    while (!Core::fscan_is_end(f, buffer) && buffer[0]) {
        const std::string word = buffer;
        if (word == "FloorWinTextureRect:") {
            Word(f);
            floor.plan = String(f);
            floor.planSource = ScanRect(f);
            Word(f);
        } else if (word == "Flats:") {
            Word(f);
            for (std::string flat = Word(f); !flat.empty() && flat != "};"; flat = Word(f))
                floor.flats.push_back(ScanFlat(f, flat));
        }
    }
    return floor;
}

} // namespace

BuildingBlock ScanBuildingBlock(const std::string& path)
{
    BuildingBlock b;
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f)
        return b;
    Word(f);
    for (std::string w = Word(f); !w.empty(); w = Word(f)) {
        if (w == "};") {
            b.closed = true;
            break;
        }
        if (w == "NumFloors:")
            b.numFloors = Int(f);
        else if (w == "FloorMesh:" || w == "FloorShadowMesh:" || w == "SelFloorRectMesh:" ||
                 w == "InteriorMesh:" || w == "FloorWindowMesh:" || w == "FaceWinTexture:")
            b.paths[w] = String(f);
        else if (w == "TopViewWinTextureRectXY:") {
            Word(f);
            b.topTexture = String(f);
            b.topSource = ScanRect(f);
            Word(f);
            b.topX = Int(f);
            b.topY = Int(f);
            Skip(f, 2);
        } else if (w == "TopViewSelectRect:" || w == "FaceHallRect:" || w == "FaceFloorRect:" ||
                   w == "FaceAtticRect:" || w == "FloorSelRect:" || w == "FloorLightingRect:")
            b.rects[w] = ScanRect(f);
        else if (w == "Address:")
            b.address = String(f);
        else if (w == "CostAreaFile:")
            b.costFile = String(f);
        else
            b.unknown.push_back(w);
    }
    std::fclose(f);
    return b;
}

std::map<int, FloorRecord> ScanCostArea(const std::string& path)
{
    std::map<int, FloorRecord> floors;
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f)
        return floors;
    for (std::string w = Word(f); !w.empty() && w != "};"; w = Word(f)) {
        if (w != "CostArea:")
            continue;
        Word(f);
        for (std::string v = Word(f); !v.empty() && v != "};"; v = Word(f))
            if (v == "Floor") {
                const int number = Int(f);
                floors[number] = ScanFlats(f);
            }
    }
    std::fclose(f);
    return floors;
}

std::string CostAreaPath(int building)
{
    return test::RunDir() + "\\Presentations\\KestrelVale\\Building" + std::to_string(building) + "Cost.txt";
}

int64_t Hundredths(const std::string& text)
{
    const size_t point = text.find('.');
    const std::string whole = text.substr(0, point), part = point == std::string::npos ? "" : text.substr(point + 1);
    if (whole.empty() || part.size() > 2 || (whole + part).find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stoll(whole) * 100 + (part.empty() ? 0 : std::stoll(part) * (part.size() == 1 ? 10 : 1));
}

std::string FigureText(int64_t hundredths, bool grouped)
{
    std::string whole = std::to_string(hundredths / 100);
    for (int at = int(whole.size()) - 3; grouped && at > 0; at -= 3)
        whole.insert(size_t(at), " ");
    const int cents = int(hundredths % 100);
    return whole + "." + char('0' + cents / 10) + char('0' + cents % 10);
}

int64_t Total(int64_t pricePerUnit, int64_t amount) { return (pricePerUnit * amount + 50) / 100; }

} // namespace lint
