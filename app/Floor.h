#pragma once
// CFloor: one storey of a building, a unit made from the script class "Floor". It owns its
// flats and the alpha mask of its floor-plan picture; the unit registry owns the floor.

#include "core/Array.h"
#include "core/IntRect.h"
#include "scene/Unit.h"

#include <cstdint>
#include <cstdio>
#include <vector>

class CBaseWin;
class CFlat;

class CFloor : public CUnit {
public:
    CFloor() = default;
    ~CFloor() override;

    CFlat* AddFlat();
    // One "Floor N" block of the cost/area file after its number, up to its "};".
    void ScanFlats(FILE* file);
    // Puts the floor at the given height with the given mesh.
    void StackFloor(float height, uint16_t floorMesh);
    // The mesh of the floor's slave of class "Window", when it has one.
    void SetWindowMesh(uint16_t windowMesh);

    // ---- The floor in the control column (FloorPanel.cpp) ----
    // Click on its facade window: selects it and opens its floor plan with the flats.
    void OnSelect();
    // Closes the floor plan and the flat popup and takes the selection unit's mesh.
    void Deselect();
    void DrawFlatsFrame();
    // Deletes the floor-plan window with the flats' buttons.
    void DeleteFlatsWindow();
    // A unit of class "Interior" with the floor's interior mesh, as its slave.
    void ShowInterior();

    int32_t number = 0;  // 1-based
    int32_t facadeX = 0, facadeY = 0;
    CBaseWin* selectionOverlay = nullptr;
    TArray<CFlat*> flats;
    uint16_t selectMesh = 0;
    uint16_t interiorMesh = 0;
    CIntRect flatsArea;
    CBaseWin* flatsWindow = nullptr;
    uint16_t flatsTexture = 0;
    CIntRect flatsSource;
    uint8_t* hitMask = nullptr;  // alpha of the floor plan, width x height
    bool flatsLeftOutSaid = false;  // the flats past the window list's room were named
    // The mask of a picture read for this floor; null for one it has none of.
    uint8_t* MaskOf(uint16_t texture) const;

private:
    // Names the flats past the shown ones, which the window list has no room for.
    void SayFlatsLeftOut(int shown);
    void ScanPlanPicture(FILE* file);
    uint8_t* TakeMask(uint16_t texture);

    // Every picture read for the floor keeps its mask: flats read before a later picture
    // keep the earlier one, and hits on their buttons are measured against it.
    struct SPlanMask {
        uint16_t texture;
        uint8_t* mask;
    };
    std::vector<SPlanMask> planMasks;
    void ScanFlatList(FILE* file);
};
