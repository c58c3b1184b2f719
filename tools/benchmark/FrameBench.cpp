// Figure 1: one frame of the program on the sample (presentation, column and developer
// panel, as the program shows them) against the replay of the device calls that frame made,
// issued on the same device with no engine code in between. Engine frames and replays
// alternate in rounds, so both see the same load on the machine.

#include "tools/benchmark/Bench.h"
#include "tools/benchmark/RecordingDevice.h"

#include "core/Graphics.h"
#include "tests/support/Harness.h"

#include <string>

namespace bench {

namespace {

constexpr int WARM_UP_FRAMES = 60;
constexpr int ROUNDS = 15;
// The device queues a few frames: each half of a round first fills the queue with its own
// frames, untimed, then the timed frames measure the steady rate.
constexpr int FILL_FRAMES = 3;
constexpr int FRAMES_PER_ROUND = 10;

} // namespace

void BenchFrame(test::Program& program)
{
    CRecordingDevice* device = RecordingDevice();
    IDirect3DDevice9* real = RealDevice(device);
    if (!real || !program.RunFrames(WARM_UP_FRAMES)) {
        Fail("the program did not run the sample on the recording device");
        return;
    }
    CDrawList list;
    StartRecording(device, &list);
    program.RunFrames(1);
    StopRecording(device);
    const SCallCounts counts = list.Counts();
    const SFrameCounters cache = gGraphics.counters;
    if (list.Empty() || counts.draws == 0)
        Fail("the recorded frame drew nothing");
    if (counts.unsupported)
        Fail("the recorded frame made " + std::to_string(counts.unsupported) + " calls a replay cannot repeat");
    if (int failed = list.Replay(real))
        Fail("the replay of the recorded frame had " + std::to_string(failed) + " failed calls");

    std::vector<double> engine, replay;
    for (int round = 0; round < ROUNDS; ++round) {
        program.RunFrames(FILL_FRAMES);
        double t0 = Now();
        if (!program.RunFrames(FRAMES_PER_ROUND)) {
            Fail("the program quit while frames were measured");
            return;
        }
        engine.push_back((Now() - t0) * 1000.0 / FRAMES_PER_ROUND);
        for (int i = 0; i < FILL_FRAMES; ++i)
            list.Replay(real);
        t0 = Now();
        for (int i = 0; i < FRAMES_PER_ROUND; ++i)
            list.Replay(real);
        replay.push_back((Now() - t0) * 1000.0 / FRAMES_PER_ROUND);
    }
    Ratio("1 engine frame / replay of its draw list", engine, replay, "ms", 1.15, Better::Lower);
    Note("device calls per frame", counts.calls, "calls");
    Note("draw calls per frame", counts.draws, "calls");
    Note("state changes per frame", counts.stateChanges, "calls");
    Note("queries per frame (not replayed)", counts.queries, "calls");
    Note("state cache: lookups (compare, then set)", cache.stateLookups, "calls");
    Note("state cache: calls it made on the device", counts.cachedKinds, "calls");
}

} // namespace bench
