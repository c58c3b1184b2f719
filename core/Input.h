#pragma once
// CInput (gInput): the DirectInput keyboard and mouse (or the system cursor), polled once per
// frame while the application is active. It owns the DirectInput object and both devices
// from InitInput to ReleaseInput, derives clicks, double clicks and wheel movement, turns
// keys into characters in text mode, and fires the key handlers of the tables on the current
// level. Failures to open a device are reported by message and returned, except a keyboard
// that takes no data format: reported, everything released and 0 returned, so the program
// runs on without input. A device lost while polling is re-acquired and that frame's input
// skipped; level and table overflows are refused with a message.
//
// Each poll is a device read that fills the frame's state followed by the step that
// interprets it (ApplyDeviceMouse, ApplySystemMouse, Dispatch), so the state can also be
// fed without a device.

#include "core/KeyHandler.h"

#include <windows.h>

#include <dinput.h>

#include <cstdint>
#include <initializer_list>

constexpr int INPUT_LEVELS = 64;
constexpr int LEVEL_TABLES = 63;

struct CInputLevel {
    int32_t tableCount = 0;
    CKeyTable* tables[LEVEL_TABLES] = {};
};

// Mouse buttons as the frame sees them (after the system's button swap).
enum : uint8_t { MOUSE_LEFT = 1, MOUSE_RIGHT = 2, MOUSE_MIDDLE = 4 };

constexpr float DOUBLE_CLICK_TIME = 0.3f;
constexpr int DEFAULT_MOUSE_SPEED = 2;

struct CInput {
    int32_t currentLevel = 0;  // level 0 always exists
    CInputLevel levels[INPUT_LEVELS];

    // Text input: the repeat of the character being typed.
    float charRepeatTime = 0.0f;
    float charRepeatInterval = 0.0f;  // 0 until the first character went out
    int32_t charProduced = 0;         // a character key was down this frame
    uint8_t keys[256] = {};           // this frame's keyboard state by DirectInput code
    HWND window = nullptr;

    int32_t mouseX = 20, mouseY = 20;  // client pixels
    int32_t wheelPos = 0;              // sum of the device's wheel movement
    int32_t prevX = 0, prevY = 0, prevWheel = 0;
    // DirectInput cooperative levels ("MOUSE_COOP_FLAGS", "KEYBOARD_COOP_FLAGS"):
    // exclusive + foreground for the mouse, non-exclusive + background for the keyboard.
    uint32_t mouseCoopFlags = DISCL_EXCLUSIVE | DISCL_FOREGROUND;
    uint32_t keyboardCoopFlags = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    uint8_t buttonsNotSwapped = 1;
    int32_t leftClick = 0, rightClick = 0;  // 1 in the frame a held button was released
    int32_t leftHeld = 0, rightHeld = 0, middleHeld = 0;
    int32_t middleClick = 0;
    float doubleClickTime = 0.0f;  // seconds left in which a left click is a double click
    int32_t doubleClick = 0;
    // Movement of this frame; the wheel delta also takes the window procedure's wheel value
    // (in 120 steps) and is cleared by the frame.
    int32_t deltaX = 0, deltaY = 0, wheelDelta = 0;
    RECT windowRect = {10, 10, 400, 300};  // screen coordinates
    RECT clientRect = {10, 10, 400, 300};  // client coordinates
    int32_t clientWidth = 390, clientHeight = 290;
    int32_t borderWidth = 0, titleHeight = 0;
    int32_t mouseSpeed = DEFAULT_MOUSE_SPEED;  // factor on the device's movement
    uint8_t character = 0;                      // typed this frame; 0 = none
    int32_t textMode = 0;                       // switched off by the window layer
    CKeyHandler* lastMatched = nullptr;         // the handler being fired, for its userValue

    IDirectInput8A* directInput = nullptr;
    IDirectInputDevice8A* mouseDevice = nullptr;
    IDirectInputDevice8A* keyboardDevice = nullptr;
    DWORD mouseStateSize = 0;  // the size of the data format the mouse was given

    void UpdateMouse();
    void UpdateKeyboard();  // reads the keyboard, then Dispatch
    void UpdateWindowRect();

    // The mouse frame: BeginMouseFrame, then one of the two Apply steps with what was read.
    void BeginMouseFrame();
    void ApplyDeviceMouse(const DIMOUSESTATE2& state);
    void ApplySystemMouse(POINT cursor, uint8_t buttons);
    // A press or a release of a button (MOUSE_LEFT...) that the window procedure saw. The
    // buttons are read once a frame; with these the next frames still see a click that
    // began and ended between two of them, once: held in one frame, released in the next.
    void NoteButton(uint8_t button, bool down);

    // Fires the handlers of the current level for the keys of this frame (in text mode,
    // after turning keys into the frame's character).
    void Dispatch();
    void BeginTextInput();

    // Add to the current level; false (with a message) when it would be too full (PushTables
    // leaves room for one table more).
    bool PushTable(CKeyTable* table);
    bool PushTables(std::initializer_list<CKeyTable*> tables);
    // Open a new level holding the tables; false (with a message) when every level is in use.
    bool PushLevelTables(std::initializer_list<CKeyTable*> tables);
    bool PushLevel(CKeyTable* table);
    // Closes the current level (level 0 stays).
    void PopLevel();
    // Takes the table out of the topmost level holding it; an emptied level above 0 closes.
    void RemoveTable(CKeyTable* table);
    // Takes the tables out of the current level; the level stays even when emptied.
    void RemoveTables(std::initializer_list<CKeyTable*> tables);

    bool CtrlDown() const { return keys[DIK_LCONTROL] || keys[DIK_RCONTROL]; }
    bool AltDown() const { return keys[DIK_LMENU] || keys[DIK_RMENU]; }
    bool ShiftDown() const { return keys[DIK_LSHIFT] || keys[DIK_RSHIFT]; }

    // Back to the start-of-process state; the devices and the window stay.
    void Reset();

private:
    uint8_t prevKeys[256] = {};  // last frame's keys: a key down now and not then is new
    uint8_t textKey = 0;         // the key whose character repeats
    uint32_t levelChanges = 0;   // counts pushes, pops and removals

    // Presses and releases noted since the last mouse frame; buttons whose release is
    // reported in the next frame because their whole click fell between two frames.
    uint8_t pressedSince = 0, releasedSince = 0, releaseDue = 0;

    void ApplyButtons(uint8_t polled);
    uint8_t WithNotedButtons(uint8_t polled);
    bool ReadKeyboard();
    bool TranslateText();
    uint8_t PickTextKey(bool numLock) const;
    uint8_t FindTextKey(bool numLock, bool newOnly) const;
    uint8_t CharacterOf(uint8_t code, const BYTE* keyboardState) const;
    void DispatchLevel();
    bool VisitHandler(CKeyHandler& handler);
    bool FireHandler(CKeyHandler& handler);
    bool ModifiersMet(uint32_t flags) const;
    bool OpenLevel(std::initializer_list<CKeyTable*> tables);
    bool RemoveFromLevel(int level, CKeyTable* table);
};
extern CInput gInput;

// 0 or the DirectInput error (each failure has its message; a refused keyboard data format
// gives 0 with nothing open). Opens the devices anew when called again.
int InitInput(HWND window, int width, int height);
// Safe to call at any time, also twice.
void ReleaseInput();
