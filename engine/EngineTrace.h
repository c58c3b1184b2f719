#pragma once
// An optional observer of the engine's life and frame steps: creation and deletion of
// each manager and each step of an engine frame report their name to it. Null (the
// default) costs one test per step.

using EngineTraceFn = void (*)(const char* step);
extern EngineTraceFn gEngineTrace;

inline void EngineTrace(const char* step)
{
    if (gEngineTrace)
        gEngineTrace(step);
}
