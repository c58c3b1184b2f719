#pragma once
// CSmoothMover: carries a four-float value (a position, w ignored, or an ARGB colour) to a
// target with an accelerate, cruise and decelerate profile, writing the moving value
// through its destination each step. The distances are kept squared. The time step is the
// engine's scaled frame time, passed in by whoever steps the movers. Movers are records of
// the unit registry's record pool and are linked into their unit's list through `next`.

#include "core/Container.h"

#include <d3dx9math.h>

class CAtom;

// Called once with the unit whose mover arrived.
using SmoothMoverDone = void (*)(CAtom* unit);

class CSmoothMover {
public:
    CSmoothMover();

    // Sets the mover up to carry the four floats at destination from their current value
    // to target at speed (non-zero; the caller handles a speed of 0) with the given ramp
    // fraction of the distance for accelerating and for braking.
    void Start(D3DXVECTOR4* destination, const D3DXVECTOR4& target, float speed, float ramp,
               SmoothMoverDone done);

    // Advances by dt seconds; 1 when it arrived (the destination holds exactly the target
    // and the done callback was called with unit), else 0.
    int Step(float dt, CAtom* unit);

    float travelled = 0;  // squared length of the displacement so far
    float rampEnd = 0;    // squared distance where acceleration ends
    float cruiseEnd = 0;  // squared distance where braking starts
    float total = 0;      // squared total distance
    float spare = 0;
    float startSpeed = 0;  // 0.1 x the cruise speed
    D3DXVECTOR4 displacement;
    D3DXVECTOR4 start;
    D3DXVECTOR4 target;
    D3DXVECTOR4 direction;  // unit length over all four components
    D3DXVECTOR4 velocity;
    D3DXVECTOR4 acceleration;
    D3DXVECTOR4 cruiseVelocity;
    D3DXVECTOR4* destination = nullptr;
    CSmoothMover* next = nullptr;
    SmoothMoverDone done = nullptr;

private:
    void Advance(float dt);
    void ClampAt(float squaredDistance);
};

// Steps every mover of a unit's list in order; each one that arrives is unlinked and, when
// a pool is given, given back to it.
void StepSmoothMoverList(CSmoothMover** head, float dt, CAtom* unit,
                         TContainer<CSmoothMover, int>* pool);
