#pragma once
// A created engine without a device whose start scripts are written into a test folder
// and read through the real script reader; relative file names in them are taken from
// that folder (the program folder while the test runs).

#include "core/Core.h"
#include "engine/CreateEngine.h"
#include "engine/MapPos.h"
#include "engine/Parser.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace containers2 {

using test::Tga32;

class ContainersTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the script into the test folder and reads it; the reader's result.
    int ReadScript(const std::string& text);
    // Writes a file into the test folder; its full path.
    std::string Write(const std::string& name, const std::string& bytes);

    test::MessageRecorder messages;
    std::string dir;

private:
    std::string savedBase_;
    int scripts_ = 0;
};

// A map position of cell (x, z) facing the direction step.
inline SMapPos At(int x, int z, int direction)
{
    return SMapPos{x, z, direction, 0};
}

} // namespace containers2
