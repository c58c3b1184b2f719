#include "engine/Variables.h"

#include "core/Container.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/Strings.h"

#include <cstdlib>
#include <cstring>

namespace {

// No value is longer than a list, so a buffer of VARIABLE_LIST_MAX words holds any of them:
// a longer string is cut to fit with its zero.
constexpr int VALUE_WORDS_MAX = VARIABLE_LIST_MAX;
constexpr size_t STRING_LENGTH_MAX = size_t(VALUE_WORDS_MAX) * 4 - 1;

// More than a record container may take counts as out of memory: a hostile capacity
// (2^31 records) must not reserve gigabytes, nor have Reset clear them.
template <class T>
int AllocateZeroed(T*& array, int capacity)
{
    if (array) return -1;
    if (capacity < 1) return -3;
    if (size_t(capacity) > CONTAINER_MAX_BYTES / sizeof(T)) return -2;
    array = static_cast<T*>(calloc(size_t(capacity), sizeof(T)));
    return array ? 0 : -2;
}

uint32_t FloatWord(float value)
{
    uint32_t word;
    memcpy(&word, &value, sizeof word);
    return word;
}

// A list element: a float when it holds ".", else a decimal integer.
uint32_t ElementWord(const char* text)
{
    if (strchr(text, '.')) return FloatWord(float(atof(text)));
    return uint32_t(atol(text));
}

// A single number may also be hexadecimal ("0x10").
uint32_t NumberWord(const char* text)
{
    if (!strchr(text, '.') && text[0] && text[1] == 'x')
        return Core::ParseHex(text);
    return ElementWord(text);
}

// Reads a "[" list through its "]"; elements past the limit are read and dropped.
int ReadList(FILE* file, const char* name, uint32_t* words)
{
    char word[Core::WORD_BUFFER_SIZE];
    int count = 0;
    bool tooLong = false;
    for (;;) {
        Core::fscan_word(file, word);
        if (!word[0] || strcmp(word, "]") == 0) break;
        if (count < VARIABLE_LIST_MAX)
            words[count++] = ElementWord(word);
        else
            tooLong = true;
    }
    if (tooLong) MsgBox3("Variables: list is too long: '", name, "'.");
    return count;
}

// Reads one value into words; returns its length in words. A quoted string is read with
// its blanks as they stand.
int ReadValue(FILE* file, const char* name, uint32_t* words)
{
    char text[Core::STRING_BUFFER_SIZE];
    if (Core::fscan_string(file, text)) {
        size_t length = strlen(text);
        if (length > STRING_LENGTH_MAX) {
            length = STRING_LENGTH_MAX;
            MsgBox3("Variables: string is too long: '", name, "'.");
        }
        const int count = int(length / 4 + 1);
        memset(words, 0, size_t(count) * 4);
        memcpy(words, text, length);
        return count;
    }
    if (strcmp(text, "[") == 0) return ReadList(file, name, words);
    words[0] = NumberWord(text);
    return 1;
}

} // namespace

CVariablesPool::~CVariablesPool()
{
    free(records);
    free(values);
}

int CVariablesPool::Init(int newRecordCapacity, int newValueCapacity)
{
    if (AllocateZeroed(records, newRecordCapacity) == 0) {
        recordCapacity = newRecordCapacity;
        recordCount = 0;
    }
    const int result = AllocateZeroed(values, newValueCapacity);
    if (result == 0) {
        valueCapacity = newValueCapacity;
        valuesUsed = 0;
    }
    return result;
}

int CVariablesPool::AddVariable(const char* name, FILE* file)
{
    if (!records || !values) return -2;
    if (recordCount >= recordCapacity) return -1;

    uint32_t words[VALUE_WORDS_MAX];
    const int length = ReadValue(file, name, words);
    if (strlen(name) >= size_t(VARIABLE_NAME_SIZE)) {
        MsgBox3("Variable name is too long: '", name, "'.");
        return -4;
    }
    if (length > valueCapacity - valuesUsed) {
        MsgBox3("Variables Pool is overflow. Last variable: '", name, "'.");
        return -3;
    }
    SVariableRecord& record = records[recordCount++];
    strcpy(record.name, name);
    record.value = values + valuesUsed;
    record.length = uint8_t(length);
    memcpy(record.value, words, size_t(length) * 4);
    valuesUsed += length;
    return 0;
}

const SVariableRecord* CVariablesPool::Find(const char* name) const
{
    for (int i = 0; i < recordCount; ++i)
        if (StrEqual(records[i].name, name)) return &records[i];
    return nullptr;
}

int CVariablesPool::GetVariable(const char* name, void* out)
{
    const int result = GetVariable(name, out, VALUE_WORDS_MAX);
    return result < 0 ? result : 0;
}

int CVariablesPool::GetVariable(const char* name, void* out, int maxWords)
{
    if (!records || !values) {
        MsgBox("Variables: is not initialized.");
        return -2;
    }
    const SVariableRecord* record = Find(name);
    if (!record) return -3;
    const int words = record->length < maxWords ? record->length : maxWords;
    if (out && words > 0) memcpy(out, record->value, size_t(words) * 4);
    return record->length;
}

void CVariablesPool::Reset()
{
    if (records) memset(records, 0, sizeof(SVariableRecord) * size_t(recordCapacity));
    if (values) memset(values, 0, sizeof(uint32_t) * size_t(valueCapacity));
    recordCount = 0;
    valuesUsed = 0;
}
