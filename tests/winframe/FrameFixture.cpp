#include "tests/winframe/FrameFixture.h"

#include "core/FrameTimer.h"
#include "tests/support/WinReset.h"

namespace winframe {

std::string gTrace;

void Name(CBaseWin* win, const char* name)
{
    win->SetUserData(reinterpret_cast<uintptr_t>(name), 0);
}

namespace {

std::string NameOf(const CBaseWin* win)
{
    if (!win)
        return "-";
    uintptr_t name = 0;
    win->GetUserData(&name, 0);
    return name ? reinterpret_cast<const char*>(name) : "?";
}

void Note(const char* event, const CBaseWin* win)
{
    gTrace += std::string(event) + ":" + NameOf(win) + " ";
}

} // namespace

std::string UnderMouse()
{
    return NameOf(gWinSuperior.pWinUnderMouse);
}

void OnClick() { Note("click", gWinSuperior.pWinUnderMouse); }
void OnHover() { Note("hover", gWinSuperior.pWinUnderMouse); }
void OnWheel() { Note("wheel", gWinSuperior.pWinUnderMouse); }
void OnLeftHeld() { Note("held", gWinSuperior.pWinUnderMouse); }
void OnRightClick() { Note("right", gWinSuperior.pWinUnderMouse); }
void OnFrame() { Note("frame", gWinSuperior.pWinCurrent); }

CBaseWin* gModal = nullptr;
void ShowModal()
{
    if (!(gModal->flags & WIN_VISIBLE))
        gModal->Show(1);
}

void FrameTest::SetUp()
{
    test::ResetWindowManager();
    gInput.Reset();
    // No window behind the input layer: client and screen coordinates are the same.
    gInput.windowRect = RECT{0, 0, 800, 600};
    gInput.borderWidth = gInput.titleHeight = 0;
    savedStep_ = gFrameTimer.step;
    gTrace.clear();
}

void FrameTest::TearDown()
{
    test::ResetWindowManager();
    gInput.Reset();
    gFrameTimer.step = savedStep_;
}

void FrameTest::Frame(int x, int y, uint8_t buttons, float step)
{
    gFrameTimer.step = step;
    gInput.BeginMouseFrame();
    gInput.ApplySystemMouse(POINT{x, y}, buttons);
    gWinSuperior.Process();
    gInput.wheelDelta = 0;
}

void FrameTest::Click(int x, int y)
{
    Frame(x, y, MOUSE_LEFT);
    Frame(x, y, 0);
}

CBaseWin* FrameTest::Win(const char* name, int x, int y, int w, int h, uint32_t trigger,
                         uint32_t flags)
{
    CBaseWin* win = gWinSuperior.AddWin(x, y, w, h, OnClick, nullptr, 0, 0, 0, 0, trigger,
                                        flags | WIN_ACTIVE | WIN_VISIBLE);
    Name(win, name);
    return win;
}

std::string FrameTest::Take()
{
    std::string out;
    out.swap(gTrace);
    return out;
}

} // namespace winframe
