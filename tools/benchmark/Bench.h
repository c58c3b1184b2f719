#pragma once
// The benchmark's kit: a QueryPerformanceCounter clock, medians, and the table of results.
// Each headline figure is a ratio of the program's measurement to a reference measured in
// the same run on the same data, with the target the ratio must meet; other lines are
// notes. A missed target, or a measurement that could not be made, makes the run fail.

#include <d3d9.h>

#include <string>
#include <vector>

namespace test {
class Program;
}

namespace bench {

// Seconds since an arbitrary start, from QueryPerformanceCounter (the same clock in every
// process of the machine).
double Now();

double Median(std::vector<double> values);

enum class Better { Lower, Higher };

// Rounds measured side by side: ours[i] and reference[i] come from the same round. Shows the
// medians of both and judges the median of the rounds' ratios ours / reference, which must
// be at most (Lower) or at least (Higher) the target.
void Ratio(const std::string& name, const std::vector<double>& ours,
           const std::vector<double>& reference, const char* unit, double target, Better better);
// A figure shown for information.
void Note(const std::string& name, double value, const char* unit);
// A measurement that could not be made; the run fails.
void Fail(const std::string& what);
// Prints the table; the number of missed targets and failures.
int PrintTable();

// Returns once the device has carried out every call made so far: its calls are queued
// and carried out by a thread of the platform.
void WaitForDevice(IDirect3DDevice9* device);

// Peak and current working set of this process, in MiB.
double PeakWorkingSetMiB();
double WorkingSetMiB();
constexpr double MIB = 1024.0 * 1024.0;

// The figures, in the order main runs them; each records its own lines.
// 1: engine frame against the replay of its own draw list (the program runs on the
// recording device).
void BenchFrame(test::Program& program);
// 2: the keyword scanner against a plain tokenizer, and the mesh reader (needs a device).
void BenchScanner();
void BenchStartUp(const std::wstring& self);  // 3 and 4, in fresh processes of this program

} // namespace bench
