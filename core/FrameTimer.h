#pragma once
// The frame timer: its step (seconds, 0 on the first frame, never above 0.1) is the time
// base of input repeat, window fades and, scaled by the engine, of everything that moves.

#include <cstdint>

constexpr float MAX_FRAME_STEP = 0.1f;
constexpr int MAX_STOPWATCHES = 16;

struct CFrameTimer {
    uint32_t started = 0;
    int64_t frequency = 1;
    int64_t lastCounter = 0;
    int64_t currentCounter = 0;
    float minFrameTime = 0.0f;
    float scratch[4] = {};
    int32_t stopwatchCount = 0;
    int64_t stopwatches[MAX_STOPWATCHES] = {};
    float step = 0.0f;

    CFrameTimer();
    void Update();
    void Start();
    void SetFps(float fps);
    void PushStopwatch();
    float PopStopwatch();
};
extern CFrameTimer gFrameTimer;
