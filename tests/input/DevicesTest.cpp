#include "tests/input/InputFixture.h"

#include "core/Core.h"

namespace inputtest {
namespace {

bool KeyboardReads()
{
    BYTE state[256];
    return SUCCEEDED(gInput.keyboardDevice->GetDeviceState(sizeof state, state));
}

bool MouseReads()
{
    DIMOUSESTATE2 state;
    return SUCCEEDED(gInput.mouseDevice->GetDeviceState(gInput.mouseStateSize, &state));
}

TEST_F(InputTest, DirectInputMouseAndKeyboardOpenOnARealWindow)
{
    USE_MOUSE = MOUSE_DX;
    ASSERT_EQ(0, InitInput(TestWindow(), 640, 480)) << messages.Joined();
    EXPECT_EQ(0u, messages.Count());
    ASSERT_NE(nullptr, gInput.keyboardDevice);
    ASSERT_NE(nullptr, gInput.mouseDevice);
    EXPECT_EQ(sizeof(DIMOUSESTATE2), gInput.mouseStateSize);
    EXPECT_TRUE(KeyboardReads());  // reading needs the device acquired
    EXPECT_TRUE(MouseReads());
    EXPECT_EQ(320, gInput.mouseX);
    EXPECT_EQ(240, gInput.mouseY);
    EXPECT_EQ(TestWindow(), gInput.window);

    // The frame's polls through the devices.
    CKeyHandler held;
    Counter counter;
    Bind(held, DIK_F12, KEY_WHILE_HELD, counter);
    CKeyTable table;
    table.Fill(&held);
    gInput.PushTable(&table);
    gInput.keys[DIK_F12] = 0x80;
    gInput.UpdateMouse();
    gInput.UpdateKeyboard();
    EXPECT_EQ(0, gInput.keys[DIK_F12]);  // replaced by the device's state
    EXPECT_EQ(0, counter.hits);
    EXPECT_EQ(0, gInput.leftHeld);

    // Opening again replaces the devices.
    EXPECT_EQ(0, InitInput(TestWindow(), 640, 480));
    EXPECT_TRUE(KeyboardReads());

    ReleaseInput();
    EXPECT_EQ(nullptr, gInput.keyboardDevice);
    EXPECT_EQ(nullptr, gInput.mouseDevice);
    EXPECT_EQ(nullptr, gInput.directInput);
    ReleaseInput();
    gInput.UpdateMouse();  // without devices: nothing to read
    gInput.UpdateKeyboard();
    EXPECT_EQ(0u, messages.Count());
}

TEST_F(InputTest, SystemMouseModeOpensOnlyTheKeyboard)
{
    USE_MOUSE = MOUSE_SYS;
    ASSERT_EQ(0, InitInput(TestWindow(), 640, 480)) << messages.Joined();
    EXPECT_EQ(nullptr, gInput.mouseDevice);
    ASSERT_NE(nullptr, gInput.keyboardDevice);
    EXPECT_TRUE(KeyboardReads());
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof cursor;
    ASSERT_TRUE(GetCursorInfo(&cursor));
    EXPECT_TRUE(cursor.flags & CURSOR_SHOWING);
    ReleaseInput();
}

TEST_F(InputTest, RefusedCooperativeLevelsAreReportedAndNothingStaysOpen)
{
    USE_MOUSE = MOUSE_SYS;
    gInput.keyboardCoopFlags = 0;  // neither exclusive nor non-exclusive
    EXPECT_NE(0, InitInput(TestWindow(), 640, 480));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("For KeyboardDevice SetCooperativeLevel error", messages.Texts()[0]);
    EXPECT_EQ(nullptr, gInput.keyboardDevice);
    EXPECT_EQ(nullptr, gInput.directInput);
    messages.Clear();

    USE_MOUSE = MOUSE_DX;
    gInput.keyboardCoopFlags = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    gInput.mouseCoopFlags = DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
    EXPECT_NE(0, InitInput(TestWindow(), 640, 480));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("For MouseDevice SetCooperativeLevel error.", messages.Texts()[0]);
    EXPECT_EQ(nullptr, gInput.mouseDevice);
    EXPECT_EQ(nullptr, gInput.keyboardDevice);
    EXPECT_EQ(nullptr, gInput.directInput);
}

// The keyboard's data format refused by the device, through the method table that every
// DirectInput device object of the system shares; the mouse's formats are still taken.
class RefusedKeyboardFormat {
public:
    RefusedKeyboardFormat()
    {
        IDirectInput8A* input = nullptr;
        IDirectInputDevice8A* device = nullptr;
        if (FAILED(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION,
                                      IID_IDirectInput8A, reinterpret_cast<void**>(&input),
                                      nullptr)))
            return;
        if (SUCCEEDED(input->CreateDevice(GUID_SysKeyboard, &device, nullptr))) {
            slot_ = *reinterpret_cast<void***>(device) + SET_DATA_FORMAT;
            DWORD old = 0;
            if (VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old)) {
                originalSetFormat_ = reinterpret_cast<SetFormatFn>(*slot_);
                *slot_ = reinterpret_cast<void*>(&Refuse);
            } else {
                slot_ = nullptr;
            }
            device->Release();
        }
        input->Release();
    }
    ~RefusedKeyboardFormat()
    {
        if (slot_)
            *slot_ = reinterpret_cast<void*>(originalSetFormat_);
    }
    bool Active() const { return slot_ != nullptr; }

private:
    // QueryInterface, AddRef, Release, GetCapabilities, EnumObjects, GetProperty,
    // SetProperty, Acquire, Unacquire, GetDeviceState, GetDeviceData, SetDataFormat.
    static constexpr int SET_DATA_FORMAT = 11;
    using SetFormatFn = HRESULT(STDMETHODCALLTYPE*)(IDirectInputDevice8A*, LPCDIDATAFORMAT);
    static HRESULT STDMETHODCALLTYPE Refuse(IDirectInputDevice8A* device, LPCDIDATAFORMAT format)
    {
        return format == &c_dfDIKeyboard ? DIERR_INVALIDPARAM : originalSetFormat_(device, format);
    }
    static inline SetFormatFn originalSetFormat_ = nullptr;
    void** slot_ = nullptr;
};

