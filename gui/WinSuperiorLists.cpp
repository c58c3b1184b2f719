// Text lists and list dialogs: their factories, the shared in-place row editor gWinEdit and
// the editing of a list row through it.
#include "gui/WinSuperior.h"

#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Strings.h"
#include "gui/MyEdit.h"
#include "gui/TextList.h"
#include "gui/TextListDiag.h"

namespace {

// gWinEdit's height over an edited row.
constexpr int ROW_EDIT_HEIGHT = 10;

} // namespace

CTextList* CWinSuperior::AddTextList(int x, int y, int width, int height, WinFn onClick,
                                     CFont* font, uint32_t colour, uint32_t hoverColour,
                                     uint32_t selectedColour, int capacity, int itemWidth,
                                     int rows, int rowHeight, uint32_t flags)
{
    CTextList* list = new CTextList;
    if (Place(list, x, y, width, height, onClick, nullptr, 0, 0, 0, 0, 0, flags))
        list->Create(font, colour, hoverColour, selectedColour, capacity, itemWidth, rows,
                     rowHeight);
    return list;
}

CTextListDiag* CWinSuperior::AddTextListDiag(int x, int y, const CDiagCaption& caption,
                                             WinFn onListClick, CFont* font, uint32_t colour,
                                             uint32_t hoverColour, uint32_t selectedColour,
                                             int capacity, int itemWidth, int rows,
                                             int rowHeight, uint32_t flags, bool* roomTold)
{
    // Made whole or not at all: a dialog without its list or close button is of no use.
    if (!HasRoomFor(CTextListDiag::WindowCount(caption), "a list dialog", roomTold))
        return nullptr;
    CTextListDiag* diag = new CTextListDiag;
    if (!Place(diag, x, y, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, flags))
        return diag;
    diag->Create(caption, onListClick, font, colour, hoverColour, selectedColour, capacity,
                 itemWidth, rows, rowHeight);
    if (flags & WIN_CONTAINER)
        SetOrigin(diag, diag->left, diag->top);
    return diag;
}

// Hidden until a row is edited; a second start makes it again.
void CWinSuperior::CreateRowEditor()
{
    CBaseWin* old = gWinEdit;
    DeleteWin(&old);
    gWinEdit = AddEdit(0, 0, 10, 9, OnRowEditEnter, &gGraphics.fonts[0], "abc", 0xFF808080,
                       0xFFFFFFFF, 0);
}

void CWinSuperior::BeginRowEdit(CTextList* list)
{
    if (!gWinEdit || !list || !list->currentItem)
        return;
    if (pWinFocused == gWinEdit) {
        EndRowEdit();
    } else if (CMyEdit* other = pWinFocused) {
        pWinFocused = nullptr;
        other->KillFocus();
    }
    gWinEdit->SetText(list->currentItem);
    gWinEdit->entered = 0;  // Enter always ends the edit
    gWinEdit->OnClick();
    list->editedRow = list->currentIndex;
    rowEditList = list;
    gWinEdit->MoveTo(list->left, list->top + (list->currentIndex - list->topRow) * list->rowHeight);
    gWinEdit->SetSize(list->width, ROW_EDIT_HEIGHT);
    gWinEdit->Show(1);
}

// Also reached through gWinEdit's Enter callback when another field took the keyboard
// from it; the keyboard level is then already given back.
void CWinSuperior::EndRowEdit()
{
    if (!gWinEdit)
        return;
    if (pWinFocused == gWinEdit) {
        gInput.PopLevel();
        gInput.textMode = 0;
        pWinFocused = nullptr;
    }
    gWinEdit->OnEnd();
    gWinEdit->Hide(0);
    CTextList* list = rowEditList;
    rowEditList = nullptr;
    if (!list)
        return;
    list->editedRow = -1;
    if (!list->currentItem)
        return;
    StrCopy(list->currentItem, size_t(list->itemWidth), gWinEdit->text);
    if (list->pOnRowEdited)
        list->pOnRowEdited->Invoke();
    else if (list->fnOnRowEdited)
        list->fnOnRowEdited();
}

void CWinSuperior::OnRowEditEnter()
{
    gWinSuperior.EndRowEdit();
}
