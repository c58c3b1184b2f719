#include "tests/input/InputFixture.h"

#include "core/Core.h"
#include "core/FrameTimer.h"

namespace inputtest {
namespace {

DIMOUSESTATE2 Moved(int dx, int dy, int dz, bool b0 = false, bool b1 = false, bool b2 = false)
{
    DIMOUSESTATE2 s = {};
    s.lX = dx;
    s.lY = dy;
    s.lZ = dz;
    s.rgbButtons[0] = b0 ? 0x80 : 0;
    s.rgbButtons[1] = b1 ? 0x80 : 0;
    s.rgbButtons[2] = b2 ? 0x80 : 0;
    return s;
}

void DeviceFrame(const DIMOUSESTATE2& state, float step = 0.1f)
{
    gFrameTimer.step = step;
    gInput.BeginMouseFrame();
    gInput.ApplyDeviceMouse(state);
}

TEST_F(InputTest, DeviceMouseMovesByTwiceItsDeltasWithinTheClientArea)
{
    USE_MOUSE = MOUSE_DX;
    gInput.mouseX = 100;
    gInput.mouseY = 100;
    DeviceFrame(Moved(5, -3, 120));
    EXPECT_EQ(110, gInput.mouseX);
    EXPECT_EQ(94, gInput.mouseY);
    EXPECT_EQ(5, gInput.deltaX);
    EXPECT_EQ(-3, gInput.deltaY);
    EXPECT_EQ(120, gInput.wheelDelta);
    EXPECT_EQ(120, gInput.wheelPos);
    EXPECT_EQ(100, gInput.prevX);

    DeviceFrame(Moved(0, 0, -240));
    EXPECT_EQ(-120, gInput.wheelPos);
    EXPECT_EQ(-240, gInput.wheelDelta);
    EXPECT_EQ(0, gInput.deltaX);

    // The start-of-process client area is 390 x 290.
    DeviceFrame(Moved(1000, -1000, 0));
    EXPECT_EQ(388, gInput.mouseX);
    EXPECT_EQ(0, gInput.mouseY);
    DeviceFrame(Moved(-1000, 1000, 0));
    EXPECT_EQ(0, gInput.mouseX);
    EXPECT_EQ(287, gInput.mouseY);
}

TEST_F(InputTest, DeviceButtonsGiveHeldThenAClickOnRelease)
{
    DeviceFrame(Moved(0, 0, 0, true, false, true));
    EXPECT_EQ(1, gInput.leftHeld);
    EXPECT_EQ(1, gInput.middleHeld);
    EXPECT_EQ(0, gInput.leftClick);
    DeviceFrame(Moved(0, 0, 0, false, true, false));
    EXPECT_EQ(1, gInput.leftClick);
    EXPECT_EQ(1, gInput.middleClick);
    EXPECT_EQ(0, gInput.leftHeld);
    EXPECT_EQ(1, gInput.rightHeld);
    DeviceFrame(Moved(0, 0, 0));
    EXPECT_EQ(0, gInput.leftClick);
    EXPECT_EQ(0, gInput.middleClick);
    EXPECT_EQ(1, gInput.rightClick);
    DeviceFrame(Moved(0, 0, 0));
    EXPECT_EQ(0, gInput.rightClick);

    // Swapped by the system: the physical first button is the user's right one.
    gInput.buttonsNotSwapped = 0;
    DeviceFrame(Moved(0, 0, 0, true, false, false));
    EXPECT_EQ(1, gInput.rightHeld);
    EXPECT_EQ(0, gInput.leftHeld);
}

// Left releases 0.2 s apart are a double click, 0.4 s apart are not; one double click
// shows for one frame.
void ExpectDoubleClicks(void (*frame)(bool left))
{
    frame(true);
    frame(false);
    EXPECT_EQ(0, gInput.doubleClick);
    frame(true);
    frame(false);
    EXPECT_EQ(1, gInput.leftClick);
    EXPECT_EQ(1, gInput.doubleClick);
    frame(false);
    EXPECT_EQ(0, gInput.doubleClick);
    frame(false);
    frame(false);
    frame(true);
    frame(false);
    EXPECT_EQ(1, gInput.leftClick);
    EXPECT_EQ(0, gInput.doubleClick);
}

TEST_F(InputTest, DoubleClickInBothMouseModesAndSystemButtons)
{
    ExpectDoubleClicks([](bool left) { DeviceFrame(Moved(0, 0, 0, left)); });
    gInput.Reset();
    ExpectDoubleClicks([](bool left) {
        gFrameTimer.step = 0.1f;
        gInput.BeginMouseFrame();
        gInput.ApplySystemMouse(POINT{200, 200}, left ? MOUSE_LEFT : 0);
    });

    // The other buttons of the system cursor; its wheel is what the window procedure stored.
    gInput.wheelDelta = -120;
    gInput.BeginMouseFrame();
    gInput.ApplySystemMouse(POINT{300, 300}, MOUSE_RIGHT | MOUSE_MIDDLE);
    EXPECT_EQ(1, gInput.rightHeld);
    gInput.BeginMouseFrame();
    gInput.ApplySystemMouse(POINT{300, 300}, 0);
    EXPECT_EQ(1, gInput.rightClick);
    EXPECT_EQ(1, gInput.middleClick);
    EXPECT_EQ(-120, gInput.wheelDelta);
}

TEST_F(InputTest, SystemCursorIsReadInClientPixels)
{
    ASSERT_NE(nullptr, TestWindow());
    USE_MOUSE = MOUSE_SYS;
    gInput.window = TestWindow();
    gFrameTimer.step = 0.1f;

    POINT p = ClientToScreenPoint(50, 40);
    ASSERT_TRUE(SetCursorPos(p.x, p.y));
    gInput.UpdateMouse();
    EXPECT_NEAR(50, gInput.mouseX, 1);
    EXPECT_NEAR(40, gInput.mouseY, 1);

    const int x = gInput.mouseX, y = gInput.mouseY;
    p = ClientToScreenPoint(60, 45);
    SetCursorPos(p.x, p.y);
    gInput.UpdateMouse();
    EXPECT_EQ(x + 10, gInput.mouseX);
    EXPECT_EQ(y + 5, gInput.mouseY);
    EXPECT_EQ(10, gInput.deltaX);
    EXPECT_EQ(5, gInput.deltaY);

    // Left of and above the client area the position stops at 1.
    p = ClientToScreenPoint(-30, -20);
    SetCursorPos(p.x, p.y);
    gInput.UpdateMouse();
    EXPECT_EQ(1, gInput.mouseX);
    EXPECT_EQ(1, gInput.mouseY);

    // The window's frame as measured for it.
    RECT outer, inner;
    GetWindowRect(TestWindow(), &outer);
    GetClientRect(TestWindow(), &inner);
    EXPECT_EQ(inner.right, gInput.clientWidth);
    EXPECT_EQ(inner.bottom, gInput.clientHeight);
    EXPECT_EQ(outer.left, gInput.windowRect.left);
    EXPECT_EQ((outer.right - outer.left - inner.right) / 2, gInput.borderWidth);
}

// A press and a release that both reach the window between two mouse frames: the buttons
// read in the next frame are up again, yet the click is seen, once.
TEST_F(InputTest, AClickBetweenTwoFramesIsSeenOnce)
{
    USE_MOUSE = MOUSE_SYS;
    gInput.window = TestWindow();
    gFrameTimer.step = 0.1f;
    const POINT p = ClientToScreenPoint(200, 150);
    ASSERT_TRUE(SetCursorPos(p.x, p.y));
    gInput.UpdateMouse();
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(2u, SendInput(2, click, sizeof(INPUT)));
    for (int i = 0; i < 20; ++i) {
        Sleep(10);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    ASSERT_GE(GetKeyState(VK_LBUTTON), 0) << "the button is up again when the frame reads it";
    int clicks = 0;
    for (int frame = 0; frame < 3; ++frame) {
        gInput.UpdateMouse();
        EXPECT_EQ(frame == 0, gInput.leftHeld == 1) << frame;
        clicks += gInput.leftClick;
    }
    EXPECT_EQ(1, clicks);
}

// The wheel a child window of the program's class passed on to its parent.
int gParentWheel = 0;
LRESULT CALLBACK ParentProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MOUSEWHEEL)
        gParentWheel = GET_WHEEL_DELTA_WPARAM(wParam);
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

// Activation switches the frame's polling; the wheel's signed steps reach the next mouse
// frame, and the message still goes on to the system's handling (a child passes it up).
TEST_F(InputTest, TheWindowProcedureTakesActivationAndTheWheel)
{
    const uint8_t savedActive = AppWindowConfig.active;
    EXPECT_EQ(0, SendMessageA(TestWindow(), WM_ACTIVATEAPP, FALSE, 0));
    EXPECT_EQ(0, AppWindowConfig.active);
    EXPECT_EQ(0, SendMessageA(TestWindow(), WM_ACTIVATEAPP, 7, 0));
    EXPECT_EQ(1, AppWindowConfig.active);
    AppWindowConfig.active = savedActive;

    SendMessageA(TestWindow(), WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, WORD(-240)), 0);
    EXPECT_EQ(-240, gInput.wheelDelta);
    SendMessageA(TestWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(120, gInput.wheelDelta);

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WheelParent";
    RegisterClassExA(&wc);
    HWND parent = CreateWindowExA(0, "WheelParent", "parent", WS_OVERLAPPED, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, parent);
    wchar_t programClass[64] = {};
    GetClassNameW(TestWindow(), programClass, 64);
    HWND child = CreateWindowExW(0, programClass, L"child", WS_CHILD, 0, 0, 50, 50, parent,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, child);
    gParentWheel = 0;
    SendMessageA(child, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), 0);
    EXPECT_EQ(-120, gInput.wheelDelta);
    EXPECT_EQ(-120, gParentWheel);
    // The program's procedure would take the child's destruction for the program's end.
    SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
    DestroyWindow(parent);
}

} // namespace
} // namespace inputtest
