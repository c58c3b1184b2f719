#include "engine/MapContainer.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "engine/Engine.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

CMapContainer* gMapContainer = nullptr;
IMapContainer* gIMapContainer = nullptr;

namespace {

// Larger maps would overflow the cell and memory arithmetic.
constexpr int32_t MAX_MAP_SIDE = 8192;
constexpr int32_t MAX_DICT_SIZE = 65536;
// Far beyond any map: world coordinates past it (and NaN) are cut to it.
constexpr double FAR_COORDINATE = 1e12;

// A world coordinate rounded to whole cells (halves away from 0), computed wide: the
// platform's long is 32 bits, so lround would overflow far out. NaN counts as far negative.
int64_t WideRound(float v)
{
    const double d = double(v);
    if (!(d > -FAR_COORDINATE)) return int64_t(-FAR_COORDINATE);
    return int64_t(std::round(std::min(d, FAR_COORDINATE)));
}

int32_t Saturate(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

int64_t CGameMap::CellX(float worldX) const
{
    return WideRound(worldX) + halfWidth;
}

int64_t CGameMap::CellZ(float worldZ) const
{
    return halfHeight - WideRound(worldZ);
}

int CMDictionary::InitHeightsArray(int32_t maxQuads, uint32_t quadBytes, int* budget)
{
    heights.clear();
    count = 0;
    MaxQuads = maxQuads;
    if (maxQuads < 2) {
        WarningBox(budget, "CMDictionary::InitHeightsArray Error:  MaxQuads<2.", nullptr);
        return -3;
    }
    try {
        heights.assign(size_t(maxQuads) * quadBytes, 0);
    } catch (const std::bad_alloc&) {
        WarningBox(budget, "CMDictionary::InitHeightsArray Error:  can`t create heights array for dictionary.", nullptr);
        return -3;
    }
    return 0;
}

CGameMap::CGameMap(int w, int h, uint32_t regions, int32_t dict) : width(w), height(h), dictSize(dict)
{
    regionSize = regions;
    if (CreateLandData() == 0) MakeFlatLand(0);
}

void CGameMap::Clear()
{
    width = height = halfWidth = halfHeight = 0;
    regionsX = regionsZ = memory = 0;
    dictSize = 0;
    dictionary = CMDictionary();
    regions.clear();
    regions.shrink_to_fit();
    landFile.clear();
    busyCells.clear();
    busyCells.shrink_to_fit();
}

bool CGameMap::ScanSize(const char* word)
{
    int w = 0, h = 0;
    char rest = 0;
    if (sscanf(word, "%dx%d%c", &w, &h, &rest) != 2 || w <= 0 || h <= 0 || w > MAX_MAP_SIDE ||
        h > MAX_MAP_SIDE) {
        WarningBox(&warningBudget, "CGameMap::Scan :  bad map size '", word, "'.", nullptr);
        return false;
    }
    width = w;
    height = h;
    return true;
}

int CGameMap::Scan(FILE* file)
{
    Clear();
    regionSize = gMapContainer ? gMapContainer->RegionSize : 16;
    bool wantBusy = false, ok = true;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); !StrEqual(word, "};"); Core::fscan_word(file, word)) {
        if (!word[0]) {
            WarningBox(&warningBudget, "CGameMap::Scan :  the map block is not closed.", nullptr);
            ok = false;
            break;
        }
        if (StrEqual(word, "name:")) {
            Core::fscan_word(file, word);
        } else if (StrEqual(word, "size:")) {
            Core::fscan_word(file, word);
            ok = ScanSize(word) && ok;
        } else if (StrEqual(word, "dict_size:")) {
            Core::fscan_int(file, &dictSize);
        } else if (StrEqual(word, "land_file:")) {
            char name[Core::STRING_BUFFER_SIZE];
            Core::fscan_string(file, name);
            landFile = name;
        } else if (StrEqual(word, "busy_cells:")) {
            wantBusy = true;
            Core::fscan_word(file, word);
        } else {
            WarningBox(&warningBudget, "CGameMap::Scan :  undefine string '", word, "'.", nullptr);
        }
    }
    int result = ok ? 0 : -1;
    if (ok && landFile.empty()) {
        result = CreateLandData();
        if (result == 0) MakeFlatLand(gMapContainer ? gMapContainer->BlankField : 0);
    }
    if (result == 0 && wantBusy) busyCells.assign(size_t(width) * size_t(height), 0);
    if (result != 0) Clear();
    return result;
}

