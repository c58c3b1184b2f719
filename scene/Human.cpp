#include "scene/Human.h"

#include "core/Messages.h"
#include "core/Strings.h"
#include "core/VecMath.h"
#include "engine/AnimContainer.h"
#include "engine/Engine.h"

#include <cmath>
#include <cstring>

namespace {

float Distance3(const D3DXVECTOR4& a, const D3DXVECTOR4& b)
{
    const D3DXVECTOR3 d(a.x - b.x, a.y - b.y, a.z - b.z);
    return D3DXVec3Length(&d);
}

D3DXVECTOR4 DirectionTo(const D3DXVECTOR4& from, const D3DXVECTOR4& to)
{
    D3DXVECTOR4 d(to.x - from.x, to.y - from.y, to.z - from.z, 0.0f);
    if (D3DXVec4LengthSq(&d) > 0.0f) D3DXVec4Normalize(&d, &d);
    return d;
}

} // namespace

int CHuman::ScanNativePropertyes(FILE* file, const char* word)
{
    return ScanClassBlock(
        file, word, [this](FILE* f, const char* w) { return ScanOwnProperty(f, w); },
        [this](FILE* f, const char* w) { return CUnit::ScanNativePropertyes(f, w); });
}

bool CHuman::ScanOwnProperty(FILE* file, const char* word)
{
    uint16_t* animation = StrEqual(word, "WalkAnimation:")  ? &walkAnimation
                          : StrEqual(word, "RunAnimation:")  ? &runAnimation
                          : StrEqual(word, "StayAnimation:") ? &stayAnimation
                                                       : nullptr;
    if (animation) {
        *animation = ScanAnimation(file);
        return true;
    }
    float* value = StrEqual(word, "RunStayAnimChanging:") ? &crossFadeTime
                   : StrEqual(word, "WalkSpeed:")         ? &walkSpeed
                   : StrEqual(word, "RunSpeed:")          ? &runSpeed
                                                    : nullptr;
    if (!value) return false;
    Core::fscan_float(file, value);
    return true;
}

uint16_t CHuman::ScanAnimation(FILE* file)
{
    char animName[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, animName);
    const uint16_t index = gIAnimContainer ? gIAnimContainer->FindAnimFileIndex(animName) : 0;
    if (!index) MsgBox5("Not found animation '", animName, "' for UNIT '", name, "'.");
    return index;
}

void CHuman::CopyFromPrototype(const CAtom* prototype)
{
    CUnit::CopyFromPrototype(prototype);
    SysControls |= SYS_ENABLE_IDLE;
    if (const CHuman* source = dynamic_cast<const CHuman*>(prototype)) source->CopyOwnTo(this);
}

void CHuman::CopyTo(CAtom* destination) const
{
    CUnit::CopyTo(destination);
    if (auto* unit = dynamic_cast<CHuman*>(destination)) CopyOwnTo(unit);
}

void CHuman::CopyOwnTo(CHuman* destination) const
{
    destination->walkAnimation = walkAnimation;
    destination->runAnimation = runAnimation;
    destination->stayAnimation = stayAnimation;
    destination->crossFadeTime = crossFadeTime;
    destination->walkSpeed = walkSpeed;
    destination->runSpeed = runSpeed;
}

bool CHuman::Playing(const CAnimInstance* instance) const
{
    if (!instance) return false;
    bool found = false;
    animations.ForEach([&](const CAnimInstance* a) { found = found || a == instance; });
    return found;
}

int CHuman::StartMoves(const D3DXVECTOR4* points, int count)
{
    if (!points || count < 1) return -1;
    if (CUnit::StartMoves(points, count) != 0 || !move) return -1;
    if (count > MAX_UNIT_WAYPOINTS) {
        WarningBox(&gWarningBudget, "PROGRAMMER LIMIT: MAX_UNIT_WAYPOINTS. UNIT '", name, "'.", nullptr);
        count = MAX_UNIT_WAYPOINTS;
    }
    move->waypointCount = count;
    move->waypoint = 0;
    move->target = points[0];
    move->target.w = 1.0f;
    move->direction = DirectionTo(Pos, move->target);
    move->lastDistance = FLT_MAX;
    move->finalHeading = NO_FINAL_HEADING;
    for (int k = 0; k < count; ++k) move->waypoints[k] = D3DXVECTOR2(points[k].x, points[k].z);
    move->state = (move->state | MOVE_MOVING) & ~(MOVE_PAUSED | MOVE_FINAL_TURN);
    if (Playing(stayInstance)) RemoveAnimation(stayInstance);
    stayInstance = nullptr;
    move->speed = running ? runSpeed : walkSpeed;
    const uint16_t animation = running ? runAnimation : walkAnimation;
    moveInstance = animation ? AddAnimation(animation, 0) : nullptr;
    return 0;
}

