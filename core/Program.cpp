#include "core/Program.h"

#include "core/AppHooks.h"
#include "core/CodePage.h"
#include "core/Core.h"
#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/Messages.h"
#include "core/Sound.h"
#include "gui/WinSuperior.h"

#include <cstring>

namespace {

const wchar_t WINDOW_CLASS[] = L"D3Dgraphics";

// Mouse button messages of the window: noted for the next mouse frame.
struct SButtonMessage {
    UINT message;
    uint8_t button;
    bool down;
};
const SButtonMessage BUTTON_MESSAGES[] = {
    {WM_LBUTTONDOWN, MOUSE_LEFT, true},    {WM_LBUTTONUP, MOUSE_LEFT, false},
    {WM_RBUTTONDOWN, MOUSE_RIGHT, true},   {WM_RBUTTONUP, MOUSE_RIGHT, false},
    {WM_MBUTTONDOWN, MOUSE_MIDDLE, true},  {WM_MBUTTONUP, MOUSE_MIDDLE, false},
};
static_assert(sizeof BUTTON_MESSAGES / sizeof BUTTON_MESSAGES[0] == 6, "three buttons, down and up");

// Room the caption and frame take below a maximal window.
constexpr int MAX_HEIGHT_MARGIN = 34;
constexpr int CENTER_HEIGHT_MARGIN = 30;

void OnCreate() {}

void OnActivateApp(WPARAM wParam)
{
    AppWindowConfig.active = wParam != 0;
}

// The wheel's signed high word, in steps of 120, for the next mouse frame.
LRESULT OnMouseWheel(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
    gInput.wheelDelta = GET_WHEEL_DELTA_WPARAM(wParam);
    return DefWindowProcW(hWnd, WM_MOUSEWHEEL, wParam, lParam);
}

void OnDestroy()
{
    AppExit();
    ReleaseInput();
    gWinSuperior.Release();
    gCore.ReleaseStatistic();
    gGraphics.Release();
    PostQuitMessage(0);
}

// The folder as the system's code page spells it. Where the code page has no letters for its
// name, that spelling names a folder that does not exist: the base stays empty and every path
// stays relative to the current folder, which the program never changes, so nothing is saved
// elsewhere and no warning is due.
void ReadBaseDir()
{
    gBaseDir[0] = 0;
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    const DWORD n = folder.empty() ? 0 : GetCurrentDirectoryW(DWORD(folder.size()), &folder[0]);
    std::string spelled;
    if (n > 0 && n < folder.size()) {
        folder.resize(n);
        if (!NarrowExactly(CP_ACP, folder, spelled))
            return;
    }
    if (spelled.empty() || spelled.size() >= sizeof gBaseDir - 1) {
        MsgBox2(" Warning: can`t get current directory of program",
                "\n some data may be saved in undefined place.");
        return;
    }
    memcpy(gBaseDir, spelled.c_str(), spelled.size());
    strcpy(gBaseDir + spelled.size(), "\\");
}

// A wide window: its title (kept in code page 1251) reads and shows the same whatever the
// system's code page, to the frame's drawing and to whoever asks for it (WM_GETTEXT).
void RegisterWindowClass()
{
    static_assert(sizeof(WNDCLASSEXW) == 80, "the class record of a 64-bit build");
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(WNDCLASSEXW);
    wc.style = CS_CLASSDC;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = WINDOW_CLASS;
    RegisterClassExW(&wc);
}

} // namespace

SWindowPlacement ComputeWindowPlacement(bool windowed, unsigned style, int left, int top,
                                        int width, int height, int screenWidth,
                                        int screenHeight)
{
    SWindowPlacement p = {left, top, width, height, style};
    if (!windowed) {
        p.left = 0;
        p.top = 0;
        p.style = 0;
        return p;
    }
    if (style & WS_MAXIMIZE) {
        p.left = 0;
        p.top = 0;
        p.width = screenWidth;
        p.height = screenHeight;
        return p;
    }
    if (p.width < 0 && p.width != -1) {
        p.width = -p.width;
        if (p.width > screenWidth)
            p.width = screenWidth;
    }
    if (p.height < 0 && p.height != -1) {
        p.height = -p.height;
        if (p.height > screenHeight - MAX_HEIGHT_MARGIN)
            p.height = screenHeight - MAX_HEIGHT_MARGIN;
    }
    if (p.left == -1)
        p.left = (screenWidth - p.width) / 2;
    if (p.top == -1)
        p.top = (screenHeight - p.height - CENTER_HEIGHT_MARGIN) / 2;
    return p;
}

