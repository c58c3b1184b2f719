// Opening, reading and releasing the DirectInput devices, and the system cursor.
#include "core/Input.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Messages.h"

#include <cstring>

namespace {

template <class T>
void ReleaseInterface(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

void Unacquire(IDirectInputDevice8A* device)
{
    if (device)
        device->Unacquire();
}

int Fail(HRESULT hr, const char* text)
{
    ReleaseInput();
    MsgBox(text);
    return int(hr);
}

// ShowCursor keeps a display count; bringing it to exactly 0 (shown) or -1 (hidden)
// instead of counting once per call keeps it from drifting frame after frame.
void SetSystemCursorShown(bool shown)
{
    const int target = shown ? 0 : -1;
    int count = ShowCursor(TRUE);
    for (int i = 0; count > target && i < 64; ++i)
        count = ShowCursor(FALSE);
    for (int i = 0; count < target && i < 64; ++i)
        count = ShowCursor(TRUE);
}

void ShowArrowCursor()
{
    // Looked up once: on some systems every lookup is a round trip to the display server,
    // and this runs every frame.
    static const HCURSOR ARROW = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    SetCursor(ARROW);
    SetSystemCursorShown(true);
    if (Device3D)
        Device3D->ShowCursor(TRUE);
}

int OpenMouse(CInput& in)
{
    HRESULT hr = in.directInput->CreateDevice(GUID_SysMouse, &in.mouseDevice, nullptr);
    if (FAILED(hr))
        return Fail(hr, "For Mouse CreateDevice error.");
    hr = in.mouseDevice->SetDataFormat(&c_dfDIMouse2);
    in.mouseStateSize = sizeof(DIMOUSESTATE2);
    if (FAILED(hr)) {
        hr = in.mouseDevice->SetDataFormat(&c_dfDIMouse);
        in.mouseStateSize = sizeof(DIMOUSESTATE);
    }
    if (FAILED(hr))
        return Fail(hr, "For MouseDevice SetDataFormat error.");
    hr = in.mouseDevice->SetCooperativeLevel(in.window, in.mouseCoopFlags);
    if (FAILED(hr))
        return Fail(hr, "For MouseDevice SetCooperativeLevel error.");
    in.mouseDevice->Acquire();
    SetSystemCursorShown(false);
    return 0;
}

// KEYBOARD_FORMAT_REFUSED when the keyboard takes no data format: the program then runs
// without input rather than not at all.
constexpr int KEYBOARD_FORMAT_REFUSED = 1;

int OpenKeyboard(CInput& in)
{
    HRESULT hr = in.directInput->CreateDevice(GUID_SysKeyboard, &in.keyboardDevice, nullptr);
    if (FAILED(hr))
        return Fail(hr, "For Keyboard CreateDevice error");
    hr = in.keyboardDevice->SetDataFormat(&c_dfDIKeyboard);
    if (FAILED(hr)) {
        Fail(hr, "For KeyboardDevice SetDataFormat error");
        return KEYBOARD_FORMAT_REFUSED;
    }
    hr = in.keyboardDevice->SetCooperativeLevel(in.window, in.keyboardCoopFlags);
    if (FAILED(hr))
        return Fail(hr, "For KeyboardDevice SetCooperativeLevel error");
    in.keyboardDevice->Acquire();
    return 0;
}

} // namespace

int InitInput(HWND window, int width, int height)
{
    ReleaseInput();
    CInput& in = gInput;
    in.window = window;
    HRESULT hr = DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION,
                                    IID_IDirectInput8A,
                                    reinterpret_cast<void**>(&in.directInput), nullptr);
    if (FAILED(hr)) {
        in.directInput = nullptr;
        return Fail(hr, "CreateDirectInput error");
    }
    if (USE_MOUSE == MOUSE_DX) {
        if (int error = OpenMouse(in))
            return error;
    } else {
        ShowArrowCursor();
    }
    if (int error = OpenKeyboard(in))
        return error == KEYBOARD_FORMAT_REFUSED ? 0 : error;
    in.UpdateWindowRect();
    in.mouseX = width / 2;
    in.mouseY = height / 2;
    in.buttonsNotSwapped = GetSystemMetrics(SM_SWAPBUTTON) ? 0 : 1;
    return 0;
}

void ReleaseInput()
{
    CInput& in = gInput;
    Unacquire(in.mouseDevice);
    Unacquire(in.keyboardDevice);
    ReleaseInterface(in.mouseDevice);
    ReleaseInterface(in.keyboardDevice);
    ReleaseInterface(in.directInput);
    in.mouseStateSize = 0;
}

void CInput::UpdateWindowRect()
{
    RECT outer, inner;
    if (!GetWindowRect(window, &outer) || !GetClientRect(window, &inner))
        return;
    windowRect = outer;
    clientRect = inner;
    clientWidth = inner.right - inner.left;
    clientHeight = inner.bottom - inner.top;
    borderWidth = (outer.right - outer.left - clientWidth) / 2;
    TITLEBARINFO title = {};
    title.cbSize = sizeof title;
    titleHeight = GetTitleBarInfo(window, &title) ? title.rcTitleBar.bottom - outer.top : 0;
    if (titleHeight < 0 || titleHeight > 4000)
        titleHeight = 0;
}

void CInput::UpdateMouse()
{
    BeginMouseFrame();
    if (USE_MOUSE == MOUSE_SYS) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        uint8_t buttons = 0;
        if (GetKeyState(VK_LBUTTON) < 0)
            buttons |= MOUSE_LEFT;
        if (GetKeyState(VK_RBUTTON) < 0)
            buttons |= MOUSE_RIGHT;
        if (GetKeyState(VK_MBUTTON) < 0)
            buttons |= MOUSE_MIDDLE;
        ApplySystemMouse(cursor, buttons);
        ShowArrowCursor();
        return;
    }
    if (!mouseDevice)
        return;
    DIMOUSESTATE2 state = {};
    if (FAILED(mouseDevice->GetDeviceState(mouseStateSize, &state))) {
        mouseDevice->Acquire();
        return;
    }
    ApplyDeviceMouse(state);
}

bool CInput::ReadKeyboard()
{
    memset(keys, 0, sizeof keys);
    if (SUCCEEDED(keyboardDevice->GetDeviceState(sizeof keys, keys)))
        return true;
    if (FAILED(keyboardDevice->Acquire()))
        return false;
    memset(keys, 0, sizeof keys);
    if (SUCCEEDED(keyboardDevice->GetDeviceState(sizeof keys, keys)))
        return true;
    memset(keys, 0, sizeof keys);
    return false;
}

void CInput::UpdateKeyboard()
{
    if (keyboardDevice && ReadKeyboard())
        Dispatch();
}
