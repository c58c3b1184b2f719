#include "WinFixture.h"

#include "tests/support/WinReset.h"

void WinTest::SetUp()
{
    messages = std::make_unique<test::MessageRecorder>();
    test::ResetWindowManager();
}

void WinTest::TearDown()
{
    test::ResetWindowManager();
    messages.reset();
}

CBaseWin* WinTest::Win(int x, int y, uint32_t flags)
{
    return gWinSuperior.AddWin(x, y, 10, 10, nullptr, nullptr, 0, 0, 9, 9, 0, flags);
}
