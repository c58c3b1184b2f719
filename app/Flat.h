#pragma once
// CFlat: one flat of a floor as the cost/area file describes it (price, areas, the place of
// its button on the floor plan). A plain record owned by its floor; it owns its button.

#include "app/Figures.h"
#include "core/IntRect.h"

#include <cstdint>
#include <cstdio>

class CBaseWin;
class CLabel;

// The windows of a flat's button (the button with its number, two areas and underline) and
// of the popup it opens (the picture with its three lines).
constexpr int FLAT_BUTTON_WINDOWS = 5;
constexpr int FLAT_INFO_WINDOWS = 4;

class CFlat {
public:
    CFlat() = default;
    ~CFlat();
    CFlat(const CFlat&) = delete;
    CFlat& operator=(const CFlat&) = delete;

    // The rest of one flat after its word: price, areas, picture, button and an optional
    // label position and colour.
    static void Scan(CFlat* flat, int number, uint16_t texture, FILE* file);

    // Its button on the floor plan with number and areas; the popup goes under the plan.
    // Without room in the window list for all of them the flat makes none (said once per
    // shortage).
    void AddButton(CBaseWin* flatsWindow, const uint8_t* hitMask, const CIntRect& flatsArea);
    // Click on its button: the popup with areas, price per area and total price (none
    // without room for its windows, said once per shortage).
    void ShowInfo();
    // The windows were deleted with the floor plan.
    void ForgetWindows();

    uint16_t textureId = 0;
    CBaseWin* button = nullptr;
    CBaseWin* numberLabel = nullptr;
    CBaseWin* areaALabel = nullptr;
    CBaseWin* areaBLabel = nullptr;
    CBaseWin* underline = nullptr;
    int32_t labelX = 0, labelY = 0;
    uint32_t labelColour = 0xFFFFFFFF;
    CIntRect source;
    int32_t buttonX = 0, buttonY = 0;
    int32_t number = 0;
    Hundredths pricePerArea = 0;
    Hundredths areaA = 0;  // the area the price is multiplied with
    Hundredths areaB = 0;

private:
    // A label of the flat's colour inside its button (the button is the origin).
    CLabel* AddFigure(int x, int y, int font, const char* text) const;
    CLabel* AddArea(int x, int y, Hundredths area) const;
};
