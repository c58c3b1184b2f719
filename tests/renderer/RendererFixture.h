#pragma once
// A window, a device and a created engine for the renderer tests, with the start script's
// sections read through the real script reader, and geometry units whose meshes are
// rectangles in screen space (mesh files the fixture writes) with a one-colour texture;
// they log what the renderer asks of them.

#include "engine/ClassTemplate.h"
#include "engine/UnitInspector.h"
#include "scene/Geometry.h"
#include "scene/Renderer.h"
#include "tests/support/Harness.h"

#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rendertest {

constexpr int VIEW_WIDTH = 320;
constexpr int VIEW_HEIGHT = 240;

// What the renderer did with the test units, in order: "draw:<name>", "show:<name>", ...
extern std::vector<std::string> gLog;

class CQuad : public CGeometry {
public:
    explicit CQuad(const char* unitName);
    ~CQuad() override;

    uint32_t PreRender() override;
    uint32_t Render(uint32_t pass) override;
    uint32_t PostRender() override;
    void OnShow() override;
    void OnHide() override;

    uint32_t preRenderResult = 0;
    std::function<void()> onRender;  // runs before drawing; may delete this unit

private:
    // Cleared when the unit goes, so Render can tell whether onRender deleted it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class RendererTest : public ::testing::Test {
protected:
    // The start script read by every test; a test may read further scripts.
    static const char* const START_SCRIPT;

    void SetUp() override;
    void TearDown() override;

    // Writes a script into the test folder and has the script reader read it.
    void ReadScript(const std::string& text);
    // A class template whose render states are read from the block text (after
    // "RenderStates:"); it lives until the test ends.
    CClassTemplate* TemplateWith(const std::string& block);
    // A registered geometry unit drawn by queue `queue` (always rendered): a rectangle in
    // view pixels of one colour.
    CQuad* AddQuad(const char* name, int queue, RECT rect, D3DCOLOR argb);
    // One engine frame of the renderer: reset, unit walk, scene with the render queues,
    // drawn through the fixed pipeline with identity transforms (until the shader-constant
    // part of the renderer exists the test sets up that part of the device).
    void RunFrame();
    static void PrepareFixedPipeline();
    test::Image Picture();
    // True when no list of the renderer still holds the pointer.
    static bool RendererForgot(const CAtom* unit);

    test::MessageRecorder messages;
    std::string dir;

private:
    std::unique_ptr<test::TestDevice> device_;
    int scripts_ = 0;
    std::vector<std::unique_ptr<CClassTemplate>> templates_;
};

} // namespace rendertest
