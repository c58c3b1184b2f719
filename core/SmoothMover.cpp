#include "core/SmoothMover.h"

#include <cmath>

namespace {

const D3DXVECTOR4 ZERO(0, 0, 0, 0);

} // namespace

CSmoothMover::CSmoothMover()
    : displacement(ZERO), start(ZERO), target(0, 0, 0, 1), direction(ZERO), velocity(ZERO),
      acceleration(ZERO), cruiseVelocity(ZERO)
{
}

void CSmoothMover::Start(D3DXVECTOR4* dest, const D3DXVECTOR4& to, float speed, float ramp,
                         SmoothMoverDone onDone)
{
    destination = dest;
    next = nullptr;
    done = onDone;
    start = *dest;
    target = to;
    D3DXVECTOR4 d = target - start;
    float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    float length4 = D3DXVec4Length(&d);
    direction = length4 > 0 ? d / length4 : ZERO;

    float rampDistance = length * ramp;
    rampEnd = rampDistance * rampDistance;
    cruiseEnd = (length - rampDistance) * (length - rampDistance);
    total = length * length;
    startSpeed = 0.1f * speed;

    // Without a ramp there is no distance to accelerate over: the acceleration (which would
    // be infinite) is left at 0 and the whole way is gone at the start speed.
    float rampTime = 2 * rampDistance / (speed + startSpeed);
    float accel = rampTime != 0 ? (speed - startSpeed) / rampTime : 0;
    acceleration = direction * accel;
    cruiseVelocity = direction * speed;
    velocity = direction * startSpeed;
    displacement = ZERO;
    travelled = 0;
}

void CSmoothMover::Advance(float dt)
{
    D3DXVECTOR4 step = velocity * dt;
    *destination += step;
    displacement += step;
    travelled = D3DXVec4LengthSq(&displacement);
}

// A phase boundary crossed within one step is clamped to exactly.
void CSmoothMover::ClampAt(float squaredDistance)
{
    travelled = squaredDistance;
    displacement = direction * std::sqrt(squaredDistance);
    *destination = start + displacement;
}

int CSmoothMover::Step(float dt, CAtom* unit)
{
    if (travelled < rampEnd) {
        velocity += acceleration * dt;
        Advance(dt);
        if (travelled >= rampEnd) {
            velocity = cruiseVelocity;
            ClampAt(rampEnd);
        }
        return 0;
    }
    if (travelled < cruiseEnd) {
        Advance(dt);
        if (travelled >= cruiseEnd)
            ClampAt(cruiseEnd);
        return 0;
    }
    Advance(dt);
    velocity -= acceleration * dt;
    if (travelled < total)
        return 0;
    *destination = target;
    if (done)
        done(unit);
    return 1;
}

void StepSmoothMoverList(CSmoothMover** head, float dt, CAtom* unit,
                         TContainer<CSmoothMover, int>* pool)
{
    CSmoothMover** link = head;
    while (CSmoothMover* mover = *link) {
        if (!mover->Step(dt, unit)) {
            link = &mover->next;
            continue;
        }
        // Read the link only now: the done callback may have appended a mover behind it.
        *link = mover->next;
        mover->next = nullptr;
        if (pool)
            pool->FreeRecord(mover);
    }
}
