// The script reader on the sample's start script and everything it includes (variables,
// shaders, nations, unit classes), on a small device of its own and a fresh engine per round.

#include "tests/bench/Bench.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "engine/CreateEngine.h"
#include "engine/Parser.h"
#include "tests/support/BareDevice.h"
#include "tests/support/Harness.h"

#include <windows.h>

namespace bench {

namespace {
constexpr int SCRIPT_ROUNDS = 10;
}

void BenchScripts()
{
    gExitCode = 0;  // the stopped program leaves its exit request behind
    if (!test::EnsureBareDevice()) {
        Fail("no device for the script reader");
        return;
    }
    // The shader levels the program's start-up would measure on this device.
    D3DCAPS9 caps;
    Device3D->GetDeviceCaps(&caps);
    gGraphics.vsLevel = VertexShaderLevel(caps.VertexShaderVersion);
    gGraphics.psLevel = PixelShaderLevel(caps.PixelShaderVersion);
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    SetCurrentDirectoryA(test::RunDir().c_str());
    Samples rounds;
    for (int i = 0; i < SCRIPT_ROUNDS; ++i) {
        if (CreateEngine(0) != 0) {
            Fail("no engine for the script reader");
            break;
        }
        const double t0 = Now();
        const int result = gIParser->LoadScript("Scripts/Start.txt");
        rounds.Add(Now() - t0);
        DestroyEngine();
        if (result != 0) {
            Fail("the sample's start script was not read");
            break;
        }
    }
    SetCurrentDirectoryA(cwd);
    test::ReleaseBareDevice();
    Record("script reader: Scripts/Start.txt with its includes", rounds.AverageMs(), "ms", 100, Better::Lower);
}

} // namespace bench
