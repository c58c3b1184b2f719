#include "engine/AnimPlayer.h"

#include "core/Random.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

constexpr float MIN_CROSSING_STEP = 0.001f;
constexpr uint16_t LAST_FRAME_NUMBER = 0xFFFE;

// The blend between two frames; a frame time past the step (a step shorter than the time
// step of a frame) holds the next frame instead of running beyond it.
float Blend(float f)
{
    return f > 0.0f ? (f < 1.0f ? f : 1.0f) : 0.0f;
}

// A duration that is no finite positive number of seconds plays nothing, as one of 0 does.
// A step too short for its inverse to be a number is the shortest that has one.
void SetStep(int frames, float& duration, float& step, float& invStep)
{
    step = invStep = 0.0f;
    if (frames < 2 || !(duration > 0.0f && duration <= FLT_MAX)) return;
    step = duration / float(frames - 1);
    if (step < FLT_MIN) {
        step = FLT_MIN;
        duration = step * float(frames - 1);
    }
    invStep = 1.0f / step;
}

} // namespace

// A frame in 0 .. frames - 2, as the runtime generator gives it.
uint16_t CAnimPlayer::RandomFrame() const
{
    return uint16_t(RandomIntN(frameCount - 2));
}

int CAnimPlayer::Start(CAnimFile* newFile, uint16_t playFlags, uint32_t rootHash)
{
    if (newFile) file = newFile;
    if (!file) return -1;
    StartAt(file->frameCount, file->duration, playFlags, rootHash);
    return 0;
}

void CAnimPlayer::StartAt(int frames, float seconds, uint16_t playFlags, uint32_t rootHash)
{
    frameTime = totalTime = factor = 0.0f;
    current = 0;
    next = lastReported = 1;
    flags = uint16_t(playFlags | PLAY_PLAYING);
    rootSlot = 0;
    frameCount = uint16_t(frames > 0 ? (frames > MAX_ANIM_FRAMES ? MAX_ANIM_FRAMES : frames) : 0);
    duration = seconds;
    SetStep(frameCount, duration, step, invStep);
    if ((flags & PLAY_RANDOM_FRAME) && frameCount >= 2) {
        current = RandomFrame();
        next = lastReported = uint16_t(current + 1);
        totalTime = float(current) * step;
    }
    if (!file || file->boneCount < 2 || file->skeleton.boneCount > 0 || !rootHash || !file->keys) return;
    for (int i = 0; i < file->boneCount; ++i)
        if (file->keys[i].nameHash == rootHash) {
            rootSlot = uint8_t(i);
            return;
        }
}

int CAnimPlayer::Advance(float dt)
{
    if ((flags & PLAY_HELD) || !(flags & PLAY_PLAYING)) return PLAYER_RUNNING;
    if (step == 0.0f) return PLAYER_FINISHED;
    frameTime += dt;
    totalTime += dt;
    factor = Blend(frameTime * invStep);
    if (frameTime < step) return PLAYER_RUNNING;
    return Cross(dt);
}

// The frame time has run past the step: on to the frame the total time stands in.
int CAnimPlayer::Cross(float dt)
{
    if (next != 0) {
        if (dt < MIN_CROSSING_STEP) totalTime += MIN_CROSSING_STEP;
        // Far past the last frame (a step much shorter than the time step) the frame is
        // only "past the end": the number is cut before it can overflow an int.
        const float frame = totalTime * invStep;
        current = frame < float(LAST_FRAME_NUMBER) ? uint16_t(frame > 0.0f ? frame : 0.0f) : LAST_FRAME_NUMBER;
        next = uint16_t(current + 1);
        frameTime = totalTime - float(current) * step;
    } else {
        // The closing interval from the last frame back to frame 0 has ended.
        current = 0;
        next = lastReported = 1;
        totalTime -= step;
        frameTime = totalTime;
    }
    factor = Blend(frameTime / step);
    if (next > lastReported) {
        const uint16_t previous = lastReported;
        lastReported = next;
        if (file && file->frameCallback) {
            file->frameCallback(this, previous, next);
            if (flags & PLAY_HELD) return PLAYER_HELD_BY_CALLBACK;
        }
    }
    if (next < frameCount) return PLAYER_RUNNING;
    return Loop();
}

