// Factories of the option groups and the table.
#include "gui/WinSuperior.h"

#include "gui/RadioBox.h"
#include "gui/Table.h"

// Registered and placed by the manager, then the group part with the window's texture as
// mark texture.
void CWinSuperior::PlaceGroup(CRadioBox* group, int x, int y, int width, int height,
                              WinFn onClick, int markX, int markY, int rowHeight,
                              IDirect3DTexture9* texture, const RECT& source, uint32_t flags,
                              const RECT& markSource, uint32_t selectedMask, int rowCount)
{
    if (Place(group, x, y, width, height, onClick, texture, source.left, source.top,
              source.right, source.bottom, KEY_ON_RELEASE, flags))
        group->Init(markX, markY, rowHeight, selectedMask, rowCount, texture, markSource);
}

CRadioBox* CWinSuperior::AddRadioBox(int x, int y, int width, int height, WinFn onClick,
                                     int markX, int markY, int rowHeight,
                                     IDirect3DTexture9* texture, const RECT& source,
                                     uint32_t flags, const RECT& markSource,
                                     uint32_t selectedMask, int rowCount)
{
    CRadioBox* group = new CRadioBox;
    PlaceGroup(group, x, y, width, height, onClick, markX, markY, rowHeight, texture, source,
               flags, markSource, selectedMask, rowCount);
    return group;
}

CCheckBox* CWinSuperior::AddCheckBox(int x, int y, int width, int height, WinFn onClick,
                                     int markX, int markY, int rowHeight,
                                     IDirect3DTexture9* texture, const RECT& source,
                                     uint32_t flags, const RECT& markSource,
                                     uint32_t selectedMask, int rowCount)
{
    CCheckBox* group = new CCheckBox;
    PlaceGroup(group, x, y, width, height, onClick, markX, markY, rowHeight, texture, source,
               flags, markSource, selectedMask, rowCount);
    return group;
}

CTable* CWinSuperior::AddTable(int x, int y, int width, int height, WinFn onClick,
                               CFont* font, uint32_t colour, uint32_t hoverColour,
                               uint32_t selectedColour, int capacity, int cellBytes,
                               int rowsPerColumn, int cellsPerScrollStep, int cellWidth,
                               int cellHeight, uint32_t flags)
{
    CTable* table = new CTable;
    if (Place(table, x, y, width, height, onClick, nullptr, 0, 0, 0, 0, 0, flags))
        table->Init(font, colour, hoverColour, selectedColour, capacity, cellBytes,
                    rowsPerColumn, cellsPerScrollStep, cellWidth, cellHeight);
    return table;
}
