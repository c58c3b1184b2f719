#pragma once
// A window, a device and a created engine for the renderer tests, with the start script's
// "UnitInspector" and "Renderer" sections read through the real script reader, and units
// that draw a flat coloured rectangle in screen space and log what the renderer asks.

#include "engine/ClassTemplate.h"
#include "engine/UnitInspector.h"
#include "scene/Atom.h"
#include "scene/Renderer.h"
#include "tests/support/Harness.h"

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

class CQuad : public CAtom {
public:
    CQuad(const char* unitName, int left, int top, int right, int bottom, D3DCOLOR argb);

    uint32_t PreRender() override;
    uint32_t Render(uint32_t pass) override;
    uint32_t PostRender() override;
    void OnShow() override;
    void OnHide() override;

    RECT rect;
    D3DCOLOR argb;
    uint32_t preRenderResult = 0;
    std::function<void()> onRender;  // runs before drawing
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
    // A registered quad drawn by queue `queue` (always rendered, a geometry unit).
    CQuad* AddQuad(const char* name, int queue, RECT rect, D3DCOLOR argb);
    // One engine frame of the renderer: reset, unit walk, scene with the render queues.
    void RunFrame();
    test::Image Picture();
    // True when no list of the renderer still holds the pointer.
    static bool RendererForgot(const CAtom* unit);

    test::MessageRecorder messages;
    std::string dir;

private:
    HWND window_ = nullptr;
    std::string oldDir_;
    int scripts_ = 0;
    std::vector<std::unique_ptr<CClassTemplate>> templates_;
};

} // namespace rendertest
