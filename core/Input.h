#pragma once
// CInput: DirectInput keyboard and mouse polled once per frame (gInput). Key handlers are
// grouped into key tables that are pushed onto levels; only the current level gets keys.
// Until the input layer is built this holds the mouse fields and the key-level stack the
// engine uses; polling does nothing.

#include <windows.h>

#include <cstdint>

// Handler flags.
enum : uint32_t {
    KEY_ON_RELEASE = 0x400,
    KEY_AUTO_REPEAT = 0x800,
    KEY_ON_PRESS = 0x1000,
    KEY_WHILE_HELD = 0x2000,
};

struct CKeyHandler {
    float heldTime = 0.0f;
    float repeatDelay = 0.4f;
    float repeatInterval = 0.03f;
    float repeatTime = 0.0f;
    void (*function)() = nullptr;
    uint32_t flags = 0;
    uint8_t key = 0;
    int32_t userValue = 0;

    void Set(uint8_t keyCode, uint32_t handlerFlags, void (*fn)());
    void Fire();
};

constexpr int MAX_TABLE_HANDLERS = 16;

struct CKeyTable {
    int32_t count = 0;
    CKeyHandler* handlers[MAX_TABLE_HANDLERS] = {};

    // Appends the handlers; false (and nothing appended) when they do not fit.
    bool Fill(CKeyHandler* a, CKeyHandler* b);
};

constexpr int INPUT_LEVELS = 64;
constexpr int LEVEL_TABLES = 63;

struct CInputLevel {
    int32_t tableCount = 0;
    CKeyTable* tables[LEVEL_TABLES] = {};
};

struct CInput {
    int32_t currentLevel = 0;
    CInputLevel levels[INPUT_LEVELS];
    uint8_t keys[256] = {};
    int32_t mouseX = 0, mouseY = 0;
    int32_t leftClick = 0, rightClick = 0;
    int32_t leftHeld = 0, rightHeld = 0, middleHeld = 0;
    int32_t middleClick = 0;
    int32_t wheelDelta = 0;
    // DirectInput cooperative levels ("MOUSE_COOP_FLAGS", "KEYBOARD_COOP_FLAGS"):
    // exclusive + foreground for the mouse, non-exclusive + background for the keyboard.
    uint32_t mouseCoopFlags = 5;
    uint32_t keyboardCoopFlags = 10;
    CKeyHandler* lastMatched = nullptr;

    void UpdateMouse();
    void UpdateKeyboard();
    // Opens a new level holding the table; false when every level is in use.
    bool PushLevel(CKeyTable* table);
    // Closes the current level (level 0 stays).
    void PopLevel();
    // Takes the table out of whatever level holds it; an emptied top level is closed.
    void RemoveTable(CKeyTable* table);
    bool AltDown() const { return keys[56] || keys[184]; }
    void Reset();
};
extern CInput gInput;

int InitInput(HWND window, int width, int height);
void ReleaseInput();
