// Each reader through a short fuzz budget, then every input kept in found/<reader> by a
// long run (tools/fuzz) read again as a regression case. A finding ends the program with
// its line, which fails the test.

#include "tests/fuzz/Campaign.h"
#include "tests/fuzz/Seeds.h"
#include "tests/support/RealProgram.h"

#include <gtest/gtest.h>

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
