#pragma once
// Key bindings: CKeyHandler ties one DirectInput key code, a trigger mode and modifier
// conditions to a plain function or to a delegate it owns; CKeyTable is a counted list of
// handlers that gInput's levels hold (the handlers belong to the table's owner). A table
// refuses handlers beyond its capacity with a message.

#include "core/Delegates.h"

#include <cstdint>

// Handler flags; the window layer's click trigger modes use the same first three values.
enum : uint32_t {
    KEY_ON_RELEASE = 0x400,
    KEY_AUTO_REPEAT = 0x800,
    KEY_ON_PRESS = 0x1000,
    KEY_WHILE_HELD = 0x2000,
    KEY_NEED_CTRL = 0x8000,
    KEY_NEED_ALT = 0x10000,
    KEY_NEED_SHIFT = 0x20000,
    KEY_MODIFIERS = KEY_NEED_CTRL | KEY_NEED_ALT | KEY_NEED_SHIFT,
};

struct CKeyHandler {
    float heldTime = 0.0f;        // seconds the key has been down
    float repeatDelay = 0.4f;
    float repeatInterval = 0.03f;
    float repeatTime = 0.0f;
    void (*function)() = nullptr;
    IDelegate* delegate = nullptr;  // owned
    uint32_t flags = 0;
    uint8_t key = 0;                // DirectInput key code
    int32_t userValue = 0;          // the owner's number, read back through gInput.lastMatched

    CKeyHandler() = default;
    ~CKeyHandler() { delete delegate; }
    CKeyHandler(const CKeyHandler&) = delete;
    CKeyHandler& operator=(const CKeyHandler&) = delete;

    void Set(uint8_t keyCode, uint32_t handlerFlags, void (*fn)());
    // Takes the delegate over; the one held before is deleted.
    void SetDelegate(IDelegate* newDelegate);
    // The delegate when there is one, else the function when set.
    void Fire();
};

constexpr int MAX_TABLE_HANDLERS = 32;

struct CKeyTable {
    int32_t count = 0;
    CKeyHandler* handlers[MAX_TABLE_HANDLERS] = {};

    // Appends the handlers up to the first null (a trailing nullptr may end the list).
    // When they do not all fit, nothing is appended and a message says so.
    template <class... Handlers>
    bool Fill(Handlers... list)
    {
        CKeyHandler* const items[] = {list...};
        return FillList(items, int(sizeof...(list)));
    }
    bool FillList(CKeyHandler* const* items, int n);
};
