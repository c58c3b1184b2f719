#pragma once
// CScenes: owns the loaded scenes (unit sets started and stopped as a whole). Its
// interface has no virtual destructor, so it is deleted as the concrete class. Until
// scenes are built none loads: LoadScene answers 0 and StartScene fails.

#include <cstdint>

class IScenes {
public:
    virtual uint16_t LoadScene(const char* path) = 0;
    virtual int StartScene(uint16_t index) = 0;
    virtual void StopScenes() = 0;

protected:
    ~IScenes() = default;
};

class CScenes final : public IScenes {
public:
    uint16_t LoadScene(const char*) override { return 0; }
    int StartScene(uint16_t) override { return -1; }
    void StopScenes() override {}

    void FreeAll() {}
};

extern CScenes* gScenes;
extern IScenes* gIScenes;
