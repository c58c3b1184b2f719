// The fuzzer's uses: under CTest the tests of FuzzTest.cpp (a short budget per reader
// and the kept findings replayed); from tools/fuzz a long run of one reader:
//     test_fuzz run <reader> <first execution> <executions> [time limit per input, ms]
// which keeps each finding's input in tests/fuzz/found/<reader> and ends at the first;
//     test_fuzz input <reader> <execution> <file>
// writes that execution's input to a file;
//     test_fuzz repeat <reader> <file> <times>
// reads one file that many times (with FUZZ_GROWTH set, each time that leaves memory
// behind is named);
//     test_fuzz probe <fault> <folder>
// runs a reader that faults as told on its second input, keeping findings in the folder
// (the guards' own test).

#include "tests/fuzz/Campaign.h"
#include "tests/fuzz/Seeds.h"
#include "tests/support/Harness.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

int LongRun(int argc, char** argv)
{
    const fuzz::SFuzzReader* reader = argc > 2 ? fuzz::FindFuzzReader(argv[2]) : nullptr;
    if (!reader || argc < 5) {
        fprintf(stderr, "usage: test_fuzz run <reader> <first> <executions> [limit ms]\nreaders:");
        for (const fuzz::SFuzzReader& r : fuzz::FuzzReaders()) fprintf(stderr, " %s", r.name);
        fprintf(stderr, "\n");
        return 2;
    }
    fuzz::SCampaign campaign;
    campaign.reader = reader;
    campaign.first = strtoull(argv[3], nullptr, 10);
    campaign.count = strtoull(argv[4], nullptr, 10);
    campaign.foundDir = fuzz::FoundDir(reader->name);
    if (argc > 5) campaign.inputLimitMs = uint32_t(strtoul(argv[5], nullptr, 10));
    campaign.progressMs = 10000;
    printf("fuzz %s: input file %s\n", reader->name, fuzz::InputPath(*reader).c_str());
    fflush(stdout);
    const fuzz::SCampaignResult r = fuzz::RunCampaign(campaign);
    if (r.executions + r.known == 0 && campaign.count) return 3;
    printf("fuzz %s: done, next %llu, %llu read, %llu known findings passed over, %.1f s, %.0f per second, "
           "%llu messages, private %.1f MiB after the first input, %.1f MiB at the end\n",
           reader->name, (unsigned long long)(campaign.first + campaign.count), (unsigned long long)r.executions,
           (unsigned long long)r.known, r.seconds, double(r.executions) / (r.seconds > 0 ? r.seconds : 1),
           (unsigned long long)r.messages, r.startMiB, r.endMiB);
    fflush(stdout);
    return 0;
}

int WriteInput(int argc, char** argv)
{
    const fuzz::SFuzzReader* reader = argc > 4 ? fuzz::FindFuzzReader(argv[2]) : nullptr;
    if (!reader) return 2;
    const std::string input = fuzz::CInputSource(*reader).Input(strtoull(argv[3], nullptr, 10));
    FILE* file = fopen(argv[4], "wb");
    if (!file) return 2;
    fwrite(input.data(), 1, input.size(), file);
    return fclose(file) == 0 ? 0 : 2;
}

int Repeat(int argc, char** argv)
{
    const fuzz::SFuzzReader* reader = argc > 4 ? fuzz::FindFuzzReader(argv[2]) : nullptr;
    if (!reader) return 2;
    const std::string bytes = test::ReadFile(argv[3]);
    const std::vector<std::pair<std::string, std::string>> inputs(strtoul(argv[4], nullptr, 10), {argv[3], bytes});
    fuzz::ReplayInputs(*reader, inputs);
    return 0;
}

std::string gProbeFault;

void ProbeSeeds(std::vector<std::string>& out)
{
    out = {"calm", gProbeFault};
}

bool ProbeSetUp() { return true; }
void ProbeTearDown() {}

void ProbeRead(const char* path, uint64_t)
{
    const std::string fault = test::ReadFile(path);
    if (fault == "trap") __builtin_trap();
    static volatile uintptr_t nowhere = 16;
    if (fault == "crash") *reinterpret_cast<volatile int*>(nowhere) = 1;
    if (fault == "abort") abort();
    if (fault == "throw") throw std::runtime_error("probe");
    if (fault == "invalid") fuzz::ReportInvalid("probe");
    while (fault == "hang") Sleep(100);
}

int Probe(int argc, char** argv)
{
    if (argc < 4) return 2;
    gProbeFault = argv[2];
    static const fuzz::SFuzzReader probe{"probe", "input.probe", fuzz::EInputKind::Text, 64, 2, ProbeSeeds,
                                         ProbeSetUp, ProbeTearDown, ProbeRead, false};
    fuzz::SCampaign campaign;
    campaign.reader = &probe;
    campaign.count = 2;
    campaign.foundDir = argv[3];
    campaign.inputLimitMs = 500;
    fuzz::RunCampaign(campaign);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "run") == 0) return LongRun(argc, argv);
    if (argc > 1 && strcmp(argv[1], "input") == 0) return WriteInput(argc, argv);
    if (argc > 1 && strcmp(argv[1], "probe") == 0) return Probe(argc, argv);
    if (argc > 1 && strcmp(argv[1], "repeat") == 0) return Repeat(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
