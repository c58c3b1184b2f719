#pragma once
// The core object and the process-wide settings of the window. gCore fixes the order of
// everything drawn in a frame; its exitCode (gExitCode) is the one way any part asks for
// shutdown: the next frame destroys the window.

#include "core/Statistic.h"

#include <windows.h>

#include <cstdint>

struct SAppWindowConfig {
    int32_t height;      // "HEIGHT"; negative other than -1 is a maximum; then the client height
    uint8_t windowed;    // "WINDOWED"; 0 = full screen
    uint8_t noWindow;    // "NO_WINDOW" in "WIN_STYLE"
    uint8_t active;      // 1 while the application is the active one
    uint32_t winStyle;   // Win32 style built by "WIN_STYLE"
    int32_t width;       // "WIDTH"; as height
    int32_t idleMethod;  // 1 "on_active", 2 "always"
    HINSTANCE hInstance;
    int32_t left;        // -1 = centre
    int32_t halfHeight;
    int32_t top;         // -1 = centre
    int32_t halfWidth;
    HWND hWnd;           // main window (desktop window with noWindow); owner of message boxes
    char applicationName[96];
};
extern SAppWindowConfig AppWindowConfig;

enum { SOUND_NONE = 0, SOUND_DX = 1, SOUND_FMOD = 2 };
enum { MOUSE_NONE = 0, MOUSE_DX = 1, MOUSE_SYS = 2 };

extern int32_t gSoundMode;
extern int32_t gForceBufferWH;
extern char gBaseDir[500];
extern int32_t USE_MOUSE;

constexpr int DEBUG_LINE_COUNT = 32;
constexpr int DEBUG_LINE_SIZE = 128;

struct CCore {
    int32_t windowMode;
    CStatistic statistic;
    int32_t screenWidth, screenHeight;
    int32_t exitCode;
    char meshDir[512];
    char texturesPath[512];
    char animDir[512];
    char debugLines[DEBUG_LINE_COUNT][DEBUG_LINE_SIZE];
    int32_t debugLineCount;
    int32_t debugX, debugY;

    void EnableWindowMode() { windowMode = 1; }
    int ReadScreenSize();
    void SetExitFlag() { exitCode = 1; }
    void InitStatistic(int x, int y, int flags);
    void ReleaseStatistic() { statistic.Release(); }
    void RenderFrame();

    void AddDebugLine(const int* table, int index);
    void AddDebugLineInt(int value);
    void AddDebugLineLabelInt(const char* label, int value);
    void AddDebugLineLabelFloat(const char* label, float value);
    void DrawDebugLines();

private:
    void AppendDebugLine(const char* text);
};
extern CCore gCore;
extern int32_t& gExitCode;
extern char* const gTexturesPath;

// Restores every setting of this file to its start-of-process value (the in-process test
// harness starts the program several times in one process).
void ResetCoreSettings();
