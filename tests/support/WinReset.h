#pragma once
// Brings the window manager back to its start state between tests.

namespace test {

// Deletes every window and resets every field of gWinSuperior (the skin and hint textures are kept) and
// the press-handled flag of the mouse pass.
void ResetWindowManager();

} // namespace test
