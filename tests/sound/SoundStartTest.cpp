// The program started with DirectSound configured, on a copy of the sample run folder.
#include "core/Sound.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(SoundStart, ConfiguredDirectSoundWithoutAudioDeviceStartsSilently)
{
    test::MessageRecorder messages;
    const std::string dir = test::TempDir("sound_start");
    std::error_code error;
    std::filesystem::copy(test::RunDir(), dir, std::filesystem::copy_options::recursive, error);
    ASSERT_FALSE(error) << error.message();
    const std::string config = dir + "\\System\\Application.cfg";
    test::WriteFile(config, test::ReadFile(config) + "\nSOUND DX_SOUND\n");

    test::Program program;
    ASSERT_EQ(1, program.Start(dir)) << messages.Joined();
    if (gSoundManager.device) {
        program.Stop();
        gSoundManager.Shutdown();
        GTEST_SKIP() << "this machine has an audio device";
    }
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("DirectSound is not create.", messages.Texts()[0]);
    EXPECT_TRUE(program.RunFrames(3));  // the frame's listener commit finds nothing to do
    program.Stop();
    EXPECT_EQ(1u, messages.Count()) << messages.Joined();
}

} // namespace
