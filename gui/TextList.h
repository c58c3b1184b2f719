#pragma once
// CTextList: a scrolling list of fixed-width text items drawn row by row with a font (not
// owned): a hover row, per-item selection with Ctrl multi-selection, optional per-item user
// values (WIN_ITEMVALUES), wheel scrolling and in-place editing of a row through the
// manager's shared edit field gWinEdit. Made by CWinSuperior::AddTextList; the inner list of
// CTextListDiag. It owns its item, selection and value blocks. Nothing here reports errors:
// a full list or an empty text refuses the item, texts are cut to the item width, indexes
// out of range are ignored.

#include "gui/BaseWin.h"

// Selection entries.
constexpr int32_t ITEM_SELECTED = 0;
constexpr int32_t ITEM_NOT_SELECTED = -1;
// Empty rows the list may scroll below its last item.
constexpr int TEXT_LIST_SPARE_ROWS = 4;

class CTextList : public CBaseWin {
public:
    CFont* font = nullptr;
    char* items = nullptr;         // capacity x itemWidth bytes, item i at i x itemWidth
    int32_t* selection = nullptr;  // ITEM_SELECTED or ITEM_NOT_SELECTED per slot
    int32_t itemWidth = 0;         // bytes per item, terminator included
    int32_t capacity = 0;
    int32_t count = 0;
    int32_t visibleRows = 0;
    int32_t topRow = 0;
    int32_t hoverRow = -1;
    int32_t rowHeight = 12;
    uint32_t rowHoverColor = 0xFF00FF00;
    uint32_t selectedColor = 0xFF0080FF;
    char* currentItem = nullptr;
    int32_t editedRow = -1;      // not drawn while it is edited in place
    uint32_t* values = nullptr;  // one per slot, only with WIN_ITEMVALUES
    int32_t currentIndex = -1;
    WinFn fnOnRowEdited = nullptr;
    IDelegate* pOnRowEdited = nullptr;  // owned; preferred to fnOnRowEdited

    ~CTextList() override;
    // Colour is the window colour, the text colour of ordinary rows. Frees the blocks of an
    // earlier Create; press trigger; the wheel scrolls.
    void Create(CFont* newFont, uint32_t colour, uint32_t hoverColour, uint32_t selectedColour,
                int newCapacity, int newItemWidth, int rows, int newRowHeight);
    // The visible rows from the top row, the hovered one in the hover colour, selected ones
    // in the selected colour; nothing without font.
    void Draw() override;
    // Selects the row under the mouse (Ctrl flips it); a double click edits it in place. A
    // press below the last item swallows the click.
    void OnClick() override;
    void OnRightClick() override { ClearSelection(); }
    // Wheel callback: one row per event; a list dialog's thumb follows.
    static void OnWheel();

    // The new count, or 0 when refused.
    int AddItem(const char* text);
    int AddItemWithValue(const char* text, uint32_t value);
    void AddItems(const char* buffer, int stride, int n);
    // -1 without a current item, else the new count.
    int RemoveCurrent();
    void RemoveSelected();
    // The removed item's index; 0 when none matched.
    int RemoveByText(const char* text);
    int RemoveLast();
    void Clear(bool resetTop);
    void KeepPrefix(const char* prefix);

    int SelectByText(const char* text);
    int SelectIndex(int i);
    int FindText(const char* text);
    void SelectMany(const int* indices, int n);
    void ClearSelection();
    bool IsSelected(int i) const;

    void SwapWithPrevious(int i);
    void SwapWithNext(int i);
    void MoveCurrentUp();
    void MoveCurrentDown();
    void SetCurrentText(const char* text);

    char* GetCurrentItem() const { return currentItem; }
    int GetCurrentIndex() const { return currentIndex; }
    int GetHoverRow() const { return hoverRow; }
    // The current item; its value (0 without one) into *out.
    char* GetCurrentValue(uint32_t* out) const;
    // Item i and its value; null and 0 out of range.
    char* GetItem(uint32_t* value, int i) const;
    char* ItemAt(int i) const { return items + size_t(i) * size_t(itemWidth); }

    // The top row no further down than four empty rows below the last item, nor above 0.
    void ClampTop();
    int Scroll(int delta);
    // A row above the first item is taken as the first item.
    void SetTop(int row) { topRow = row < 0 ? 0 : row; }

private:
    void FreeBlocks();
    void DeselectAll();
    void MakeCurrent(int i);
    void RemoveAt(int i);
    void Swap(int a, int b);
};
