#include "tests/support/Harness.h"

#include "core/Core.h"

#include <gtest/gtest.h>

namespace {

TEST(Startup, MissingConfigIsRecordedNotShown)
{
    test::MessageRecorder messages;
    std::string dir = test::TempDir("noconfig");
    test::Program program;
    EXPECT_EQ(-1, program.Start(dir));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Can`t find config file 'System/Application.cfg'. \n Application now exit",
              messages.Texts()[0]);
    EXPECT_EQ(nullptr, AppWindowConfig.hWnd);
}

TEST(Startup, SampleRunsFramesAndClears)
{
    test::MessageRecorder messages;
    test::Program program;
    ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
    ASSERT_TRUE(program.RunFrames(3));
    test::Image image;
    ASSERT_TRUE(test::ReadBackBuffer(image));
    EXPECT_GT(image.width, 1000);
    program.Stop();
    EXPECT_FALSE(program.Running());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
