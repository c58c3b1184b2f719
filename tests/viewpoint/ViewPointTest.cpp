// The view point's orbit, pitch, zoom and pan, and the camera matrices, picking ray and
// frustum built from it, checked against D3DX's own matrices. No device is needed.

#include "core/CameraMath.h"
#include "core/Graphics.h"
#include "core/ViewPoint.h"
#include "core/VecMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float PI = 3.14159265f;

D3DXVECTOR3 V3(const D3DXVECTOR4& v)
{
    return D3DXVECTOR3(v.x, v.y, v.z);
}

CViewPoint Looking(const D3DXVECTOR3& eye, const D3DXVECTOR3& target)
{
    CViewPoint vp;
    vp.SetEyeTarget(&eye, &target, 0.785f, 4.0f / 3.0f, 1.0f, 500.0f, nullptr);
    return vp;
}

// Signed distance of a point from a plane (the toolchain's D3DXPlaneDotCoord takes a
// 4-vector).
float Side(const D3DXPLANE& p, const D3DXVECTOR3& v)
{
    return p.a * v.x + p.b * v.y + p.c * v.z + p.d;
}

float HorizontalDistance(const CViewPoint& vp)
{
    return std::hypot(vp.target.x - vp.eye.x, vp.target.z - vp.eye.z);
}

TEST(ViewPoint, DefaultsAndAnglesOfADirection)
{
    CViewPoint vp;
    EXPECT_FLOAT_EQ(3.0f, vp.zNear);
    EXPECT_FLOAT_EQ(2000.0f, vp.zFar);
    EXPECT_FLOAT_EQ(0.785f, vp.fov);
    EXPECT_FLOAT_EQ(1.0f, vp.aspect);
    EXPECT_FLOAT_EQ(1.0f, vp.up.y);

    // Looking up and to +x/+z: positive pitch, yaw atan2(dx, dz).
    CViewPoint up = Looking({0, 0, 0}, {3, 4, 3});
    EXPECT_NEAR(std::asin(4 / std::sqrt(34.0f)), up.angles.x, 1e-5);
    EXPECT_NEAR(PI / 4, up.angles.y, 1e-5);
    // Negative atan2 results wrap into [0, 2pi).
    CViewPoint back = Looking({0, 0, 0}, {-1, 0, -1});
    EXPECT_NEAR(PI * 1.25f, back.angles.y, 1e-5);
}

TEST(ViewPoint, ViewAlongXGetsQuarterTurns)
{
    EXPECT_FLOAT_EQ(1.5707964f, Looking({0, 0, 5}, {10, 2, 5}).angles.y);
    EXPECT_FLOAT_EQ(4.712389f, Looking({10, 0, 5}, {0, 2, 5}).angles.y);
}

TEST(ViewPoint, UpdateAnglesGivesTheOppositePitch)
{
    CViewPoint vp = Looking({0, 0, 0}, {0, 5, 10});
    float pitch = vp.angles.x;
    EXPECT_GT(pitch, 0);
    vp.UpdateAngles();
    EXPECT_NEAR(-pitch, vp.angles.x, 1e-5);
}

TEST(ViewPoint, EyeOnTargetKeepsAnglesAndDoesNotMove)
{
    CViewPoint vp = Looking({0, 0, -10}, {0, 0, 0});
    vp.RotateYaw(0.5f);
    D3DXVECTOR4 angles = vp.angles;
    D3DXVECTOR3 same(1, 2, 3);
    vp.SetEyeTarget(&same, &same, 0.785f, 1.0f, 1.0f, 100.0f, nullptr);
    EXPECT_EQ(angles, vp.angles);
    vp.UpdateAngles();
    EXPECT_EQ(angles, vp.angles);
    EXPECT_EQ(0, vp.Zoom(5.0f, 2.0f, 50.0f));
    EXPECT_EQ(same, V3(vp.eye));
    D3DXVECTOR3 dir;
    vp.GetDirToEye(&dir);
    EXPECT_EQ(D3DXVECTOR3(0, 0, 0), dir);
    vp.RotatePitch(0.3f);
    EXPECT_FALSE(std::isnan(vp.eye.x) || std::isnan(vp.eye.y) || std::isnan(vp.eye.z));
}

