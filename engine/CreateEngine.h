#pragma once
// The engine's life: CreateEngine builds every manager in one fixed order and publishes
// each through its concrete and interface globals; DestroyEngine ends the running
// presentation while all managers still exist, then deletes them in its own fixed order
// and nulls both globals of each. An allocation failure is reported once, the managers
// made so far are deleted again, and the result is non-zero.

#include <cstdint>

constexpr uint32_t ENGINE_DEVELOPER_PANEL = 0x200;

// 0, -1 when a manager cannot be allocated, or with ENGINE_DEVELOPER_PANEL the panel's
// Init result.
int CreateEngine(uint32_t flags);
// Does nothing when no engine exists.
void DestroyEngine();
