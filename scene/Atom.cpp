#include "scene/Atom.h"

#include "core/Messages.h"
#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "engine/MapContainer.h"
#include "engine/UnitInspector.h"

char gUnknownWord[Core::WORD_BUFFER_SIZE] = {};

void SetUnknownWord(const char* word)
{
    StrCopy(gUnknownWord, sizeof gUnknownWord, word);
}

CAtom::CAtom()
{
    D3DXMatrixIdentity(&world);
}

uint32_t CAtom::GetParamIndex(const char* param)
{
    if (StrEqual(param, "Pos")) return ATOM_POS_WORD;
    if (StrEqual(param, "Size")) return ATOM_SIZE_WORD;
    if (StrEqual(param, "Color")) return ATOM_COLOR_WORD;
    if (StrEqual(param, "Dir")) return ATOM_DIR_WORD;
    if (StrEqual(param, "MirrorParams")) return CClassTemplate::ParamByName(param);
    return 0;
}

// Dir is left alone: classes give it their own meaning per unit.
void CAtom::CopyFromPrototype(const CAtom* prototype)
{
    if (!prototype) return;
    prototype->CopyValuesTo(this);
    type = prototype->type;
    StrCopy(name, sizeof name, prototype->name);
    nameHash = prototype->nameHash;
    classTemplate = prototype->classTemplate;
}

// Inheritance: the values, then the template settings; the destination keeps its own
// type, name and template.
void CAtom::CopyTo(CAtom* destination) const
{
    CopyValuesTo(destination);
    if (classTemplate && destination->classTemplate && classTemplate != destination->classTemplate)
        destination->classTemplate->CopyFrom(*classTemplate);
}

void CAtom::CopyValuesTo(CAtom* destination) const
{
    destination->Pos = Pos;
    destination->Color = Color;
    destination->Size = Size;
    destination->Orient = Orient;
    destination->SysControls = SysControls;
    destination->state = state;
    destination->RenderQueue = RenderQueue;
}

void CAtom::SetPos(const D3DXVECTOR4& position)
{
    Pos = position;
    if (!map) return;
    SMapPos cell = mapPos;
    map->GetPosByFPos(&cell, Pos);
    PlaceOnMap(cell);
}

int CAtom::SetMapPos(const SMapPos& position)
{
    PlaceOnMap(position);
    return 0;
}

void CAtom::PlaceOnMap(const SMapPos& position)
{
    if (!map) return;
    mapPos.x = position.x;
    mapPos.z = position.z;
    mapPos.direction = position.direction;
    if (placeMode != 1 && placeMode != 2 && placeMode != 4) return;
    map->GetFPos_XZ_ByPos4(&Pos, mapPos);
    if (placeMode == 2) Pos.y = map->GetFAltByPos4(mapPos);
    if (placeMode == 4 && gEngine) {
        Pos.y = gEngine->SeaHeight();
        mapPos.altitude = gEngine->seaLevel;
    }
}

void CAtom::SetName(const char* text)
{
    StrCopy(name, sizeof name, text ? text : "");
    nameHash = StrHash(name);
}

int32_t CAtom::PlaceRotation() const
{
    return classTemplate ? classTemplate->PlaceRotate : 1;
}

void CAtom::SetDirection(int step)
{
    mapPos.direction = step & 7;
    Orient.y = float(mapPos.direction) * DIRECTION_STEP_ANGLE;
    D3DXMATRIX turn;
    D3DXMatrixRotationY(&turn, Orient.y);
    D3DXMATRIX move;
    D3DXMatrixTranslation(&move, Pos.x, Pos.y, Pos.z);
    D3DXMatrixMultiply(&world, &turn, &move);
}