// Without a keyboard format the program starts all the same, without input.
TEST_F(InputTest, AKeyboardThatTakesNoDataFormatLeavesTheProgramWithoutInput)
{
    USE_MOUSE = MOUSE_DX;
    RefusedKeyboardFormat refused;
    ASSERT_TRUE(refused.Active());
    EXPECT_EQ(0, InitInput(TestWindow(), 640, 480));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("For KeyboardDevice SetDataFormat error", messages.Texts()[0]);
    EXPECT_EQ(nullptr, gInput.keyboardDevice);
    EXPECT_EQ(nullptr, gInput.mouseDevice);  // it had opened: released with the rest
    EXPECT_EQ(nullptr, gInput.directInput);
    gInput.keys[DIK_A] = 0x80;
    gInput.UpdateKeyboard();  // nothing to read
    gInput.UpdateMouse();
    EXPECT_EQ(0x80, gInput.keys[DIK_A]);
    EXPECT_EQ(1u, messages.Count());
}

// A key as the keyboard driver sends it: virtual key and scan code. The input goes to the
// whole Wine session, so these tests send as little as they can and release what they press.
void SendKey(WORD scanCode, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = WORD(MapVirtualKeyA(scanCode, MAPVK_VSC_TO_VK));
    input.ki.wScan = scanCode;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// Polls like the frame until the key handler has fired or a second has passed.
int PollFrames(Counter& counter, int wanted)
{
    for (int i = 0; i < 100 && counter.hits < wanted; ++i) {
        PumpMessages();
        gInput.UpdateKeyboard();
        Sleep(10);
    }
    return counter.hits;
}

TEST_F(InputTest, AKeyTypedIntoTheSystemReachesItsHandlerThroughTheDevice)
{
    USE_MOUSE = MOUSE_SYS;
    ASSERT_EQ(0, InitInput(TestWindow(), 640, 480)) << messages.Joined();
    CKeyHandler press, release;
    Counter pressed, released;
    Bind(press, DIK_G, KEY_ON_PRESS, pressed);
    Bind(release, DIK_G, KEY_ON_RELEASE, released);
    CKeyTable table;
    table.Fill(&press, &release);
    gInput.PushTable(&table);

    SendKey(DIK_G, false);
    EXPECT_EQ(1, PollFrames(pressed, 1));
    SendKey(DIK_G, true);
    EXPECT_EQ(1, PollFrames(released, 1));
    EXPECT_EQ(1, pressed.hits);
    ReleaseInput();
}

// Relative movement sent to the system moves the DirectInput mouse.
TEST_F(InputTest, TheDeviceMouseFollowsTheSystemsMovement)
{
    USE_MOUSE = MOUSE_DX;
    ASSERT_EQ(0, InitInput(TestWindow(), 640, 480)) << messages.Joined();
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = 20;
    input.mi.dy = 10;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
    int moved = 0;
    for (int i = 0; i < 100 && !moved; ++i) {
        PumpMessages();
        gInput.UpdateMouse();
        moved = gInput.mouseX - 320;
        Sleep(10);
    }
    EXPECT_GT(moved, 0);
    EXPECT_GE(gInput.mouseY, 240);
    ReleaseInput();
}

} // namespace
} // namespace inputtest
