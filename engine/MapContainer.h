#pragma once
// CMapContainer: owns the presentation's game maps (cells with altitudes) numbered from 1
// (0 = none). Until game maps are read from presentations the container only keeps maps
// added to it, and a map is flat: every cell has altitude 0.

#include "engine/MapPos.h"

#include <d3dx9.h>

#include <cstdint>
#include <vector>

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
    CGameMap(int width, int height);

    void GetCellXZ(SMapPos* cell, const D3DXVECTOR4& pos) override;
    int GetAltByPos4(const SMapPos& pos) override;
    float GetFAltByPos4(const SMapPos& pos) override;
    void GetFPos_XZ_ByPos4(D3DXVECTOR4* out, const SMapPos& pos) override;
    void GetFPos_XZ_ByPos2(D3DXVECTOR2* out, const SMapPos& pos) override;
    void GetPosByFPos(SMapPos* out, const D3DXVECTOR4& pos) override;
    // The cell of a world position, clamped into the map.
    void GetCellXZClamped(SMapPos* cell, const D3DXVECTOR4& pos);

    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_, height_;
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

    // Takes ownership of a map; returns its index (0 when null).
    uint16_t AddMap(CGameMap* map);
    void ClearMaps();

private:
    std::vector<CGameMap*> maps_;
};

extern CMapContainer* gMapContainer;
extern IMapContainer* gIMapContainer;
