#pragma once
// CControls3D: owns the 3D control templates, the named control groups a presentation
// activates, the script's 2D window templates and the live windows made from them, and
// picks the active 3D control under the cursor each frame (firing its callback on a
// click). Full group or window-template pools are fatal (gExitCode 1); the other limits
// are counted warnings (budget 4) and the item is left out. The unit walk collects this
// frame's controls; their array grows as needed up to MAX_FRAME_CONTROLS (warned once).
// A repeated "Controls3D" section starts the pools afresh and first clears every pointer
// into the old groups and window templates (active controls, the save dialog's layout).
// A live window that cannot be recorded is not kept: nothing would delete it.

#include "core/Container.h"
#include "core/Delegates.h"
#include "core/IntRect.h"

#include <d3dx9.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

class CAtom;
class CBaseWin;
class CControl3D;
class IControl3D;
struct CFont;

constexpr int MAX_GR_CONTROLS = 64;
constexpr size_t ENG_WINDOW_TEXT_SIZE = 256;

class IControlGroup {
public:
    virtual ~IControlGroup() = default;
    virtual IControl3D* FindControl(const char* name) = 0;
};

// A named list of control prototypes; an entry is null where its class did not exist.
class CControlGroup : public IControlGroup {
public:
    IControl3D* FindControl(const char* name) override;

    char name[64] = {};
    uint16_t count = 0;
    CControl3D* controls[MAX_GR_CONTROLS] = {};
};

class IWindow {
public:
    virtual ~IWindow() = default;
    // Replaces the callback by one calling the function; answers the new delegate.
    virtual IDelegate* SetCallback(void (*function)()) = 0;
};

enum EEngWindowType : uint32_t { ENG_WIN_WINDOW = 1, ENG_WIN_BUTTON, ENG_WIN_LABEL, ENG_WIN_EDIT };

// A script window template ("WINDOW", "BUTTON", "LABEL", "EDIT").
class CEngWindow : public IWindow {
public:
    IDelegate* SetCallback(void (*function)()) override;
    // Owns the delegate; windows made later call it.
    void SetCallbackDelegate(IDelegate* delegate) { callback.reset(delegate); }
    // The window with its children, shown; null when the manager refused it.
    CBaseWin* Create();
    // What a click on a window made from this template does.
    void OnClick();

    uint32_t type = 0;
    char name[64] = {};
    int32_t x = 0, y = 0, w = 0, h = 0;
    CIntRect source;
    uint16_t texture = 0;
    uint32_t normalColor = 0xFFFFFFFF, highlightColor = 0xFFFFFFFF;
    std::unique_ptr<char[]> text;  // ENG_WINDOW_TEXT_SIZE bytes, or null
    CFont* font = nullptr;
    std::unique_ptr<IDelegate> callback;
    std::vector<CEngWindow*> children;

private:
    CBaseWin* CreateOwn();
};

class IControls3D {
public:
    virtual ~IControls3D() = default;
    virtual IControl3D* GetControlTemplate(const char* name) = 0;
    virtual CControlGroup* GetControlGroup(const char* name) = 0;
};

class CControls3D : public IControls3D {
public:
    IControl3D* GetControlTemplate(const char* name) override;
    CControlGroup* GetControlGroup(const char* name) override { return groups.FindByName(name); }

    // The "Controls3D" section after its name; 0.
    int FirstScan(FILE* file);
    // A "CONTROL_GROUP" object: the group's index, or 0.
    int ScanControlGroup(FILE* file);
    // A "WINDOW" (1), "BUTTON" (2), "LABEL" (3) or "EDIT" (4) object: 0, or -1 when full.
    int ScanWindow(FILE* file, uint32_t type);
    // Keeps a control class's prototype (null is ignored).
    void AddControlTemplate(CControl3D* prototype);
    CEngWindow* FindWindowTemplate(const char* name) { return windowTemplates.FindByName(name); }

    // A live window from the template, recorded for the reset; null when the template is
    // missing or the window cannot be made or recorded.
    CBaseWin* CreateEngineWindow(CEngWindow* windowTemplate);
    // Deletes a live window recorded here; others are left alone.
    void DestroyEngineWindow(CBaseWin* window);

    // Registered clones of the group's prototypes, active and remembering their group.
    void CreateActivateControls(CControlGroup* group);
    // Mode 0 disables the group's controls; any other mode makes them inactive.
    void DisableGroupControls(CControlGroup* group, int mode);
    void EnableGroupControls(CControlGroup* group);

    void PickControls();
    // True when a 3D control lies under the cursor this frame.
    bool ControlPicked() const { return pickedControl != nullptr; }
    // Makes the frame-control array ready before the first presentation's frames.
    void EnsureActiveControls();
    // Presentation end: forgets the picks, deletes the live windows, empties the lists.
    void Reset();
    // The fonts are going (a repeated "Fonts" section): no template keeps one, and the live
    // windows that may draw with one are deleted.
    void ForgetFonts();

    static constexpr size_t MAX_FRAME_CONTROLS = 4096;
    // 0, or -1 when the array is at its limit (the first refusal is reported).
    int AddFrameControl(CAtom* unit);
    void ClearFrameControls() { frameControls.clear(); }
    // Drops a unit that is being deleted.
    void ForgetUnit(const CAtom* unit);

    TContainer<CControl3D*, uint16_t> controlTemplates;
    int32_t warningBudget = 4;
    TContainer<CControlGroup, uint16_t> groups;
    TContainer<CEngWindow, uint16_t> windowTemplates;
    TContainer<CBaseWin*, uint16_t> liveWindows;
    TContainer<CControl3D*, uint16_t> activeControls;
    std::vector<CAtom*> frameControls;
    CControl3D* pickedControl = nullptr;
    CControl3D* hoveredControl = nullptr;
    CControl3D* pressedControl = nullptr;
    bool limitReported = false;

private:
    template <class Visit>
    void ForEachActiveOf(const CControlGroup* group, Visit visit);
    void ForgetRecords();
    CControl3D* HitControl(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction);
    void ApplyPick(bool leftHeld, bool leftClick);
    void DeleteLiveWindow(CBaseWin* window);
    void DeleteLiveWindows();
};

extern CControls3D* gControls3D;
extern IControls3D* gIControls3D;