TEST(ViewPoint, TinyYawStepChangesNothing)
{
    CViewPoint vp = Looking({3, 4, -10}, {1, 0, 2});
    CViewPoint before = vp;
    vp.RotateYaw(0.0005f);
    vp.RotateYaw(-0.0005f);
    EXPECT_EQ(before.eye, vp.eye);
    EXPECT_EQ(before.angles, vp.angles);
}

TEST(ViewPoint, RotateYawOrbitsAtTheSameHorizontalDistance)
{
    CViewPoint vp = Looking({3, 4, -10}, {1, 0, 2});
    float r = HorizontalDistance(vp);
    float y = vp.eye.y;
    for (int i = 0; i < 10; ++i) {
        vp.RotateYaw(0.9f);
        EXPECT_NEAR(r, HorizontalDistance(vp), 1e-3);
        EXPECT_FLOAT_EQ(y, vp.eye.y);
        EXPECT_GE(vp.angles.y, 0.0f);
        EXPECT_LT(vp.angles.y, 2 * PI);
    }
    // The stored yaw still describes where the eye is.
    float yaw = vp.angles.y;
    vp.ComputeAngles();
    EXPECT_NEAR(yaw, vp.angles.y, 1e-3);
}

TEST(ViewPoint, RotatePitchClampsAndKeepsTheDistance)
{
    CViewPoint vp = Looking({0, 0, -10}, {0, 0, 0});
    float dist = vp.GetDistance();
    vp.RotatePitch(2.0f);
    EXPECT_FLOAT_EQ(1.57f, vp.angles.x);
    EXPECT_NEAR(dist, vp.GetDistance(), 1e-3);
    // Almost straight below the target.
    EXPECT_NEAR(-dist, vp.eye.y - vp.target.y, 1e-3);
    EXPECT_LT(HorizontalDistance(vp), 0.01f);
    vp.RotatePitch(-3.0f);
    EXPECT_FLOAT_EQ(-1.57f, vp.angles.x);
    EXPECT_NEAR(dist, vp.eye.y - vp.target.y, 1e-3);
}

TEST(ViewPoint, ZoomStopsExactlyAtTheLimits)
{
    CViewPoint vp = Looking({0, 0, -10}, {0, 0, 0});
    EXPECT_EQ(0, vp.Zoom(-2.0f, 5.0f, 20.0f));
    EXPECT_NEAR(8.0f, vp.GetDistance(), 1e-5);
    EXPECT_EQ(1, vp.Zoom(-4.0f, 5.0f, 20.0f));
    EXPECT_FLOAT_EQ(5.0f, vp.GetDistance());
    EXPECT_EQ(2, vp.Zoom(100.0f, 5.0f, 20.0f));
    EXPECT_FLOAT_EQ(20.0f, vp.GetDistance());
    EXPECT_LT(vp.eye.z, vp.target.z);
}

TEST(ViewPoint, ZoomPastTheTargetStaysOnTheSameSide)
{
    CViewPoint vp = Looking({0, 0, -10}, {0, 0, 0});
    EXPECT_EQ(1, vp.Zoom(-15.0f, 2.0f, 50.0f));
    EXPECT_FLOAT_EQ(-2.0f, vp.eye.z);
}

TEST(ViewPoint, PanningAcrossIsPerpendicularToAlong)
{
    CViewPoint vp = Looking({2, 5, -7}, {-3, 1, 4});
    CViewPoint across = vp, along = vp;
    across.MoveAcross(3.0f);
    along.MoveAlong(3.0f);
    D3DXVECTOR3 a = V3(across.eye) - V3(vp.eye), b = V3(along.eye) - V3(vp.eye);
    EXPECT_NEAR(0.0f, D3DXVec3Dot(&a, &b), 1e-4);
    EXPECT_NEAR(3.0f, D3DXVec3Length(&a), 1e-4);
    EXPECT_FLOAT_EQ(0.0f, a.y);
    // Along moves toward the target's side in the horizontal plane; the offset is kept.
    D3DXVECTOR3 d = V3(vp.target) - V3(vp.eye);
    EXPECT_GT(b.x * d.x + b.z * d.z, 0);
    EXPECT_EQ(V3(vp.target) - V3(vp.eye), V3(along.target) - V3(along.eye));
}

