#pragma once
// The engine's script reader: reads "Scripts/Start.txt" and every file it includes, word
// by word, recognises the leading keyword of each item and hands the open file to the
// manager that reads the rest. It owns the script variables. Unknown words are warned
// from its budget of 10, once per file with their count; an item whose reader is not
// part of the program yet is reported and skipped, never taken as read. A fatal
// condition of any reader (gExitCode) stops reading at the next word with -1.

#include "engine/IncludeStack.h"
#include "engine/Variables.h"

#include <cstdio>

class IParser {
public:
    // 0, -1, or the result of a failing include.
    virtual int LoadScript(const char* path) = 0;
    // Whole value (out may be null for a presence test): 0, -2 not initialised, -3 missing.
    virtual int GetVariable(const char* name, void* out) = 0;
    // At most maxWords words: the stored length in words, or -2 / -3.
    virtual int GetVariable(const char* name, void* out, int maxWords) = 0;

protected:
    ~IParser() = default;
};

class CParser final : public IParser {
public:
    int32_t warningBudget = 10;
    CVariablesPool variables;

    int LoadScript(const char* path) override;
    int GetVariable(const char* name, void* out) override;
    int GetVariable(const char* name, void* out, int maxWords) override;

    // One file and its includes: 0, or -1 (missing file, refused include, fatal
    // condition), or the result of a failing include.
    int ScanScript(const char* path);

    // Item readers of the keyword table.
    int ScanInclude(FILE* file);
    int ScanVariableCapacities(FILE* file);
    int ScanVariables(FILE* file);

private:
    CIncludeStack includeStack;

    int ScanItems(FILE* file);
    bool PushInclude(const char* path);
    bool SkipUnsupported(FILE* file, bool toKeyword, char* word);
};

extern CParser* gParser;
extern IParser* gIParser;
