#include "tools/benchmark/Bench.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

struct SResult {
    std::string name;
    double ours, reference, value;
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

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

void Ratio(const std::string& name, const std::vector<double>& ours,
           const std::vector<double>& reference, const char* unit, double target, Better better)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.size() && i < reference.size(); ++i)
        if (reference[i] > 0.0)
            ratios.push_back(ours[i] / reference[i]);
    if (ratios.empty() || ratios.size() != ours.size())
        Fail(name + ": a round has no reference");
    gResults.push_back({name, Median(ours), Median(reference), Median(ratios), unit, target, better, false});
}

void Note(const std::string& name, double value, const char* unit)
{
    gResults.push_back({name, value, 0.0, 0.0, unit, 0.0, Better::Lower, true});
}

void Fail(const std::string& what)
{
    gFailures.push_back(what);
}

int PrintTable()
{
    printf("\n%-52s %12s %12s %-8s %7s %9s\n", "figure", "ours", "reference", "unit", "ratio",
           "target");
    int missed = 0;
    for (const SResult& r : gResults) {
        if (r.noted) {
            printf("  %-50s %12.3f %12s %-8s\n", r.name.c_str(), r.ours, "", r.unit);
            continue;
        }
        const bool met = Met(r);
        missed += !met;
        printf("%-52s %12.3f %12.3f %-8s %7.3f %s%7.2f  %s\n", r.name.c_str(), r.ours,
               r.reference, r.unit, r.value, r.better == Better::Lower ? "<=" : ">=", r.target,
               met ? "ok" : "MISSED");
    }
    for (const std::string& f : gFailures)
        printf("FAILED: %s\n", f.c_str());
    return missed + int(gFailures.size());
}

void WaitForDevice(IDirect3DDevice9* device)
{
    IDirect3DQuery9* query = nullptr;
    if (!device || FAILED(device->CreateQuery(D3DQUERYTYPE_EVENT, &query)))
        return;
    query->Issue(D3DISSUE_END);
    while (query->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE)
        Sleep(0);
    query->Release();
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