int ProgramStart(HINSTANCE hInstance)
{
    SAppWindowConfig& cfg = AppWindowConfig;
    cfg.hInstance = hInstance;
    ReadBaseDir();

    cfg.idleMethod = 1;
    cfg.hWnd = nullptr;
    AppInitBeforeWindow();

    if (cfg.noWindow) {
        cfg.hWnd = GetDesktopWindow();
    } else {
        RegisterWindowClass();
        if (gExitCode)
            return -1;

        SWindowPlacement p = ComputeWindowPlacement(
            cfg.windowed, cfg.winStyle, cfg.left, cfg.top, cfg.width, cfg.height,
            GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        cfg.left = p.left;
        cfg.top = p.top;
        cfg.width = p.width;
        cfg.height = p.height;
        cfg.winStyle = p.style;

        cfg.hWnd = CreateWindowExW(0, WINDOW_CLASS, WideFrom1251(cfg.applicationName).c_str(),
                                   cfg.winStyle, cfg.left, cfg.top, cfg.width, cfg.height,
                                   GetDesktopWindow(), nullptr, GetModuleHandleW(nullptr),
                                   nullptr);
        if (!cfg.hWnd) {
            MsgBox("Can`t create window");
            return 0;
        }
        ShowWindow(cfg.hWnd, SW_SHOWDEFAULT);
        UpdateWindow(cfg.hWnd);
        RECT client;
        GetClientRect(cfg.hWnd, &client);

        if (cfg.windowed) {
            int cw = client.right - client.left, ch = client.bottom - client.top;
            if (gForceBufferWH && !(cfg.winStyle & WS_MAXIMIZE) &&
                (cw != cfg.width || ch != cfg.height)) {
                SetWindowPos(cfg.hWnd, nullptr, 0, 0, 2 * cfg.width - cw, 2 * cfg.height - ch,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
                GetClientRect(cfg.hWnd, &client);
            }
            cfg.width = client.right - client.left;
            cfg.height = client.bottom - client.top;
        }
    }
    cfg.halfWidth = cfg.width / 2;
    cfg.halfHeight = cfg.height / 2;

    if (gGraphics.Init(cfg.hWnd) != 0)
        return -1;
    gCore.ReadScreenSize();
    if (InitInput(cfg.hWnd, cfg.width, cfg.height) != 0)
        return -2;
    if (gSoundMode == SOUND_DX)
        gSoundManager.Init(cfg.hWnd);
    gWinSuperior.Init();
    AppStart();

    if (cfg.noWindow)
        return 0;
    return PROGRAM_RUN;
}

bool ProgramPump()
{
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            return false;
        if (msg.message == WM_PAINT) {
            Frame(AppWindowConfig.hWnd);
            ValidateRect(msg.hwnd, nullptr);
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        return true;
    }
    // An exit request is carried out even while the window is inactive.
    if (gExitCode || AppWindowConfig.active || AppWindowConfig.idleMethod == 2)
        Frame(AppWindowConfig.hWnd);
    else
        Sleep(5);
    return true;
}

int ProgramLoop()
{
    while (ProgramPump()) {
    }
    return 0;
}

void Frame(HWND hWnd)
{
    if (gExitCode) {
        DestroyWindow(hWnd);
        return;
    }
    gFrameTimer.Update();
    gGraphics.shaderBuilder.SayUnbuilt();  // what start-up or a presentation left unbuilt
    if (AppWindowConfig.active) {
        gInput.UpdateMouse();
        gInput.UpdateKeyboard();
    }
    gCore.RenderFrame();
    gGraphics.Present(nullptr);
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_CLOSE:
        // A message box's loop dispatches this too, while start-up or a frame is half
        // done: only ask for the exit, the next frame destroys the window.
        gCore.SetExitFlag();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_ACTIVATEAPP:
        OnActivateApp(wParam);
        return 0;
    case WM_MOUSEWHEEL:
        return OnMouseWheel(hWnd, wParam, lParam);
    default:
        for (const SButtonMessage& m : BUTTON_MESSAGES)
            if (m.message == message) gInput.NoteButton(m.button, m.down);
        break;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}
