#pragma once
// CEngineer: the developer panel. A small window with view checks (wireframe, the valid-map
// overlay option, the "Units in world..." list dialog), a key that shows or hides it and a
// hold-and-tap key that pauses the simulation, runs it a slow step at a time or lets it
// run, with its hooks around the engine frame. Init fails (-1) when the panel texture is
// missing, and the panel then has no windows and no keys. Its windows belong to the window
// manager; the panel deletes them with itself.

#include "core/KeyHandler.h"

#include <d3d9.h>

#include <cstdint>

class CBaseWin;
class CCheckBox;
class CTextListDiag;

// View-check rows of the panel by their bit in the check mask.
enum : uint32_t {
    VIEW_WIREFRAME = 0x2,
    VIEW_VALID_MAP = 0x10,
    VIEW_UNITS_LIST = 0x20,
};

// The step key is held this long before the simulation runs while it is held.
constexpr float ENGINEER_LONG_HOLD = 0.35f;
constexpr float ENGINEER_STEP_SCALE = 0.02f;
constexpr float ENGINEER_SHIFT_STEP_SCALE = 0.1f;

class IEngineer {
public:
    virtual ~IEngineer() = default;
};

class CEngineer : public IEngineer {
public:
    enum EPause { RUNNING = 0, PAUSED = 1, STEP_PENDING = 2, STEP_RUNNING = 3 };

    int32_t pauseState = RUNNING;
    int32_t longHold = 0;
    float holdTime = 0.0f;
    IDirect3DTexture9* panelTexture = nullptr;
    CBaseWin* root = nullptr;
    CBaseWin* caption = nullptr;
    CBaseWin* body = nullptr;
    CCheckBox* viewChecks = nullptr;
    int32_t wireframe = 0;
    int32_t validMapOverlay = 0;
    int32_t unitsListX = 100, unitsListY = 100;
    CTextListDiag* unitsList = nullptr;
    CKeyHandler toggleKey;
    CKeyTable toggleTable;

    ~CEngineer() override;
    // 0, or -1 when "Developer\MainPanel.tga" cannot be loaded.
    int Init();
    // Shows the panel when hidden, hides it when shown.
    void TogglePanel();
    // Per frame before the units are processed: the pause and step key.
    void Update();
    // Before the units are drawn: the fill mode of the view checks.
    void ApplyViewChecks();
    // After the units are drawn: back to solid filling for what is drawn later.
    void Draw();
    // Change callback of the view checks.
    void OnViewChecks();
    // Click callback of the caption: the body follows the caption's frame.
    void OnCaptionClick();

    // The engine frame's hooks.
    void BeforeRender() { ApplyViewChecks(); }
    void AfterRender() { Draw(); }
    void OnPresentationStart() { TogglePanel(); }

    // The units list, filled by the unit walk while the list dialog is shown.
    bool ListsUnits() const;
    void ClearUnitNames();
    void AddUnitName(const char* name);

private:
    void CreateWindows();
    void OpenUnitsList();
    void CloseUnitsList();
    void DeleteUnitsList();
    static void OnUnitsListClosed();
    void TapReleased();
};

extern CEngineer* gEngineer;
extern IEngineer* gIEngineer;
