#include "tests/engine/EngineFixture.h"

#include "core/FrameTimer.h"

namespace enginetest {

std::vector<std::string> gTrace;

void RecordTrace(const char* step)
{
    gTrace.push_back(step);
}

void EngineTest::SetUp()
{
    gInput.Reset();
    gWinSuperior.pWinUnderMouse = nullptr;
    gFrameTimer.step = 0.0f;
    ASSERT_EQ(0, CreateEngine(0));
    gTrace.clear();
    gEngineTrace = RecordTrace;
}

void EngineTest::TearDown()
{
    gEngineTrace = nullptr;
    DestroyEngine();
    gWinSuperior.pWinUnderMouse = nullptr;
}

void EngineTest::StartEmptyPresentation()
{
    std::string dir = test::TempDir("engine_presentation");
    std::string path = dir + "\\Empty.txt";
    test::WriteFile(path, "// nothing placed yet\n");
    ASSERT_EQ(0, gIMissionLoader->StartMission(path));
    ASSERT_EQ(0, gIEngine->Process()) << messages.Joined();
    ASSERT_TRUE(gMissionLoader->Running());
    messages.Clear();  // the missing gamer nation
}

void EngineTest::PrepareView()
{
    gEngine->SetViewRect(0, 0, 800, 600);
    gEngine->SetMode(3, 0);
    gEngine->CreateViewWindow();
    gUnitInspector->mainCamera = &camera;
    gWinSuperior.pWinUnderMouse = gEngine->viewWindow;
}

SMouseInput EngineTest::MouseAt(int x, int y) const
{
    SMouseInput in;
    in.x = x;
    in.y = y;
    in.winUnderMouse = gEngine->viewWindow;
    return in;
}

} // namespace enginetest
