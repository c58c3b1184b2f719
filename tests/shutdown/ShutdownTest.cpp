// The real shutdown path (window destruction: engine, input, window manager, statistic,
// device) gives back every Direct3D object: the device's last reference goes with it, so
// nothing survives a stop and the next start begins clean.

#include "tests/support/Harness.h"

#include "app/Application.h"
#include "app/Column.h"
#include "app/Floor.h"
#include "app/MyBuilding.h"
#include "core/Core.h"
#include "core/Graphics.h"
#include "engine/Engine.h"
#include "gui/WinSuperior.h"

#include <gtest/gtest.h>

namespace {

// Keeps a reference to the running device and to Direct3D, so their counts can be read
// after the stop.
class DeviceWatch {
public:
    DeviceWatch() : device_(Device3D), direct3D_(Direct3D)
    {
        device_->AddRef();
        direct3D_->AddRef();
    }
    // Drops the watch's references: 0 when nobody else holds the device any more.
    ULONG DeviceLeftover() { return Drop(device_); }
    // The same for Direct3D, which the device holds while it lives.
    ULONG Direct3DLeftover() { return Drop(direct3D_); }
    ~DeviceWatch()
    {
        Drop(device_);
        Drop(direct3D_);
    }

private:
    template <class T>
    static ULONG Drop(T*& object)
    {
        ULONG n = object ? object->Release() : 0;
        object = nullptr;
        return n;
    }
    IDirect3DDevice9* device_;
    IDirect3D9* direct3D_;
};

// Frames of the presentation with a building shown and its first floor chosen, so the
// column's windows, floor plans and the engine's flight targets exist at the stop.
void UseTheSample(test::Program& program)
{
    ASSERT_TRUE(program.RunFrames(3));
    ASSERT_NE(nullptr, gEngine);
    gEngine->timeScale = 8.0f;
    ASSERT_GE(gBuildings.Count(), 1);
    test::ClickWin(gBuildings[0]->topViewButton);
    CMyBuilding* building = gCurBuilding;
    ASSERT_EQ(gBuildings[0], building);
    ASSERT_TRUE(program.RunFrames(20));
    test::ClickWin(building->floorWindows[0]);
    ASSERT_EQ(building->floors[0], gSelFloor);
    ASSERT_TRUE(program.RunFrames(20));
}

TEST(Shutdown, StopReleasesTheDeviceWithEverythingMadeOnIt)
{
    test::MessageRecorder messages;
    test::Program program;
    ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
    UseTheSample(program);
    DeviceWatch watch;
    program.Stop();
    EXPECT_EQ(nullptr, Device3D);
    EXPECT_EQ(0u, watch.DeviceLeftover());
    EXPECT_EQ(0u, watch.Direct3DLeftover());
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(Shutdown, StartStopStartRunsCleanTwice)
{
    test::MessageRecorder messages;
    for (int round = 0; round < 2; ++round) {
        test::Program program;
        ASSERT_EQ(1, program.Start(test::RunDir())) << round << messages.Joined();
        UseTheSample(program);
        EXPECT_EQ(1, gCore.statistic.enabled) << round;
        EXPECT_NE(nullptr, gWinSuperior.skin) << round;
        DeviceWatch watch;
        program.Stop();
        EXPECT_EQ(0u, watch.DeviceLeftover()) << round;
        EXPECT_EQ(0u, watch.Direct3DLeftover()) << round;
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST(Shutdown, ReleasedOwnersHoldNothingAndReleaseAgainSafely)
{
    test::MessageRecorder messages;
    {
        test::Program program;
        ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
        ASSERT_TRUE(program.RunFrames(3));
        program.Stop();
    }
    EXPECT_EQ(nullptr, gWinSuperior.skin);
    EXPECT_EQ(nullptr, gWinSuperior.hintTexture);
    EXPECT_EQ(nullptr, gCore.statistic.panel);
    EXPECT_EQ(nullptr, gCore.statistic.image);
    EXPECT_EQ(0, gCore.statistic.enabled);
    // A second release after the device is gone finds nothing to give back.
    gWinSuperior.Release();
    gCore.ReleaseStatistic();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
