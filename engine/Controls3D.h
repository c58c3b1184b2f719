#pragma once
// CControls3D: owns the 3D control templates, control groups and the presentation's
// active controls, and picks them under the cursor. Until 3D controls are built it holds
// none: lookups answer null and no control is ever picked. The unit walk collects this
// frame's controls; their array grows as needed up to MAX_FRAME_CONTROLS (warned once).

#include <cstddef>
#include <vector>

class CAtom;
class IControl3D;
class CControlGroup;

class IControls3D {
public:
    virtual ~IControls3D() = default;
    virtual IControl3D* GetControlTemplate(const char* name) = 0;
    virtual CControlGroup* GetControlGroup(const char* name) = 0;
};

class CControls3D : public IControls3D {
public:
    IControl3D* GetControlTemplate(const char*) override { return nullptr; }
    CControlGroup* GetControlGroup(const char*) override { return nullptr; }

    void PickControls() {}
    // True when a 3D control lies under the cursor this frame.
    bool ControlPicked() const { return false; }
    // Makes the active-control array (one entry per control template) when there is none.
    void EnsureActiveControls() {}
    void Reset() { frameControls.clear(); }

    static constexpr size_t MAX_FRAME_CONTROLS = 4096;
    // 0, or -1 when the array is at its limit (the first refusal is reported).
    int AddFrameControl(CAtom* unit);
    void ClearFrameControls() { frameControls.clear(); }
    // Drops a unit that is being deleted.
    void ForgetUnit(const CAtom* unit);
    std::vector<CAtom*> frameControls;
    bool limitReported = false;
};

extern CControls3D* gControls3D;
extern IControls3D* gIControls3D;
