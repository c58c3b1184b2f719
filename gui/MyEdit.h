#pragma once
// CMyEdit: a one-line edit field on top of CLabel. A click gives it the keyboard (the
// manager's pWinFocused, an input level holding gEditKeyTable, text mode); typed characters
// arrive one a frame while it draws and pass the label's number modes and ranges; Enter
// reports the value through a plain callback, Escape restores the text it had when it took
// focus. Characters that do not fit or are refused are dropped without message.

#include "gui/Label.h"

class CMyEdit : public CLabel {
public:
    uint32_t focusedColor = 0xFFFFFFFF;  // text colour under the mouse or while focused
    int32_t entered = 0;  // the Enter callback ran since the text last changed
    void (*onEnter)() = nullptr;

    // The window picture in white, the typed character, the text and the blinking caret.
    void Draw() override;
    // Takes the focus unless focused already or read-only.
    void OnClick() override;
    // Gives the keyboard back and reports an unreported change. The caller clears
    // pWinFocused (before, as the Enter callback may delete the field).
    virtual void KillFocus();
    virtual void OnHome();
    virtual void OnEnd();
    virtual void OnBackspace();
    virtual void OnDelete();
    virtual void OnLeft();
    virtual void OnRight();
    // Restores the saved text and gives the focus up.
    virtual void OnEscape();
    // Normalises the number, reports it and keeps the focus.
    virtual void OnEnter();

    // The character typed this frame, when the modes and the max length let it in.
    void InputChar(char c);
    // Whether the text with c inserted at the caret stays within the float range.
    bool AcceptFloatChar(char c) const;
    bool AcceptIntChar(char c) const;

private:
    bool Focused() const;
    bool PassesModeFilter(char c) const;
    void MoveCaret(int index);
    void EndEditing();
    void Report();
};
