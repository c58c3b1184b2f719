#pragma once
// CTable: a grid of fixed-width text cells drawn with a font (not owned), filled column by
// column, with a hover cell and one selected, current cell. It owns its cell and selection
// blocks. Made by CWinSuperior::AddTable; a full table or an empty text refuses the cell.

#include "gui/BaseWin.h"

class CTable : public CBaseWin {
public:
    CFont* font = nullptr;
    char* cells = nullptr;         // capacity x cellBytes
    int32_t* selection = nullptr;  // ITEM_SELECTED or ITEM_NOT_SELECTED per cell
    int32_t cellBytes = 0;
    int32_t capacity = 0;
    int32_t count = 0;
    int32_t rowsPerColumn = 0;
    int32_t cellsPerScrollStep = 0;
    int32_t firstDrawnCell = 0;
    int32_t hoverCell = -1;
    int32_t cellWidth = 100, cellHeight = 12;
    int32_t scrollPosition = 0;
    uint32_t cellHoverColor = 0xFF00FF00;
    uint32_t selectedColor = 0xFF0080FF;
    char* currentText = nullptr;
    int32_t currentIndex = -1;

    ~CTable() override;
    // Zeroed cells, nothing selected, press trigger; colour is the window colour.
    void Init(CFont* newFont, uint32_t colour, uint32_t hoverColour, uint32_t selectedColour,
              int newCapacity, int newCellBytes, int rows, int perScrollStep, int newCellWidth,
              int newCellHeight);
    // The new count, or 0 when refused.
    int AddCell(const char* text);
    void Clear();
    char* CellAt(int i) const { return cells + size_t(i) * size_t(cellBytes); }

    // Cells from the first drawn one, top to bottom in columns, up to the first empty cell.
    void Draw() override;
    // The hover cell becomes current and the only selected one; no cell there selects none.
    void OnClick() override;

private:
    void DeselectAll();
    int CellUnderMouse() const;
};
