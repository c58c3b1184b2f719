#pragma once
// An engine created for one test with a start script of camera and unit classes, a fresh
// folder for the test's presentation files and every message recorded.

#include "engine/MissionLoader.h"
#include "engine/UnitInspector.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace missiontest {

// The message of every start while no gamer nation is declared.
extern const char* const NO_GAMER_NATION;

class MissionTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file into the test's folder; returns its full path.
    std::string Write(const std::string& name, const std::string& text);
    // StartMission then one engine frame: the frame's result.
    int StartAndProcess(const std::string& path);
    // The recorded messages other than the missing gamer nation.
    std::vector<std::string> Problems() const;
    int UnitCount() const;
    // The names of the live units in registry order.
    std::vector<std::string> UnitNames() const;

    test::MessageRecorder messages;
    std::string dir;
};

} // namespace missiontest