void CHuman::SetFinalHeading(float heading)
{
    if (move) move->finalHeading = heading;
}

void CHuman::EndMoves(int stop)
{
    if (!move) return;
    CUnit::EndMoves(stop);
    if (!stop) return;
    if (!Playing(moveInstance)) moveInstance = nullptr;
    if (stayAnimation) {
        stayInstance = AddAnimation(stayAnimation, 0);
        if (crossFadeTime != 0.0f && moveInstance && stayInstance && moveInstance != stayInstance)
            moveInstance->Init(stayInstance, crossFadeTime);
    } else if (moveInstance) {
        moveInstance->Reset(crossFadeTime);
    }
}

void CHuman::BuildMatrix()
{
    D3DXMatrixRotationY(&world, Orient.y);
    world._41 = Pos.x;
    world._42 = Pos.y;
    world._43 = Pos.z;
}

uint32_t CHuman::DoIdle()
{
    CUnit::DoIdle();
    if (!move) return 0;
    const float dt = gEngine ? gEngine->frameTime : 0.0f;
    if ((move->state & MOVE_MOVING) && !(move->state & MOVE_PAUSED)) {
        Pos += move->direction * (move->speed * dt);
        Pos.w = 1.0f;
        const float d = Distance3(move->target, Pos);
        if (d >= move->lastDistance) {
            NextWaypoint();
            if (!move) {
                BuildMatrix();
                return 0;
            }
        } else {
            move->lastDistance = d;
            // Without a turn rate the unit faces its waypoint at once.
            const float step = RotateRate > 0.0f ? RotateRate * dt : TWO_PI;
            if (!(move->state & MOVE_FACING) && TurnToward(&Orient.y, &Pos, move->target, step) == 0)
                move->state |= MOVE_FACING;
        }
        BuildMatrix();
    }
    if (move && (move->state & MOVE_FINAL_TURN)) StepFinalTurn(dt);
    return 0;
}

void CHuman::NextWaypoint()
{
    Pos = move->target;
    ++move->waypoint;
    move->state &= ~MOVE_FACING;
    if (move->waypoint < move->waypointCount) {
        move->target.x = move->waypoints[move->waypoint].x;
        move->target.z = move->waypoints[move->waypoint].y;
        move->direction = DirectionTo(Pos, move->target);
        move->lastDistance = FLT_MAX;
        return;
    }
    EndOfPath();
}

// The remaining angle of a final turn is kept in the record's last distance.
void CHuman::EndOfPath()
{
    move->state &= ~MOVE_MOVING;
    const float heading = move->finalHeading;
    if (heading != NO_FINAL_HEADING) {
        if (RotateRate == 0.0f) {
            Orient.y = heading;
        } else {
            float angle = 0.0f;
            const int sign = ShortestTurnSign(Orient.y, heading, &angle);
            if (sign != 0) {
                move->state |= MOVE_FINAL_TURN;
                move->finalTurnStep = float(sign) * RotateRate * (angle > 1.2f ? PI_F / angle : 1.0f);
                move->lastDistance = angle;
            }
        }
    }
    EndMoves(1);
}

void CHuman::StepFinalTurn(float dt)
{
    if (AdvanceAngle(&Orient.y, move->finalTurnStep, dt, &move->lastDistance) == 0) {
        Orient.y = move->finalHeading;
        move->state &= ~MOVE_FINAL_TURN;
        if (gUnitInspector) gUnitInspector->FreeUnitMove(move);
        move = nullptr;
    }
    BuildMatrix();
}
