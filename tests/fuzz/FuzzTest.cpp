// Each reader through a short fuzz budget, then every input kept in found/<reader> by a
// long run (tools/fuzz) read again as a regression case. A finding ends the program with
// its line, which fails the test.

#include "tests/fuzz/Campaign.h"
#include "tests/fuzz/Seeds.h"
#include "tests/support/Harness.h"
#include "tests/support/RealProgram.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReaderNames()
{
    std::vector<std::string> names;
    for (const fuzz::SFuzzReader& reader : fuzz::FuzzReaders()) names.push_back(reader.name);
    return names;
}

class FuzzReader : public ::testing::TestWithParam<std::string> {
protected:
    const fuzz::SFuzzReader& Reader() const { return *fuzz::FindFuzzReader(GetParam()); }
};

TEST_P(FuzzReader, ShortBudgetFindsNothing)
{
    fuzz::SCampaign campaign;
    campaign.reader = &Reader();
    campaign.count = Reader().shortBudget;
    const fuzz::SCampaignResult r = fuzz::RunCampaign(campaign);
    EXPECT_EQ(campaign.count, r.executions + r.known) << "the reader could not run";
    printf("%s: %llu inputs in %.1f s, %llu messages\n", Reader().name, (unsigned long long)r.executions, r.seconds,
           (unsigned long long)r.messages);
}

TEST_P(FuzzReader, KeptFindingsAreReadSafely)
{
    std::vector<std::pair<std::string, std::string>> inputs;
    for (const auto& [name, bytes] : test::ReadTree(fuzz::FoundDir(Reader().name))) inputs.emplace_back(name, bytes);
    fuzz::ReplayInputs(Reader(), inputs);
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzReader, ::testing::ValuesIn(ReaderNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// The fuzzer itself, run as a child on a reader that faults on its second input: each
// kind of fault ends the run with the finding's code and keeps exactly that input.
TEST(FuzzGuards, EveryFaultEndsTheRunAndKeepsItsInput)
{
    struct SProbe {
        const char* fault;
        const char* kind;
    };
    const SProbe PROBES[] = {{"trap", "trap"},   {"crash", "crash"},         {"abort", "abort"},
                             {"hang", "hang"},   {"throw", "terminate"},     {"invalid", "invalid"}};
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    for (const SProbe& p : PROBES) {
        const std::string dir = test::TempDir(std::string("probe_") + p.fault);
        const std::string output = dir + ".out";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE out = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOA start{};
        start.cb = sizeof start;
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdOutput = start.hStdError = out;
        PROCESS_INFORMATION child{};
        std::string command = std::string("\"") + exe + "\" probe " + p.fault + " \"" + dir + "\"";
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &child));
        CloseHandle(out);
        const bool ended = WaitForSingleObject(child.hProcess, 60000) == WAIT_OBJECT_0;
        DWORD code = 0;
        GetExitCodeProcess(child.hProcess, &code);
        if (!ended) TerminateProcess(child.hProcess, 1);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
        EXPECT_EQ(DWORD(fuzz::FINDING_EXIT_CODE), code) << p.fault;
        EXPECT_NE(std::string::npos, test::ReadFile(output).find(std::string("finding: ") + p.kind + " in probe, input 1"))
            << test::ReadFile(output);
        const auto kept = test::ReadTree(dir);
        ASSERT_EQ(1u, kept.size()) << p.fault;
        EXPECT_EQ(0u, kept.begin()->first.find(std::string("\\") + p.kind + "-")) << kept.begin()->first;
        EXPECT_EQ(p.fault, kept.begin()->second);
    }
}

TEST(FuzzMutations, TheSameSeedGivesTheSameInputAndSeedsDiffer)
{
    fuzz::SCorpus corpus;
    corpus.seeds = {"Units: { Camera { pos: [ 0 150 -230 ] }; };", "MESH 3 0 0 0 1 0 0 0 1 0"};
    fuzz::CollectWords(corpus);
    std::vector<std::string> first, again;
    for (uint64_t seed = 0; seed < 200; ++seed) {
        fuzz::CFuzzRandom a(seed), b(seed);
        first.push_back(fuzz::Mutate(corpus, a));
        again.push_back(fuzz::Mutate(corpus, b));
    }
    EXPECT_EQ(first, again);
    std::sort(first.begin(), first.end());
    EXPECT_GT(std::unique(first.begin(), first.end()) - first.begin(), 150);
}

} // namespace
