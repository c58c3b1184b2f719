#pragma once
// CNavy: a floating unit that rocks about its pitch and roll axes on sine curves, one
// radian of phase per second; CShip ("SHIP", type 19) is a navy with nothing added. Both
// keep the weapons of CUnit. They own nothing beyond CUnit's.

#include "scene/Unit.h"

#include <cstdint>

constexpr uint32_t SHIP_UNIT_TYPE = 19;

class CNavy : public CUnit {
public:
    CNavy();
    int ScanNativePropertyes(FILE* file, const char* word) override;
    int ScanMissionData(FILE* file, const char* word) override;
    uint32_t DoIdle() override;
    void CopyFromPrototype(const CAtom* prototype) override;
    // Script inheritance takes this class's values along.
    void CopyTo(CAtom* destination) const override;
    void FirstInit() override;

    uint32_t reservedWord = 0;
    float phaseX = 0.0f, phaseZ = 0.0f;  // radians
    float rollX = 0.0f, amplitudeX = 0.0f;  // switch, radians
    float rollZ = 0.0f, amplitudeZ = 0.0f;

private:
    void CopyOwnTo(CNavy* destination) const;
    bool ScanOwnProperty(FILE* file, const char* word);
};

class CShip : public CNavy {};
