#pragma once
// CUnitInspector: owns the class templates and every live unit, creates units from
// templates and walks them each frame. Until the unit registry is built it holds no
// template and no unit: lookups answer null, creation fails, the walk does nothing; the
// main camera is whatever FindCameras left (null).

#include <vector>

class CClassTemplate;
class CAtom;
class CCamera;
class CGameMap;

using UserClassFactory = CAtom* (*)(CClassTemplate* scriptClass, const char* userClass);

class IUnitInspector {
public:
    virtual ~IUnitInspector() = default;
    virtual CClassTemplate* GetClassTemplate(const char* name) = 0;
    virtual CAtom* GetClassPrototype(const char* name) = 0;
    virtual CAtom* CreateUnit(const char* className, CAtom* unit) = 0;
    virtual CAtom* CreateUnitFromTemplate(CClassTemplate* cls, CGameMap* map) = 0;
    virtual CAtom* AddCreatedUnit(CAtom* unit, CGameMap* map) = 0;
    virtual CCamera* GetCamera() = 0;
    virtual int AddUnitToProcess(CAtom* unit) = 0;
    virtual int RemoveUnitFromProcess(CAtom* unit) = 0;
    virtual int DeleteUnit(CAtom* unit) = 0;
    virtual CAtom* FindUnitByName(const char* name) = 0;
    virtual void CollectUnitsOfClass(std::vector<CAtom*>& out, const char* className) = 0;
    virtual void CollectUnitsOfType(std::vector<CAtom*>& out, int unitType) = 0;
    virtual void FreezeAllUnits() = 0;
    virtual void UnfreezeAllUnits() = 0;
    virtual void SetUserClassFactory(UserClassFactory factory) = 0;
};

class CUnitInspector : public IUnitInspector {
public:
    CClassTemplate* GetClassTemplate(const char* name) override;
    CAtom* GetClassPrototype(const char* name) override;
    CAtom* CreateUnit(const char* className, CAtom* unit) override;
    CAtom* CreateUnitFromTemplate(CClassTemplate* cls, CGameMap* map) override;
    CAtom* AddCreatedUnit(CAtom* unit, CGameMap* map) override;
    CCamera* GetCamera() override { return mainCamera; }
    int AddUnitToProcess(CAtom* unit) override;
    int RemoveUnitFromProcess(CAtom* unit) override;
    int DeleteUnit(CAtom* unit) override;
    CAtom* FindUnitByName(const char* name) override;
    void CollectUnitsOfClass(std::vector<CAtom*>& out, const char* className) override;
    void CollectUnitsOfType(std::vector<CAtom*>& out, int unitType) override;
    void FreezeAllUnits() override {}
    void UnfreezeAllUnits() override {}
    void SetUserClassFactory(UserClassFactory factory) override { userFactory = factory; }

    void ClearFrameList() {}
    void ProcessUnits() {}
    void Reset() { mainCamera = nullptr; }

    CCamera* mainCamera = nullptr;
    UserClassFactory userFactory = nullptr;
};

extern CUnitInspector* gUnitInspector;
extern IUnitInspector* gIUnitInspector;
