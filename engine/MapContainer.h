#pragma once
// CMapContainer: owns the presentation's game maps (a grid of cells with altitudes, grouped
// into square regions) numbered from 1 (0 = none). The script sizes it ("MapContainer"
// section); each presentation "Map:" adds a map, and all are cleared when the presentation
// ends. A full container asks for shutdown (gExitCode); map problems are counted warnings
// and fail the map's load. Positions outside a map warn and read altitude 0.

#include "engine/MapPos.h"

#include <d3dx9.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The height quads shared by detailed regions; quad 0 is never handed out.
struct CMDictionary {
    int32_t count = 0;
    int32_t MaxQuads = 0;
    std::vector<uint8_t> heights;  // MaxQuads quads of RegionSize squared bytes

    int InitHeightsArray(int32_t maxQuads, uint32_t quadBytes, int* budget);
    uint8_t* Quad(int32_t index, uint32_t quadBytes) { return heights.data() + size_t(index) * quadBytes; }
};

struct SMapRegion {
    uint8_t altitude = 0;     // of a flat region
    uint16_t detailed = 0;    // non-zero: the cells read their altitudes from heights
    int32_t x = 0, z = 0;     // first cell
    uint8_t* heights = nullptr;
};

class IGameMap {
public:
    virtual void GetCellXZ(SMapPos* cell, const D3DXVECTOR4& pos) = 0;
    virtual int GetAltByPos4(const SMapPos& pos) = 0;
    virtual float GetFAltByPos4(const SMapPos& pos) = 0;
    virtual void GetFPos_XZ_ByPos4(D3DXVECTOR4* out, const SMapPos& pos) = 0;
    virtual void GetFPos_XZ_ByPos2(D3DXVECTOR2* out, const SMapPos& pos) = 0;
    virtual ~IGameMap() = default;
    virtual void GetPosByFPos(SMapPos* out, const D3DXVECTOR4& pos) = 0;
};

class CGameMap : public IGameMap {
public:
    CGameMap() = default;
    // A flat map of the given size made without a file (regions of regionSize cells).
    CGameMap(int width, int height, uint32_t regionSize = 16, int32_t dictSize = 2);

    void GetCellXZ(SMapPos* cell, const D3DXVECTOR4& pos) override;
    int GetAltByPos4(const SMapPos& pos) override;
    float GetFAltByPos4(const SMapPos& pos) override;
    void GetFPos_XZ_ByPos4(D3DXVECTOR4* out, const SMapPos& pos) override;
    void GetFPos_XZ_ByPos2(D3DXVECTOR2* out, const SMapPos& pos) override;
    void GetPosByFPos(SMapPos* out, const D3DXVECTOR4& pos) override;
    // The cell of a world position, clamped into the map.
    void GetCellXZClamped(SMapPos* cell, const D3DXVECTOR4& pos);

    // A map block after its keyword: 0, or negative with a warning (the map is then empty).
    int Scan(FILE* file);
    void Clear();
    // Regions and dictionary for the current size: 0, -1 size, -2 regions, -3 dictionary.
    int CreateLandData();
    // Every region detailed with zero heights; the BlankField border flat at altitude 0.
    void MakeFlatLand(uint32_t blankField);

    int Width() const { return width; }
    int Height() const { return height; }
    bool Contains(int x, int z) const { return x >= 0 && z >= 0 && x < width && z < height; }
    SMapRegion* RegionOfCell(int x, int z);

    int32_t width = 0, height = 0;
    uint32_t regionsX = 0, regionsZ = 0;
    uint32_t memory = 0;
    int32_t dictSize = 0;
    CMDictionary dictionary;
    std::vector<SMapRegion> regions;
    int32_t halfWidth = 0, halfHeight = 0;
    std::string landFile;
    std::vector<uint32_t> busyCells;  // width * height words, only with "busy_cells:"
    int32_t warningBudget = 4;

private:
    // Altitude of an inside cell.
    int CellAltitude(int x, int z);
    // The cell column and row of a world position, wide enough for any float.
    int64_t CellX(float worldX) const;
    int64_t CellZ(float worldZ) const;
    bool ScanSize(const char* word);

    uint32_t regionSize = 0;  // taken from the container when the land is made
};

class IMapContainer {
public:
    virtual CGameMap* GetMap(uint16_t index) = 0;
    virtual ~IMapContainer() = default;
};

class CMapContainer : public IMapContainer {
public:
    ~CMapContainer() override;
    CGameMap* GetMap(uint16_t index) override;

    // The "MapContainer" section after its name; 0.
    int FirstScan(FILE* file);
    // A presentation "Map:" block: 0, or negative (the engine's current map is then 0).
    int ScanMap(FILE* file);
    // Takes ownership of a map made in code (not bound by MapCount); its index, 0 for null.
    uint16_t AddMap(CGameMap* map);
    void ClearMaps();
    size_t Count() const { return maps.size(); }

    int32_t warningBudget = 4;
    uint32_t RegionSize = 16;
    uint32_t RegionSize2 = 256;
    uint32_t BlankField = 0;
    // MapCount - 1 maps fit (index 0 is none).
    int32_t capacity = 0;

private:
    std::vector<CGameMap*> maps;
};

extern CMapContainer* gMapContainer;
extern IMapContainer* gIMapContainer;