int CGameMap::CreateLandData()
{
    if (regionSize == 0 || width <= 0 || height <= 0 || width % regionSize || height % regionSize) {
        WarningBox(&warningBudget, "CGameMap::CreateLandData Error:  Map size must be divisible by region size", nullptr);
        return -1;
    }
    if (dictSize > MAX_DICT_SIZE) {
        WarningBox(&warningBudget, "CGameMap::CreateLandData Error:  dict_size is too large.", nullptr);
        return -3;
    }
    if (dictionary.InitHeightsArray(dictSize, regionSize * regionSize, &warningBudget) != 0) return -3;
    halfWidth = width / 2;
    halfHeight = height / 2;
    regionsX = uint32_t(width) / regionSize;
    regionsZ = uint32_t(height) / regionSize;
    try {
        regions.assign(size_t(regionsX) * regionsZ, SMapRegion());
    } catch (const std::bad_alloc&) {
        WarningBox(&warningBudget, "CGameMap::CreateLandData Error:  can`t create regions array for map.", nullptr);
        return -2;
    }
    for (uint32_t row = 0; row < regionsZ; ++row)
        for (uint32_t col = 0; col < regionsX; ++col) {
            SMapRegion& region = regions[row * regionsX + col];
            region.x = int32_t(col * regionSize);
            region.z = int32_t(row * regionSize);
        }
    memory = uint32_t(sizeof(CGameMap) + 16 * regions.size());
    return 0;
}

void CGameMap::MakeFlatLand(uint32_t blankField)
{
    uint8_t* zeroQuad = dictionary.Quad(1, regionSize * regionSize);
    for (uint32_t row = 0; row < regionsZ; ++row)
        for (uint32_t col = 0; col < regionsX; ++col) {
            SMapRegion& region = regions[row * regionsX + col];
            const bool border = row < blankField || col < blankField || row + blankField >= regionsZ ||
                                col + blankField >= regionsX;
            region.detailed = border ? 0 : 1;
            region.heights = border ? nullptr : zeroQuad;
            region.altitude = 0;
        }
}

SMapRegion* CGameMap::RegionOfCell(int x, int z)
{
    if (!Contains(x, z) || regions.empty()) return nullptr;
    return &regions[size_t(uint32_t(z) / regionSize) * regionsX + uint32_t(x) / regionSize];
}

int CGameMap::CellAltitude(int x, int z)
{
    const SMapRegion* region = RegionOfCell(x, z);
    if (!region) return 0;
    if (!region->detailed || !region->heights) return region->altitude;
    return region->heights[(z - region->z) * int(regionSize) + (x - region->x)];
}

void CGameMap::GetCellXZ(SMapPos* cell, const D3DXVECTOR4& pos)
{
    cell->x = Saturate(CellX(pos.x));
    cell->z = Saturate(CellZ(pos.z));
    if (!Contains(cell->x, cell->z))
        WarningBox(&warningBudget, "CGameMap::GetCellXZ:  fPos is outside of the map.", nullptr);
}

void CGameMap::GetCellXZClamped(SMapPos* cell, const D3DXVECTOR4& pos)
{
    cell->x = int32_t(std::clamp<int64_t>(CellX(pos.x), 0, std::max(width - 1, 0)));
    cell->z = int32_t(std::clamp<int64_t>(CellZ(pos.z), 0, std::max(height - 1, 0)));
}

int CGameMap::GetAltByPos4(const SMapPos& pos)
{
    if (!Contains(pos.x, pos.z))
        return WarningBox(&warningBudget, "CGameMap::GetAltByPos4:  Pos is outside of the map.", nullptr), 0;
    return CellAltitude(pos.x, pos.z);
}

