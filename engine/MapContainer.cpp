#include "engine/MapContainer.h"

#include "engine/Engine.h"

#include <algorithm>
#include <cmath>

CMapContainer* gMapContainer = nullptr;
IMapContainer* gIMapContainer = nullptr;

CGameMap::CGameMap(int width, int height) : width_(width), height_(height) {}

void CGameMap::GetCellXZ(SMapPos* cell, const D3DXVECTOR4& pos)
{
    cell->x = int(std::lround(pos.x)) + width_ / 2;
    cell->z = height_ / 2 - int(std::lround(pos.z));
}

void CGameMap::GetCellXZClamped(SMapPos* cell, const D3DXVECTOR4& pos)
{
    GetCellXZ(cell, pos);
    cell->x = std::clamp(cell->x, 0, width_ - 1);
    cell->z = std::clamp(cell->z, 0, height_ - 1);
}

int CGameMap::GetAltByPos4(const SMapPos&)
{
    return 0;
}

float CGameMap::GetFAltByPos4(const SMapPos& pos)
{
    return float(GetAltByPos4(pos)) * (gEngine ? gEngine->StepY() : 0.1f);
}

void CGameMap::GetFPos_XZ_ByPos4(D3DXVECTOR4* out, const SMapPos& pos)
{
    out->x = float(pos.x - width_ / 2);
    out->z = float(height_ / 2 - pos.z);
}

void CGameMap::GetFPos_XZ_ByPos2(D3DXVECTOR2* out, const SMapPos& pos)
{
    out->x = float(pos.x - width_ / 2);
    out->y = float(height_ / 2 - pos.z);
}

void CGameMap::GetPosByFPos(SMapPos* out, const D3DXVECTOR4& pos)
{
    GetCellXZ(out, pos);
    out->altitude = GetAltByPos4(*out);
}

CMapContainer::~CMapContainer()
{
    ClearMaps();
}

CGameMap* CMapContainer::GetMap(uint16_t index)
{
    return index >= 1 && index <= maps_.size() ? maps_[index - 1] : nullptr;
}

uint16_t CMapContainer::AddMap(CGameMap* map)
{
    if (!map)
        return 0;
    maps_.push_back(map);
    return uint16_t(maps_.size());
}

void CMapContainer::ClearMaps()
{
    for (CGameMap* map : maps_)
        delete map;
    maps_.clear();
}
