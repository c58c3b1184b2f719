#pragma once
// A window, a device and a created engine for the 3D control tests: scripts are written
// into the test folder and read through the real script reader; control meshes are
// rectangles in clip space drawn through the fixed pipeline, or boxes for picking.

#include "engine/Controls3D.h"
#include "engine/UnitInspector.h"
#include "scene/Control3D.h"
#include "tests/support/SceneDevice.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace controlstest {

constexpr int VIEW_WIDTH = test::SceneDevice::WIDTH;
constexpr int VIEW_HEIGHT = test::SceneDevice::HEIGHT;

class ControlsTest : public ::testing::Test {
protected:
    // Sizes every pool the tests use; a test reads its own classes and objects after it.
    static const char* const START_SCRIPT;

    void SetUp() override;
    void TearDown() override;

    // Writes the script into the test folder and reads it: the reader's result.
    int ReadScript(const std::string& text) { return scene.ReadScript(text); }
    // A mesh of the rectangle (view pixels) in clip space, for drawing.
    uint16_t RectangleMesh(const char* name, RECT rect);
    // A 2 x 2 x 1 box around the origin, for picking.
    uint16_t BoxMesh();
    CControl3D* Prototype(const char* className);
    // A registered unit of the class.
    CAtom* Create(const char* className);
    // One renderer frame: reset, unit walk, scene with the render queues and controls.
    void RunFrame();
    test::Image Picture() { return scene.Picture(); }

    test::MessageRecorder messages;
    test::SceneDevice scene;
    const std::string& dir = scene.dir;
};

} // namespace controlstest
