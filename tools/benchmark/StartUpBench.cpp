// Figures 3 and 4: start-up to the first presented frame against the unavoidable work, and
// the peak working set against the bare device plus the bytes the program holds. Each round
// starts a program run and a bare run as fresh processes one after the other.

#include "tools/benchmark/Bench.h"
#include "tools/benchmark/StartUp.h"

#include "core/CodePage.h"
#include "tests/support/Harness.h"

#include <windows.h>

namespace bench {

namespace {

constexpr int ROUNDS = 5;
constexpr DWORD CHILD_TIMEOUT_MS = 180000;

// Runs this benchmark again with the arguments and waits for it; started is Now() just
// before the process was made.
bool Spawn(const std::wstring& self, const std::string& args, double& started)
{
    std::wstring command = L"\"" + self + L"\" " + Widen(CP_ACP, args);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    started = Now();
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    const bool ended = WaitForSingleObject(pi.hProcess, CHILD_TIMEOUT_MS) == WAIT_OBJECT_0;
    DWORD code = 1;
    if (!ended)
        TerminateProcess(pi.hProcess, 1);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended && code == 0;
}

} // namespace

void BenchStartUp(const std::wstring& self)
{
    const std::string dir = test::TempDir("startup");
    const std::string quoted = " \"" + dir + "\"";
    std::vector<double> program, bare, processStart, device, files, textures, buffers, shaders;
    std::vector<double> peak, reference, clearedMiB, deviceMiB, loadedMiB, managedMiB;
    for (int round = 0; round < ROUNDS; ++round) {
        double programStarted = 0, bareStarted = 0;
        SProgramRun p;
        SBareRun b;
        if (!Spawn(self, "--program-run" + quoted, programStarted) || !ReadProgramRun(dir, p)) {
            Fail("the program run of the sample did not finish");
            return;
        }
        if (!Spawn(self, "--bare-run" + quoted, bareStarted) || !ReadBareRun(dir, b)) {
            Fail("the bare run did not finish");
            return;
        }
        program.push_back((p.firstPresent - programStarted) * 1000.0);
        processStart.push_back((b.mainEntered - bareStarted) * 1000.0);
        bare.push_back(processStart.back() + b.Work() * 1000.0);
        device.push_back(b.device * 1000.0);
        files.push_back(b.files * 1000.0);
        textures.push_back(b.textures * 1000.0);
        buffers.push_back(b.buffers * 1000.0);
        shaders.push_back(b.shaders * 1000.0);
        peak.push_back(p.peakMiB);
        clearedMiB.push_back(b.clearedMiB);
        deviceMiB.push_back(b.deviceMiB);
        loadedMiB.push_back(p.loadedBytes / MIB);
        reference.push_back(b.deviceMiB + p.loadedBytes / MIB);
        managedMiB.push_back(p.managedBytes / MIB);
    }
    Ratio("3 start-up: process start to first presented frame", program, bare, "ms", 1.5, Better::Lower);
    Note("reference: process start of this executable", Median(processStart), "ms");
    Note("reference: window, device, first frame drawn", Median(device), "ms");
    Note("reference: read every file it names", Median(files), "ms");
    Note("reference: textures from those bytes", Median(textures), "ms");
    Note("reference: its other textures and buffers", Median(buffers), "ms");
    Note("reference: compile and make its shaders", Median(shaders), "ms");
    Ratio("4 peak working set: device and window + loaded", peak, reference, "MiB", 1.3, Better::Lower);
    Note("reference: device and window, one frame drawn", Median(deviceMiB), "MiB");
    Note("(device and window, one frame cleared)", Median(clearedMiB), "MiB");
    Note("reference: textures, surfaces, buffers loaded", Median(loadedMiB), "MiB");
    Note("of which in the managed pool", Median(managedMiB), "MiB");
}

} // namespace bench
