// The benchmark program (tools/bench runs it, never ctest): four figures of the program on
// the sample, each a ratio to a reference measured in the same run on the same data, printed
// as a table. Exit code: the number of missed targets and failed measurements.
// Figure numbers as arguments run only those figures. Run with "--program-run DIR" or
// "--bare-run DIR" it is one of its own start-up processes.

#include "tools/benchmark/Bench.h"
#include "tools/benchmark/RecordingDevice.h"
#include "tools/benchmark/StartUp.h"

#include "tests/support/Harness.h"

#include <windows.h>

#include <cstring>

int main(int argc, char** argv)
{
    const double entered = bench::Now();
    if (argc == 3 && strcmp(argv[1], "--program-run") == 0)
        return bench::RunProgramChild(argv[2]);
    if (argc == 3 && strcmp(argv[1], "--bare-run") == 0)
        return bench::RunBareChild(argv[2], entered);

    bool run[5] = {argc == 1, false, false, false, false};
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] >= '1' && argv[i][0] <= '4' && !argv[i][1])
            run[argv[i][0] - '0'] = true;
    auto wanted = [&](int figure) { return run[0] || run[figure]; };

    // Its own path as the wide call gives it: the code page may have no letters for its folder.
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, &self[0], DWORD(self.size())));
    if (wanted(1) || wanted(2)) {
        test::MessageRecorder messages;
        test::Program program;
        if (!bench::InstallRecordingDevice(nullptr) || program.Start(test::RunDir()) != 1) {
            bench::Fail("the program did not start on the sample");
        } else {
            if (wanted(1))
                bench::BenchFrame(program);
            if (wanted(2))
                bench::BenchScanner();
        }
        program.Stop();
        for (const std::string& text : messages.Texts())
            bench::Fail("message: " + text);
    }
    if (wanted(3) || wanted(4))
        bench::BenchStartUp(self);
    return bench::PrintTable();
}
