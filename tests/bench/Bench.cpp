#include "tests/bench/Bench.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <vector>

namespace bench {

namespace {

struct SResult {
    std::string name;
    double value;
    const char* unit;
    double target;
    Better better;
    bool noted;  // information only
};

std::vector<SResult> gResults;
std::vector<std::string> gFailures;

bool Met(const SResult& r)
{
    return r.better == Better::Lower ? r.value <= r.target : r.value >= r.target;
}

PROCESS_MEMORY_COUNTERS MemoryCounters()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

constexpr double MIB = 1024.0 * 1024.0;

} // namespace

double Now()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / frequency;
}

void Samples::Add(double seconds)
{
    total_ += seconds;
    worst_ = seconds > worst_ ? seconds : worst_;
    best_ = seconds < best_ ? seconds : best_;
    ++count_;
}

double Samples::AverageMs() const
{
    return count_ ? total_ * 1000.0 / count_ : 0.0;
}

double Samples::WorstMs() const
{
    return worst_ * 1000.0;
}

double Samples::BestMs() const
{
    return count_ ? best_ * 1000.0 : 0.0;
}

void Record(const std::string& name, double value, const char* unit, double target, Better better)
{
    gResults.push_back({name, value, unit, target, better, false});
}

void Note(const std::string& name, double value, const char* unit)
{
    gResults.push_back({name, value, unit, 0.0, Better::Lower, true});
}

void Fail(const std::string& what)
{
    gFailures.push_back(what);
}

int PrintTable()
{
    printf("\n%-56s %14s %15s  %-10s\n", "measurement", "result", "target", "unit");
    int missed = 0;
    for (const SResult& r : gResults) {
        if (r.noted) {
            printf("%-56s %14.3f %15s  %-10s\n", r.name.c_str(), r.value, "-", r.unit);
            continue;
        }
        const bool met = Met(r);
        missed += !met;
        printf("%-56s %14.3f %s%13.3f  %-10s %s\n", r.name.c_str(), r.value,
               r.better == Better::Lower ? "<=" : ">=", r.target, r.unit, met ? "ok" : "MISSED");
    }
    for (const std::string& f : gFailures)
        printf("FAILED: %s\n", f.c_str());
    printf("\nTargets guard against regressions on this machine (Wine, software rendering on\n"
           "Xvfb); they are not the 60 Hz budget of a real graphics card.\n");
    return missed + int(gFailures.size());
}

double PeakWorkingSetMiB()
{
    return double(MemoryCounters().PeakWorkingSetSize) / MIB;
}

double WorkingSetMiB()
{
    return double(MemoryCounters().WorkingSetSize) / MIB;
}

} // namespace bench
