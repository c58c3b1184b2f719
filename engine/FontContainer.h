#pragma once
// CFontContainer: owns the engine's named fonts, numbered from 1 (0 = none), read from the
// "Fonts" section and "FONT" objects of the scripts. A full pool is fatal (gExitCode 1);
// a font the device cannot make is reported by the font itself and draws nothing. A
// repeated "Fonts" section first has the window templates let go of the old fonts. Its
// interface has no virtual destructor, so it is deleted as the concrete class.

#include "core/Container.h"
#include "core/Font.h"

#include <cstdint>
#include <cstdio>

// Style bits of a font element: FONT_BOLD, FONT_ITALIC, FONT_NOT_ANTIALIASED.
struct CEngFont {
    char name[64] = {};
    CFont font;
    int32_t height = 0;
    int32_t width = 0;
    uint32_t flags = 0;
};

class IFontContainer {
public:
    virtual CEngFont* FindFont(const char* name) = 0;
    virtual uint16_t FindFontIndex(const char* name) = 0;
    virtual CEngFont* GetFont(uint16_t index) = 0;

protected:
    ~IFontContainer() = default;
};

class CFontContainer final : public IFontContainer {
public:
    ~CFontContainer();
    // Releases every font's device objects.
    void ReleaseAll();

    // The first font of that exact name, or null.
    CEngFont* FindFont(const char* name) override;
    uint16_t FindFontIndex(const char* name) override;
    // Null unless 1 <= index <= count.
    CEngFont* GetFont(uint16_t index) override;

    // The "Fonts" section after its name; 0.
    int FirstScan(FILE* file);
    // One "FONT" object after its keyword: the index, or 0 when the pool is full.
    uint16_t AddFont(FILE* file);

    TContainer<CEngFont, uint16_t> fonts;
    int32_t warningBudget = 4;
};

extern CFontContainer* gFontContainer;
extern IFontContainer* gIFontContainer;
