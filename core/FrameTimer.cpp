#include "core/FrameTimer.h"

#include <windows.h>

#include <cmath>

CFrameTimer gFrameTimer;

namespace {
int64_t ReadCounter()
{
    LARGE_INTEGER v;
    QueryPerformanceCounter(&v);
    return v.QuadPart;
}
} // namespace

CFrameTimer::CFrameTimer()
{
    LARGE_INTEGER f;
    if (QueryPerformanceFrequency(&f) && f.QuadPart > 0)
        frequency = f.QuadPart;
}

void CFrameTimer::Start()
{
    step = 0.0f;
    started = 1;
    lastCounter = ReadCounter();
}

void CFrameTimer::Update()
{
    if (!started) {
        Start();
        return;
    }
    currentCounter = ReadCounter();
    step = float(double(currentCounter - lastCounter) / double(frequency));
    while (step < minFrameTime) {
        // Busy wait: a sleep would overshoot the short minimum frame times this serves.
        for (int i = 0; i < 64; ++i)
            scratch[i & 3] = std::sqrt(scratch[(i + 1) & 3] + float(i));
        currentCounter = ReadCounter();
        step = float(double(currentCounter - lastCounter) / double(frequency));
    }
    lastCounter = ReadCounter();
    if (step > MAX_FRAME_STEP)
        step = MAX_FRAME_STEP;
}

void CFrameTimer::SetFps(float fps)
{
    minFrameTime = fps > 0.0f ? 1.0f / fps : 0.0f;
}

void CFrameTimer::PushStopwatch()
{
    if (stopwatchCount < MAX_STOPWATCHES)
        stopwatches[stopwatchCount++] = ReadCounter();
}

float CFrameTimer::PopStopwatch()
{
    if (stopwatchCount == 0)
        return 0.0f;
    int64_t start = stopwatches[--stopwatchCount];
    return float(double(ReadCounter() - start) / double(frequency));
}
