// Cameras: their class and presentation keywords, the view they hand on, their motion
// under the mouse and the shadow camera's following of the main camera.

#include "tests/missions/MissionFixture.h"

#include "core/FrameTimer.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "engine/Engine.h"
#include "engine/Parser.h"
#include "scene/Camera.h"

#include <cmath>

namespace missiontest {
namespace {

constexpr float DT = 0.05f;

class CameraTest : public MissionTest {
protected:
    void SetUp() override
    {
        MissionTest::SetUp();
        gFrameTimer.step = DT;
        gEngine->SetViewRect(0, 0, 800, 400);
    }
    void TearDown() override
    {
        gFrameTimer.step = 0.0f;
        MissionTest::TearDown();
    }
    // Eye and target given; the view point is set from them as the engine frame does.
    void Place(const D3DXVECTOR4& eye, const D3DXVECTOR4& at)
    {
        camera.Pos = eye;
        camera.target = at;
        camera.PreRender();
    }
    // An eye looking down at the origin from distance d with the pitch given.
    void PlaceAtPitch(float pitch, float d)
    {
        Place(D3DXVECTOR4(0.0f, -std::sin(pitch) * d, -std::cos(pitch) * d, 1.0f), D3DXVECTOR4(0, 0, 0, 1));
    }

    CCamera camera;
};

TEST_F(CameraTest, ClassAndPresentationKeywordsSetTheCamera)
{
    const std::string path = Write("Cam.txt", "Units: { Camera { pos: [ 0 50 -100 ] at: [ 1 2 3 ]\n"
                                              "  near_far: [ 4 400 ]\n"
                                              "  distance_params: { min_distance: 20 fade_time: 0.7 };\n"
                                              "  rotation_params: { max_ax: -0.3 speed: 0.01 };\n"
                                              "}; };");
    ASSERT_EQ(0, StartAndProcess(path));
    CCamera* cam = gIUnitInspector->GetCamera();
    ASSERT_NE(nullptr, cam);
    EXPECT_TRUE(Problems().empty()) << messages.Joined();
    EXPECT_NEAR(60.0f * 0.0174532924f, cam->fov, 1e-6f);
    EXPECT_FLOAT_EQ(4.0f, cam->zNear);
    EXPECT_FLOAT_EQ(400.0f, cam->zFar);
    EXPECT_EQ(D3DXVECTOR4(0, 50, -100, 1), cam->Pos);
    EXPECT_EQ(D3DXVECTOR4(1, 2, 3, 1), cam->target);
    EXPECT_FLOAT_EQ(20.0f, cam->MinDistance);
    EXPECT_FLOAT_EQ(800.0f, cam->MaxDistance);
    EXPECT_FLOAT_EQ(1.5f, cam->DistanceSpeed);
    EXPECT_FLOAT_EQ(4.0f, cam->DistanceAccel);
    EXPECT_FLOAT_EQ(2.0f, cam->DistanceDeccel);
    EXPECT_FLOAT_EQ(0.7f, cam->FadeTime);
    EXPECT_FLOAT_EQ(-1.4f, cam->MinAx);
    EXPECT_FLOAT_EQ(-0.3f, cam->MaxAx);
    EXPECT_FLOAT_EQ(0.01f, cam->Speed);
}

// A class block that runs into the end of its file answers -2, not 0.
TEST_F(CameraTest, AClassBlockCutByTheEndOfTheFileAnswersMinusTwo)
{
    const std::string path = Write("Cut.txt", "Near: 3.5 Focus: 90 RotationParams: { Speed: 0.5 };");
    FILE* file = fopen(path.c_str(), "r");
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(-2, camera.ScanNativePropertyes(file, nullptr));
    fclose(file);
    EXPECT_FLOAT_EQ(3.5f, camera.zNear);
    EXPECT_NEAR(1.5707964f, camera.fov, 1e-6f);
    EXPECT_FLOAT_EQ(0.5f, camera.Speed);
    EXPECT_EQ(D3DXVECTOR4(0, -100, 80, 1), camera.Pos);  // the camera's own default eye
}

TEST_F(CameraTest, TheTargetIsAShaderParameter)
{
    const uint32_t index = camera.GetParamIndex("At");
    EXPECT_EQ(index, camera.GetParamIndex("Target"));
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(&camera) + index, reinterpret_cast<const uint32_t*>(&camera.target));
    EXPECT_EQ(camera.CAtom::GetParamIndex("Pos"), camera.GetParamIndex("Pos"));
}

TEST_F(CameraTest, TheMainCameraSetsTheViewEveryFrame)
{
    ASSERT_EQ(0, StartAndProcess(Write("Cam.txt", "Units: { Camera { pos: [ 0 30 -40 ] }; };")));
    ASSERT_EQ(0, gIEngine->Process());
    EXPECT_EQ(&gCameraView, gGraphics.camera);
    EXPECT_EQ(D3DXVECTOR4(0, 30, -40, 1), gCameraView.eye);
    EXPECT_FLOAT_EQ(2.0f, gCameraView.aspect);
    EXPECT_FLOAT_EQ(2.0f, gCameraView.zNear);
    const CCamera* cam = gIUnitInspector->GetCamera();
    EXPECT_NEAR(0.6f, cam->Dir.y * -1.0f, 1e-5f);
    EXPECT_NEAR(0.8f, cam->Dir.z, 1e-5f);
    EXPECT_NEAR(gCameraView.angles.x, cam->Orient.x, 1e-6f);
}

// A minimised window has no height: the last aspect stays. An eye on its target has no
// direction: the last one stays.
TEST_F(CameraTest, ADegenerateViewKeepsTheLastAspectAndDirection)
{
    Place(D3DXVECTOR4(0, 0, -10, 1), D3DXVECTOR4(0, 0, 0, 1));
    camera.DoIdle();
    EXPECT_FLOAT_EQ(2.0f, camera.aspect);
    gEngine->SetViewRect(0, 0, 800, 0);
    camera.Pos = camera.target;
    camera.DoIdle();
    EXPECT_FLOAT_EQ(2.0f, camera.aspect);
    EXPECT_FLOAT_EQ(2.0f, gCameraView.aspect);
    EXPECT_EQ(D3DXVECTOR4(0, 0, 1, 0), camera.Dir);
    EXPECT_EQ(D3DXVECTOR4(0, 0, 1, 0), camera.GetDirection());
    EXPECT_FALSE(std::isnan(gCameraView.angles.x));
}

TEST_F(CameraTest, ZoomAcceleratesToItsCapThenBrakesToExactlyZero)
{
    Place(D3DXVECTOR4(0, 100, -100, 1), D3DXVECTOR4(0, 0, 0, 1));
    const float start = camera.GetDistance();
    camera.zoomDirection = 1.0f;
    camera.zoomTime = camera.FadeTime;
    camera.motionFlags = CAM_ZOOM;
    const float rising[] = {0.25f, 0.5f, 0.75f, 0.8f, 0.8f};
    for (float speed : rising) {
        camera.UpdateMotion();
        EXPECT_FLOAT_EQ(speed, camera.zoomSpeed);
    }
    EXPECT_GT(camera.GetDistance(), start);
    camera.motionFlags = 0;
    int glide = 0;
    for (; camera.zoomDirection != 0.0f && glide < 20; ++glide) {
        EXPECT_FLOAT_EQ(0.8f, camera.zoomSpeed);
        camera.UpdateMotion();
    }
    EXPECT_GE(glide, 6);  // the zoom time of 0.3 s
    EXPECT_NEAR(0.65f, camera.zoomSpeed, 1e-5f);
    for (int i = 0; i < 4; ++i) camera.UpdateMotion();
    EXPECT_NEAR(0.05f, camera.zoomSpeed, 1e-5f);
    camera.UpdateMotion();
    EXPECT_EQ(0.0f, camera.zoomSpeed);
    const float stopped = camera.GetDistance();
    camera.UpdateMotion();
    EXPECT_EQ(stopped, camera.GetDistance());
}

TEST_F(CameraTest, ZoomingInStopsAtTheMinimumDistanceWithSpeedZero)
{
    Place(D3DXVECTOR4(0, 0, -20, 1), D3DXVECTOR4(0, 0, 0, 1));
    camera.zoomDirection = -1.0f;
    camera.zoomSpeed = -0.8f;
    camera.zoomTime = 0.3f;
    camera.motionFlags = CAM_ZOOM;
    int frames = 0;
    while (camera.zoomSpeed != 0.0f && frames < 100) {
        camera.UpdateMotion();
        ++frames;
    }
    EXPECT_LT(frames, 100);
    EXPECT_NEAR(10.0f, camera.GetDistance(), 1e-4f);
    EXPECT_NEAR(-10.0f, camera.Pos.z, 1e-4f);
}

TEST_F(CameraTest, MouseMotionPitchesWithinTheLimits)
{
    PlaceAtPitch(-0.2f, 100.0f);
    ASSERT_NEAR(-0.2f, gCameraView.angles.x, 1e-5f);
    camera.motionFlags = CAM_ROTATING;
    camera.rotationStart[0] = gInput.mouseX = 300;
    camera.rotationStart[1] = 100;
    gInput.mouseY = 200;
    camera.UpdateMotion();
    EXPECT_NEAR(-0.5f, gCameraView.angles.x, 1e-5f);
    EXPECT_NEAR(-0.5f, camera.Orient.x, 1e-5f);
    EXPECT_NEAR(100.0f * std::sin(0.5f), camera.Pos.y, 1e-3f);
    EXPECT_EQ(200, camera.rotationStart[1]);
    gInput.mouseY = 700;
    camera.UpdateMotion();
    EXPECT_NEAR(-1.5f, gCameraView.angles.x, 1e-5f);
    EXPECT_NEAR(100.0f, camera.GetDistance(), 1e-3f);
}

TEST_F(CameraTest, MouseMotionAcrossTurnsTheYaw)
{
    PlaceAtPitch(-0.5f, 100.0f);
    camera.motionFlags = CAM_ROTATING;
    camera.rotationStart[0] = 100;
    camera.rotationStart[1] = gInput.mouseY = 100;
    gInput.mouseX = 200;
    camera.UpdateMotion();
    EXPECT_NEAR(0.3f, gCameraView.angles.y, 1e-5f);
    EXPECT_NEAR(-std::sin(0.3f) * std::cos(0.5f) * 100.0f, camera.Pos.x, 1e-3f);
    EXPECT_EQ(200, camera.rotationStart[0]);
}

TEST_F(CameraTest, APanGlidesOnWithItsLastStepForTheGlideTimeThenStops)
{
    gFrameTimer.step = 0.04f;
    Place(D3DXVECTOR4(0, 100, -100, 1), D3DXVECTOR4(0, 0, 0, 1));
    const float k = camera.GetDistance() * PAN_DISTANCE_FACTOR;
    camera.motionFlags = CAM_PAN;
    camera.panStart[0] = 100;
    camera.panStart[1] = gInput.mouseY = 100;
    gInput.mouseX = 90;
    camera.UpdateMotion();
    EXPECT_NEAR(10.0f * k, camera.target.x, 1e-5f);
    EXPECT_NEAR(10.0f * k, camera.Pos.x, 1e-5f);
    EXPECT_EQ(90, camera.panStart[0]);

    camera.motionFlags = 0;
    camera.panTime = camera.panGlideTime;
    camera.UpdateMotion();
    camera.UpdateMotion();
    EXPECT_NEAR(30.0f * k, camera.target.x, 1e-5f);
    camera.UpdateMotion();
    EXPECT_NEAR(30.0f * k, camera.target.x, 1e-5f);
    EXPECT_EQ(0.0f, camera.panTime);
    EXPECT_EQ(0.0f, camera.panStep[0]);
}

TEST_F(CameraTest, ACameraDrivenByASmoothMoverIgnoresTheMouse)
{
    Place(D3DXVECTOR4(0, 100, -100, 1), D3DXVECTOR4(0, 0, 0, 1));
    ASSERT_NE(nullptr, camera.StartSmoothMover(&camera.target, D3DXVECTOR4(50, 0, 0, 1), 1.0f, 0.0f, nullptr));
    ASSERT_TRUE(camera.UnderProgramControl());
    camera.zoomDirection = 1.0f;
    camera.zoomTime = 0.3f;
    camera.motionFlags = CAM_ROTATING | CAM_PAN;
    gInput.mouseX = 400;
    gInput.mouseY = 400;
    camera.UpdateMotion();
    EXPECT_EQ(D3DXVECTOR4(0, 100, -100, 1), camera.Pos);
    EXPECT_EQ(0.0f, camera.zoomSpeed);
    camera.StopSmoothMovers();
}

class ShadowCameraTest : public CameraTest {
protected:
    CShadowCamera shadow;
    CCamera main;
};

TEST_F(ShadowCameraTest, DistancingMapsTheMainCameraDistanceOntoItsOwnRange)
{
    shadow.shadowFlags = SHADOW_CAMERA_DISTANCING;
    shadow.CameraDistance[0] = 100.0f;
    shadow.CameraDistance[1] = 200.0f;
    shadow.ShadowCameraDistance[0] = 50.0f;
    shadow.ShadowCameraDistance[1] = 150.0f;
    shadow.Pos = D3DXVECTOR4(300, 300, 0, 1);
    shadow.target = D3DXVECTOR4(0, 0, 0, 1);
    main.Pos = D3DXVECTOR4(0, 0, -150, 1);
    main.target = D3DXVECTOR4(0, 0, 0, 1);
    shadow.FollowCamera(main, 0.0f);
    EXPECT_NEAR(100.0f, shadow.GetDistance(), 1e-3f);
    EXPECT_NEAR(shadow.Pos.x, shadow.Pos.y, 1e-3f);  // along the same direction

    main.Pos.z = -400.0f;
    shadow.FollowCamera(main, 0.0f);
    EXPECT_NEAR(150.0f, shadow.GetDistance(), 1e-3f);

    // A target above the sea seen from above counts its height too.
    main.Pos = D3DXVECTOR4(0, 80, -80, 1);
    main.target = D3DXVECTOR4(0, 20, 0, 1);
    shadow.FollowCamera(main, 0.0f);
    EXPECT_NEAR(70.0f, shadow.GetDistance(), 1e-3f);
    // Seen from below the height does not count.
    main.Pos = D3DXVECTOR4(0, -40, -80, 1);
    shadow.FollowCamera(main, 0.0f);
    EXPECT_NEAR(50.0f, shadow.GetDistance(), 1e-3f);
}

TEST_F(ShadowCameraTest, AnEmptyDistanceRangeIsAStepAtItsDistance)
{
    shadow.shadowFlags = SHADOW_CAMERA_DISTANCING;
    shadow.CameraDistance[0] = shadow.CameraDistance[1] = 150.0f;
    shadow.ShadowCameraDistance[0] = 50.0f;
    shadow.ShadowCameraDistance[1] = 150.0f;
    shadow.Pos = D3DXVECTOR4(0, 100, 0, 1);
    main.Pos = D3DXVECTOR4(0, 0, -149, 1);
    shadow.FollowCamera(main, 0.0f);
    EXPECT_NEAR(50.0f, shadow.GetDistance(), 1e-3f);
    main.Pos.z = -150.0f;
    shadow.FollowCamera(main, 0.0f);
    EXPECT_NEAR(150.0f, shadow.GetDistance(), 1e-3f);
    EXPECT_FALSE(std::isnan(shadow.Pos.y));
}

TEST_F(ShadowCameraTest, AttachedItKeepsItsOffsetOverTheMainTarget)
{
    shadow.shadowFlags = SHADOW_ATTACH_TO_CAMERA;
    shadow.Pos = D3DXVECTOR4(10, 100, 20, 1);
    shadow.target = D3DXVECTOR4(0, 0, 0, 1);
    main.target = D3DXVECTOR4(40, 7, -30, 1);
    shadow.FollowCamera(main, 0.0f);
    EXPECT_EQ(D3DXVECTOR4(40, 0, -30, 1), shadow.target);
    EXPECT_EQ(D3DXVECTOR4(50, 100, -10, 1), shadow.Pos);
}

TEST_F(ShadowCameraTest, ItsClassReadsShadowKeysAndItFollowsTheMainCameraEachFrame)
{
    const std::string script = Write("Shadow.txt", "SHADOW_CAMERA Sun : Camera {\n"
                                                   "  SysControls: [ EnableIdle ]\n"
                                                   "  ShadowDepthBuffer: NoDepth\n"
                                                   "  ShadowClearColor: 0xFF102030 ShadowFillColor: 0x80000000\n"
                                                   "  AttachToCamera\n"
                                                   "  CameraDistancing: [ CameraDistance: [ 100 200 ]\n"
                                                   "                      ShadowCameraDistance: [ 50 150 ] ]\n"
                                                   "};\n");
    ASSERT_EQ(0, gIParser->LoadScript(script.c_str()));
    EXPECT_EQ((std::vector<std::string>{"CClassTemplate::ScanShadowReceiver. Not depth buffer 'NoDepth'."}),
              messages.Texts());
    messages.Clear();
    const std::string path = Write("Sun.txt", "Units: { Camera { pos: [ 0 0 -150 ] at: [ 0 0 0 ] };\n"
                                              "Sun { pos: [ 0 200 -200 ] at: [ 0 0 0 ] }; };");
    ASSERT_EQ(0, StartAndProcess(path));
    EXPECT_TRUE(Problems().empty()) << messages.Joined();
    std::vector<CAtom*> suns;
    gIUnitInspector->CollectUnitsOfClass(suns, "Sun");
    ASSERT_EQ(1u, suns.size());
    CShadowCamera* sun = dynamic_cast<CShadowCamera*>(suns[0]);
    ASSERT_NE(nullptr, sun);
    EXPECT_EQ(0xFF102030u, sun->clearColor);
    EXPECT_EQ(0x80000000u, sun->fillColor);
    EXPECT_EQ(uint16_t(SHADOW_ATTACH_TO_CAMERA | SHADOW_CAMERA_DISTANCING), sun->shadowFlags);
    EXPECT_NEAR(100.0f, sun->GetDistance(), 1e-3f);
    EXPECT_NE(static_cast<CAtom*>(sun), static_cast<CAtom*>(gIUnitInspector->GetCamera()));
}

} // namespace
} // namespace missiontest
