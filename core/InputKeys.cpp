// The keyboard frame: characters of text input, then the key handlers of the current level.
#include "core/Input.h"

#include "core/CodePage.h"
#include "core/FrameTimer.h"

#include <algorithm>
#include <cstring>

namespace {

// A held time above this means the key was already down in an earlier frame.
constexpr float PRESS_MARK = 0.0001f;
// What a key seen down has been held at least, even in a frame of zero length.
constexpr float MIN_HELD_TIME = 2 * PRESS_MARK;

constexpr float FIRST_CHAR_REPEAT = 0.7f;
constexpr float CHAR_REPEAT = 0.05f;

struct SKeyRange {
    uint8_t first, last;
};
// Keys typed through the keyboard layout: the digit row, the three letter rows, space.
constexpr SKeyRange LAYOUT_RANGES[] = {{DIK_1, DIK_EQUALS},
                                       {DIK_Q, DIK_RBRACKET},
                                       {DIK_A, DIK_GRAVE},
                                       {DIK_BACKSLASH, DIK_SLASH},
                                       {DIK_SPACE, DIK_SPACE}};
static_assert(sizeof LAYOUT_RANGES / sizeof LAYOUT_RANGES[0] == 5, "five layout ranges");

struct SPadKey {
    uint8_t code;
    char character;
};
// The numeric pad's digits and point (only with NUM LOCK), then its minus and plus.
constexpr SPadKey PAD_DIGITS[] = {
    {DIK_NUMPAD7, '7'}, {DIK_NUMPAD8, '8'}, {DIK_NUMPAD9, '9'}, {DIK_NUMPAD4, '4'},
    {DIK_NUMPAD5, '5'}, {DIK_NUMPAD6, '6'}, {DIK_NUMPAD1, '1'}, {DIK_NUMPAD2, '2'},
    {DIK_NUMPAD3, '3'}, {DIK_NUMPAD0, '0'}, {DIK_DECIMAL, '.'}};
static_assert(sizeof PAD_DIGITS / sizeof PAD_DIGITS[0] == 11, "ten digits and the point");
constexpr SPadKey PAD_SIGNS[] = {{DIK_SUBTRACT, '-'}, {DIK_ADD, '+'}};
static_assert(sizeof PAD_SIGNS / sizeof PAD_SIGNS[0] == 2, "minus and plus");

char PadCharacter(uint8_t code)
{
    for (const SPadKey& key : PAD_DIGITS)
        if (key.code == code)
            return key.character;
    for (const SPadKey& key : PAD_SIGNS)
        if (key.code == code)
            return key.character;
    return 0;
}

// The repeat of an auto-repeat handler: once on the press, then after the delay every
// interval (at most once per frame).
bool RepeatDue(CKeyHandler& h, bool first, float step)
{
    if (first)
        return true;
    if (h.heldTime < h.repeatDelay)
        return false;
    h.repeatTime += step;
    if (h.repeatTime <= h.repeatInterval)
        return false;
    h.repeatTime -= h.repeatInterval;
    return true;
}

} // namespace

void CInput::BeginTextInput()
{
    textMode = 1;
    charRepeatTime = 0.0f;
    charRepeatInterval = 0.0f;
    textKey = 0;
}

void CInput::Dispatch()
{
    lastMatched = nullptr;
    character = 0;
    charProduced = 0;
    const bool typing = textMode && TranslateText();
    memcpy(prevKeys, keys, sizeof keys);
    if (!typing)
        DispatchLevel();
}

// Layout keys first (a later range wins, the lowest code within a range), else the pad.
uint8_t CInput::FindTextKey(bool numLock, bool newOnly) const
{
    auto usable = [&](uint8_t code) { return keys[code] && !(newOnly && prevKeys[code]); };
    uint8_t found = 0;
    for (const SKeyRange& range : LAYOUT_RANGES) {
        for (int code = range.first; code <= range.last; ++code) {
            if (usable(uint8_t(code))) {
                found = uint8_t(code);
                break;
            }
        }
    }
    if (found)
        return found;
    if (numLock)
        for (const SPadKey& key : PAD_DIGITS)
            if (usable(key.code))
                return key.code;
    for (const SPadKey& key : PAD_SIGNS)
        if (usable(key.code))
            return key.code;
    return 0;
}

