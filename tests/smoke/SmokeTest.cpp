// The real program, started from its run folder as a user starts it: it must open its
// window, show no message box, and end with exit code 0 when the window is closed.
// HOUSING_PROGRAM_DIR names another folder to start it from (an unpacked package).

#include "tests/support/Harness.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Guards against a hung program; a healthy one is far quicker.
constexpr DWORD START_GUARD_MS = 60000;
constexpr DWORD EXIT_GUARD_MS = 60000;
constexpr DWORD POLL_MS = 50;

// The top-level windows of one process, by class.
struct SProcessWindows {
    DWORD processId;
    HWND main = nullptr;
    HWND messageBox = nullptr;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    SProcessWindows& found = *reinterpret_cast<SProcessWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != found.processId)
        return TRUE;
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "D3Dgraphics") == 0)
        found.main = window;
    else if (strcmp(name, "#32770") == 0)
        found.messageBox = window;
    return TRUE;
}

SProcessWindows FindProcessWindows(DWORD processId)
{
    SProcessWindows found{processId};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A message box's text lives in its static control 0xFFFF.
std::string MessageBoxText(HWND box)
{
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

TEST(Smoke, ProgramOpensItsWindowAndClosesWithExitCodeZero)
{
    const char* other = getenv("HOUSING_PROGRAM_DIR");
    std::string dir = other && *other ? other : test::RunDir();
    std::string exe = dir + "\\Housing.exe";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               dir.c_str(), &si, &pi))
        << "cannot start " << exe;

    SProcessWindows windows{pi.dwProcessId};
    bool exited = false;
    for (DWORD waited = 0; waited < START_GUARD_MS && !windows.main && !windows.messageBox;
         waited += POLL_MS) {
        exited = WaitForSingleObject(pi.hProcess, POLL_MS) == WAIT_OBJECT_0;
        if (exited)
            break;
        windows = FindProcessWindows(pi.dwProcessId);
    }
    EXPECT_FALSE(exited) << "the program ended before showing its window";
    EXPECT_EQ(nullptr, windows.messageBox)
        << "message box: " << (windows.messageBox ? MessageBoxText(windows.messageBox) : "");
    EXPECT_NE(nullptr, windows.main) << "no window of class D3Dgraphics";

    if (windows.main && !windows.messageBox) {
        // Let it run a little, then close it as a user would.
        WaitForSingleObject(pi.hProcess, 500);
        EXPECT_EQ(nullptr, FindProcessWindows(pi.dwProcessId).messageBox);
        PostMessageA(windows.main, WM_CLOSE, 0, 0);
        exited = WaitForSingleObject(pi.hProcess, EXIT_GUARD_MS) == WAIT_OBJECT_0;
        EXPECT_TRUE(exited) << "the program did not end after WM_CLOSE";
    }
    if (!exited) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, EXIT_GUARD_MS);
    }
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    if (exited) {
        EXPECT_EQ(0u, code);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

} // namespace
