#pragma once
// CParser: reads the engine's script files and hands each item to the manager that owns
// it; keeps the script variables. Until the script reader is built every word of a script
// is reported as unknown and no variable exists.

class IParser {
public:
    virtual int LoadScript(const char* path) = 0;
    virtual int GetVariable(const char* name, void* out) = 0;

protected:
    ~IParser() = default;
};

class CParser final : public IParser {
public:
    int LoadScript(const char* path) override;
    int GetVariable(const char* name, void* out) override;

    int warningBudget = 10;
};

extern CParser* gParser;
extern IParser* gIParser;
