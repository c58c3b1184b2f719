#include "TextFiles.h"

#include "Complex.h"
#include "Layout.h"
#include "Output.h"
#include "Text.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace gen {

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string RectText(const Rect& r) { return Format("[ %d %d %d %d ]", r.left, r.top, r.right, r.bottom); }

// The building keyword block, from "{" to "};".
std::string BuildingBlock(const BuildingSpec& b)
{
    const BuildingLayout& l = Layout(b);
    std::string t = "{\n";
    t += Format("    // Building %d: place its unit at x %.1f, z %.1f with yaw %.0f.\n", b.number,
                b.siteX, b.siteZ, b.yawDeg);
    t += Format("    NumFloors:               %d\n", b.floors);
    t += "    FloorMesh:               " + BuildingMesh(b, "Floor") + "\n";
    t += "    SelFloorRectMesh:        " + BuildingMesh(b, "Select") + "\n";
    t += "    InteriorMesh:            " + BuildingMesh(b, "Interior") + "\n";
    t += "    FloorWindowMesh:         " + BuildingMesh(b, "Windows") + "\n";
    t += "    TopViewWinTextureRectXY: [ Textures\\KestrelVale\\TopView.tga " + RectText(l.topButton) +
         Format(" ( %d %d ) ]\n", l.topX, l.topY);
    t += "    TopViewSelectRect:       " + RectText(l.topSelect) + "\n";
    t += "    FaceWinTexture:          " + BuildingFile(b, "Facade", "tga") + "\n";
    t += "    FaceHallRect:            " + RectText(l.hall) + "\n";
    t += "    FaceFloorRect:           " + RectText(l.floor) + "\n";
    t += "    FaceAtticRect:           " + RectText(l.attic) + "\n";
    t += "    FloorSelRect:            " + RectText(l.floorSelection) + "\n";
    t += "    FloorLightingRect:       " + RectText(l.floorLighting) + "\n";
    t += "    Address:                 \"" + b.address + "\"\n";
    t += "    CostAreaFile:            \"" + BuildingFile(b, "Cost", "txt") + "\"\n";
    t += "};\n";
    return t;
}

void WriteBuildingBlock(const BuildingSpec& b)
{
    WriteOutput(BuildingFile(b, "Block", "txt"), ToCp1251(BuildingBlock(b)));
}

// One building unit of the presentation: it stands on its hall, is capped by its attic and
// reads its keyword block from the presentation itself.
std::string BuildingUnit(const BuildingSpec& b)
{
    const std::string place = Format("pos_ay: [ %.0f 0 %.0f %.0f ]", b.siteX, b.siteZ, b.yawDeg);
    std::string t = Format("    CMyBuilding >> Building { name: \"B%d\" ", b.number) + place + "\n";
    t += "        start_actions: {\n";
    // Attached units are placed relative to the building: they carry no position of their own.
    for (const char* part : {"Hall", "Attic"})
        t += Format("            create_attach: { %s { name: \"B%d%s\" mesh: \"%s\" }; };\n", part, b.number, part,
                    BuildingMesh(b, part).c_str());
    t += "        };\n        UserDefines:\n";
    const std::string block = BuildingBlock(b);
    for (size_t at = 0; at < block.size();) {
        const size_t end = block.find('\n', at);
        t += "        " + block.substr(at, end - at + 1);
        at = end + 1;
    }
    t += "    };\n";
    return t;
}

// The presentation's buildings, included by the hand-written Presentations\KestrelVale.txt.
void WriteBuildingUnits()
{
    std::string t = "// The buildings of Kestrel Vale as CMyBuilding units.\nUnits: {\n";
    for (const BuildingSpec& b : Buildings())
        t += "\n" + BuildingUnit(b);
    t += "};\n";
    WriteOutput("Presentations\\KestrelVale\\Buildings.txt", ToCp1251(t));
}

void WriteCostArea(const BuildingSpec& b)
{
    const BuildingLayout& l = Layout(b);
    std::string t = Format("// Building %d: floor plans, prices per square metre and areas "
                           "(total, living) of its flats.\nCostArea: {\n", b.number);
    for (int floor = 1; floor <= b.floors; ++floor) {
        t += Format("    Floor %d {\n", floor);
        t += "        FloorWinTextureRect: [ " + BuildingFile(b, "Plan", "tga") + " " + RectText(l.plan) + " ]\n";
        t += "        Flats: {\n";
        for (size_t i = 0; i < b.flats.size(); ++i) {
            const FlatSpec& f = b.flats[i];
            const FlatLayout& fl = l.flats[i];
            t += Format("            Flat%zu [ Price: %.2f Area: [ %.2f %.2f ] Picture: %s "
                        "Button: [ %d %d ] Label: [ %d %d FF1A1A1A ] ]\n",
                        i + 1, FlatPrice(f, floor), f.areaA, f.areaB, RectText(fl.source).c_str(),
                        fl.buttonX, fl.buttonY, fl.labelX, fl.labelY);
        }
        t += "        };\n    };\n";
    }
    t += "};\n";
    WriteOutput(BuildingFile(b, "Cost", "txt"), ToCp1251(t));
}

void WriteColumnVariables()
{
    std::string t = "// Rectangles of \"HousingTex\" (Textures\\KestrelVale\\Housing.tga) for the column.\n";
    t += "Variables: {\n";
    t += "    TopViewWinRect:      " + RectText(kTopViewWinRect) + "\n";
    t += "    FloorNumberRect:     " + RectText(kFloorNumberRect) + "\n";
    t += "    SelFloorNumberRect:  " + RectText(kSelFloorNumberRect) + "\n";
    t += "};\n";
    WriteOutput("Presentations\\KestrelVale\\ColumnVariables.txt", t);
}

} // namespace

void WriteTextFiles()
{
    for (const BuildingSpec& b : Buildings()) {
        WriteBuildingBlock(b);
        WriteCostArea(b);
    }
    WriteBuildingUnits();
    WriteColumnVariables();
}

} // namespace gen
