#pragma once
// CNations: owns the nations that units belong to and names the viewer's ("gamer")
// nation. Scripts size it ("Nations" section), declare nations ("NATION") and pick the
// gamer nation ("GamerNation:"). A full table asks for shutdown (gExitCode); unknown words
// are warned (budget 4). Masks are 32 bits wide, so at most 32 nations exist whatever
// "NationCount:" asks for.

#include "scene/Atom.h"

#include <d3dx9.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

// A nation is a unit that only knows the unit keywords and the accepted filler "blabla".
class CNation : public CAtom {
public:
    int ScanNativePropertyes(FILE* file, const char* word) override;
    int ScanMissionData(FILE* file, const char* word) override;

    uint32_t mask = 0;  // 1 shifted left by index - 1
};

class INations {
public:
    virtual ~INations() = default;
    virtual CNation* FindNation(const char* name) = 0;
};

class CNations : public INations {
public:
    CNation* FindNation(const char* name) override;

    // The "Nations" section after its name; 0.
    int FirstScan(FILE* file);
    // One "NATION" object after its keyword: 0, or -1 when the table is full.
    int ScanNation(FILE* file);
    // "GamerNation:" and its name; 0.
    int ScanGamerNation(FILE* file);

    int32_t warningBudget = 4;
    CNation* gamerNation = nullptr;
    D3DXCOLOR OurColor{0.0f, 1.0f, 0.0f, 1.0f};
    D3DXCOLOR EnemyColor{1.0f, 0.0f, 0.0f, 1.0f};
    D3DXCOLOR AllyColor{1.0f, 1.0f, 0.0f, 1.0f};
    D3DXCOLOR NeutralColor{0.7f, 0.7f, 0.7f, 1.0f};
    // NationCount - 1 nations fit (index 0 is never used).
    int32_t capacity = 0;
    std::vector<std::unique_ptr<CNation>> nations;
};

extern CNations* gNations;
extern INations* gINations;
