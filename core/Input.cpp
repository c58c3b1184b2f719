// gInput's record and its key-handler levels.
#include "core/Input.h"

#include "core/Messages.h"

CInput gInput;

namespace {
const char TABLES_LIMIT[] = "PROGRAMMER LIMIT:  NumTables in CInput::PushTables.";
} // namespace

void CInput::Reset()
{
    CInput fresh;
    fresh.window = window;
    fresh.directInput = directInput;
    fresh.mouseDevice = mouseDevice;
    fresh.keyboardDevice = keyboardDevice;
    fresh.mouseStateSize = mouseStateSize;
    *this = fresh;
}

bool CInput::PushTable(CKeyTable* table)
{
    CInputLevel& level = levels[currentLevel];
    if (level.tableCount >= LEVEL_TABLES) {
        MsgBox("PROGRAMMER LIMIT:  NumTables in CInput::PushTable.");
        return false;
    }
    level.tables[level.tableCount++] = table;
    ++levelChanges;
    return true;
}

bool CInput::PushTables(std::initializer_list<CKeyTable*> tables)
{
    CInputLevel& level = levels[currentLevel];
    if (level.tableCount + int(tables.size()) >= LEVEL_TABLES) {
        MsgBox(TABLES_LIMIT);
        return false;
    }
    for (CKeyTable* table : tables)
        level.tables[level.tableCount++] = table;
    ++levelChanges;
    return true;
}

bool CInput::PushLevelTables(std::initializer_list<CKeyTable*> tables)
{
    if (currentLevel + 1 >= INPUT_LEVELS) {
        MsgBox("PROGRAMMER CORE:  MAX_LEVELS of gInput limit is exceed.");
        return false;
    }
    if (int(tables.size()) >= LEVEL_TABLES) {
        MsgBox(TABLES_LIMIT);
        return false;
    }
    levels[++currentLevel] = CInputLevel{};
    return PushTables(tables);
}

bool CInput::PushLevel(CKeyTable* table)
{
    return PushLevelTables({table});
}

void CInput::PopLevel()
{
    if (currentLevel == 0)
        return;
    levels[currentLevel--] = CInputLevel{};
    ++levelChanges;
}

bool CInput::RemoveFromLevel(int index, CKeyTable* table)
{
    CInputLevel& level = levels[index];
    for (int i = 0; i < level.tableCount; ++i) {
        if (level.tables[i] != table)
            continue;
        for (int j = i + 1; j < level.tableCount; ++j)
            level.tables[j - 1] = level.tables[j];
        level.tables[--level.tableCount] = nullptr;
        ++levelChanges;
        return true;
    }
    return false;
}

// The table may sit below the current level (a window opened a level after it was
// pushed); an emptied level is closed wherever it is, so it can neither block the levels
// below it nor stay behind when the levels above it close.
void CInput::RemoveTable(CKeyTable* table)
{
    for (int l = currentLevel; l >= 0; --l) {
        if (!RemoveFromLevel(l, table))
            continue;
        if (l == 0 || levels[l].tableCount > 0)
            return;
        for (int above = l + 1; above <= currentLevel; ++above)
            levels[above - 1] = levels[above];
        levels[currentLevel--] = CInputLevel{};
        return;
    }
}

void CInput::RemoveTables(std::initializer_list<CKeyTable*> tables)
{
    for (CKeyTable* table : tables)
        RemoveFromLevel(currentLevel, table);
}
