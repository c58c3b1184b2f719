#pragma once
// A created engine for one test, with the engine's trace and every message recorded.

#include "core/Input.h"
#include "engine/CreateEngine.h"
#include "engine/Engine.h"
#include "engine/EngineTrace.h"
#include "engine/MissionLoader.h"
#include "engine/UnitInspector.h"
#include "gui/WinSuperior.h"
#include "scene/Camera.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace enginetest {

extern std::vector<std::string> gTrace;
void RecordTrace(const char* step);

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts an empty presentation through the presentation loader and the engine frame.
    void StartEmptyPresentation();
    // Makes the view window and a main camera; the cursor input points into the view.
    void PrepareView();
    SMouseInput MouseAt(int x, int y) const;

    test::MessageRecorder messages;
    CCamera camera;
};

} // namespace enginetest
