#pragma once
// CIconer: the unit icons. One clickable 3D icon (a CIcon unit) per unit of the viewer's
// nation whose class names an individual icon, laid out in a grid; clicking an icon
// selects its unit and marks the icon with a frame unit. Icons and frames are units of the
// registry; the grid only points at them and forgets a unit the registry deletes. Problems
// are message boxes or counted warnings (budget 4); a full grid refuses further icons. It
// has no virtual operations; both its globals are of the concrete type.

#include <d3dx9.h>

#include <cstdint>
#include <cstdio>
#include <memory>

class CAtom;
class CIcon;

enum : uint32_t {
    ICONS_SELECT_BY_ICON = 1,
    ICONS_SELECT_ONLY_ONE = 2,
};

class CIconGroup {
public:
    // The "IndividIcons" block after its keyword; 0.
    int ScanData(FILE* file, int32_t* budget);
    // False (with the overflow warning) when the grid is full.
    bool AddIcon(CAtom* unit, CIcon* icon, int32_t* budget);
    // The click delegate of the icons: selects the picked icon's unit.
    void OnIconClick();
    void AttachFrameUnit(CAtom* unit);
    void RemoveUnit(CAtom* unit);
    CIcon* IconOf(const CAtom* unit);
    void Reset();
    // A unit the registry deletes: an icon leaves the grid, a frame or a unit is let go.
    void ForgetUnit(const CAtom* unit);

    D3DXVECTOR4 firstPos{0.0f, 0.0f, 0.0f, 1.0f};
    uint16_t count = 0;
    uint16_t capacity = 0;
    std::unique_ptr<CIcon*[]> icons;  // 1..count
    CIcon* current = nullptr;
    uint16_t nextColumn = 0, nextRow = 0;
    uint16_t columns = 0, rows = 0;
    float columnStep = 0.0f, rowStep = 0.0f;
    uint32_t flags = 0;
    CAtom* framePrototype = nullptr;

private:
    CAtom* NewFrame(CIcon* icon);
    void PlaceIcon(CIcon* icon, const CAtom* unit);
};

class CIconer {
public:
    // The "ICONER" object after its keyword; 0.
    int ScanIconer(FILE* file);
    // False when the grid refused the icon.
    bool AddIndividIcon(CAtom* unit, CIcon* icon);
    // Makes the unit's icon from the prototype unless it has one already.
    void RegisterUnit(CAtom* unit, CAtom* iconPrototype);
    void RemoveIconFrame(CAtom* unit) { individIcons.RemoveUnit(unit); }
    void ForgetUnit(const CAtom* unit) { individIcons.ForgetUnit(unit); }
    void Reset() { individIcons.Reset(); }

    int32_t warningBudget = 4;
    CIconGroup individIcons;
};

extern CIconer* gIconer;
extern CIconer* gIIconer;
