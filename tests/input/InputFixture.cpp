#include "tests/input/InputFixture.h"

#include "core/Core.h"
#include "core/FrameTimer.h"
#include "core/Program.h"

#include <cstring>

namespace inputtest {

HWND TestWindow()
{
    static HWND window = nullptr;
    if (window)
        return window;
    // Wide, as the program's own class: its procedure hands on to DefWindowProcW.
    static const wchar_t CLASS_NAME[] = L"InputTestWindow";
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;  // the program's, which notes the mouse buttons
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = CLASS_NAME;
    RegisterClassExW(&wc);
    window = CreateWindowExW(0, CLASS_NAME, L"input", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                             100, 640, 480, nullptr, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
    SetForegroundWindow(window);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    return window;
}

POINT ClientToScreenPoint(int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(TestWindow(), &p);
    return p;
}

void InputTest::SetUp()
{
    GetKeyboardState(savedKeyboard_);
    savedStep_ = gFrameTimer.step;
    savedMouseMode_ = USE_MOUSE;
    gInput.Reset();
    gInput.window = nullptr;
    SetSystemKeys({}, false);
}

void InputTest::TearDown()
{
    SetKeyboardState(savedKeyboard_);
    gFrameTimer.step = savedStep_;
    USE_MOUSE = savedMouseMode_;
    ReleaseInput();
    gInput.Reset();
    gInput.window = nullptr;
}

void InputTest::KeyFrame(std::initializer_list<uint8_t> down, float step)
{
    memset(gInput.keys, 0, sizeof gInput.keys);
    for (uint8_t key : down)
        gInput.keys[key] = 0x80;
    gFrameTimer.step = step;
    gInput.Dispatch();
}

void InputTest::Bind(CKeyHandler& handler, uint8_t key, uint32_t flags, Counter& counter)
{
    handler.Set(key, flags, nullptr);
    handler.SetDelegate(new CDelegate<Counter>(&counter, &Counter::Hit));
}

void InputTest::SetSystemKeys(std::initializer_list<int> virtualKeys, bool numLock)
{
    BYTE state[256] = {};
    for (int vk : virtualKeys)
        state[vk] = 0x80;
    state[VK_NUMLOCK] = numLock ? 1 : 0;
    SetKeyboardState(state);
}

} // namespace inputtest
