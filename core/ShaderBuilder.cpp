#include "core/ShaderBuilder.h"

#include "core/CodePage.h"
#include "core/Messages.h"

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

using Clock = std::chrono::steady_clock;

// How often the building process's memory is read while it works: at the fastest growth
// measured (a few hundred megabytes a second) it passes the ceiling by a few megabytes.
constexpr DWORD SAMPLE_MS = 10;
// What one message on the pipe may hold: a job is a few paths and macros, an answer a
// shader's code and a box of text.
constexpr uint32_t MAX_MESSAGE = uint32_t(16) << 20;

std::wstring CurrentFolder()
{
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(GetCurrentDirectoryW(DWORD(folder.size()), &folder[0]));
    return folder;
}

std::wstring ThisProgram()
{
    std::wstring path(32768, L'\0');  // the longest path Windows has
    path.resize(GetModuleFileNameW(nullptr, &path[0], DWORD(path.size())));
    return path;
}

// ---- The building process ----

// Reads or writes all of size bytes, as much as the pipe takes at a time.
bool PipeAll(HANDLE pipe, bool write, void* data, size_t size)
{
    for (char* at = static_cast<char*>(data); size > 0;) {
        const DWORD part = DWORD(std::min<size_t>(size, 1 << 20));
        DWORD n = 0;
        if (!(write ? WriteFile(pipe, at, part, &n, nullptr) : ReadFile(pipe, at, part, &n, nullptr)) || n == 0)
            return false;
        at += n;
        size -= n;
    }
    return true;
}

// A fault of the compiler ends the process quietly with the fault's code: the program names
// it, and no debugger or report box waits for a user.
LONG WINAPI EndOnFault(EXCEPTION_POINTERS* fault)
{
    TerminateProcess(GetCurrentProcess(), fault->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// The building process goes with the program, whatever it is doing.
DWORD WINAPI EndWithProgram(void* program)
{
    WaitForSingleObject(static_cast<HANDLE>(program), INFINITE);
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

// This executable started as a building process serves builds, then ends before anything
// else of it runs.
[[maybe_unused]] const bool gBuildingProcess = [] {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args && count == 4 && !wcscmp(args[1], SHADER_BUILDER_SWITCH))
        ExitProcess(UINT(ServeShaderBuilds(args[2], DWORD(wcstoul(args[3], nullptr, 10)))));
    LocalFree(args);
    return false;
}();

} // namespace

int ServeShaderBuilds(const wchar_t* pipeName, DWORD programId)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnFault);
    HANDLE program = OpenProcess(SYNCHRONIZE, FALSE, programId);
    HANDLE pipe = CreateFileW(pipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (!program || pipe == INVALID_HANDLE_VALUE)
        return 1;
    HANDLE watch = CreateThread(nullptr, 0, EndWithProgram, program, 0, nullptr);
    if (!watch)
        return 1;
    CloseHandle(watch);
    std::string in, out;
    for (;;) {
        uint32_t size = 0;
        if (!PipeAll(pipe, false, &size, sizeof size))
            return 0;  // the program closed the pipe
        if (size > MAX_MESSAGE)
            return 2;
        in.resize(size);
        SShaderJob job;
        if (!PipeAll(pipe, false, &in[0], size) || !DecodeShaderJob(in, job))
            return 2;
        SetCurrentDirectoryW(Widen(CP_UTF8, job.folder).c_str());
        EncodeShaderBuilt(BuildShader(job), out);
        size = uint32_t(out.size());
        if (!PipeAll(pipe, true, &size, sizeof size) || !PipeAll(pipe, true, &out[0], out.size()))
            return 0;
    }
}

CShaderBuilder::~CShaderBuilder()
{
    Stop();
    if (event_)
        CloseHandle(event_);
    if (job_)
        CloseHandle(job_);
}

size_t CShaderBuilder::ProcessMemory() const
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!process_ ||
        !GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    return std::max<size_t>(counters.PrivateUsage, counters.WorkingSetSize);
}

void CShaderBuilder::NewStart()
{
    startLeft_ = false;
    startSpent_ = Clock::duration::zero();
    unbuilt_ = 0;
    unbuiltWhy_.clear();
    firstUnbuilt_.clear();
    if (!process_)
        Launch();
}

