#include "gui/TextList.h"

#include "core/Font.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Strings.h"
#include "gui/TextListDiag.h"
#include "gui/WinSuperior.h"

#include <algorithm>
#include <cstring>

namespace {

// A row's text sits this many pixels above its place.
constexpr int TEXT_RAISE = 3;

} // namespace

CTextList::~CTextList()
{
    FreeBlocks();
    delete pOnRowEdited;
}

void CTextList::FreeBlocks()
{
    delete[] items;
    delete[] selection;
    delete[] values;
    items = nullptr;
    selection = nullptr;
    values = nullptr;
    currentItem = nullptr;
}

void CTextList::Create(CFont* newFont, uint32_t colour, uint32_t hoverColour,
                       uint32_t selectedColour, int newCapacity, int newItemWidth, int rows,
                       int newRowHeight)
{
    font = newFont;
    color = colour;
    rowHoverColor = hoverColour;
    selectedColor = selectedColour;
    FreeBlocks();
    capacity = std::max(newCapacity, 0);
    itemWidth = std::max(newItemWidth, 1);
    visibleRows = rows;
    rowHeight = newRowHeight > 0 ? newRowHeight : 1;
    items = new char[size_t(capacity) * size_t(itemWidth)]();
    selection = new int32_t[size_t(capacity)];
    std::fill(selection, selection + capacity, ITEM_NOT_SELECTED);
    if (flags & WIN_ITEMVALUES)
        values = new uint32_t[size_t(capacity)]();
    count = 0;
    currentIndex = editedRow = -1;
    triggerMode = KEY_ON_PRESS;
    fnOnWheel = OnWheel;
}

void CTextList::Draw()
{
    if (!font)
        return;
    gGraphics.EndSprites();
    CWinSuperior& ws = gWinSuperior;
    hoverRow = slot >= 0 && slot == ws.slotUnderMouse ? ws.mouseOffsetY / rowHeight + topRow
                                                       : -1;
    const int rows = std::min(visibleRows, count - topRow);
    for (int k = 0; k < rows; ++k) {
        const int i = topRow + k;
        const char* text = ItemAt(i);
        if (i == editedRow || !text[0])
            continue;
        uint32_t colour = color;
        if (selection[i] == ITEM_SELECTED)
            colour = selectedColor;
        else if (i == hoverRow)
            colour = rowHoverColor;
        font->DrawAt(left, top - TEXT_RAISE + k * rowHeight, text, colour);
    }
}

void CTextList::OnClick()
{
    CWinSuperior& ws = gWinSuperior;
    ws.swallowClick = 0;
    ws.rowEditList = this;
    if (flags & WIN_NOSELECT)
        return;
    const int row = ws.mouseOffsetY / rowHeight + topRow;
    if (row < 0 || row >= count) {
        ws.swallowClick = 1;
        return;
    }
    const bool ctrl = gInput.CtrlDown();
    if (ctrl && !(flags & WIN_SINGLESELECT)) {
        if (selection[row] == ITEM_SELECTED) {
            selection[row] = ITEM_NOT_SELECTED;
            currentIndex = -1;
            currentItem = nullptr;
        } else {
            MakeCurrent(row);
        }
        return;
    }
    DeselectAll();
    MakeCurrent(row);
    if (!ctrl && gInput.doubleClick)
        ws.BeginRowEdit(this);
}

void CTextList::OnWheel()
{
    CTextList* list = static_cast<CTextList*>(gWinSuperior.pWinUnderMouse);
    if (!list)
        return;
    list->Scroll(gInput.wheelDelta >= 0 ? -1 : 1);
    if (list->parent && list->parent->kind == WIN_KIND_LIST_DIAG)
        static_cast<CTextListDiag*>(list->parent)->UpdateThumb();
}

int CTextList::AddItem(const char* text)
{
    if (count >= capacity || !text || !text[0])
        return 0;
    StrCopy(ItemAt(count), size_t(itemWidth), text);
    selection[count] = ITEM_NOT_SELECTED;
    return ++count;
}

int CTextList::AddItemWithValue(const char* text, uint32_t value)
{
    const int added = AddItem(text);
    if (added && values)
        values[count - 1] = value;
    return added;
}

void CTextList::AddItems(const char* buffer, int stride, int n)
{
    for (int i = 0; i < n; ++i)
        AddItem(buffer + size_t(i) * size_t(stride));
}

// Items, selection entries and values after i move down one slot; the freed last slot is
// emptied.
void CTextList::RemoveAt(int i)
{
    for (int j = i + 1; j < count; ++j) {
        memcpy(ItemAt(j - 1), ItemAt(j), size_t(itemWidth));
        selection[j - 1] = selection[j];
        if (values)
            values[j - 1] = values[j];
    }
    --count;
    memset(ItemAt(count), 0, size_t(itemWidth));
    selection[count] = ITEM_NOT_SELECTED;
    if (values)
        values[count] = 0;
}

int CTextList::RemoveCurrent()
{
    if (!currentItem || currentIndex < 0)
        return -1;
    RemoveAt(currentIndex);
    ClearSelection();
    return count;
}

