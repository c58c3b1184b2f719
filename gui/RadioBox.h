#pragma once
// CRadioBox: a vertical group of option rows over one textured window; the selection is a
// bit mask, one bit per row, and a click selects exactly the row under the mouse. CCheckBox:
// the same group whose rows toggle on their own. The marks and the highlighted row strip come
// from a mark texture (not owned); without one only the window picture is drawn and clicks
// still change the mask. Made by CWinSuperior::AddRadioBox / AddCheckBox; nothing fails.

#include "gui/BaseWin.h"

class CRadioBox : public CBaseWin {
public:
    int32_t markX = 0, markY = 0;  // the first row's mark relative to the window
    int32_t rowHeight = 15;
    uint32_t selectedMask = 0;
    int32_t rowCount = 1;
    IDirect3DTexture9* markTexture = nullptr;
    RECT markRect = {};  // right and bottom exclusive
    uint32_t rowColor = 0xFFFFFFFF;
    uint32_t rowHoverColor = 0xFFFFFFFF;
    float rowTimer = 0.0f;

    // The mark rect is inclusive.
    void Init(int newMarkX, int newMarkY, int newRowHeight, uint32_t mask, int rows,
              IDirect3DTexture9* newMarkTexture, const RECT& newMarkRect);
    // Window picture and mark texture both.
    void SetMarkTexture(IDirect3DTexture9* tex);
    // The window's hover colours and the colour of the highlighted row.
    void SetHoverColours(uint32_t normal, float toNormal, uint32_t hover, float toHover,
                         uint32_t rowHover);
    // 0-based row under the mouse within 0..row count - 1.
    int RowUnderMouse() const;
    // The bit of the row under the mouse; rows above the first and below the last give the
    // first and the last row.
    uint32_t BitUnderMouse() const;

    void UpdateHighlight() override;
    // The window picture, then the highlighted row strip and the marks of the set bits.
    void Draw() override;
    void OnClick() override { selectedMask = BitUnderMouse(); }

private:
    int ClampedRow() const;
};

class CCheckBox : public CRadioBox {
public:
    void OnClick() override { selectedMask ^= BitUnderMouse(); }
};
