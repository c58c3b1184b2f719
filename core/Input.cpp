#include "core/Input.h"

CInput gInput;

void CKeyHandler::Set(uint8_t keyCode, uint32_t handlerFlags, void (*fn)())
{
    key = keyCode;
    flags = handlerFlags;
    function = fn;
}

void CKeyHandler::Fire()
{
    if (function)
        function();
}

bool CKeyTable::Fill(CKeyHandler* a, CKeyHandler* b)
{
    if (count + 2 > MAX_TABLE_HANDLERS)
        return false;
    handlers[count++] = a;
    handlers[count++] = b;
    return true;
}

void CInput::UpdateMouse() {}
void CInput::UpdateKeyboard() {}

bool CInput::PushLevel(CKeyTable* table)
{
    if (currentLevel + 1 >= INPUT_LEVELS)
        return false;
    CInputLevel& level = levels[++currentLevel];
    level = CInputLevel{};
    level.tables[level.tableCount++] = table;
    return true;
}

void CInput::PopLevel()
{
    if (currentLevel > 0)
        levels[currentLevel--] = CInputLevel{};
}

void CInput::RemoveTable(CKeyTable* table)
{
    for (int l = currentLevel; l >= 0; --l) {
        CInputLevel& level = levels[l];
        for (int i = 0; i < level.tableCount; ++i) {
            if (level.tables[i] != table)
                continue;
            for (int j = i + 1; j < level.tableCount; ++j)
                level.tables[j - 1] = level.tables[j];
            level.tables[--level.tableCount] = nullptr;
            if (level.tableCount == 0 && l == currentLevel)
                PopLevel();
            return;
        }
    }
}

void CInput::Reset()
{
    *this = CInput{};
}

int InitInput(HWND, int, int)
{
    return 0;
}

void ReleaseInput() {}
