#pragma once
// CUnitInspector: owns every class template with its prototype and every live unit. It
// reads the "UnitInspector" section that sizes its pools and the class declarations of the
// scripts, creates units by type from templates, registers them (a unit's index in the
// live list is its id), walks them once per frame and deletes them; it lends pool records
// (moves, attaches, smooth movers, cells, unit lists) to the unit classes. Problems are
// counted warnings (budget 4); a full template pool or a missing parent class is fatal
// (gExitCode 100). Every walk re-reads the list after each call into a unit, so a unit
// deleted, disabled or created by such a call never leaves a dangling pointer behind.

#include "core/BlockPool.h"
#include "core/Container.h"
#include "core/PVectorFirm.h"
#include "core/SmoothMover.h"
#include "scene/Atom.h"

#include <d3dx9.h>

#include <cstdint>
#include <cstdio>
#include <vector>

class CCamera;
class CClassTemplate;
class CGameMap;

using UserClassFactory = CAtom* (*)(CClassTemplate* scriptClass, const char* userClass);

constexpr int MAX_UNIT_WAYPOINTS = 64;

// The path of a moving unit.
struct CUnitMove {
    uint32_t state = 0;  // mode word
    uint32_t kind = 0;
    CAtom* targetUnit = nullptr;
    float speed = 0.0f;
    D3DXVECTOR4 target{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXVECTOR4 direction{0.0f, 0.0f, 0.0f, 0.0f};
    float lastDistance = 0.0f;
    float finalTurnStep = 0.0f;
    float finalHeading = 0.0f;
    int32_t waypoint = 0;
    int32_t waypointCount = 0;
    D3DXVECTOR2 waypoints[MAX_UNIT_WAYPOINTS];
};

// Cell records lent to the unit classes; a new cell starts with its leading u16 zero.
template <size_t N>
struct TCell {
    uint16_t lead = 0;
    uint8_t body[N - sizeof(uint16_t)];
};
using SCell64 = TCell<64>;
using SCell128 = TCell<128>;
using SCell256 = TCell<256>;
using SCell512 = TCell<512>;
static_assert(sizeof(SCell64) == 64 && sizeof(SCell512) == 512, "cell sizes");

using CUnitList = TPVectorFirm<CAtom>;

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
    // Defined where the template record is known: the header only names it.
    CUnitInspector();
    // Deletes the units still registered and every prototype.
    ~CUnitInspector() override;
    CUnitInspector(const CUnitInspector&) = delete;
    CUnitInspector& operator=(const CUnitInspector&) = delete;

    // Exact, case-sensitive name; with two classes of one name the first.
    CClassTemplate* GetClassTemplate(const char* name) override;
    CAtom* GetClassPrototype(const char* name) override;
    // A unit of the class on the map of the given unit; null without such a class.
    CAtom* CreateUnit(const char* className, CAtom* unit) override;
    CAtom* CreateUnitFromTemplate(CClassTemplate* cls, CGameMap* map) override;
    // Map, prototype values, id, FirstInit; a full list deletes the unit and answers null.
    CAtom* AddCreatedUnit(CAtom* unit, CGameMap* map) override;
    // The main camera when it is a camera unit.
    CCamera* GetCamera() override;
    // 0 (also when registered already), -1 null, -2 list full.
    int AddUnitToProcess(CAtom* unit) override;
    // 0, -1 null or not registered.
    int RemoveUnitFromProcess(CAtom* unit) override;
    // Unregisters, deletes the slaves, gives back the unit's records, releases, detaches
    // from the master and deletes. 0, -1 null.
    int DeleteUnit(CAtom* unit) override;
    CAtom* FindUnitByName(const char* name) override;
    void CollectUnitsOfClass(std::vector<CAtom*>& out, const char* className) override;
    void CollectUnitsOfType(std::vector<CAtom*>& out, int unitType) override;
    void FreezeAllUnits() override;
    void UnfreezeAllUnits() override;
    void SetUserClassFactory(UserClassFactory factory) override { userFactory = factory; }

