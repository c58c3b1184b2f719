#include "tests/fuzz/Campaign.h"

#include "core/Messages.h"
#include "tests/fuzz/Seeds.h"
#include "tests/support/Harness.h"
#include "tests/support/RealProgram.h"

#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>
#include <map>
#include <set>

namespace fuzz {

namespace {

// The input being read, for the guards (which may run on another thread or on a broken
// stack, so they use no allocation of their own).
struct SCurrentInput {
    const SFuzzReader* reader = nullptr;
    char path[MAX_PATH] = {};
    char foundDir[MAX_PATH] = {};  // empty: findings are not kept
    char label[160] = {};
    uint64_t hash = 0;
    std::atomic<uint64_t> startTick{0};  // 0: no input is being read
    std::atomic<uint32_t> limitMs{10000};
};
SCurrentInput gInput;
std::atomic<bool> gReporting{false};

std::atomic<uint64_t> gMessages{0};

// With FUZZ_MESSAGES set in the environment the texts are printed (to look into a finding).
int CountMessage(const char*, const char* text)
{
    static const bool show = getenv("FUZZ_MESSAGES") != nullptr;
    if (show) fprintf(stderr, "message: %s\n", text ? text : "");
    ++gMessages;
    return IDOK;
}

void Print(const char* text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, DWORD(strlen(text)), &written, nullptr);
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, DWORD(strlen(text)), &written, nullptr);
}

const char* Extension(const char* fileName)
{
    const char* dot = strrchr(fileName, '.');
    return dot ? dot : "";
}

// Prints the finding, keeps its input when asked and ends the process.
[[noreturn]] void Finding(const char* kind, const char* detail)
{
    if (gReporting.exchange(true))
        for (;;) Sleep(1000);  // another thread reports; it ends the process
    char kept[MAX_PATH] = "";
    if (gInput.foundDir[0] && gInput.reader) {
        CreateDirectoryA(gInput.foundDir, nullptr);
        snprintf(kept, sizeof kept, "%s\\%s-%016llx%s", gInput.foundDir, kind, (unsigned long long)gInput.hash,
                 Extension(gInput.reader->fileName));
        if (!CopyFileA(gInput.path, kept, FALSE)) snprintf(kept, sizeof kept, "(not kept)");
    }
    char line[1024];
    snprintf(line, sizeof line, "\n%s %s in %s, %s (%s)%s%s\n", FINDING_MARK, kind,
             gInput.reader ? gInput.reader->name : "?", gInput.label, detail, kept[0] ? ", kept as " : "", kept);
    Print(line);
    TerminateProcess(GetCurrentProcess(), FINDING_EXIT_CODE);
    for (;;) Sleep(1000);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info)
{
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    char detail[64];
    snprintf(detail, sizeof detail, "exception 0x%08lx at %p", (unsigned long)code,
             info->ExceptionRecord->ExceptionAddress);
    Finding(code == EXCEPTION_ILLEGAL_INSTRUCTION ? "trap" : "crash", detail);
}

void OnAbort(int) { Finding("abort", "abort() called: a failed assertion"); }
void OnTerminate() { Finding("terminate", "std::terminate: an exception nobody caught"); }

DWORD WINAPI Watchdog(void*)
{
    for (;;) {
        Sleep(50);
        const uint64_t start = gInput.startTick.load();
        if (start && GetTickCount64() - start > gInput.limitMs.load()) Finding("hang", "over the time limit");
    }
}

void InstallGuards()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    // With FUZZ_BACKTRACE set, crashes are left to Wine, which prints a backtrace.
    if (!getenv("FUZZ_BACKTRACE")) SetUnhandledExceptionFilter(OnUnhandledException);
    signal(SIGABRT, OnAbort);
    std::set_terminate(OnTerminate);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
    SetMessageSink(CountMessage);
}

// The process's committed memory (Wine reports no private bytes of their own).
double PrivateMiB()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return double(bytes) / (1024.0 * 1024.0);
}

std::string WorkDir(const SFuzzReader& reader)
{
    static std::map<std::string, std::string> dirs;
    std::string& dir = dirs[reader.name];
    if (dir.empty()) dir = test::TempDir(std::string("fuzz_") + reader.name);
    return dir;
}