TEST(ViewPoint, DirectionsAndTargetFromAngles)
{
    CViewPoint vp = Looking({1, 2, 3}, {4, 6, 3});
    D3DXVECTOR3 toEye, toTarget;
    vp.GetDirToEye(&toEye);
    vp.GetDirToTarget(&toTarget);
    EXPECT_NEAR(-0.6f, toEye.x, 1e-5);
    EXPECT_NEAR(0.8f, toTarget.y, 1e-5);
    // Same distance, another direction: the angles put the target back.
    vp.target = vp.eye + D3DXVECTOR4(0, 5, 0, 0);
    vp.ComputeTarget();
    EXPECT_NEAR(4.0f, vp.target.x, 1e-4);
    EXPECT_NEAR(6.0f, vp.target.y, 1e-4);
    EXPECT_NEAR(3.0f, vp.target.z, 1e-4);
}

TEST(CameraMath, PerspectiveFovXYMatchesHandValuesAndD3DX)
{
    const float fx = 1.2f, fy = 0.9f, zn = 2.0f, zf = 300.0f;
    D3DXMATRIX m;
    MakePerspectiveFovXY(&m, fx, fy, zn, zf);
    EXPECT_FLOAT_EQ(1 / std::tan(0.6f), m._11);
    EXPECT_FLOAT_EQ(1 / std::tan(0.45f), m._22);
    EXPECT_FLOAT_EQ(zf / (zf - zn), m._33);
    EXPECT_FLOAT_EQ(1.0f, m._34);
    EXPECT_FLOAT_EQ(-zn * zf / (zf - zn), m._43);
    EXPECT_FLOAT_EQ(0.0f, m._44);
    EXPECT_FLOAT_EQ(0.0f, m._12);

    D3DXMATRIX d3dx;
    D3DXMatrixPerspectiveFovLH(&d3dx, fy, std::tan(fx / 2) / std::tan(fy / 2), zn, zf);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(d3dx(r, c), m(r, c), 1e-4) << r << "," << c;
}

TEST(CameraMath, YawMatrixRotatesThenPlaces)
{
    D3DXMATRIX byVector4, byVector3;
    MatrixRotYPos(&byVector4, D3DXVECTOR4(5, 6, 7, 1), PI / 2);
    MakeYawMatrix(&byVector3, D3DXVECTOR3(5, 6, 7), PI / 2);
    for (const D3DXMATRIX* m : {&byVector4, &byVector3}) {
        D3DXVECTOR3 x(1, 0, 0), out;
        D3DXVec3TransformCoord(&out, &x, m);
        EXPECT_NEAR(5.0f, out.x, 1e-5);
        EXPECT_NEAR(6.0f, out.y, 1e-5);
        EXPECT_NEAR(6.0f, out.z, 1e-5);  // +x turns to -z about Y
    }
}

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(nullptr, Device3D);
        gGraphics.viewport = {20, 10, 800, 600, 0, 1};
        cam = Looking({10, 5, -20}, {0, 1, 0});
        gGraphics.SetCamera(&cam);
    }
    CViewPoint cam;
};

TEST_F(CameraTest, MatricesAreD3DXsAndTheTargetIsKept)
{
    D3DXMATRIX view, proj;
    D3DXVECTOR3 eye(10, 5, -20), at(0, 1, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.785f, 4.0f / 3.0f, 1.0f, 500.0f);
    EXPECT_EQ(view, gGraphics.view);
    EXPECT_EQ(proj, gGraphics.projection);
    EXPECT_EQ(&cam, gGraphics.camera);
    D3DXMATRIX identity;
    D3DXMatrixMultiply(&identity, &gGraphics.view, &gGraphics.inverseView);
    EXPECT_NEAR(1.0f, identity._11, 1e-5);
    EXPECT_NEAR(0.0f, identity._41, 1e-4);
    EXPECT_NEAR(0.0f, cam.target.x, 1e-4);
    EXPECT_NEAR(1.0f, cam.target.y, 1e-4);
    EXPECT_NEAR(0.0f, cam.target.z, 1e-4);
}