void CTextList::RemoveSelected()
{
    for (int i = count - 1; i >= 0; --i)
        if (selection[i] == ITEM_SELECTED)
            RemoveAt(i);
    ClearSelection();
}

int CTextList::RemoveByText(const char* text)
{
    if (!text)
        return 0;
    for (int i = 0; i < count; ++i) {
        if (strcmp(ItemAt(i), text) != 0)
            continue;
        // The current item moves with the items behind it.
        if (currentIndex >= i)
            ClearSelection();
        RemoveAt(i);
        return i;
    }
    return 0;
}

int CTextList::RemoveLast()
{
    if (count <= 0)
        return count;
    if (currentIndex == count - 1)
        ClearSelection();
    RemoveAt(count - 1);
    return count;
}

void CTextList::Clear(bool resetTop)
{
    if (count > 0) {
        memset(items, 0, size_t(count) * size_t(itemWidth));
        if (values)
            std::fill(values, values + count, 0u);
        DeselectAll();
        count = 0;
    }
    if (resetTop)
        topRow = 0;
    currentIndex = editedRow = -1;
    currentItem = nullptr;
}

void CTextList::KeepPrefix(const char* prefix)
{
    const size_t n = prefix ? strlen(prefix) : 0;
    for (int i = count - 1; i >= 0; --i)
        if (strncmp(ItemAt(i), prefix ? prefix : "", n) != 0) {
            if (currentIndex >= i)
                ClearSelection();
            RemoveAt(i);
        }
    ClampTop();
}

void CTextList::DeselectAll()
{
    if (selection)
        std::fill(selection, selection + capacity, ITEM_NOT_SELECTED);
}

void CTextList::MakeCurrent(int i)
{
    selection[i] = ITEM_SELECTED;
    currentIndex = i;
    currentItem = ItemAt(i);
}

int CTextList::SelectByText(const char* text)
{
    DeselectAll();
    currentIndex = -1;
    currentItem = nullptr;
    for (int i = 0; text && i < count; ++i)
        if (strcmp(ItemAt(i), text) == 0) {
            MakeCurrent(i);
            return i;
        }
    return -1;
}

// An index out of range selects the first item; an empty list selects nothing.
int CTextList::SelectIndex(int i)
{
    DeselectAll();
    if (count <= 0) {
        currentIndex = -1;
        currentItem = nullptr;
        return -1;
    }
    MakeCurrent(i >= 0 && i < count ? i : 0);
    return currentIndex;
}

int CTextList::FindText(const char* text)
{
    for (int i = 0; text && i < count; ++i)
        if (strcmp(ItemAt(i), text) == 0) {
            selection[i] = ITEM_SELECTED;
            return i;
        }
    return -1;
}

void CTextList::SelectMany(const int* indices, int n)
{
    ClearSelection();
    for (int k = 0; indices && k < n; ++k)
        if (indices[k] >= 0 && indices[k] < count)
            selection[indices[k]] = ITEM_SELECTED;
}

void CTextList::ClearSelection()
{
    DeselectAll();
    currentIndex = editedRow = -1;
    currentItem = nullptr;
}

bool CTextList::IsSelected(int i) const
{
    return i >= 0 && i < count && selection[i] == ITEM_SELECTED;
}

// Texts and values change places; the selection stays where it was.
void CTextList::Swap(int a, int b)
{
    std::swap_ranges(ItemAt(a), ItemAt(a) + itemWidth, ItemAt(b));
    if (values)
        std::swap(values[a], values[b]);
}

void CTextList::SwapWithPrevious(int i)
{
    if (i > 0 && i < count)
        Swap(i, i - 1);
}

void CTextList::SwapWithNext(int i)
{
    if (i >= 0 && i < count - 1)
        Swap(i, i + 1);
}

void CTextList::MoveCurrentUp()
{
    if (currentIndex < 1 || currentIndex >= count)
        return;
    Swap(currentIndex, currentIndex - 1);
    DeselectAll();
    MakeCurrent(currentIndex - 1);
}

void CTextList::MoveCurrentDown()
{
    if (currentIndex < 0 || currentIndex >= count - 1)
        return;
    Swap(currentIndex, currentIndex + 1);
    DeselectAll();
    MakeCurrent(currentIndex + 1);
}

void CTextList::SetCurrentText(const char* text)
{
    if (currentItem)
        StrCopy(currentItem, size_t(itemWidth), text ? text : "");
}

char* CTextList::GetCurrentValue(uint32_t* out) const
{
    if (out)
        *out = currentItem && values && currentIndex >= 0 ? values[currentIndex] : 0;
    return currentItem;
}

char* CTextList::GetItem(uint32_t* value, int i) const
{
    const bool inRange = i >= 0 && i < count;
    if (value)
        *value = inRange && values ? values[i] : 0;
    return inRange ? ItemAt(i) : nullptr;
}

void CTextList::ClampTop()
{
    if (topRow + visibleRows > count + TEXT_LIST_SPARE_ROWS)
        topRow = count - visibleRows + TEXT_LIST_SPARE_ROWS;
    topRow = std::max(topRow, 0);
}

int CTextList::Scroll(int delta)
{
    topRow += delta;
    if (delta >= 0)
        ClampTop();
    else
        topRow = std::max(topRow, 0);
    return topRow;
}
