#pragma once
// The process spine: start-up, the window procedure, the message loop and the frame.
// WinMain is a thin caller of ProgramStart and ProgramLoop; the in-process test harness
// calls the same functions.

#include <windows.h>

// Start-up steps up to the application's start. Returns PROGRAM_RUN when the message loop
// should follow, else the process exit code (0, -1, -2).
constexpr int PROGRAM_RUN = 1;
int ProgramStart(HINSTANCE hInstance);

// The message loop: returns 0 after WM_QUIT.
int ProgramLoop();

// Takes and dispatches the pending messages once; returns false once WM_QUIT was taken.
// Runs a frame when no message was pending, as the loop does (inactive too once the exit
// is asked for, so a close request is carried out). A close request only asks for the
// exit: it may come from a message box's loop while start-up or a frame is half done.
bool ProgramPump();

void Frame(HWND hWnd);
LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// The window placement of start-up step 5, as a pure function of the settings.
struct SWindowPlacement {
    int left, top, width, height;
    unsigned style;
};
SWindowPlacement ComputeWindowPlacement(bool windowed, unsigned style, int left, int top,
                                        int width, int height, int screenWidth,
                                        int screenHeight);
