#pragma once
// A window, a device and a created engine whose start script turns glowing on with the
// shipped glow shaders and declares the classes of the effect tests: "Plain" and "Glower"
// (fixed pipeline, one colour), "Caster" (a reflection caster drawn through a transform
// shader) and "Floor" (a reflection receiver drawn through the shipped mirror shaders).
// Units stand in a camera's view; a frame runs the process step, the scene and the glow
// pass, and the picture is read back.

#include "engine/ClassTemplate.h"
#include "engine/UnitInspector.h"
#include "scene/Geometry.h"
#include "scene/Renderer.h"
#include "tests/support/SceneDevice.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace effects {

constexpr int VIEW_WIDTH = test::SceneDevice::WIDTH;
constexpr int VIEW_HEIGHT = test::SceneDevice::HEIGHT;

class EffectsTest : public ::testing::Test {
protected:
    void SetUp() override;

    void ReadScript(const std::string& text) { ASSERT_EQ(0, scene.ReadScript(text)) << messages.Joined(); }
    // A registered unit of the class, always drawn: a square of the given half size in
    // its x-y plane, or with flat set a square in its x-z plane, of one colour.
    CGeometry* AddUnit(const char* className, const D3DXVECTOR4& pos, D3DCOLOR argb, float half = 1.0f,
                       bool flat = false);
    // Camera at eye looking at the origin, handed to the renderer and the device.
    void LookFrom(const D3DXVECTOR3& eye);
    // Process step, then the scene and the glow pass in one scene bracket.
    void RunFrame() { scene.Frame(0.0f, true); }
    test::Image Picture() { return scene.Picture(); }
    POINT Project(const D3DXVECTOR3& point) const { return scene.Project(point); }

    test::MessageRecorder messages;
    test::SceneDevice scene;
    const std::string& dir = scene.dir;
    D3DXMATRIX view, proj;

private:
    int meshes_ = 0;
};

bool Near(const test::Image& image, POINT p, D3DCOLOR expected, int tolerance = 12);

} // namespace effects