// A key pressed in this frame types at once even while another is held; a key held from
// before types only while it is the one that typed last, so overlapping keystrokes of
// fast typing are neither lost nor repeated.
uint8_t CInput::PickTextKey(bool numLock) const
{
    if (uint8_t pressed = FindTextKey(numLock, true))
        return pressed;
    return textKey && keys[textKey] ? textKey : 0;
}

uint8_t CInput::CharacterOf(uint8_t code, const BYTE* keyboardState) const
{
    if (char pad = PadCharacter(code))
        return uint8_t(pad);
    HKL layout = GetKeyboardLayout(0);
    UINT virtualKey = MapVirtualKeyExA(code, MAPVK_VSC_TO_VK, layout);
    // Typed as a letter of the layout, kept in code page 1251 like every other text.
    wchar_t out[2] = {};
    if (ToUnicodeEx(virtualKey, code, keyboardState, out, 2, 0, layout) < 1)
        return 0;
    return uint8_t(CharTo1251(out[0]));
}

// Any character key down takes the frame from the key handlers, even while its character
// is held back by the repeat or it is not the key that types.
bool CInput::TranslateText()
{
    BYTE state[256];
    const bool read = GetKeyboardState(state) != 0;
    const bool numLock = read && state[VK_NUMLOCK] != 0;
    if (!read || !FindTextKey(numLock, false)) {
        charRepeatTime = 0.0f;
        charRepeatInterval = 0.0f;
        textKey = 0;
        return false;
    }
    charProduced = 1;
    const uint8_t code = PickTextKey(numLock);
    const uint8_t typed = code ? CharacterOf(code, state) : 0;
    if (!typed || code != textKey) {
        charRepeatTime = 0.0f;
        charRepeatInterval = 0.0f;
        textKey = typed ? code : 0;
    }
    if (!typed)
        return true;
    charRepeatTime += gFrameTimer.step;
    if (charRepeatTime >= charRepeatInterval) {
        charRepeatTime -= charRepeatInterval;
        character = typed;
        charRepeatInterval = charRepeatInterval == 0.0f ? FIRST_CHAR_REPEAT : CHAR_REPEAT;
    }
    return true;
}

bool CInput::ModifiersMet(uint32_t flags) const
{
    if (!(flags & KEY_MODIFIERS))
        return true;
    return ((flags & KEY_NEED_CTRL) && CtrlDown()) || ((flags & KEY_NEED_ALT) && AltDown()) ||
           ((flags & KEY_NEED_SHIFT) && ShiftDown());
}

// The handler's state is brought up to date before it fires, so a handler that closes
// its own table's owner is never touched afterwards.
bool CInput::VisitHandler(CKeyHandler& h)
{
    const float step = gFrameTimer.step;
    if (!keys[h.key]) {
        const bool fire = (h.flags & KEY_ON_RELEASE) && h.heldTime > PRESS_MARK &&
                          ModifiersMet(h.flags);
        h.repeatTime = 0.0f;
        h.heldTime = 0.0f;
        return fire && FireHandler(h);
    }
    if (!ModifiersMet(h.flags))
        return false;
    lastMatched = &h;
    const bool first = h.heldTime < PRESS_MARK;
    bool fire = false;
    if (h.flags & KEY_WHILE_HELD)
        fire = true;
    else if ((h.flags & KEY_ON_PRESS) && first)
        fire = true;
    else if (h.flags & KEY_AUTO_REPEAT)
        fire = RepeatDue(h, first, step);
    h.heldTime = std::max(h.heldTime + step, MIN_HELD_TIME);
    return fire && FireHandler(h);
}

bool CInput::FireHandler(CKeyHandler& h)
{
    lastMatched = &h;
    h.Fire();
    return true;
}

// Tables from the last pushed to the first, every handler of each. A handler that changes
// the levels ends the walk: the tables left to visit may be gone.
void CInput::DispatchLevel()
{
    const uint32_t changes = levelChanges;
    const CInputLevel& level = levels[currentLevel];
    for (int t = level.tableCount - 1; t >= 0; --t) {
        CKeyTable* table = level.tables[t];
        for (int i = 0; table && i < table->count; ++i) {
            CKeyHandler* handler = table->handlers[i];
            if (handler && VisitHandler(*handler) && levelChanges != changes)
                return;
        }
    }
}
