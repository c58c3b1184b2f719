#pragma once
// Named values read from script and presentation files: strings, single numbers and
// lists of numbers, kept in two fixed arrays sized once by Init (records and 32-bit value
// words). Records and values are handed out in order and never freed singly. Failures are
// results (and a box where the user must know): nothing here ends the program.

#include <cstdint>
#include <cstdio>

constexpr int VARIABLE_NAME_SIZE = 59;   // 58 characters and the terminator
constexpr int VARIABLE_LIST_MAX = 128;   // elements of one list, and words of any value

struct SVariableRecord {
    char name[VARIABLE_NAME_SIZE];
    uint8_t length;   // in 32-bit words
    uint32_t* value;  // first value word
};

class CVariablesPool {
public:
    int32_t recordCount = 0;
    int32_t recordCapacity = 0;
    SVariableRecord* records = nullptr;
    int32_t valueCapacity = 0;  // in 32-bit words
    int32_t valuesUsed = 0;
    uint32_t* values = nullptr;

    CVariablesPool() = default;
    ~CVariablesPool();
    CVariablesPool(const CVariablesPool&) = delete;
    CVariablesPool& operator=(const CVariablesPool&) = delete;

    // Allocates both arrays zero-filled. Per array: -1 already allocated (kept as it is),
    // -3 capacity below 1, -2 out of memory, 0 done; the result is the value array's.
    int Init(int recordCapacity, int valueCapacity);
    // name is the word already read; the value is read from the file even when the name
    // is refused, so the next entry starts at the right word.
    // 0, -1 records full, -2 not initialised, -3 values full, -4 name too long.
    int AddVariable(const char* name, FILE* file);
    // Copies the whole value to out (when given): 0, -2 not initialised, -3 no such name.
    int GetVariable(const char* name, void* out);
    // Copies at most maxWords words: the stored length in words, or -2 / -3 as above.
    int GetVariable(const char* name, void* out, int maxWords);
    // Forgets every variable; the capacities stay.
    void Reset();

private:
    const SVariableRecord* Find(const char* name) const;
};
