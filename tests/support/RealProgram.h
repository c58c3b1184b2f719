#pragma once
// The real Housing.exe run as its own process, as a user starts it: from a data folder,
// its message boxes found among its windows, recorded and answered with OK.

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace test {

class RealProgram {
public:
    RealProgram() = default;
    // A program still running is ended.
    ~RealProgram();
    RealProgram(const RealProgram&) = delete;
    RealProgram& operator=(const RealProgram&) = delete;

    // Starts Housing.exe of programDir (the run folder when empty) with dataDir as its
    // current folder.
    bool Start(const std::string& dataDir, const std::string& programDir = "");
    // Watches for up to ms milliseconds, or until the program has ended, or (quiet > 0)
    // until its main window has shown no box for quiet milliseconds. Each new box is
    // recorded, shown to onBox, then answered with OK. True once the program has ended.
    bool Watch(DWORD ms, DWORD quiet = 0, const std::function<void(HWND box)>& onBox = nullptr);
    // Posts a close request to the main window; false without one.
    bool Close() const;

    HWND MainWindow() const;
    bool Ended() const;
    // The process exit code; STILL_ACTIVE while it runs.
    DWORD ExitCode() const;
    const std::vector<std::string>& Boxes() const { return boxes_; }
    std::string JoinedBoxes() const;

private:
    PROCESS_INFORMATION process_{};
    std::vector<std::string> boxes_;
    std::vector<HWND> answered_;
};

// Copies a folder with everything below it.
bool CopyTree(const std::string& from, const std::string& to);
// Every file below the folder (path relative to it) with its content.
std::map<std::string, std::string> ReadTree(const std::string& dir);

} // namespace test
