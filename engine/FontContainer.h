#pragma once
// CFontContainer: owns the engine's fonts, numbered from 1 (0 = none). Its interface has
// no virtual destructor, so it is deleted as the concrete class. Until fonts are built it
// holds none.

#include "core/Font.h"

#include <cstdint>

// One named font; flags are the CFont style bits.
struct CFontRecord {
    char name[64] = {};
    CFont font;
    int32_t height = 0;
    int32_t width = 0;
    uint32_t flags = 0;
};

class IFontContainer {
public:
    virtual CFontRecord* FindFont(const char* name) = 0;
    virtual uint16_t FindFontIndex(const char* name) = 0;
    virtual CFontRecord* GetFont(uint16_t index) = 0;

protected:
    ~IFontContainer() = default;
};

class CFontContainer final : public IFontContainer {
public:
    CFontRecord* FindFont(const char*) override { return nullptr; }
    uint16_t FindFontIndex(const char*) override { return 0; }
    CFontRecord* GetFont(uint16_t) override { return nullptr; }
};

extern CFontContainer* gFontContainer;
extern IFontContainer* gIFontContainer;
