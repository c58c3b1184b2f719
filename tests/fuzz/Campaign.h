#pragma once
// A fuzz campaign: executions first .. first + count - 1 of one reader, each a mutation
// of one of its seeds made from a fixed seed and the execution's number alone, so a run
// can be repeated or resumed anywhere. Every input is written to the reader's work folder
// before it is read; the program's messages are counted, never shown. A crash, an
// undefined-behaviour trap, an assertion, an uncaught exception, an input read longer than
// the time limit, a device resource left behind or an invalid result is a finding: it is
// printed (a line starting with FINDING_MARK), the input is kept in the campaign's found
// folder (found/<reader> for long runs) and the process ends with FINDING_EXIT_CODE.

#include "tests/fuzz/Readers.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fuzz {

constexpr int FINDING_EXIT_CODE = 70;
constexpr const char* FINDING_MARK = "fuzz finding:";

struct SCampaign {
    const SFuzzReader* reader = nullptr;
    uint64_t first = 0;
    uint64_t count = 0;
    std::string foundDir;           // where a finding's input is kept; empty: nowhere
    uint32_t inputLimitMs = 10000;  // an input read longer is a hang
    uint32_t progressMs = 0;        // 0: no progress lines
};

struct SCampaignResult {
    uint64_t executions = 0;  // inputs read
    uint64_t known = 0;       // inputs passed over as findings kept before
    double seconds = 0;
    uint64_t messages = 0;
    double startMiB = 0, endMiB = 0;  // private bytes after the first and the last input
};

// The inputs of a reader: execution n is seed n as it is while n is below the seed count,
// else a mutation made from the reader's name and n alone.
class CInputSource {
public:
    explicit CInputSource(const SFuzzReader& reader);
    std::string Input(uint64_t index) const;

private:
    SCorpus corpus_;
    uint64_t readerSeed_;
};

// The reader's work folder made current and its set-up done for the scope; Ready() is
// false when the reader cannot run (the reason is printed).
class CReaderSession {
public:
    explicit CReaderSession(const SFuzzReader& reader);
    ~CReaderSession();
    CReaderSession(const CReaderSession&) = delete;
    CReaderSession& operator=(const CReaderSession&) = delete;
    bool Ready() const { return ready_; }

private:
    const SFuzzReader& reader_;
    bool ready_ = false;
};

SCampaignResult RunCampaign(const SCampaign& campaign);

// Reads files (label, bytes) as inputs of the reader (kept findings, regression cases),
// under the same guards; the label names a file in a finding's line.
void ReplayInputs(const SFuzzReader& reader, const std::vector<std::pair<std::string, std::string>>& inputs);

// What a reader produced breaks a rule its users rely on: a finding of kind "invalid".
[[noreturn]] void ReportInvalid(const char* what);

// The file each input of the reader is written to before it is read.
std::string InputPath(const SFuzzReader& reader);

} // namespace fuzz