int CAnimPlayer::Loop()
{
    const uint16_t last = uint16_t(frameCount > 0 ? frameCount - 1 : 0);
    if (!(flags & PLAY_CYCLIC)) {
        next = current = last;
        flags &= uint16_t(~PLAY_PLAYING);
        return PLAYER_FINISHED;
    }
    if (flags & PLAY_JUMP_FRAME0) {
        current = 0;
        next = 1;
        frameTime = totalTime = factor = 0.0f;
    } else {
        // Without the restart at frame 0 a loop ends with one more step, from the last frame
        // back to frame 0.
        const bool restart = (flags & PLAY_RESTART_AT_0) != 0;
        const float loop = restart ? duration : duration + step;
        if (totalTime - duration < loop) {
            if (restart) {
                current = 0;
                next = 1;
            } else {
                next = 0;
                if (current > last) current = last;
            }
            totalTime -= duration;
            frameTime = totalTime;
        } else {
            // A time step longer than a whole loop would leave the time ever further behind
            // (and one that a duration is below the precision of would never go down): only
            // its place in the loop counts.
            const float place = std::isfinite(totalTime) ? std::fmod(totalTime, loop) : 0.0f;
            if (place >= duration) {
                current = last;
                next = 0;
                totalTime = frameTime = place - duration;
            } else {
                current = uint16_t(std::min(place * invStep, float(last - 1)));
                next = uint16_t(current + 1);
                totalTime = place;
                frameTime = place - float(current) * step;
            }
        }
        factor = Blend(frameTime * invStep);
    }
    lastReported = 0;
    return PLAYER_RUNNING;
}

void CAnimPlayer::SetPlayFlags(uint16_t bits)
{
    flags |= PLAY_HELD;
    if (bits & PLAY_REWIND_ON_HOLD) {
        factor = frameTime = 0.0f;
        totalTime = float(current) * step;
    }
}

void CAnimPlayer::Restart(int frame)
{
    if (!file) return;
    flags &= uint16_t(~PLAY_HELD);
    if ((flags & PLAY_RANDOM_FRAME) && frameCount >= 2)
        current = RandomFrame();
    else
        current = uint16_t(frame < 0 ? 0 : frame);
    next = lastReported = uint16_t(current + 1);
    totalTime = float(current) * step;
    frameTime = 0.0f;
}

void CAnimPlayer::SwitchLoop(bool stop)
{
    if (!stop) {
        flags |= PLAY_LOOP_SWITCH;
        return;
    }
    frameTime = totalTime = factor = 0.0f;
    current = 0;
    next = lastReported = 1;
    flags &= uint16_t(~PLAY_PLAYING);
}

void CAnimPlayer::GetFrames(int* currentOut, int* nextOut, float* blend) const
{
    if (currentOut) *currentOut = current;
    if (nextOut) *nextOut = next;
    if (blend) *blend = factor;
}

void CAnimPlayer::SampleBones(D3DXMATRIX* out, uint8_t* marks) const
{
    if (file) file->SampleMatrices(current, next, factor, out, marks);
}

bool CAnimPlayer::SampleChannels(D3DXMATRIX* out, int bone) const
{
    return file && file->SampleBoneMatrix(current, next, factor, bone, out);
}

const CAnimValues* CAnimPlayer::SampleColorUv() const
{
    return file ? file->SampleValues(current, next, factor, rootSlot) : nullptr;
}

void CAnimPlayer::SampleTransform(D3DXVECTOR4* out) const
{
    if (file) file->SamplePosition(current, next, factor, 0, out);
}
