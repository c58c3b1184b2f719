#pragma once
// The sample program started once for the whole test program (device, engine and the
// sample's scripts), and a fixture that writes script snippets into files and hands them
// to the container readers positioned after their keyword.

#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace rescont {

// Messages shown while the sample started.
extern std::vector<std::string> gStartupMessages;
// Runs frames of the started sample; false once it has quit.
bool RunSampleFrames(int n);

class ResourceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The folder of this test's files (with a trailing backslash).
    const std::string& Dir() const { return dir_; }
    // Writes text to a file of the folder and opens it for reading.
    FILE* Open(const std::string& text);
    std::string WriteFile(const std::string& name, const std::string& text);
    static std::string NextWord(FILE* file);
    size_t CountMessages(const std::string& part) const;

    test::MessageRecorder messages;

private:
    std::string dir_;
    std::vector<FILE*> files_;
};

} // namespace rescont
