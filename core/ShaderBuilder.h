#pragma once
// CShaderBuilder: builds the program's shader files in a building process of its own, where
// what a build costs is measured and the build can be stopped. The preprocessor and the
// compiler take time and memory that no look at a shader's text foretells (a few lines of
// macros, or one declared array, cost minutes and gigabytes), so they run in this same
// executable started again with SHADER_BUILDER_SWITCH; it reads the files through
// CShaderIncludes and hands back the code or the compiler's messages over a pipe.
// Owns that process, its job object and the pipe. A shader may take Limits::shaderMs to
// build and the process may hold Limits::memoryBytes; a build past either is stopped (the
// process ended, a fresh one started) and the shader refused with a message that names the
// limit. The shaders of a start share Limits::startMs: past it the build in progress is
// stopped, no more shaders are built, and SayUnbuilt tells how many were left, once. A
// process that cannot be started, or that will not answer, leaves the start's shaders
// unbuilt the same way. The program's own memory never holds more of a build than its
// result.

#include "core/ShaderBuild.h"

#include <windows.h>

#include <chrono>
#include <string>

// The argument that makes this executable a building process: the pipe's name and the
// program's process id follow it.
inline constexpr wchar_t SHADER_BUILDER_SWITCH[] = L"--build-shaders";

class CShaderBuilder {
public:
    struct Limits {
        // Measured here: the sample's shaders build in about a millisecond each, a 12 KB shader
        // of a library that includes 20 headers in 17 ms, 200 KB of prototypes in 0.75 s; a
        // shader still building after two seconds is a runaway.
        unsigned shaderMs = 2000;
        // The sample's start builds 17 shaders, at about a millisecond each; a start of 43
        // library shaders builds in under 0.8 s.
        unsigned startMs = 5000;
        // The process holds about 29 MB; real shaders take it a few more, 200 KB of matrix
        // declarations to 98 MB.
        size_t memoryBytes = size_t(512) << 20;
    };
    Limits limits;  // tests may lower them

    CShaderBuilder() = default;
    ~CShaderBuilder();
    CShaderBuilder(const CShaderBuilder&) = delete;
    CShaderBuilder& operator=(const CShaderBuilder&) = delete;

    // A new start: nothing spent, nothing left unbuilt. The building process is started now,
    // so that it is ready by the first shader.
    void NewStart();
    // Builds the job. False when the shader is left unbuilt (the start's time is spent, or
    // the building process cannot be had): counted for SayUnbuilt, nothing said now. True
    // otherwise, with built.refusal naming the limit when the build was stopped.
    bool Build(SShaderJob job, SShaderBuilt& built);
    // Says once how many shaders the start has left unbuilt since it was last said.
    void SayUnbuilt();
    // Ends the building process; the next build starts a fresh one.
    void Stop();

    // How many building processes were started (tests: a stopped build replaces its process).
    int Launches() const { return launches_; }
    // The building process's committed memory now, or 0 without one.
    size_t ProcessMemory() const;

private:
    using Clock = std::chrono::steady_clock;
    enum class EWait { DONE, ENDED, SHADER_TIME, START_TIME, MEMORY, FAILED };

    bool Launch();
    bool Failed(const std::string& why);  // the process could not be had: false
    OVERLAPPED* Io();  // the pipe's one call, made afresh
    EWait Await(BOOL done, Clock::time_point shaderEnd, DWORD& n);
    EWait Connect();
    EWait Transfer(bool write, char* data, size_t size, Clock::time_point shaderEnd);
    EWait Exchange(const SShaderJob& job, SShaderBuilt& built);
    EWait Wait(Clock::time_point shaderEnd);
    void LeaveUnbuilt(const std::string& file);

    HANDLE process_ = nullptr;
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
    HANDLE job_ = nullptr;
    OVERLAPPED io_ = {};
    bool connected_ = false;
    bool pending_ = false;  // a transfer on the pipe is under way
    int launches_ = 0;
    std::string launchError_;  // why the last start of the process failed

    Clock::duration startSpent_ = Clock::duration::zero();    // the start's building so far
    Clock::time_point startEnd_ = Clock::time_point::max();  // while building: when it is spent
    bool startLeft_ = false;  // the start's time is spent: every later shader is left unbuilt
    std::string unbuiltWhy_;
    std::string firstUnbuilt_;
    int unbuilt_ = 0;
};

// In the building process: serves builds over the pipe until the program goes; the exit code.
int ServeShaderBuilds(const wchar_t* pipeName, DWORD programId);
