// The real program, started from its run folder as a user starts it: it must open its
// window, show no message box, and end with exit code 0 when the window is closed.
// HOUSING_PROGRAM_DIR names another folder to start it from (an unpacked package).

#include "tests/support/Harness.h"
#include "tests/support/RealProgram.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Guards against a hung program; a healthy one is far quicker.
constexpr DWORD START_GUARD_MS = 60000;
constexpr DWORD EXIT_GUARD_MS = 60000;
constexpr DWORD RUNNING_MS = 500;

TEST(Smoke, ProgramOpensItsWindowAndClosesWithExitCodeZero)
{
    const char* other = getenv("HOUSING_PROGRAM_DIR");
    const std::string dir = other && *other ? other : test::RunDir();
    test::RealProgram program;
    ASSERT_TRUE(program.Start(dir, dir)) << "cannot start " << dir << "\\Housing.exe";
    // Up and quiet for a while, as a user would see it, then closed as a user would.
    EXPECT_FALSE(program.Watch(START_GUARD_MS, RUNNING_MS)) << "the program ended before showing its window";
    EXPECT_TRUE(program.Boxes().empty()) << program.JoinedBoxes();
    ASSERT_TRUE(program.Close()) << "no window of class D3Dgraphics";
    EXPECT_TRUE(program.Watch(EXIT_GUARD_MS)) << "the program did not end after WM_CLOSE";
    EXPECT_EQ(0u, program.ExitCode());
}

} // namespace
