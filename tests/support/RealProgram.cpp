#include "tests/support/RealProgram.h"

#include "tests/support/Harness.h"

#include <algorithm>
#include <cstring>

namespace test {

namespace {

constexpr DWORD POLL_MS = 50;
constexpr DWORD END_GUARD_MS = 10000;

struct SWindows {
    DWORD processId;
    HWND main = nullptr;
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    SWindows& found = *reinterpret_cast<SWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != found.processId)
        return TRUE;
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "D3Dgraphics") == 0)
        found.main = window;
    else if (strcmp(name, "#32770") == 0 && IsWindowVisible(window))
        found.boxes.push_back(window);
    return TRUE;
}

SWindows FindWindows(DWORD processId)
{
    SWindows found{processId, nullptr, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A message box's text lives in its static control 0xFFFF.
std::string BoxText(HWND box)
{
    char text[4096] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

void ListTree(const std::string& root, const std::string& relative,
              std::map<std::string, std::string>& out)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((root + relative + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = relative + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListTree(root, path, out);
        else
            out[path] = ReadFile(root + path);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

} // namespace

RealProgram::~RealProgram()
{
    if (!process_.hProcess)
        return;
    if (!Ended()) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, END_GUARD_MS);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool RealProgram::Start(const std::string& dataDir)
{
    const std::string exe = RunDir() + "\\Housing.exe";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    return CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                          dataDir.c_str(), &si, &process_) != 0;
}

bool RealProgram::Watch(DWORD ms, DWORD quiet, const std::function<void(HWND)>& onBox)
{
    DWORD calm = 0;
    for (DWORD waited = 0; waited < ms; waited += POLL_MS) {
        if (WaitForSingleObject(process_.hProcess, POLL_MS) == WAIT_OBJECT_0)
            return true;
        const SWindows windows = FindWindows(process_.dwProcessId);
        calm = windows.main && windows.boxes.empty() ? calm + POLL_MS : 0;
        if (quiet && calm >= quiet)
            return false;
        for (HWND box : windows.boxes) {
            if (std::find(answered_.begin(), answered_.end(), box) != answered_.end())
                continue;
            answered_.push_back(box);
            boxes_.push_back(BoxText(box));
            if (onBox)
                onBox(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return Ended();
}

bool RealProgram::Close() const
{
    const HWND main = MainWindow();
    return main && PostMessageA(main, WM_CLOSE, 0, 0);
}

HWND RealProgram::MainWindow() const
{
    return FindWindows(process_.dwProcessId).main;
}

bool RealProgram::Ended() const
{
    return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
}

DWORD RealProgram::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::string RealProgram::JoinedBoxes() const
{
    std::string all;
    for (const std::string& text : boxes_)
        all += "[" + text + "]\n";
    return all;
}

bool CopyTree(const std::string& from, const std::string& to)
{
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((from + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string source = from + "\\" + name, target = to + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(source, target) && ok;
        else
            ok = CopyFileA(source.c_str(), target.c_str(), FALSE) && ok;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return ok;
}

std::map<std::string, std::string> ReadTree(const std::string& dir)
{
    std::map<std::string, std::string> files;
    ListTree(dir, "", files);
    return files;
}

} // namespace test
