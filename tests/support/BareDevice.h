#pragma once
// A small window and a Direct3D device put straight into Direct3D/Device3D, without the
// program's start-up: for tests of code that only draws or creates resources.

namespace test {

// Creates the device once per test program (64x64, software vertex processing); later
// calls return the existing one. False when no device can be made.
bool EnsureBareDevice();
// Releases the device and its window.
void ReleaseBareDevice();

} // namespace test