// The input file stays open for writing, shared with the reader's own opening.
bool WriteInput(const std::string& bytes)
{
    static HANDLE file = INVALID_HANDLE_VALUE;
    static std::string openPath;
    if (openPath != gInput.path) {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        file = CreateFileA(gInput.path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        openPath = gInput.path;
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    LARGE_INTEGER zero{};
    return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) &&
           WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size() &&
           SetEndOfFile(file);
}

void ReadOne(const SFuzzReader& reader, const std::string& bytes)
{
    gInput.hash = InputHash(bytes);
    if (!WriteInput(bytes)) {
        fprintf(stderr, "fuzz: cannot write the input file '%s'\n", gInput.path);
        exit(2);
    }
    const unsigned long references = reader.usesDevice ? test::DeviceRefCount() : 0;
    gInput.startTick = GetTickCount64();
    reader.read(gInput.path, gInput.hash);
    gInput.startTick = 0;
    if (reader.usesDevice && test::DeviceRefCount() != references) {
        char detail[96];
        snprintf(detail, sizeof detail, "device references %lu before the input, %lu after its reset", references,
                 test::DeviceRefCount());
        Finding("leak", detail);
    }
}

// With FUZZ_GROWTH set to a number of MiB, each input that leaves more memory behind is
// named (to look into a growing process).
double GrowthMiB()
{
    return getenv("FUZZ_GROWTH") ? atof(getenv("FUZZ_GROWTH")) : 0;
}

void ReadOneWatchingGrowth(const SFuzzReader& reader, const std::string& bytes, double growthMiB)
{
    const double before = growthMiB > 0 ? PrivateMiB() : 0;
    ReadOne(reader, bytes);
    if (growthMiB > 0 && PrivateMiB() - before > growthMiB)
        printf("fuzz %s: %s left %.1f MiB more behind, %.1f MiB in all\n", reader.name, gInput.label,
               PrivateMiB() - before, PrivateMiB());
}

void SetCurrent(const SFuzzReader& reader, const std::string& foundDir, uint32_t limitMs)
{
    gInput.reader = &reader;
    snprintf(gInput.foundDir, sizeof gInput.foundDir, "%s", foundDir.c_str());
    gInput.limitMs = limitMs;
    snprintf(gInput.path, sizeof gInput.path, "%s", InputPath(reader).c_str());
}

// Hashes of the inputs kept in found/<reader> before: known findings are not read again.
std::set<uint64_t> KnownFindings(const SFuzzReader& reader)
{
    std::set<uint64_t> known;
    for (const auto& [name, bytes] : test::ReadTree(FoundDir(reader.name))) known.insert(InputHash(bytes));
    return known;
}

} // namespace

CInputSource::CInputSource(const SFuzzReader& reader) : readerSeed_(InputHash(reader.name))
{
    reader.seeds(corpus_.seeds);
    corpus_.kind = reader.kind;
    corpus_.maxSize = reader.maxSize;
    if (corpus_.kind == EInputKind::Text) CollectWords(corpus_);
}

std::string CInputSource::Input(uint64_t index) const
{
    if (index < corpus_.seeds.size()) return corpus_.seeds[index];
    CFuzzRandom random(readerSeed_ ^ (index * 0xD1B54A32D192ED03ull));
    return Mutate(corpus_, random);
}

std::string InputPath(const SFuzzReader& reader)
{
    return WorkDir(reader) + "\\" + reader.fileName;
}

CReaderSession::CReaderSession(const SFuzzReader& reader) : reader_(reader)
{
    InstallGuards();
    ready_ = SetCurrentDirectoryA(WorkDir(reader).c_str()) && reader.setUp();
    if (!ready_) fprintf(stderr, "fuzz: the reader '%s' cannot run here\n", reader.name);
}

CReaderSession::~CReaderSession()
{
    if (ready_) reader_.tearDown();
}

SCampaignResult RunCampaign(const SCampaign& campaign)
{
    const SFuzzReader& reader = *campaign.reader;
    SCampaignResult result;
    CReaderSession session(reader);
    if (!session.Ready()) return result;
    SetCurrent(reader, campaign.foundDir, campaign.inputLimitMs);
    const CInputSource source(reader);
    const std::set<uint64_t> known = KnownFindings(reader);
    const uint64_t messagesBefore = gMessages;
    const ULONGLONG start = GetTickCount64();
    ULONGLONG lastProgress = start;
    const double growthMiB = GrowthMiB();
    for (uint64_t n = 0; n < campaign.count; ++n) {
        const uint64_t index = campaign.first + n;
        const std::string input = source.Input(index);
        if (known.count(InputHash(input))) {
            ++result.known;
            continue;
        }
        snprintf(gInput.label, sizeof gInput.label, "input %llu", (unsigned long long)index);
        ReadOneWatchingGrowth(reader, input, growthMiB);
        ++result.executions;
        if (result.executions == 1) result.startMiB = PrivateMiB();
        const ULONGLONG now = GetTickCount64();
        if (campaign.progressMs && now - lastProgress >= campaign.progressMs) {
            lastProgress = now;
            printf("fuzz %s: next %llu, %llu read, %.0f per second, %.1f MiB private\n", reader.name,
                   (unsigned long long)(index + 1), (unsigned long long)result.executions,
                   double(result.executions) * 1000.0 / double(now - start + 1), PrivateMiB());
            fflush(stdout);
        }
    }
    result.seconds = double(GetTickCount64() - start) / 1000.0;
    result.messages = gMessages - messagesBefore;
    result.endMiB = PrivateMiB();
    return result;
}

void ReplayInputs(const SFuzzReader& reader, const std::vector<std::pair<std::string, std::string>>& inputs)
{
    CReaderSession session(reader);
    if (!session.Ready()) return;
    SetCurrent(reader, "", 10000);
    const double growthMiB = GrowthMiB();
    for (const auto& [label, bytes] : inputs) {
        snprintf(gInput.label, sizeof gInput.label, "%s", label.c_str());
        ReadOneWatchingGrowth(reader, bytes, growthMiB);
    }
}

void ReportInvalid(const char* what)
{
    Finding("invalid", what);
}

} // namespace fuzz
