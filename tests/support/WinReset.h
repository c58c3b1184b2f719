#pragma once
// Brings the window manager back to its start state between tests.

namespace test {

// Deletes every window and resets every field of gWinSuperior (the skin and hint textures are kept) and
// the press-handled flag of the mouse pass.
void ResetWindowManager();
// Runs the window manager's Init from the sample run folder (its skin and hint texture).
void InitWindowManagerFromRunDir();
// Releases the skin and hint textures the manager loaded.
void ReleaseWindowManagerTextures();

} // namespace test
