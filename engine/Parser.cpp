#include "engine/Parser.h"

#include "core/Core.h"
#include "core/Messages.h"
#include "core/Scanner.h"

#include <cstdio>

CParser* gParser = nullptr;
IParser* gIParser = nullptr;

int CParser::LoadScript(const char* path)
{
    FILE* file = fopen(path, "r");
    if (!file) {
        MsgBox3("CParser::ScanScript  Error:  Can't load script file '", path, "'");
        return -1;
    }
    char word[Core::WORD_BUFFER_SIZE];
    int result = 0;
    for (;;) {
        if (gExitCode) {
            result = -1;
            break;
        }
        Core::fscan_word(file, word, sizeof word);
        if (!word[0])
            break;
        WarningBox(&warningBudget, "CParser::ScanScript :  undefine string '", word, "'.",
                   nullptr);
    }
    fclose(file);
    return result;
}

int CParser::GetVariable(const char*, void*)
{
    return -1;
}