float CGameMap::GetFAltByPos4(const SMapPos& pos)
{
    if (!Contains(pos.x, pos.z))
        return WarningBox(&warningBudget, "CGameMap::GetFAltByPos4:  Pos is outside of the map.", nullptr), 0.0f;
    return float(CellAltitude(pos.x, pos.z)) * (gEngine ? gEngine->StepY() : 0.1f);
}

void CGameMap::GetFPos_XZ_ByPos4(D3DXVECTOR4* out, const SMapPos& pos)
{
    if (!Contains(pos.x, pos.z))
        WarningBox(&warningBudget, "CGameMap::GetFPos_XZ_ByPos4:  Pos is outside of the map.", nullptr);
    out->x = float(pos.x - halfWidth);
    out->z = float(halfHeight - pos.z);
}

void CGameMap::GetFPos_XZ_ByPos2(D3DXVECTOR2* out, const SMapPos& pos)
{
    if (!Contains(pos.x, pos.z))
        WarningBox(&warningBudget, "CGameMap::GetFPos_XZ_ByPos2:  Pos is outside of the map.", nullptr);
    out->x = float(pos.x - halfWidth);
    out->y = float(halfHeight - pos.z);
}

void CGameMap::GetPosByFPos(SMapPos* out, const D3DXVECTOR4& pos)
{
    out->x = Saturate(CellX(pos.x));
    out->z = Saturate(CellZ(pos.z));
    if (!Contains(out->x, out->z)) {
        WarningBox(&warningBudget, "CGameMap::GetPosByFPos:  fPos is outside of the map.", nullptr);
        out->altitude = 0;
        return;
    }
    out->altitude = CellAltitude(out->x, out->z);
}

CMapContainer::~CMapContainer()
{
    ClearMaps();
}

CGameMap* CMapContainer::GetMap(uint16_t index)
{
    return index >= 1 && index <= maps.size() ? maps[index - 1] : nullptr;
}

int CMapContainer::FirstScan(FILE* file)
{
    int32_t count = 0, region = int32_t(RegionSize), blank = int32_t(BlankField);
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, word, 2);  // "[" and the first keyword
    for (; word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (StrEqual(word, "MapCount:")) Core::fscan_int(file, &count);
        else if (StrEqual(word, "RegionSize:")) Core::fscan_int(file, &region);
        else if (StrEqual(word, "BlankField:")) Core::fscan_int(file, &blank);
        else MsgBox3("Undefine string '", word, "'");
    }
    if (region <= 0 || region > 256) {
        MsgBox("CMapContainer::FirstScan :  RegionSize must be 1..256; 16 is used.");
        region = 16;
    }
    ClearMaps();
    capacity = int32_t(std::clamp<int64_t>(int64_t(count) - 1, 0, 65535));  // count may be the 32-bit minimum
    RegionSize = uint32_t(region);
    RegionSize2 = RegionSize * RegionSize;
    BlankField = uint32_t(std::max(blank, 0));
    return 0;
}

int CMapContainer::ScanMap(FILE* file)
{
    if (gEngine) gEngine->currentMap = 0;
    if (int32_t(maps.size()) >= capacity) {
        WarningBox(&warningBudget, "CMapContainer:  map count limit is exceed.", nullptr);
        gExitCode = 1;
        return -1;
    }
    CGameMap* map = new CGameMap();
    maps.push_back(map);
    const uint16_t index = uint16_t(maps.size());
    if (gEngine) gEngine->currentMap = index;
    return map->Scan(file);
}

uint16_t CMapContainer::AddMap(CGameMap* map)
{
    if (!map) return 0;
    if (maps.size() >= 65535) {
        delete map;
        return 0;
    }
    maps.push_back(map);
    return uint16_t(maps.size());
}

void CMapContainer::ClearMaps()
{
    for (CGameMap* map : maps) delete map;
    maps.clear();
}
