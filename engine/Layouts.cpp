#include "engine/Layouts.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/Tga.h"
#include "engine/ArrayContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/SectionScan.h"
#include "engine/UnitInspector.h"

#include <cstring>
#include <iterator>

CLayouts* gLayouts = nullptr;

namespace {

struct SLayoutType {
    const char* word;
    uint8_t type;
};
const SLayoutType LAYOUT_TYPES[] = {{"Dir2", 2}, {"Dir4", 4}, {"Dir8", 8}};
static_assert(std::size(LAYOUT_TYPES) == 3, "layout types");

uint8_t LayoutType(const char* word)
{
    for (const SLayoutType& entry : LAYOUT_TYPES)
        if (!strcmp(entry.word, word)) return entry.type;
    return 0;
}

// Calls visit(map cell or null when outside the map, mask cell) for every occupied mask
// cell laid with its centre at the position; stops when visit answers false.
template <class Visit>
void ForEachFootprintCell(const SLayoutDir& dir, const SMapPos& position, const CUserArray& map, Visit visit)
{
    for (int r = 0; r < dir.height; ++r) {
        for (int c = 0; c < dir.width; ++c) {
            if (!dir.mask[size_t(r) * dir.width + c]) continue;
            const int x = position.x - dir.centerX + c, y = position.z - dir.centerY + r;
            const bool inside = map.cells && x >= 0 && y >= 0 && x < map.width && y < map.height;
            if (!visit(inside ? &map.cells[size_t(y) * map.width + x] : nullptr)) return;
        }
    }
}

} // namespace

int CLayout::ReadDirection(int direction, const char* path)
{
    int w = 0, h = 0;
    uint8_t* pixels = nullptr;
    const int result = LoadTGA(path, &w, &h, &pixels);
    if (result != TGA_OK) {
        MsgBox2("CLayout::LoadData Error: can`t load data from file: \n    ", path);
        return result;
    }
    std::shared_ptr<uint32_t[]> mask(new uint32_t[size_t(w) * size_t(h)]);
    memcpy(mask.get(), pixels, size_t(w) * size_t(h) * sizeof(uint32_t));
    delete[] pixels;
    SLayoutDir& entry = dirs[direction];
    entry.width = uint16_t(w);
    entry.height = uint16_t(h);
    entry.centerX = uint16_t(w / 2);
    entry.centerY = uint16_t(h / 2);
    entry.mask = mask;
    dirs[direction + 4] = entry;
    return 0;
}

int CLayout::LoadData(const char* path)
{
    if (type == 0) {
        MsgBox("CLayout::LoadData: Layout must have a type.");
        return -1;
    }
    if (type != 2) return 0;
    int result = ReadDirection(0, path);
    if (result != 0) return result;
    char second[Core::STRING_BUFFER_SIZE + 500];
    if (MakeNumberedFileName(second, path, 2) != 0) {
        MsgBox2("CLayout::LoadData Error: can`t load data from file: \n    ", path);
        return -1;
    }
    return ReadDirection(2, second);
}

const SLayoutDir* CLayout::Direction(const SMapPos& position, const char* operation, int* result)
{
    if (position.direction < 0 || position.direction >= LAYOUT_DIRECTIONS) {
        WarningBox(&warningBudget, "CLayout::", operation, ":  Pos.dir is invalid.", nullptr);
        *result = -1;
        return nullptr;
    }
    const SLayoutDir& dir = dirs[position.direction];
    if (!dir.mask) {
        WarningBox(&warningBudget, "CLayout::", operation, ":  layout data is null.", nullptr);
        *result = -2;
        return nullptr;
    }
    return &dir;
}

int CLayout::TestLayoutInValidMap(const SMapPos& position, const CUserArray& map, uint32_t value)
{
    int result = 0;
    const SLayoutDir* dir = Direction(position, "TestLayoutInValidMap", &result);
    if (!dir) return result;
    ForEachFootprintCell(*dir, position, map, [&](uint32_t* cell) {
        if (!cell || *cell != value) result = -1;
        return result == 0;
    });
    return result;
}

int CLayout::FillDataValue(const SMapPos& position, CUserArray& map, uint32_t value)
{
    int result = 0;
    const SLayoutDir* dir = Direction(position, "FillDataValue", &result);
    if (!dir) return result;
    ForEachFootprintCell(*dir, position, map, [&](uint32_t* cell) {
        if (cell) *cell = value;
        return true;
    });
    return 0;
}

int CLayouts::FirstScan(FILE* file)
{
    int32_t count = 0;
    ScanCountSection(file, "LayoutsCount:", &count);
    ForgetLayouts();
    if (!layouts.Init(count)) MsgBox("CLayouts::FirstScan :  'LayoutsCount:' must be 0..65535.");
    return 0;
}

// A repeated section sizes the pool afresh: no class may keep its placement layout in the
// old one.
void CLayouts::ForgetLayouts()
{
    if (!gUnitInspector) return;
    TContainer<CClassTemplate, int>& templates = gUnitInspector->templates;
    for (int i = 1; i <= templates.Count(); ++i)
        if (templates.InUse(i)) templates.At(i)->placeLayout = nullptr;
}

uint16_t CLayouts::ScanLayout(FILE* file)
{
    CLayout* layout = nullptr;
    const uint16_t index = layouts.Add(layout);
    if (!index) {
        WarningBox(&warningBudget, "Layouts:  arrays limit is exceed.", nullptr);
        gExitCode = 1;
        return 0;
    }
    *layout = CLayout();
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    StrCopy(layout->name, sizeof layout->name, word);
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); word[0] && strcmp(word, "};") != 0; Core::fscan_word(file, word)) {
        if (!strcmp(word, "Type:")) {
            Core::fscan_word(file, word);
            layout->type = LayoutType(word);
            if (!layout->type)
                WarningBox(&warningBudget, "CLayouts::ScanLayout :  Undefine layout type '", word, "'.", nullptr);
        } else if (!strcmp(word, "FirstFile:")) {
            char path[Core::STRING_BUFFER_SIZE + 500];
            ScanFullPath(file, path, sizeof path);
            layout->LoadData(path);
        } else {
            WarningBox(&warningBudget, "CLayouts::ScanLayout :  Undefine string '", word, "'.", nullptr);
        }
    }
    return index;
}

uint16_t CLayouts::FindLayout(const char* name)
{
    const CLayout* layout = layouts.FindByName(name);
    if (!layout) {
        WarningBox(&warningBudget, "CLayouts::FindLayout :  not found layout '", name, "'.", nullptr);
        return 0;
    }
    return uint16_t(layout - layouts.Data());
}
