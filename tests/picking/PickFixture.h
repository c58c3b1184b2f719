#pragma once
// A window and device for the picking tests with every message recorded, a folder for the
// test's files, and cube meshes written as mesh text files.

#include "tests/support/Harness.h"
#include "tests/support/TestDevice.h"

#include <d3dx9.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace picktest {

constexpr int VIEW_WIDTH = 320;
constexpr int VIEW_HEIGHT = 240;

// A box mesh from lo to hi, its vertices of one colour (r g b, 0..1), with the trailer text
// appended (bound boxes and the like).
std::string BoxMesh(const D3DXVECTOR3& lo, const D3DXVECTOR3& hi, const char* rgb = "1 1 1",
                    const std::string& trailer = "");

class PickTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file into the test's folder; its full path.
    std::string Write(const std::string& name, const std::string& text);

    test::MessageRecorder messages;
    std::string dir;

private:
    std::unique_ptr<test::TestDevice> device_;
};

} // namespace picktest