void CShaderBuilder::Stop()
{
    if (process_) {
        TerminateProcess(process_, 0);
        WaitForSingleObject(process_, 10000);  // ends at once; never waited on for good
        CloseHandle(process_);
        process_ = nullptr;
    }
    if (pipe_ != INVALID_HANDLE_VALUE) {
        if (pending_) {  // the transfer the process left is called off before its buffer goes
            DWORD n = 0;
            CancelIo(pipe_);
            GetOverlappedResult(pipe_, &io_, &n, TRUE);
        }
        CloseHandle(pipe_);
        pipe_ = INVALID_HANDLE_VALUE;
    }
    pending_ = false;
    connected_ = false;
}

bool CShaderBuilder::Launch()
{
    Stop();
    ++launches_;
    if (!event_ && !(event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr)))
        return Failed("no event");
    // On Windows the job holds the ceiling itself and ends the process with the program.
    if (!job_)
        job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION info = {};
        info.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY |
                                                JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                                JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
        info.ProcessMemoryLimit = limits.memoryBytes;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &info, sizeof info);
    }
    const std::wstring name = L"\\\\.\\pipe\\HousingShaders-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(launches_);
    pipe_ = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                             PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                             1 << 16, 1 << 16, 0, nullptr);
    if (pipe_ == INVALID_HANDLE_VALUE)
        return Failed("no pipe");
    std::wstring command = L"\"" + ThisProgram() + L"\" " + SHADER_BUILDER_SWITCH + L" " + name + L" " +
                           std::to_wstring(GetCurrentProcessId());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION made = {};
    // No handle is inherited: the process holds no file the program has open.
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED | DETACHED_PROCESS,
                        nullptr, nullptr, &startup, &made))
        return Failed("error " + std::to_string(GetLastError()));
    process_ = made.hProcess;
    if (job_)
        AssignProcessToJobObject(job_, process_);
    ResumeThread(made.hThread);
    CloseHandle(made.hThread);
    launchError_.clear();
    return true;
}

bool CShaderBuilder::Failed(const std::string& why)
{
    launchError_ = why;
    Stop();
    return false;
}

CShaderBuilder::EWait CShaderBuilder::Wait(Clock::time_point shaderEnd)
{
    const HANDLE waits[] = {event_, process_};
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now >= startEnd_)
            return EWait::START_TIME;
        if (now >= shaderEnd)
            return EWait::SHADER_TIME;
        if (ProcessMemory() > limits.memoryBytes)
            return EWait::MEMORY;
        const auto left = std::min(startEnd_, shaderEnd) - now;
        const DWORD ms = DWORD(std::min<long long>(
            SAMPLE_MS, std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1));
        const DWORD got = WaitForMultipleObjects(2, waits, FALSE, ms);
        if (got != WAIT_TIMEOUT)
            return got == WAIT_OBJECT_0 ? EWait::DONE : got == WAIT_OBJECT_0 + 1 ? EWait::ENDED : EWait::FAILED;
    }
}

OVERLAPPED* CShaderBuilder::Io()
{
    ResetEvent(event_);
    io_ = {};
    io_.hEvent = event_;
    return &io_;
}

// Ends a call on the pipe: at once, or once it is done within the limits.
CShaderBuilder::EWait CShaderBuilder::Await(BOOL done, Clock::time_point shaderEnd, DWORD& n)
{
    const DWORD error = done ? ERROR_SUCCESS : GetLastError();
    if (done || error == ERROR_PIPE_CONNECTED)
        return EWait::DONE;
    if (error != ERROR_IO_PENDING)
        return EWait::ENDED;
    pending_ = true;
    const EWait w = Wait(shaderEnd);
    if (w != EWait::DONE)
        return w;
    pending_ = false;
    return GetOverlappedResult(pipe_, &io_, &n, FALSE) ? EWait::DONE : EWait::ENDED;
}

CShaderBuilder::EWait CShaderBuilder::Connect()
{
    DWORD n = 0;
    EWait w = Await(ConnectNamedPipe(pipe_, Io()), Clock::time_point::max(), n);
    // The one client must be the process started for it.
    ULONG client = 0;
    if (w == EWait::DONE && GetNamedPipeClientProcessId(pipe_, &client) && client != GetProcessId(process_))
        w = EWait::FAILED;
    connected_ = w == EWait::DONE;
    return w;
}

