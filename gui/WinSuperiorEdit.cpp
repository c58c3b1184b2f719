// Keyboard focus of edit fields: the factory, the edit key table and its callbacks, the
// focused field's value and the loss of focus to a button held over another window (which
// ends a row edit).
#include "gui/WinSuperior.h"

#include "core/Input.h"
#include "gui/MyEdit.h"

#include <cstring>

CMyEdit* gWinEdit = nullptr;
CKeyTable gEditKeyTable;
CKeyHandler gEditKeyHome, gEditKeyEnd, gEditKeyBackspace, gEditKeyDelete, gEditKeyLeft,
    gEditKeyRight, gEditKeyEscape, gEditKeyEnter, gEditKeyNumpadEnter;

namespace {

struct SEditKey {
    CKeyHandler* handler;
    uint8_t code;
    uint32_t mode;
    void (*callback)();
};

const SEditKey EDIT_KEYS[] = {
    {&gEditKeyHome, DIK_HOME, KEY_ON_RELEASE, CWinSuperior::OnHomeKey},
    {&gEditKeyEnd, DIK_END, KEY_ON_RELEASE, CWinSuperior::OnEndKey},
    {&gEditKeyBackspace, DIK_BACK, KEY_AUTO_REPEAT, CWinSuperior::OnBackspaceKey},
    {&gEditKeyDelete, DIK_DELETE, KEY_AUTO_REPEAT, CWinSuperior::OnDeleteKey},
    {&gEditKeyLeft, DIK_LEFT, KEY_AUTO_REPEAT, CWinSuperior::OnLeftKey},
    {&gEditKeyRight, DIK_RIGHT, KEY_AUTO_REPEAT, CWinSuperior::OnRightKey},
    {&gEditKeyEscape, DIK_ESCAPE, KEY_ON_RELEASE, CWinSuperior::OnEscapeKey},
    {&gEditKeyEnter, DIK_RETURN, KEY_ON_PRESS, CWinSuperior::OnEnterKey},
    {&gEditKeyNumpadEnter, DIK_NUMPADENTER, KEY_ON_PRESS, CWinSuperior::OnEnterKey},
};
static_assert(sizeof EDIT_KEYS / sizeof EDIT_KEYS[0] == 9, "edit keys");

// The operation on the focused field; any editing key disarms replace on type.
void OnFocused(void (CMyEdit::*operation)())
{
    if (CMyEdit* edit = gWinSuperior.pWinFocused)
        (edit->*operation)();
    gWinSuperior.replaceOnType = 0;
}

} // namespace

void CWinSuperior::InitEditKeys()
{
    gEditKeyTable.count = 0;
    for (const SEditKey& key : EDIT_KEYS) {
        key.handler->Set(key.code, key.mode, key.callback);
        gEditKeyTable.FillList(&key.handler, 1);
    }
}

CMyEdit* CWinSuperior::AddEdit(int x, int y, int width, int height, void (*onEnter)(),
                               CFont* font, const char* text, uint32_t colour,
                               uint32_t focusedColour, uint32_t flags)
{
    CMyEdit* edit = new CMyEdit;
    if (!Place(edit, x, y, width, height, nullptr, nullptr, 0, 0, 0, 0, KEY_ON_RELEASE, flags))
        return edit;
    edit->SetFont(font, text, colour);
    edit->focusedColor = focusedColour;
    edit->onEnter = onEnter;
    return edit;
}

int CWinSuperior::GetFocusedText(char* buffer) const
{
    if (!pWinFocused)
        return 0;
    pWinFocused->GetText(buffer);
    return 1;
}

float CWinSuperior::GetFocusedFloat() const
{
    return pWinFocused ? pWinFocused->GetFloat() : 1.0f;
}

int CWinSuperior::GetFocusedInt() const
{
    return pWinFocused ? pWinFocused->GetInt() : 1;
}

void CWinSuperior::OnHomeKey() { OnFocused(&CMyEdit::OnHome); }
void CWinSuperior::OnEndKey() { OnFocused(&CMyEdit::OnEnd); }
void CWinSuperior::OnBackspaceKey() { OnFocused(&CMyEdit::OnBackspace); }
void CWinSuperior::OnDeleteKey() { OnFocused(&CMyEdit::OnDelete); }
void CWinSuperior::OnLeftKey() { OnFocused(&CMyEdit::OnLeft); }
void CWinSuperior::OnRightKey() { OnFocused(&CMyEdit::OnRight); }
void CWinSuperior::OnEscapeKey() { OnFocused(&CMyEdit::OnEscape); }

// Enter arms replace on type: the next character starts a new text unless the field keeps
// its text. The callback may have deleted the field or moved the focus.
void CWinSuperior::OnEnterKey()
{
    CWinSuperior& ws = gWinSuperior;
    if (!ws.pWinFocused)
        return;
    ws.pWinFocused->OnEnter();
    if (ws.pWinFocused)
        ws.replaceOnType = (ws.pWinFocused->flags & WIN_KEEPTEXT) ? 0 : 1;
}

void CWinSuperior::FocusLossStep()
{
    if (!pWinFocused || pWinFocused == pWinUnderMouse || (!gInput.leftHeld && !gInput.rightHeld))
        return;
    if (pWinFocused == gWinEdit) {
        EndRowEdit();
        return;
    }
    CMyEdit* edit = pWinFocused;
    pWinFocused = nullptr;
    edit->KillFocus();
}