    // The "UnitInspector" section; 0.
    int FirstScan(FILE* file);
    // One class declaration after its keyword: the scanner's result (112233 or 0), -1 for
    // a fatal error or an unknown word, -2 when the type has no class.
    int ScanClassTemplate(FILE* file, uint32_t unitType);
    // A new unregistered unit of the type's class, or null with a warning.
    CAtom* CreateUnitByType(uint32_t unitType);
    CAtom* CloneUnit(CAtom* unit, CGameMap* map);
    // Made from the prototype but neither registered nor initialised (scenes own these).
    CAtom* CreateUnitForScene(CClassTemplate* cls, CGameMap* map);
    // The application's unit of a user class, registered by the factory; null without one.
    CAtom* CreateUserUnit(CClassTemplate* cls, const char* userClass);
    CClassTemplate* GetTemplateByIndex(int index);
    CClassTemplate* FirstTemplate();
    CClassTemplate* FindTemplateByType(uint32_t unitType);
    // The unit type a scene or shader word names ("ATOM", "GEOMETRY", ...), else 0.
    static uint32_t TypeFromKeyword(const char* word);

    void ClearFrameList() { frameList.Clear(); }
    // The frame walk. A unit that a call made during the walk registers under a new index
    // (after the current one) is walked in the same frame; one that reuses a freed index
    // before the current one waits for the next frame.
    void ProcessUnits();
    // Advances the unit's animations by the engine frame time and applies their values;
    // ended instances call back and are freed. False when a callback took the unit away.
    bool PlayAnimations(int index, CAtom* unit);
    // Deletes every unit (masters take their slaves) and empties the pools; templates stay.
    void Reset();
    void FindCameras();

    CUnitMove* AllocUnitMove();
    void FreeUnitMove(CUnitMove*& move);
    SUnitAttach* AllocUnitAttach() { return unitAttaches.AllocRecord(); }
    void FreeUnitAttach(SUnitAttach* record) { unitAttaches.FreeRecord(record); }
    // Attach records not handed out.
    int FreeAttachCount() const { return unitAttaches.RecordsLeft(); }
    CSmoothMover* AllocSmoothMover() { return smoothMovers.AllocRecord(); }
    void FreeSmoothMover(CSmoothMover* mover) { smoothMovers.FreeRecord(mover); }
    SCell64* AllocCell64() { return AllocCell(cells64); }
    SCell128* AllocCell128() { return AllocCell(cells128); }
    SCell256* AllocCell256() { return AllocCell(cells256); }
    SCell512* AllocCell512() { return AllocCell(cells512); }
    CUnitList* AllocUnitList();
    void FreeUnitList(CUnitList* list) { unitLists.Free(list); }

    // The unit registered under index i, or null.
    CAtom* UnitAt(int index);
    // The highest index in use; walks run 1..UnitBound() and skip empty slots.
    int UnitBound() const { return units.Count(); }

    TContainer<CAtom*, int> units;
    int32_t warningBudget = 4;
    TContainer<CClassTemplate, int> templates;
    CClassTemplate* currentTemplate = nullptr;
    CAtom* mainCamera = nullptr;
    CAtom* controlsCamera = nullptr;
    TContainer<CUnitMove, int> unitMoves;
    TContainer<SUnitAttach, int> unitAttaches;
    TContainer<CSmoothMover, int> smoothMovers;
    // Attached units met in this frame's walk, with the id they had then.
    struct SFrameEntry {
        CAtom* unit;
        uint32_t id;
    };
    TBlockPool<SFrameEntry> frameList;
    UserClassFactory userFactory = nullptr;
    CAtom* currentUnit = nullptr;
    CAtom* firstLight = nullptr;
    TBlockPool<SCell64> cells64;
    TBlockPool<SCell128> cells128;
    TBlockPool<SCell256> cells256;
    TBlockPool<SCell512> cells512;
    TBlockPool<CUnitList> unitLists;

private:
    template <class Cell>
    static Cell* AllocCell(TBlockPool<Cell>& pool)
    {
        Cell* cell = pool.Alloc();
        if (cell) cell->lead = 0;
        return cell;
    }
    bool Registered(int index, const CAtom* unit) { return UnitAt(index) == unit && unit->id == uint32_t(index); }
    int Insert(CAtom* unit);
    void ForgetUnit(const CAtom* unit);
    bool StepUnit(int index, CAtom* unit);
    bool StepSmoothMovers(int index, CAtom* unit);
    // True when the instance has ended this frame.
    bool StepAnimation(CAtom* unit, CAnimInstance* instance, float dt);
    void DrawUnit(int index, CAtom* unit);
    bool ReflectionTextureUsable(const CAtom* unit);
    void ProcessFrameEntry(SFrameEntry& entry);
    int ScanParentClass(FILE* file, CAtom* prototype);
};

extern CUnitInspector* gUnitInspector;
extern IUnitInspector* gIUnitInspector;
