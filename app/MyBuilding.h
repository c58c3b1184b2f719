#pragma once
// CMyBuilding: a residential building placed by a presentation. It reads its keyword block
// (meshes, facade pictures, rectangles, address, cost/area file), creates and stacks its
// floors between its "Hall" and "Attic" slaves and keeps the pictures of its panel. The
// unit registry owns the building and its floors; unknown keywords get a message and
// reading goes on.

#include "core/Array.h"
#include "core/IntRect.h"
#include "scene/Unit.h"

#include <cstdint>
#include <cstdio>

class CBaseWin;
class CClassTemplate;
class CFloor;
class CGameMap;
struct IDirect3DTexture9;

constexpr int MAX_BUILDING_FLOOR_WINDOWS = 256;
constexpr size_t BUILDING_ADDRESS_SIZE = 128;

class CMyBuilding : public CUnit {
public:
    CMyBuilding() = default;
    ~CMyBuilding() override;

    // Clears the floor hover of the frame and counts the interior's time down.
    uint32_t DoIdle() override;

    // The keyword block after "UserDefines:", from its opening word to "};".
    void Scan(FILE* file);
    // Skipped without a message when the file does not open.
    void ScanCostAreaFile(const char* path);
    // A new floor of the template, registered on the map; null when refused.
    CFloor* AddFloor(CClassTemplate* floorClass, CGameMap* onMap);
    void SetFloorWindowMeshes();

    // ---- The building's panel in the control column (BuildingPanel.cpp) ----
    // Its button on the top view at (x + topViewX, y + topViewY); none without a picture.
    void AddTopViewButton(int x, int y);
    // Click on the top-view button: the facade with hall, floors and attic under the top view.
    void ShowPanel();
    void HidePanel();
    void DeletePanelWindows();
    // Every frame while the panel is shown.
    void DrawPanel();
    void GetPanelRect(CIntRect* rect) const;
    void OnFloorHover();
    void OnFloorRightClick();

    // ---- The flat show (FlatShow.cpp) ----
    // Click of the show-flat button: starts or closes the show of the selected floor.
    void ToggleFlatShow();
    void HideWindows();
    void ShowWindows();

    int32_t numFloors = 0;
    TArray<CFloor*> floors;  // index i holds floor i + 1
    CAtom* hall = nullptr;
    CAtom* attic = nullptr;
    uint16_t windowMesh = 0;
    uint16_t selectMesh = 0;
    IDirect3DTexture9* topViewTexture = nullptr;
    CBaseWin* topViewButton = nullptr;
    int32_t topViewX = 0, topViewY = 0;
    CIntRect topViewSource;
    CIntRect topViewSelectRect;
    IDirect3DTexture9* facadeTexture = nullptr;
    CBaseWin* floorWindows[MAX_BUILDING_FLOOR_WINDOWS] = {};
    CBaseWin* hallWindow = nullptr;
    CBaseWin* atticWindow = nullptr;
    CBaseWin* selectionOverlay = nullptr;
    CBaseWin* lightingOverlay = nullptr;
    CIntRect faceHallRect, faceFloorRect, faceAtticRect, floorSelRect, floorLightingRect;
    char address[BUILDING_ADDRESS_SIZE] = {};
    int32_t panelTop = 0, panelBottom = 0;

private:
    using KeyReader = void (CMyBuilding::*)(FILE*);
    struct SKeyword {
        const char* word;
        KeyReader read;
    };
    static const SKeyword KEYWORDS[];

    uint16_t ScanMesh(FILE* file);
    IDirect3DTexture9* ScanTexture(FILE* file);
    void ScanNumFloors(FILE* file);
    void ScanFloorMesh(FILE* file);
    void ScanFloorShadowMesh(FILE* file);
    void ScanSelectMesh(FILE* file);
    void ScanInteriorMesh(FILE* file);
    void ScanInteriorMeshInFloors(FILE* file);
    void ScanWindowMesh(FILE* file);
    void ScanTopView(FILE* file);
    void ScanTopViewSelect(FILE* file) { ScanRect(file, topViewSelectRect); }
    void ScanFacade(FILE* file) { facadeTexture = ScanTexture(file); }
    void ScanHallRect(FILE* file) { ScanRect(file, faceHallRect); }
    void ScanFloorRect(FILE* file) { ScanRect(file, faceFloorRect); }
    void ScanAtticRect(FILE* file) { ScanRect(file, faceAtticRect); }
    void ScanSelRect(FILE* file) { ScanRect(file, floorSelRect); }
    void ScanLightingRect(FILE* file) { ScanRect(file, floorLightingRect); }
    void ScanAddress(FILE* file);
    void ScanCostArea(FILE* file);
    static void ScanRect(FILE* file, CIntRect& rect);
    void StackFloors(uint16_t floorMesh);
    void ScanCostAreaBlock(FILE* file);
};

// The user-class factory of the unit registry: a building for "CMyBuilding", else null.
CAtom* CreateUserUnit(CClassTemplate* scriptClass, const char* userClass);
// A building of the template registered on the map; null when the registry refuses it.
CMyBuilding* NewMyBuilding(CClassTemplate* scriptClass, CGameMap* onMap);
// Points the template's keyword hook at the building (made once per template).
void SetScanHook(CClassTemplate* scriptClass, CMyBuilding* building);