CShaderBuilder::EWait CShaderBuilder::Transfer(bool write, char* data, size_t size, Clock::time_point shaderEnd)
{
    while (size > 0) {
        const DWORD part = DWORD(std::min<size_t>(size, 1 << 20));
        DWORD n = 0;
        const EWait w = Await(write ? WriteFile(pipe_, data, part, &n, Io()) : ReadFile(pipe_, data, part, &n, Io()),
                              shaderEnd, n);
        if (w != EWait::DONE || n == 0)
            return w == EWait::DONE ? EWait::ENDED : w;
        data += n;
        size -= n;
    }
    return EWait::DONE;
}

CShaderBuilder::EWait CShaderBuilder::Exchange(const SShaderJob& job, SShaderBuilt& built)
{
    std::string message;
    EncodeShaderJob(job, message);
    const uint32_t size = uint32_t(message.size());
    message.insert(0, reinterpret_cast<const char*>(&size), sizeof size);
    const Clock::time_point shaderEnd = Clock::now() + std::chrono::milliseconds(limits.shaderMs);
    EWait w = Transfer(true, &message[0], message.size(), shaderEnd);
    uint32_t answer = 0;
    if (w == EWait::DONE)
        w = Transfer(false, reinterpret_cast<char*>(&answer), sizeof answer, shaderEnd);
    if (w != EWait::DONE)
        return w;
    if (answer > MAX_MESSAGE)
        return EWait::FAILED;
    message.resize(answer);
    w = Transfer(false, &message[0], answer, shaderEnd);
    if (w != EWait::DONE)
        return w;
    return DecodeShaderBuilt(message, built) ? EWait::DONE : EWait::FAILED;
}

bool CShaderBuilder::Build(SShaderJob job, SShaderBuilt& built)
{
    built = SShaderBuilt{};
    job.folder = Narrow(CP_UTF8, CurrentFolder());
    if (startLeft_) {
        LeaveUnbuilt(job.file);
        return false;
    }
    const Clock::time_point began = Clock::now();
    startEnd_ = began + (std::chrono::milliseconds(limits.startMs) - startSpent_);
    // A process that ended between shaders is replaced, and so is one that grew (the compiler
    // keeps a little of what it was handed), so that every shader has at least half the ceiling.
    if (process_ && (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0 || ProcessMemory() > limits.memoryBytes / 2))
        Stop();
    bool started = process_ != nullptr || Launch();
    EWait w = EWait::FAILED;
    if (started) {
        const bool fresh = !connected_;
        w = fresh ? Connect() : EWait::DONE;
        if (fresh && w != EWait::DONE && w != EWait::START_TIME) {
            started = false;  // it ended or failed before it could take a shader
            Failed(w == EWait::ENDED ? "it ended as it started" : "it did not answer");
        } else if (w == EWait::DONE) {
            w = Exchange(job, built);
        }
    }
    startSpent_ += Clock::now() - began;
    startEnd_ = Clock::time_point::max();
    if (!started || w == EWait::START_TIME) {
        Stop();
        startLeft_ = true;
        unbuiltWhy_ = !started ? "the shader builder could not be started (" + launchError_ + ")."
                               : "the shaders of this start took past " + std::to_string(limits.startMs) + " ms to build.";
        LeaveUnbuilt(job.file);
        return false;
    }
    if (w == EWait::DONE)
        return true;

    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    char hex[16];
    snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
    built = SShaderBuilt{};
    built.failed = true;
    built.refusal =
        w == EWait::SHADER_TIME ? "Building the shader took past " + std::to_string(limits.shaderMs) + " ms: it was stopped."
        : w == EWait::MEMORY    ? "Building the shader took the shader builder past " +
                                   std::to_string(limits.memoryBytes >> 20) + " MiB of memory: it was stopped."
        : w == EWait::ENDED ? std::string("The shader builder ended with code ") + hex + " while building the shader."
                            : "The shader builder gave no answer that could be read.";
    // A fresh process starts now, and is ready by the next shader.
    Launch();
    return true;
}

void CShaderBuilder::LeaveUnbuilt(const std::string& file)
{
    if (unbuilt_++ == 0)
        firstUnbuilt_ = file;
}

void CShaderBuilder::SayUnbuilt()
{
    if (unbuilt_ == 0)
        return;
    const std::string what = unbuilt_ == 1 ? "shader '" + firstUnbuilt_ + "'"
                                           : std::to_string(unbuilt_) + " shaders, from '" + firstUnbuilt_ + "' on";
    MsgBox(("Can`t build " + what + ": " + unbuiltWhy_).c_str());
    unbuilt_ = 0;
    firstUnbuilt_.clear();
}
