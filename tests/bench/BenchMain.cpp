// The benchmark program (tools/bench runs it from the tests' build folder, never ctest):
// measures the program on the sample presentation and prints a table of results against
// their targets. Exit code: the number of missed targets and failed measurements.

#include "tests/bench/Bench.h"
#include "tests/support/Harness.h"

#include <cstdio>

int main()
{
    test::MessageRecorder messages;
    bench::BenchProgram();
    bench::BenchScripts();
    bench::BenchRegistry();
    for (const std::string& text : messages.Texts())
        bench::Fail("message: " + text);
    return bench::PrintTable();
}
