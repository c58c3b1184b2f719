#pragma once
// Every reader of the program as a fuzz target: its seeds, what it needs once per process,
// and one input read the way the program reads it, the result used as the program uses it,
// then everything the reader changed put back, so that no input depends on the one before
// and the process does not grow.

#include "tests/fuzz/Mutator.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

struct SFuzzReader {
    const char* name;      // on the command line and as the folder of its findings
    const char* fileName;  // the input's file name in the work folder
    EInputKind kind;
    size_t maxSize;
    uint64_t shortBudget;  // executions of the test's run
    // The sample's files of the kind and the hand-made ones.
    void (*seeds)(std::vector<std::string>& out);
    // Before a run, in the work folder: false when the reader cannot run here. tearDown
    // undoes it after the run, so the readers of one process do not meet.
    bool (*setUp)();
    void (*tearDown)();
    // One input: variant picks among the ways callers use the reader (formats, flags).
    void (*read)(const char* path, uint64_t variant);
    bool usesDevice;
};

const std::vector<SFuzzReader>& FuzzReaders();
const SFuzzReader* FindFuzzReader(const std::string& name);

// Set-ups the readers share: none, and the test program's small device (shader level 3,
// the default usage block).
bool NothingToSetUp();
void NothingToTearDown();
bool DeviceSetUp();

// The readers of the core and of the engine and application, in the order they are run.
void AddCoreReaders(std::vector<SFuzzReader>& out);
void AddEngineReaders(std::vector<SFuzzReader>& out);

} // namespace fuzz
