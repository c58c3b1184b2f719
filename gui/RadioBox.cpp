#include "gui/RadioBox.h"

#include "core/Graphics.h"
#include "gui/WinSuperior.h"

#include <algorithm>

void CRadioBox::Init(int newMarkX, int newMarkY, int newRowHeight, uint32_t mask, int rows,
                     IDirect3DTexture9* newMarkTexture, const RECT& newMarkRect)
{
    markX = newMarkX;
    markY = newMarkY;
    rowHeight = newRowHeight;
    selectedMask = mask;
    rowCount = rows;
    markTexture = newMarkTexture;
    markRect = RECT{newMarkRect.left, newMarkRect.top, newMarkRect.right + 1,
                    newMarkRect.bottom + 1};
}

void CRadioBox::SetMarkTexture(IDirect3DTexture9* tex)
{
    texture = tex;
    markTexture = tex;
}

void CRadioBox::SetHoverColours(uint32_t normal, float toNormal, uint32_t hover,
                                float toHover, uint32_t rowHover)
{
    CBaseWin::SetHoverColours(normal, toNormal, hover, toHover);
    rowHoverColor = rowHover;
}

// 0-based, within the rows (a mask has at most 32 of them).
int CRadioBox::ClampedRow() const
{
    const int rows = std::clamp(rowCount, 1, 32);
    const int row = (gWinSuperior.mouseOffsetY - markY) / rowHeight;
    return std::clamp(row, 0, rows - 1);
}

int CRadioBox::RowUnderMouse() const
{
    return rowHeight ? ClampedRow() : 1;
}

uint32_t CRadioBox::BitUnderMouse() const
{
    return rowHeight ? 1u << ClampedRow() : 1u;
}

void CRadioBox::UpdateHighlight()
{
    CBaseWin::UpdateHighlight();
    if (gWinSuperior.pWinUnderMouse == this) {
        if (rowColor != rowHoverColor)
            BlendStep(&rowColor, &rowTimer, rowHoverColor, hoverColor, timeToHover);
    } else if (rowColor != hoverColor) {
        BlendStep(&rowColor, &rowTimer, hoverColor, rowHoverColor, timeToHover);
    }
}

void CRadioBox::Draw()
{
    CBaseWin::Draw();
    if (!markTexture)
        return;
    const bool hovered = gWinSuperior.pWinUnderMouse == this && hoverColor != rowHoverColor;
    const int lit = hovered ? RowUnderMouse() : -1;
    const int rows = std::min(rowCount, 32);
    for (int i = 0; i < rows; ++i) {
        gGraphics.BeginSprites((flags & WIN_NOBLEND) != 0);
        gGraphics.SetZEnable(false);
        const int x = left + markX, y = top + markY + i * rowHeight;
        if (i == lit && texture) {
            const LONG stripTop = sourceRect.top + i * rowHeight;
            const RECT strip{sourceRect.left, stripTop, sourceRect.right,
                             stripTop + rowHeight - 2};
            gGraphics.DrawTexture(x, y, &strip, texture, rowColor);
        }
        if (!(selectedMask & (1u << i)))
            continue;
        gGraphics.DrawTexture(x, y, &markRect, markTexture, color);
        if (i == lit)
            gGraphics.DrawTexture(x, y, &markRect, markTexture, rowColor);
    }
}
