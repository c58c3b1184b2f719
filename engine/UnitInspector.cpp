#include "engine/UnitInspector.h"

CUnitInspector* gUnitInspector = nullptr;
IUnitInspector* gIUnitInspector = nullptr;

CClassTemplate* CUnitInspector::GetClassTemplate(const char*)
{
    return nullptr;
}

CAtom* CUnitInspector::GetClassPrototype(const char*)
{
    return nullptr;
}

CAtom* CUnitInspector::CreateUnit(const char*, CAtom*)
{
    return nullptr;
}

CAtom* CUnitInspector::CreateUnitFromTemplate(CClassTemplate*, CGameMap*)
{
    return nullptr;
}

CAtom* CUnitInspector::AddCreatedUnit(CAtom*, CGameMap*)
{
    return nullptr;
}

int CUnitInspector::AddUnitToProcess(CAtom*)
{
    return -1;
}

int CUnitInspector::RemoveUnitFromProcess(CAtom*)
{
    return -1;
}

int CUnitInspector::DeleteUnit(CAtom*)
{
    return -1;
}

CAtom* CUnitInspector::FindUnitByName(const char*)
{
    return nullptr;
}

void CUnitInspector::CollectUnitsOfClass(std::vector<CAtom*>&, const char*) {}

void CUnitInspector::CollectUnitsOfType(std::vector<CAtom*>&, int) {}
