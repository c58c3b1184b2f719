#include "scene/Navy.h"

#include "core/Random.h"
#include "core/VecMath.h"
#include "engine/Engine.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float NAVY_DEGREES_TO_RADIANS = 0.01745329238474369f;

} // namespace

CNavy::CNavy()
{
    SysControls |= SYS_ENABLE_IDLE;
    placeMode = 4;
}

int CNavy::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CUnit::ScanNativePropertyes(f, w); });
}

// "RollingAxAz:" "[" x-switch x-amplitude z-switch z-amplitude "]", amplitudes in degrees.
bool CNavy::ScanOwnProperty(FILE* file, const char* word)
{
    if (strcmp(word, "RollingAxAz:") != 0) return false;
    char token[Core::WORD_BUFFER_SIZE];
    float v[4] = {};
    Core::fscan_word(file, token);
    Core::fscan_floats(file, v, 4);
    Core::fscan_word(file, token);
    rollX = v[0];
    amplitudeX = v[1] * NAVY_DEGREES_TO_RADIANS;
    rollZ = v[2];
    amplitudeZ = v[3] * NAVY_DEGREES_TO_RADIANS;
    return true;
}

// Every key is CUnit's; the closed block answers 0.
int CNavy::ScanMissionData(FILE* file, const char* word)
{
    const int result = CUnit::ScanMissionData(file, word);
    return result == SCAN_BLOCK_END ? SCAN_DONE : result;
}

void CNavy::CopyFromPrototype(const CAtom* prototype)
{
    CUnit::CopyFromPrototype(prototype);
    SysControls |= SYS_ENABLE_IDLE;
    if (const CNavy* source = dynamic_cast<const CNavy*>(prototype)) source->CopyOwnTo(this);
}

void CNavy::CopyTo(CAtom* destination) const
{
    CUnit::CopyTo(destination);
    if (auto* unit = dynamic_cast<CNavy*>(destination)) CopyOwnTo(unit);
}

void CNavy::CopyOwnTo(CNavy* destination) const
{
    destination->rollX = rollX;
    destination->amplitudeX = amplitudeX;
    destination->rollZ = rollZ;
    destination->amplitudeZ = amplitudeZ;
}

void CNavy::FirstInit()
{
    CUnit::FirstInit();
    Dir.x = sinf(Orient.y);
    Dir.z = cosf(Orient.y);
    if (rollX != 0.0f) phaseX = RandomFloat(0.0f, 6.28f);
    if (rollZ != 0.0f) phaseZ = RandomFloat(0.0f, 6.28f);
}

uint32_t CNavy::DoIdle()
{
    const float dt = gEngine ? gEngine->frameTime : 0.0f;
    if (rollX != 0.0f) {
        phaseX += dt;
        if (phaseX > TWO_PI) phaseX = 0.0f;
        Orient.x = sinf(phaseX) * amplitudeX;
    }
    if (rollZ != 0.0f) {
        phaseZ += dt;
        if (phaseZ > TWO_PI) phaseZ = 0.0f;
        Orient.z = sinf(phaseZ) * amplitudeZ;
    }
    UpdateWorldMatrix();
    return CUnit::DoIdle();
}
