#include "gui/Table.h"

#include "core/Font.h"
#include "core/Graphics.h"
#include "core/KeyHandler.h"
#include "core/Strings.h"
#include "gui/TextList.h"
#include "gui/WinSuperior.h"

#include <algorithm>
#include <cstring>

namespace {

// A cell's text sits this many pixels above its place.
constexpr int TEXT_RAISE = 3;

} // namespace

CTable::~CTable()
{
    delete[] cells;
    delete[] selection;
}

void CTable::Init(CFont* newFont, uint32_t colour, uint32_t hoverColour,
                  uint32_t selectedColour, int newCapacity, int newCellBytes, int rows,
                  int perScrollStep, int newCellWidth, int newCellHeight)
{
    font = newFont;
    color = colour;
    cellHoverColor = hoverColour;
    selectedColor = selectedColour;
    delete[] cells;
    delete[] selection;
    capacity = std::max(newCapacity, 0);
    cellBytes = std::max(newCellBytes, 1);
    rowsPerColumn = std::max(rows, 1);
    cellsPerScrollStep = perScrollStep;
    cellWidth = newCellWidth > 0 ? newCellWidth : 1;
    cellHeight = newCellHeight > 0 ? newCellHeight : 1;
    cells = new char[size_t(capacity) * size_t(cellBytes)]();
    selection = new int32_t[size_t(capacity)];
    DeselectAll();
    count = 0;
    currentIndex = -1;
    currentText = nullptr;
    triggerMode = KEY_ON_PRESS;
}

void CTable::DeselectAll()
{
    std::fill(selection, selection + capacity, ITEM_NOT_SELECTED);
}

int CTable::AddCell(const char* text)
{
    if (count >= capacity || !text || !text[0])
        return 0;
    StrCopy(CellAt(count), size_t(cellBytes), text);
    return ++count;
}

void CTable::Clear()
{
    memset(cells, 0, size_t(count) * size_t(cellBytes));
    DeselectAll();
    count = 0;
    currentIndex = -1;
    currentText = nullptr;
}

void CTable::Draw()
{
    if (!font)
        return;
    gGraphics.EndSprites();
    hoverCell = CellUnderMouse();
    for (int i = std::max(firstDrawnCell, 0), k = 0; i < count && CellAt(i)[0]; ++i, ++k) {
        uint32_t colour = color;
        if (selection[i] == ITEM_SELECTED)
            colour = selectedColor;
        else if (i == hoverCell)
            colour = cellHoverColor;
        font->DrawAt(left + (k / rowsPerColumn) * cellWidth,
                     top - TEXT_RAISE + (k % rowsPerColumn) * cellHeight, CellAt(i), colour);
    }
}

int CTable::CellUnderMouse() const
{
    const CWinSuperior& ws = gWinSuperior;
    if (slot < 0 || slot != ws.slotUnderMouse)
        return -1;
    return (ws.mouseOffsetX / cellWidth) * rowsPerColumn + ws.mouseOffsetY / cellHeight +
           scrollPosition * cellsPerScrollStep;
}

// The cell under the mouse now, which is the hover cell of the last drawing unless the
// mouse moved since.
void CTable::OnClick()
{
    hoverCell = CellUnderMouse();
    DeselectAll();
    currentIndex = -1;
    currentText = nullptr;
    if (hoverCell < 0 || hoverCell >= count)
        return;
    currentIndex = hoverCell;
    currentText = CellAt(hoverCell);
    selection[hoverCell] = ITEM_SELECTED;
}
