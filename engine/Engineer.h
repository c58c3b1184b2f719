#pragma once
// CEngineer: the developer panel. A small window with view checks (wireframe, blank shadow
// maps, the valid-map overlay around the current cell, the "Units in world..." list
// dialog), a key that shows or hides it and a hold-and-tap key that pauses the simulation,
// runs it a slow step at a time or lets it run, with its hooks around the engine frame.
// Init fails (-1) when the panel texture is missing, and the panel then has no windows, no
// keys and no overlay. Its windows belong to the window manager; the panel deletes them
// with itself and releases its overlay buffers and shader. A failed overlay lock is
// reported once and switches the overlay off.

#include "core/GraphicsTypes.h"
#include "core/KeyHandler.h"

#include <d3d9.h>

#include <cstdint>

class CBaseWin;
class CGameMap;
struct CUserArray;
class CCheckBox;
class CTextListDiag;

// View-check rows of the panel by their bit in the check mask.
enum : uint32_t {
    VIEW_WIREFRAME = 0x2,
    VIEW_BLANK_SHADOWS = 0x8,
    VIEW_VALID_MAP = 0x10,
    VIEW_UNITS_LIST = 0x20,
};

// The step key is held this long before the simulation runs while it is held.
constexpr float ENGINEER_LONG_HOLD = 0.35f;
constexpr float ENGINEER_STEP_SCALE = 0.02f;
constexpr float ENGINEER_SHIFT_STEP_SCALE = 0.1f;

// The valid-map overlay: a window of cells centred on the current cell, one quad each.
constexpr int OVERLAY_COLUMNS = 101, OVERLAY_ROWS = 101;
constexpr int OVERLAY_VERTICES = OVERLAY_COLUMNS * OVERLAY_ROWS * 4;
constexpr int OVERLAY_TRIANGLES = OVERLAY_COLUMNS * OVERLAY_ROWS * 2;
constexpr D3DCOLOR OVERLAY_COLOUR = 0xFF00FF00;
// What a blank shadow map is filled with.
constexpr D3DCOLOR BLANK_SHADOW_COLOUR = 0x80800080;

// A corner of an overlay quad: position and colour (vertex format 0x42).
struct SOverlayVertex {
    float x, y, z;
    D3DCOLOR colour;
};
static_assert(sizeof(SOverlayVertex) == 16, "position and diffuse colour");
constexpr DWORD OVERLAY_FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE;
static_assert(OVERLAY_FVF == 0x42, "position and diffuse colour");

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
    int32_t blankShadowMaps = 0;
    int32_t validMapOverlay = 0;
    int32_t unitsListX = 100, unitsListY = 100;
    CTextListDiag* unitsList = nullptr;
    bool unitsListRoomTold = false;  // the window list's want of room for it was said
    CKeyHandler toggleKey;
    CKeyTable toggleTable;
    IDirect3DVertexBuffer9* overlayVB = nullptr;
    IDirect3DIndexBuffer9* overlayIB = nullptr;
    ShaderPair overlayShader{};

    ~CEngineer() override;
    // 0, or -1 when "Developer\MainPanel.tga" cannot be loaded.
    int Init();
    // Shows the panel when hidden, hides it when shown.
    void TogglePanel();
    // Per frame before the units are processed: the pause and step key.
    void Update();
    // Before the units are drawn: the fill mode of the view checks.
    void ApplyViewChecks();
    // After the units are drawn: the valid-map overlay, then the frame's default states
    // (solid filling) for what is drawn later.
    void Draw();
    // The valid-map overlay, when its check is ticked and the current map has a valid map.
    void DrawDebugLines();
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
    void CreateOverlay();
    // Writes a quad for every set cell of the window; the number of quads.
    int WriteOverlayQuads(CGameMap& map, const CUserArray& valid, SOverlayVertex* out) const;
    void DrawOverlay(int quads);
    void OpenUnitsList();
    void CloseUnitsList();
    void DeleteUnitsList();
    static void OnUnitsListClosed();
    void TapReleased();
};

extern CEngineer* gEngineer;
extern IEngineer* gIEngineer;