TEST_F(CameraTest, PickRayThroughTheCentreIsTheViewDirection)
{
    D3DXVECTOR3 origin, dir, forward;
    gGraphics.GetPickRay(&origin, &dir, 20 + 400, 10 + 300);
    cam.GetDirToTarget(&forward);
    EXPECT_EQ(V3(cam.eye), origin);
    EXPECT_NEAR(forward.x, dir.x, 1e-4);
    EXPECT_NEAR(forward.y, dir.y, 1e-4);
    EXPECT_NEAR(forward.z, dir.z, 1e-4);
}

TEST_F(CameraTest, PickRayProjectsBackToItsPixel)
{
    const int pixels[][2] = {{20, 10}, {819, 609}, {100, 500}, {700, 50}};
    for (const auto& p : pixels) {
        D3DXVECTOR3 origin, dir, onRay, screen;
        gGraphics.GetPickRay(&origin, &dir, p[0], p[1]);
        EXPECT_NEAR(1.0f, D3DXVec3Length(&dir), 1e-5);
        onRay = origin + dir * 50.0f;
        D3DXMATRIX world;
        D3DXMatrixIdentity(&world);
        D3DXVec3Project(&screen, &onRay, &gGraphics.viewport, &gGraphics.projection,
                        &gGraphics.view, &world);
        EXPECT_NEAR(float(p[0]), screen.x, 0.01f);
        EXPECT_NEAR(float(p[1]), screen.y, 0.01f);
    }
}

TEST_F(CameraTest, FrustumPlanesFaceInward)
{
    const SFrustum& f = gGraphics.frustum;
    D3DXVECTOR3 forward;
    cam.GetDirToTarget(&forward);
    D3DXVECTOR3 eye = V3(cam.eye);
    D3DXVECTOR3 inside = eye + forward * 100.0f;
    for (const D3DXPLANE& p : f.planes)
        EXPECT_GT(Side(p, inside), 0.0f);
    D3DXVECTOR3 behind = eye - forward * 5.0f;
    EXPECT_LT(Side(f.planes[FRUSTUM_NEAR], behind), 0.0f);
    D3DXVECTOR3 tooFar = eye + forward * 600.0f;
    EXPECT_LT(Side(f.planes[FRUSTUM_FAR], tooFar), 0.0f);
    // Far to the camera's right: outside the right plane only.
    D3DXVECTOR3 right(gGraphics.inverseView._11, gGraphics.inverseView._12,
                      gGraphics.inverseView._13);
    D3DXVECTOR3 aside = inside + right * 500.0f;
    EXPECT_LT(Side(f.planes[FRUSTUM_RIGHT], aside), 0.0f);
    EXPECT_GT(Side(f.planes[FRUSTUM_LEFT], aside), 0.0f);
    // Corners lie on their planes; edges are corner pairs.
    EXPECT_NEAR(0.0f, Side(f.planes[FRUSTUM_NEAR], f.corners[3]), 1e-3);
    EXPECT_EQ(f.corners[4], f.edges[0]);
    EXPECT_EQ(f.corners[7], f.edges[23]);
}

TEST_F(CameraTest, TwoAngleCameraUsesItsAnglesAndTheOppositePitch)
{
    cam.fovX = 1.0f;
    cam.fovY = 0.5f;
    gGraphics.SetCameraFovXY(&cam);
    D3DXMATRIX expected;
    MakePerspectiveFovXY(&expected, 1.0f, 0.5f, 1.0f, 500.0f);
    EXPECT_EQ(expected, gGraphics.projection);
    // Looking down from y 5 to y 1: UpdateAngles reports a positive pitch.
    EXPECT_GT(cam.angles.x, 0.0f);
}

} // namespace
