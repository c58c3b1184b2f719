#include "scene/Atom.h"

CAtom::CAtom()
{
    D3DXMatrixIdentity(&world);
}

int CAtom::SetMapPos(const SMapPos& p)
{
    PlaceOnMap(p);
    return 0;
}

int CAtom::StartMoves(const D3DXVECTOR4&, int)
{
    return 0;
}

void CAtom::PlaceOnMap(const SMapPos& p)
{
    mapPos.x = p.x;
    mapPos.z = p.z;
    mapPos.direction = p.direction;
}

void CAtom::SetDirection(int step)
{
    mapPos.direction = step & 7;
    orient.y = float(mapPos.direction) * DIRECTION_STEP_ANGLE;
    D3DXMATRIX turn;
    D3DXMatrixRotationY(&turn, orient.y);
    D3DXMATRIX move;
    D3DXMatrixTranslation(&move, pos.x, pos.y, pos.z);
    D3DXMatrixMultiply(&world, &turn, &move);
}
