#pragma once
// CControls3D: owns the 3D control templates, control groups and the presentation's
// active controls, and picks them under the cursor. Until 3D controls are built it holds
// none: lookups answer null and no control is ever picked.

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
    void Reset() {}
};

extern CControls3D* gControls3D;
extern IControls3D* gIControls3D;
