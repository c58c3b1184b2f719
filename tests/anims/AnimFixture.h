#pragma once
// Animation tests: animation files written by the tests, a created engine whose animation
// container and unit registry are sized by real script sections, and a texture container
// stand-in that records what a texture animation asks for (no device needed).

#include "core/Messages.h"
#include "engine/AnimContainer.h"
#include "engine/TexContainer.h"
#include "tests/scripts/ScriptFiles.h"
#include "tests/support/FakeTexContainer.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace anims {

// Column header words of a channel list, as an exporter writes them.
std::string Columns(const std::string& channels, int version);

// An animation file: header, channel list (version 4 on), column words, then the frames;
// each frame is "FrameN" followed by its keys' text.
std::string AnimText(int version, int frames, int bones, float duration, const std::string& channels,
                     const std::vector<std::string>& frameKeys);

class AnimTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes an animation file into this test's folder; answers its full path.
    std::string WriteAnim(const std::string& name, const std::string& text);
    // Reads a script through the real parser.
    int LoadScript(const std::string& text);
    // The container and registry sections every engine test starts with.
    void SizeEngine(const std::string& animSection = "AnimationCount: 8 AnimationFiles: 16");
    // One engine frame's part of the registry at the given frame time.
    void Frame(float dt = 0.1f);

    test::MessageRecorder messages;
    scripts::ScriptDir dir{"anims"};
};

} // namespace anims
