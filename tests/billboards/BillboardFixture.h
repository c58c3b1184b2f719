#pragma once
// A device and an engine whose start script declares billboards, bill lights, a light, a
// unit class with night lights, a tree, a 2D sprite and a select plane with its carrier
// class; squares of one colour are their meshes. The camera looks from (0, 0, -10) at the
// origin unless a test moves it.

#include "core/Core.h"
#include "engine/UnitInspector.h"
#include "scene/Billboard.h"
#include "scene/Tree.h"
#include "scene/Unit.h"
#include "tests/support/SceneDevice.h"

#include <gtest/gtest.h>

#include <string>

namespace billboards {

constexpr uint32_t GREEN = 0xFF00FF00;
constexpr uint32_t BLACK = 0xFF000000;

class BillboardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { gExitCode = 0; }

    template <class T>
    T* Add(const char* className, const D3DXVECTOR4& pos)
    {
        auto* unit = dynamic_cast<T*>(gUnitInspector->CreateUnit(className, nullptr));
        EXPECT_NE(nullptr, unit) << className << "\n" << messages.Joined();
        if (unit) unit->SetPos(pos);
        return unit;
    }
    bool Alive(const CAtom* unit, uint32_t id) { return gUnitInspector->UnitAt(int(id)) == unit; }
    int Units() const
    {
        int units = 0;
        for (int i = 1; i <= gUnitInspector->UnitBound(); ++i) units += gUnitInspector->UnitAt(i) != nullptr;
        return units;
    }
    bool ColourAt(const test::Image& image, const D3DXVECTOR3& point, uint32_t colour);

    test::MessageRecorder messages;
    test::SceneDevice scene;
};

} // namespace billboards
