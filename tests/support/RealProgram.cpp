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

// Every file and folder below root, by path relative to it, folders before their files.
void ListTree(const std::string& root, const std::string& relative, std::vector<std::string>& files,
              std::vector<std::string>& folders)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((root + relative + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = fd.cFileName, path = relative + "\\" + name;
        if (name == "." || name == "..")
            continue;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files.push_back(path);
            continue;
        }
        folders.push_back(path);
        ListTree(root, path, files, folders);
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

bool RealProgram::Start(const std::string& dataDir, const std::string& programDir)
{
    const std::string exe = (programDir.empty() ? RunDir() : programDir) + "\\Housing.exe";
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
    std::vector<std::string> files, folders;
    ListTree(from, "", files, folders);
    bool ok = CreateDirectoryA(to.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    for (const std::string& folder : folders)
        ok = CreateDirectoryA((to + folder).c_str(), nullptr) && ok;
    for (const std::string& file : files)
        ok = CopyFileA((from + file).c_str(), (to + file).c_str(), FALSE) && ok;
    return ok && !files.empty();
}

std::map<std::string, std::string> ReadTree(const std::string& dir)
{
    std::vector<std::string> files, folders;
    ListTree(dir, "", files, folders);
    std::map<std::string, std::string> contents;
    for (const std::string& file : files)
        contents[file] = ReadFile(dir + file);
    return contents;
}

} // namespace test
