#pragma once
// Start-up and memory, each measured in a fresh process of this program: the program run
// starts the sample as the program does and records what it did (Manifest.h); the bare run
// repeats only the unavoidable part of that work. Each writes one line of figures to its
// result file; times are on the shared Now() clock so the parent can add the time the
// process took to start.

#include <string>

namespace bench {

struct SProgramRun {
    double firstPresent = 0;   // Now() when the first frame had been presented
    double peakMiB = 0;        // peak working set once the presentation runs
    double loadedBytes = 0;    // textures, surfaces and buffers alive then
    double managedBytes = 0;   // the part of them in the managed pool
};

struct SBareRun {
    double mainEntered = 0;    // Now() at the start of main
    // Seconds: window, device and the first frames (cleared, then drawn); reading the
    // files; textures from them; the other textures, surfaces and buffers; shaders.
    double device = 0, files = 0, textures = 0, buffers = 0, shaders = 0;
    double clearedMiB = 0;     // peak working set with the device, window and a cleared frame
    double deviceMiB = 0;      // the same after a frame that drew (see BareRun.cpp)
    double Work() const { return device + files + textures + buffers + shaders; }
};

// Child processes: write the manifest and results (program) or read the manifest and write
// results (bare); the exit code is 0 when the run succeeded.
int RunProgramChild(const std::string& dir);
int RunBareChild(const std::string& dir, double mainEntered);

bool ReadProgramRun(const std::string& dir, SProgramRun& run);
bool ReadBareRun(const std::string& dir, SBareRun& run);

} // namespace bench
