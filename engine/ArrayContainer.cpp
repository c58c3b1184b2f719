#include "engine/ArrayContainer.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Strings.h"
#include "core/Tga.h"
#include "engine/Engine.h"
#include "engine/SectionScan.h"

#include <cstring>

CArrayContainer* gArrayContainer = nullptr;
IArrayContainer* gIArrayContainer = nullptr;

int CUserArray::LoadData(const char* path)
{
    Free();
    int w = 0, h = 0;
    uint8_t* pixels = nullptr;
    const int result = LoadTGA(path, &w, &h, &pixels);
    if (result != TGA_OK) {
        MsgBox2("CUserArray::LoadData Error: can`t load data from file: \n    ", path);
        return result;
    }
    cells.reset(new uint32_t[size_t(w) * size_t(h)]);
    memcpy(cells.get(), pixels, size_t(w) * size_t(h) * sizeof(uint32_t));
    delete[] pixels;
    width = w;
    height = h;
    return 0;
}

void CUserArray::Free()
{
    cells.reset();
    width = height = 0;
}

uint32_t* CUserArray::Cell(int x, int y) const
{
    if (!cells || x < 0 || y < 0 || x >= width || y >= height) return nullptr;
    return &cells[size_t(y) * size_t(width) + size_t(x)];
}

int32_t CUserArray::GetCell(int x, int y) const
{
    const uint32_t* cell = Cell(x, y);
    return cell ? int32_t(*cell) : USER_ARRAY_NO_CELL;
}

int CUserArray::SetCell(int x, int y, uint32_t value)
{
    uint32_t* cell = Cell(x, y);
    if (!cell) return -1;
    *cell = value;
    return 0;
}

int CArrayContainer::FirstScan(FILE* file)
{
    int32_t count = 0;
    ScanCountSection(file, "Count:", &count);
    FreeAll();
    if (!arrays.Init(count)) MsgBox("CArrayContainer::FirstScan :  'Count:' must be 0..65535.");
    return 0;
}

uint16_t CArrayContainer::AddArray(FILE* file)
{
    CUserArray* array = nullptr;
    const uint16_t index = arrays.Add(array);
    if (!index) {
        WarningBox(&warningBudget, "ArrayContainer:  arrays limit is exceed.", nullptr);
        gExitCode = 1;
        return 0;
    }
    *array = CUserArray();
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    StrCopy(array->name, sizeof array->name, word);
    Core::fscan_word(file, word);  // "{"
    for (Core::fscan_word(file, word); word[0] && strcmp(word, "};") != 0; Core::fscan_word(file, word)) {
        if (!strcmp(word, "file:")) {
            char path[Core::STRING_BUFFER_SIZE + 500];
            ScanFullPath(file, path, sizeof path);
            array->LoadData(path);
        } else if (!strcmp(word, "use_as_valid_map:")) {
            uint32_t value = 0;
            Core::fscan_hex(file, &value);
            if (gEngine) gEngine->AssignValidMap(array, int(value));
        } else {
            WarningBox(&warningBudget, "CArrayContainer::AddArray :  Undefine string '", word, "'.", nullptr);
        }
    }
    return index;
}

void CArrayContainer::FreeAll()
{
    for (int i = 1; i <= int(arrays.Count()); ++i) *arrays.At(i) = CUserArray();
    arrays.Clear();
}
