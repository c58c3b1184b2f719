#include "scene/Bolide.h"

#include "core/Messages.h"
#include "core/Strings.h"
#include "engine/Engine.h"
#include "engine/MapContainer.h"
#include "engine/UnitInspector.h"

#include <cmath>
#include <cstring>

SBolideImpact gBolideImpact;

namespace {

constexpr int IMPACT_SEARCH_STEPS = 999;
constexpr float IMPACT_BACK_STEP = 0.25f;
constexpr float IMPACT_FORWARD_STEP = 0.1f;

} // namespace

CBolide::CBolide()
{
    SysControls |= SYS_ENABLE_IDLE | SYS_GEOMETRY;
}

float CBolide::GroundLevel()
{
    return gEngine ? gEngine->SeaHeight() : 0.0f;
}

int CBolide::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CGeometry::ScanNativePropertyes(f, w); });
}

bool CBolide::ScanOwnProperty(FILE* file, const char* word)
{
    float* value = StrEqual(word, "BreakoutForce:") ? &breakoutForce
                   : StrEqual(word, "Speed:")       ? &speed
                   : StrEqual(word, "Mass:")        ? &mass
                                              : nullptr;
    if (value) {
        Core::fscan_float(file, value);
        return true;
    }
    if (!StrEqual(word, "BolideControls:")) return false;
    ScanControls(file);
    return true;
}

// Two opening tokens, then flight words up to "]".
void CBolide::ScanControls(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_skip(file, word, 2);
    for (Core::fscan_word(file, word); word[0] && !StrEqual(word, "]"); Core::fscan_word(file, word)) {
        if (StrEqual(word, "LinearFly"))
            flightMode = BOLIDE_LINEAR;
        else if (StrEqual(word, "ParabolicFly"))
            flightMode = BOLIDE_PARABOLIC;
        else
            WarningBox(&gWarningBudget, "Undefine string '", word, "' in BolideControls. UNIT '", name, "'.", nullptr);
    }
}

void CBolide::CopyFromPrototype(const CAtom* prototype)
{
    CGeometry::CopyFromPrototype(prototype);
    SysControls |= SYS_ENABLE_IDLE | SYS_GEOMETRY;
    if (const CBolide* source = dynamic_cast<const CBolide*>(prototype)) source->CopyOwnTo(this);
}

void CBolide::CopyTo(CAtom* destination) const
{
    CGeometry::CopyTo(destination);
    if (auto* unit = dynamic_cast<CBolide*>(destination)) CopyOwnTo(unit);
}

void CBolide::CopyOwnTo(CBolide* destination) const
{
    destination->breakoutForce = breakoutForce;
    destination->speed = speed;
    destination->mass = mass;
    destination->flightMode = flightMode;
    destination->hitCallback = hitCallback;
}

void CBolide::Launch()
{
    Orient.x = asinf(std::fmax(-1.0f, std::fmin(1.0f, Dir.y)));
    Orient.y = atan2f(Dir.x, Dir.z);
    launchPos = previousPos = Pos;
    UpdateWorldMatrix();
    horizontalSpeed = cosf(Orient.x) * speed;
    verticalSpeed = speed * Dir.y;
    sinYaw = sinf(Orient.y);
    cosYaw = cosf(Orient.y);
    flightTime = 0.0f;
}

void CBolide::FlyParabolic(float dt)
{
    flightTime += dt;
    const float t = flightTime;
    const float h = horizontalSpeed * t;
    Pos.x = launchPos.x + h * sinYaw;
    Pos.z = launchPos.z + h * cosYaw;
    Pos.y = launchPos.y + verticalSpeed * t - t * t * GRAVITY * 0.5f;
    D3DXVECTOR4 step = Pos - previousPos;
    step.w = 0.0f;
    if (D3DXVec4LengthSq(&step) > 0.0f) {
        D3DXVec4Normalize(&Dir, &step);
        Orient.x = asinf(std::fmax(-1.0f, std::fmin(1.0f, Dir.y)));
    }
    UpdateWorldMatrix();
    previousPos = Pos;
}

uint32_t CBolide::DoIdle()
{
    const float dt = gEngine ? gEngine->frameTime : 0.0f;
    if (flightMode == BOLIDE_PARABOLIC) {
        FlyParabolic(dt);
    } else {
        Pos += Dir * speed * dt;
        Pos.w = 1.0f;
        UpdateWorldMatrix();
        StorePos();
    }
    const float level = GroundLevel();
    if (Pos.y > level) return 0;
    Impact(level);
    if (hitCallback) hitCallback(this);
    if (gUnitInspector) gUnitInspector->DeleteUnit(this);
    return 1;
}

// Back along the flight until above the level, then forward in finer steps to the
// crossing; a flight with no height change lands where it is.
void CBolide::Impact(float level)
{
    D3DXVECTOR4 p = Pos;
    D3DXVECTOR4 back = Dir;
    back.w = 0.0f;
    for (int i = 0; i < IMPACT_SEARCH_STEPS && p.y <= level; ++i) p -= back * IMPACT_BACK_STEP;
    for (int i = 0; i < IMPACT_SEARCH_STEPS && p.y > level; ++i) p += back * IMPACT_FORWARD_STEP;
    p.y = level;
    p.w = 1.0f;
    Pos = p;
    gBolideImpact.point = p;
    gBolideImpact.cell = SMapPos{};
    if (map) map->GetCellXZ(&gBolideImpact.cell, p);
    ++gBolideImpact.count;
}
