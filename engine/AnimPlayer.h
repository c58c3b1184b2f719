#pragma once
// CAnimPlayer: the play head of one running animation. It turns elapsed seconds into a
// current frame, a next frame and the blend factor between them, calls the file's frame
// callback as frames are reached, loops or stops, and samples the file at its position.
// It owns nothing; without a file it plays nothing and its samplers write nothing.

#include "engine/AnimFile.h"

#include <cstdint>

// Play flags.
enum : uint16_t {
    PLAY_CYCLIC = 0x2,
    PLAY_HELD = 0x4,
    PLAY_JUMP_FRAME0 = 0x8,
    PLAY_LOOP_SWITCH = 0x10,
    PLAY_PLAYING = 0x20,
    PLAY_RANDOM_FRAME = 0x40,
    PLAY_REWIND_ON_HOLD = 0x80,
    PLAY_REVERSE = 0x100,
    PLAY_RESTART_AT_0 = 0x200,
};
// Advance results.
enum { PLAYER_RUNNING = 0, PLAYER_FINISHED = 1, PLAYER_HELD_BY_CALLBACK = 2 };

class CAnimPlayer {
public:
    void SetFile(CAnimFile* newFile) { file = newFile; }
    // 0, or -1 when there is no file to play (the argument or the current one).
    int Start(CAnimFile* newFile, uint16_t playFlags, uint32_t rootHash);
    // For frame animations: the frames and duration given, not the file's.
    void StartAt(int frames, float seconds, uint16_t playFlags, uint32_t rootHash);
    int Advance(float dt);
    // Holds the player; with PLAY_REWIND_ON_HOLD back to the start of the current frame.
    void SetPlayFlags(uint16_t bits);
    void Stop() { flags &= uint16_t(~PLAY_HELD); }
    void Restart(int frame);
    // With stop: back to frame 0 at time 0, no longer playing. Without: only marks the
    // player with PLAY_LOOP_SWITCH.
    void SwitchLoop(bool stop);
    void GetFrames(int* current, int* next, float* blend) const;

    void SampleBones(D3DXMATRIX* out, uint8_t* marks) const;
    // False when nothing was written.
    bool SampleChannels(D3DXMATRIX* out, int bone) const;
    // The values of the root slot, or null when the file keeps none.
    const CAnimValues* SampleColorUv() const;
    void SampleTransform(D3DXVECTOR4* out) const;

    float frameTime = 0.0f;
    float totalTime = 0.0f;
    float factor = 0.0f;
    float step = 0.0f;
    float invStep = 0.0f;
    float duration = 0.0f;
    uint16_t current = 0;
    uint16_t next = 0;
    uint16_t lastReported = 0;
    uint16_t flags = 0;
    uint8_t rootSlot = 0;
    uint16_t frameCount = 0;
    CAnimFile* file = nullptr;

private:
    int Cross(float dt);
    int Loop();
    uint16_t RandomFrame() const;
};
