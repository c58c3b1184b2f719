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
#include "tests/support/Harness.h"

#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <memory>
#include <windows.h>

#include <string>

namespace constants {

constexpr int VIEW_WIDTH = 320;
constexpr int VIEW_HEIGHT = 240;

class ConstantsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void ReadScript(const std::string& text);
    // A registered unit of the class, always drawn, with the unit square of one colour
    // (units naming the same mesh share it).
    CGeometry* AddUnit(const char* className, const D3DXVECTOR4& pos, D3DCOLOR argb,
                       const std::string& meshName = "Square");
    // A camera at (0, 0, -10) looking at the origin, handed to the renderer.
    void LookAtOrigin();
    // Reset, unit walk, skeletons, then the render step in one scene.
    void RunFrame();
    test::Image Picture();
    // Registers c[first .. first + count) of the vertex shader as read from the device.
    std::vector<float> VertexConstants(int first, int count);
    // Where a point lands in the view, by D3DX.
    POINT Project(const D3DXVECTOR3& point) const;
    CMesh* MeshOf(const CGeometry* unit);

    test::MessageRecorder messages;
    std::string dir;
    D3DXMATRIX view, proj;

private:
    std::unique_ptr<test::TestDevice> device_;
    int scripts_ = 0;
};

} // namespace constants
