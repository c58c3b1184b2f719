#pragma once
// A window, a device and a created engine whose start script declares a vertex shader
// that places its vertices by the transposed world-view-projection in c0..c3, the
// constant table that feeds it, and a geometry class drawn with both. Units are made from
// that class with a unit square mesh of one colour; a frame runs the renderer's process
// and render steps and the picture is read back.

#include "core/Meshes/Mesh.h"
#include "engine/ClassTemplate.h"
#include "engine/UnitInspector.h"
#include "scene/Geometry.h"
#include "scene/Renderer.h"
#include "tests/support/SceneDevice.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace constants {

constexpr int VIEW_WIDTH = test::SceneDevice::WIDTH;
constexpr int VIEW_HEIGHT = test::SceneDevice::HEIGHT;

using test::VertexConstants;

class ConstantsTest : public ::testing::Test {
protected:
    void SetUp() override;

    void ReadScript(const std::string& text) { ASSERT_EQ(0, scene.ReadScript(text)) << messages.Joined(); }
    // A registered unit of the class, always drawn, with the unit square of one colour
    // (units naming the same mesh share it).
    CGeometry* AddUnit(const char* className, const D3DXVECTOR4& pos, D3DCOLOR argb,
                       const std::string& meshName = "Square");
    // A camera at (0, 0, -10) looking at the origin, handed to the renderer.
    void LookAtOrigin();
    // Reset, unit walk, skeletons with the engine's frame time dt, then the render step in
    // one scene.
    void RunFrame(float dt = 0.0f) { scene.Frame(dt); }
    test::Image Picture() { return scene.Picture(); }
    // Where a point lands in the view, by D3DX.
    POINT Project(const D3DXVECTOR3& point) const { return scene.Project(point); }
    CMesh* MeshOf(const CGeometry* unit);

    test::MessageRecorder messages;
    test::SceneDevice scene;
    const std::string& dir = scene.dir;
    D3DXMATRIX view, proj;
};

} // namespace constants
