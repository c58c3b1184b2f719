#include "core/Core.h"
#include "engine/Engine.h"
#include "engine/Parser.h"
#include "scene/Renderer.h"
#include "tests/support/Harness.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// The application creates the engine with the 3D view left of the control column and
// deletes it when the window goes.
TEST(EngineApp, StartCreatesTheEngineWithTheViewAndExitDeletesIt)
{
    test::MessageRecorder messages;
    test::Program program;
    ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
    ASSERT_NE(nullptr, gIEngine);
    EXPECT_EQ(0x21FCu, gEngine->flags);
    EXPECT_EQ(DWORD(AppWindowConfig.width - 250), gEngine->view.Width);
    EXPECT_EQ(DWORD(AppWindowConfig.height), gEngine->view.Height);
    EXPECT_EQ(gEngine->view.Width, gRenderer->viewport.Width);
    ASSERT_TRUE(program.RunFrames(2));
    program.Stop();
    EXPECT_EQ(nullptr, gIEngine);
    EXPECT_EQ(nullptr, gIParser);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(EngineApp, MissingStartScriptEndsTheProgram)
{
    test::MessageRecorder messages;
    std::string dir = test::TempDir("engine_noscript");
    CreateDirectoryA((dir + "\\System").c_str(), nullptr);
    test::WriteFile(dir + "\\System\\Application.cfg",
                    test::ReadFile(test::RunDir() + "\\System\\Application.cfg"));
    test::WriteFile(dir + "\\Developer\\MainPanel.tga",
                    test::ReadFile(test::RunDir() + "\\Developer\\MainPanel.tga"));
    test::Program program;
    ASSERT_EQ(1, program.Start(dir));
    program.RunFrames(2);
    EXPECT_FALSE(program.Running());
    EXPECT_TRUE(messages.Contains("Can't load script file 'Scripts/Start.txt'"))
        << messages.Joined();
    EXPECT_EQ(nullptr, gIEngine);
}

} // namespace
