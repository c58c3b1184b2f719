#pragma once
// The benchmark's kit: a QueryPerformanceCounter clock, the table of results with the target
// each one must meet, and the process's memory figures. A result that misses its target, or
// a measurement that could not be made, makes the run fail.

#include <cstddef>
#include <string>

namespace bench {

// Seconds since an arbitrary start, from QueryPerformanceCounter.
double Now();

enum class Better { Lower, Higher };

// Durations of repeated runs of one thing, in seconds.
class Samples {
public:
    void Add(double seconds);
    double AverageMs() const;
    double WorstMs() const;
    double BestMs() const;
    double TotalSeconds() const { return total_; }
    int Count() const { return count_; }

private:
    double total_ = 0.0, worst_ = 0.0, best_ = 1e300;
    int count_ = 0;
};

// One line of the table.
void Record(const std::string& name, double value, const char* unit, double target, Better better);
// A figure shown for information, without target.
void Note(const std::string& name, double value, const char* unit);
// A measurement that could not be made; the run fails.
void Fail(const std::string& what);
// Prints the table; the number of missed targets and failures.
int PrintTable();

// Peak and current working set of this process, in MiB.
double PeakWorkingSetMiB();
double WorkingSetMiB();

// The phases, in the order main runs them; each records its own lines.
void BenchProgram();   // start-up, presentation load, frames, window pass, mesh reader
void BenchScripts();   // the start script on a bare device and engine
void BenchRegistry();  // the unit registry with many units

} // namespace bench
