#include "gui/MyEdit.h"

#include "core/Font.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "gui/TextList.h"
#include "gui/WinSuperior.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The text's top-left corner sits this many pixels above its offset.
constexpr int TEXT_RAISE = 3;

} // namespace

bool CMyEdit::Focused() const
{
    return gWinSuperior.pWinFocused == this;
}

void CMyEdit::Draw()
{
    const uint32_t textColour = color;
    color = 0xFFFFFFFF;
    CBaseWin::Draw();
    color = textColour;
    if (!font)
        return;
    if (gInput.textMode && Focused())
        InputChar(char(gInput.character));
    gGraphics.EndSprites();
    const bool lit = Focused() || (slot >= 0 && slot == gWinSuperior.slotUnderMouse);
    const uint32_t colour = lit ? focusedColor : textColour;
    const int x = left + textX, y = top + textY - TEXT_RAISE;
    if (text[0])
        font->DrawAt(x, y, text, colour);
    if (Focused() && gWinSuperior.CaretBlink())
        font->DrawAt(x + caretX - 1, y, "|", colour);
}

void CMyEdit::OnClick()
{
    CWinSuperior& ws = gWinSuperior;
    if (Focused() || (flags & WIN_READONLY))
        return;
    // Two fields never hold the keyboard at once: the level of the other one would stay.
    if (CMyEdit* other = ws.pWinFocused) {
        ws.pWinFocused = nullptr;
        other->KillFocus();
    }
    if (!gInput.PushLevelTables({&gEditKeyTable}))
        return;
    ws.pWinFocused = this;
    ws.replaceOnType = 1;
    gInput.BeginTextInput();
    MoveCaret(int(strlen(text)));
    snprintf(ws.savedEditText, sizeof ws.savedEditText, "%s", text);
}

void CMyEdit::EndEditing()
{
    gInput.PopLevel();
    gInput.textMode = 0;
}

// Last, as the callback may delete the field.
void CMyEdit::Report()
{
    if (entered)
        return;
    entered = 1;
    if (onEnter)
        onEnter();
}

void CMyEdit::KillFocus()
{
    EndEditing();
    Report();
}

void CMyEdit::MoveCaret(int index)
{
    const int length = int(strlen(text));
    caretIndex = index < 0 ? 0 : (index > length ? length : index);
    CaretX(caretIndex);
    gWinSuperior.caretPhase = 1;
    gWinSuperior.caretTimer = 0.0f;
}

void CMyEdit::OnHome()
{
    MoveCaret(0);
}

void CMyEdit::OnEnd()
{
    MoveCaret(int(strlen(text)));
}

void CMyEdit::OnLeft()
{
    MoveCaret(caretIndex - 1);
}

void CMyEdit::OnRight()
{
    MoveCaret(caretIndex + 1);
}

void CMyEdit::OnBackspace()
{
    if (caretIndex <= 0)
        return;
    memmove(text + caretIndex - 1, text + caretIndex, strlen(text + caretIndex) + 1);
    entered = 0;
    MoveCaret(caretIndex - 1);
}

void CMyEdit::OnDelete()
{
    const int length = int(strlen(text));
    if (caretIndex >= length)
        return;
    memmove(text + caretIndex, text + caretIndex + 1, size_t(length - caretIndex));
    entered = 0;
    gWinSuperior.caretPhase = 1;
    gWinSuperior.caretTimer = 0.0f;
}

void CMyEdit::OnEscape()
{
    CWinSuperior& ws = gWinSuperior;
    snprintf(text, sizeof text, "%s", ws.savedEditText);
    MoveCaret(caretIndex);
    EndEditing();
    ws.pWinFocused = nullptr;
    if (this != gWinEdit)
        return;
    Hide(0);
    if (ws.rowEditList)
        ws.rowEditList->ClearSelection();
}

void CMyEdit::OnEnter()
{
    if (decimalsSet)
        TrimDecimals();
    if (numberMode & LABEL_INT) {
        char number[LABEL_TEXT_SIZE];
        snprintf(number, sizeof number, "%d", GetInt());
        SetText(number);
    }
    snprintf(gWinSuperior.savedEditText, sizeof gWinSuperior.savedEditText, "%s", text);
    Report();
}

bool CMyEdit::PassesModeFilter(char c) const
{
    if (!numberMode || (c >= '0' && c <= '9'))
        return true;
    if (c == 'x')
        return (numberMode & LABEL_HEX) != 0;
    if (c == '-')
        return (numberMode & (LABEL_INT | LABEL_FLOAT)) && caretIndex == 0 && text[0] != '-';
    return c == '.' && (numberMode & LABEL_FLOAT);
}

bool CMyEdit::AcceptFloatChar(char c) const
{
    char candidate[LABEL_TEXT_SIZE];
    if ((c == '-' && floatMin >= 0.0f) || !InsertCharCopy(candidate, c))
        return false;
    const double value = strtod(candidate, nullptr);
    return value >= floatMin && value <= floatMax;
}

bool CMyEdit::AcceptIntChar(char c) const
{
    char candidate[LABEL_TEXT_SIZE];
    if ((c == '-' && intMin >= 0) || !InsertCharCopy(candidate, c))
        return false;
    const long long value = strtoll(candidate, nullptr, 10);
    return value >= intMin && value <= intMax;
}

void CMyEdit::InputChar(char c)
{
    if (!c)
        return;
    CWinSuperior& ws = gWinSuperior;
    if (ws.replaceOnType) {
        text[0] = 0;
        caretIndex = caretX = 0;
        ws.replaceOnType = 0;
    }
    if (int(strlen(text)) >= maxLength - 1 || !PassesModeFilter(c))
        return;
    if ((numberMode & LABEL_FLOAT) && !AcceptFloatChar(c))
        return;
    if ((numberMode & LABEL_INT) && !AcceptIntChar(c))
        return;
    char inserted[LABEL_TEXT_SIZE];
    if (!InsertCharCopy(inserted, c))
        return;
    memcpy(text, inserted, sizeof text);
    ++caretIndex;
    if (maxDigits)
        TrimDigits();
    if (decimalsSet)
        TrimDecimals();
    MoveCaret(caretIndex);
    entered = 0;
}
