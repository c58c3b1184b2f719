#pragma once
// Test support: records every message instead of showing a box, runs the program's real
// start-up on a data folder in-process, steps frames and reads the back buffer back.

#include <cstdint>
#include <string>
#include <vector>

class CBaseWin;

namespace test {

// While alive, every message of the program is recorded here instead of shown.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<std::string>& Texts() const;
    size_t Count() const { return Texts().size(); }
    bool Contains(const std::string& part) const;
    // True when a text is the first of a kind a file said, followed by the count of the
    // further ones (more) that were not shown.
    bool SaidWithMore(const std::string& first, int more) const;
    void Clear();
    std::string Joined() const;  // all texts, one per line, for failure output
};

// The sample run folder (data and generated files next to the program).
std::string RunDir();
// A fresh, empty folder for one test's files, private to this test program (removed by the
// next call with the same name).
std::string TempDir(const std::string& name);
void WriteFile(const std::string& path, const std::string& text);
std::string ReadFile(const std::string& path);
// Copies a folder with everything in it to a folder of any name, made with its parents.
bool CopyTree(const std::wstring& from, const std::wstring& to);

// The program started in this process on a data folder, as the real WinMain does.
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Changes to dataDir and runs start-up; returns ProgramStart's result
    // (1 = running, else the exit code WinMain would return).
    int Start(const std::string& dataDir);
    // The same from a folder whatever letters its name holds.
    int Start(const std::wstring& dataDir);
    // Runs n frames (pumping messages between them); false once the program has quit.
    bool RunFrames(int n);
    // Asks for shutdown the way the program does and pumps until WM_QUIT.
    void Stop();
    bool Running() const { return running_; }

private:
    bool running_ = false;
    std::wstring oldDir_;
};

// One mouse pass of the window manager with the cursor at the client point and these
// buttons down (MOUSE_LEFT...), fed through the input layer's system-mouse step.
void MouseAt(int x, int y, uint8_t buttons);
// Press and release at the client point, then passes with the mouse still, so frames that
// do not poll the mouse do not see the click again.
void ClickAt(int x, int y);
// ClickAt the window's centre (a null window fails the test).
void ClickWin(const CBaseWin* win);

struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // A8R8G8B8, top row first
    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};
// Copies the device's back buffer; false without a device.
bool ReadBackBuffer(Image& out);
// Writes the picture as a 24-bit BMP (for looking at a failing test's output).
bool SaveBmp(const Image& image, const std::string& path);
// An uncompressed 32-bit TGA file's bytes; pixels are ARGB words, top row first, and are
// stored bottom row first as most writers do.
std::string Tga32(int width, int height, const std::vector<uint32_t>& pixels);

// True when the colours differ by at most tolerance in every channel.
bool ColorNear(uint32_t a, uint32_t b, int tolerance);

// The device's reference count (every resource made on it holds one); 0 without a device.
unsigned long DeviceRefCount();

} // namespace test
