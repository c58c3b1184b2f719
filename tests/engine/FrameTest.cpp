#include "core/FrameTimer.h"
#include "engine/Engineer.h"
#include "engine/MapContainer.h"
#include "scene/Renderer.h"
#include "tests/engine/EngineFixture.h"

namespace {

using enginetest::EngineTest;
using enginetest::gTrace;

TEST_F(EngineTest, SetModeAddsTheModeBits)
{
    EXPECT_EQ(0, gIEngine->SetMode(3, 0));
    EXPECT_EQ(0x21FCu, gEngine->flags);
    gIEngine->SetMode(4, 0);
    EXPECT_EQ(0x20E4u, gEngine->flags);
    gIEngine->SetMode(1, 0x400);
    EXPECT_EQ(0x400u, gEngine->flags);
    gIEngine->EnableClickSelect(true);
    gIEngine->EnableWheel(true);
    EXPECT_EQ(0x20u, gEngine->flags);
}

TEST_F(EngineTest, NothingRunsBeforeAPresentation)
{
    EXPECT_EQ(-1, gIEngine->Process());
    EXPECT_EQ(-1, gIEngine->Render());
    EXPECT_TRUE(gTrace.empty());
}

// A stopped engine keeps a requested start pending until it runs again.
TEST_F(EngineTest, StoppedEngineLeavesAPendingStartPending)
{
    std::string path = test::TempDir("engine_stop") + "\\Empty.txt";
    test::WriteFile(path, "");
    gIMissionLoader->StartMission(path);
    gIEngine->Stop();
    EXPECT_EQ(-2, gIEngine->Process());
    EXPECT_TRUE(gMissionLoader->HasPending());
    EXPECT_FALSE(gMissionLoader->Running());

    gIEngine->Start();
    EXPECT_EQ(0, gIEngine->Process());
    EXPECT_FALSE(gMissionLoader->HasPending());
    EXPECT_TRUE(gMissionLoader->Running());
    EXPECT_TRUE(messages.Contains("gamer nation is null")) << messages.Joined();
}

TEST_F(EngineTest, AMissingPresentationIsReportedAndNothingRuns)
{
    gIMissionLoader->StartMission("Z:\\no\\such\\presentation.txt");
    EXPECT_EQ(-1, gIEngine->Process());
    EXPECT_TRUE(messages.Contains("can`t open file")) << messages.Joined();
    EXPECT_EQ(-1, gIEngine->Process());
}

TEST_F(EngineTest, StopAndStartSwitchTheViewWindow)
{
    gIEngine->Stop();  // no view window yet
    gIEngine->Start();
    PrepareView();
    ASSERT_NE(nullptr, gEngine->viewWindow);
    EXPECT_EQ(WIN_ACTIVE, gEngine->viewWindow->flags & WIN_ACTIVE);  // shown by mode 3
    gIEngine->Stop();
    EXPECT_EQ(0u, gEngine->viewWindow->flags & WIN_ACTIVE);
    gIEngine->Start();
    EXPECT_EQ(WIN_ACTIVE, gEngine->viewWindow->flags & WIN_ACTIVE);
}

TEST_F(EngineTest, OneFrameRunsItsStepsInOrder)
{
    StartEmptyPresentation();
    PrepareView();
    gEngine->currentMap = gMapContainer->AddMap(new CGameMap(64, 64));
    gEngine->rayDirection = D3DXVECTOR4(0, -1, 0, 0);
    gInput.mouseX = 400;
    gInput.mouseY = 300;
    gTrace.clear();

    EXPECT_EQ(0, gIEngine->Process());
    EXPECT_EQ(0, gIEngine->Render());
    const std::vector<std::string> expected = {
        "ResetFrame",    "Camera",        "PickGround",  "CameraCell", "ProcessUnits",
        "PickUnit",      "RenderShadows", "RenderUnits", "RenderGlows",
    };
    EXPECT_EQ(expected, gTrace);
}

// Without a main camera nothing is picked (the ray is stale); without a map only units are.
TEST_F(EngineTest, FrameWithoutMapOrCameraSkipsThePicks)
{
    StartEmptyPresentation();
    PrepareView();
    gUnitInspector->mainCamera = nullptr;
    gEngine->currentMap = gMapContainer->AddMap(new CGameMap(16, 16));
    gEngine->rayDirection = D3DXVECTOR4(0, -1, 0, 0);
    gTrace.clear();
    EXPECT_EQ(0, gIEngine->Process());
    EXPECT_EQ((std::vector<std::string>{"ResetFrame", "ProcessUnits"}), gTrace);

    gUnitInspector->mainCamera = &camera;
    gEngine->currentMap = 0;
    gInput.mouseX = 400;
    gInput.mouseY = 300;
    gTrace.clear();
    EXPECT_EQ(0, gIEngine->Process());
    EXPECT_EQ((std::vector<std::string>{"ResetFrame", "Camera", "ProcessUnits", "PickUnit"}),
              gTrace);
}

TEST_F(EngineTest, PanelHooksSurroundTheFrameWhenThePanelExists)
{
    DestroyEngine();
    EXPECT_NE(0, CreateEngine(0x200));  // the panel's Init fails until it is built
    ASSERT_NE(nullptr, gEngineer);
    StartEmptyPresentation();
    gTrace.clear();
    gIEngine->Process();
    gIEngine->Render();
    const std::vector<std::string> expected = {
        "ResetFrame",           "EngineerUpdate", "ProcessUnits", "EngineerBeforeRender",
        "RenderShadows",        "RenderUnits",    "RenderGlows",  "EngineerAfterRender",
    };
    EXPECT_EQ(expected, gTrace);
}

TEST_F(EngineTest, FrameTimeIsTheTimerStepTimesTheTimeScale)
{
    StartEmptyPresentation();
    gFrameTimer.step = 0.05f;
    gIEngine->Process();
    EXPECT_FLOAT_EQ(0.05f, gEngine->frameTime);
    gEngine->timeScale = 0.5f;
    gIEngine->Process();
    EXPECT_FLOAT_EQ(0.025f, gEngine->frameTime);
    gEngine->timeScale = 0.0f;
    gIEngine->Process();
    EXPECT_FLOAT_EQ(0.0f, gEngine->frameTime);
    gFrameTimer.step = 0.0f;
}

TEST_F(EngineTest, PausedRendererDrawsNothing)
{
    StartEmptyPresentation();
    gIRenderer->SetPaused(1);
    gTrace.clear();
    EXPECT_EQ(-2, gIEngine->Render());
    EXPECT_TRUE(gTrace.empty());
    gIRenderer->SetPaused(0);
    EXPECT_EQ(0, gIEngine->Render());
}

TEST_F(EngineTest, LatchedMouseLastsOneFrame)
{
    StartEmptyPresentation();
    PrepareView();
    SMouseInput in = MouseAt(10, 10);
    in.leftClick = 1;
    in.wheel = 120;
    gEngine->UpdateMouseState(in);
    EXPECT_EQ(1, gEngine->latchedLeft);
    EXPECT_EQ(120, gEngine->latchedWheel);
    gIEngine->Process();
    EXPECT_EQ(0, gEngine->latchedLeft);
    EXPECT_EQ(0, gEngine->latchedWheel);

    gIEngine->Stop();
    gEngine->UpdateMouseState(in);
    EXPECT_EQ(0, gEngine->latchedLeft);
}

} // namespace
