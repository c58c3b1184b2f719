#pragma once
// CHuman ("HUMAN", type 20): a unit that walks or runs along up to 64 waypoints on the
// ground, turning toward each, with walk, run and stay animations and an optional final
// turn to a heading. It borrows its move record from the unit registry (through CUnit) and
// gives it back when the path and any final turn are done.

#include "scene/Unit.h"

#include <cfloat>
#include <cstdint>

constexpr uint32_t HUMAN_UNIT_TYPE = 20;
// Move record bits used by the walk besides CUnit's.
constexpr uint32_t MOVE_MOVING = 1;
constexpr uint32_t MOVE_FACING = MOVE_STARTING;
constexpr uint32_t MOVE_FINAL_TURN = MOVE_KEEP;
constexpr float NO_FINAL_HEADING = FLT_MAX;

class CAnimInstance;

class CHuman : public CUnit {
public:
    int ScanNativePropertyes(FILE* file, const char* word) override;
    uint32_t DoIdle() override;
    uint32_t PreRender() override { return 0; }
    uint32_t PostRender() override { return 0; }
    void CopyFromPrototype(const CAtom* prototype) override;
    // Script inheritance takes this class's values along.
    void CopyTo(CAtom* destination) const override;
    // At most MAX_UNIT_WAYPOINTS points are taken (a longer path is cut, with a warning).
    int StartMoves(const D3DXVECTOR4* points, int count) override;
    void EndMoves(int stop) override;

    void SetRunning(bool on) { running = on; }
    // The heading to turn to once the path ends; NO_FINAL_HEADING for none. Needs a move.
    void SetFinalHeading(float heading);

    uint16_t walkAnimation = 0, runAnimation = 0, stayAnimation = 0;
    float crossFadeTime = 0.0f;
    float walkSpeed = 1.0f;  // units per second
    float runSpeed = 3.0f;
    bool running = false;
    CAnimInstance* moveInstance = nullptr;
    CAnimInstance* stayInstance = nullptr;

private:
    void CopyOwnTo(CHuman* destination) const;
    bool ScanOwnProperty(FILE* file, const char* word);
    uint16_t ScanAnimation(FILE* file);
    // Reaching the current waypoint: on to the next, or the end of the path.
    void NextWaypoint();
    void EndOfPath();
    void StepFinalTurn(float dt);
    void BuildMatrix();
    // The instance is still one of the unit's (an ended one is freed by the registry).
    bool Playing(const CAnimInstance* instance) const;
};
