// Angles, turning, aiming and the bone-palette products against known values, and the
// random numbers against their ranges.

#include "core/Random.h"
#include "core/VecMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>

namespace {

float Wrapped(float angle)
{
    WrapAngle(&angle);
    return angle;
}

TEST(Angles, WrapTakesOneStepOnly)
{
    EXPECT_NEAR(-0.7168147f, Wrapped(-7.0f), 1e-5f);
    EXPECT_EQ(0.0f, Wrapped(TWO_PI));
    EXPECT_NEAR(0.5f, Wrapped(0.5f - TWO_PI), 1e-6f);
    EXPECT_NEAR(13.0f - TWO_PI, Wrapped(13.0f), 1e-5f);
    EXPECT_EQ(3.0f, Wrapped(3.0f));
}

TEST(Angles, RoundingTiesGoToEven)
{
    EXPECT_EQ(2, RoundToInt(2.5f));
    EXPECT_EQ(4, RoundToInt(3.5f));
    EXPECT_EQ(-2, RoundToInt(-2.5f));
    EXPECT_EQ(3, RoundToInt(2.6f));
}

TEST(Angles, DirectionsAndAnglesAreInverse)
{
    D3DXVECTOR4 dir;
    DirFromAngles(&dir, D3DXVECTOR4(0, 0, 0, 0));
    EXPECT_EQ(D3DXVECTOR4(0, 0, 1, 0), dir);
    DirFromAnglesLen(&dir, 0.0f, PI_F / 2);  // yaw a quarter turn: along +x
    EXPECT_NEAR(1.0f, dir.x, 1e-6f);
    EXPECT_NEAR(0.0f, dir.z, 1e-6f);
    DirFromAnglesLen(&dir, PI_F / 2, 1.0f);  // straight up whatever the yaw
    EXPECT_NEAR(1.0f, dir.y, 1e-6f);

    const D3DXVECTOR4 angles(-0.4f, 5.0f, 0.0f, 0.0f);
    DirFromAngles(&dir, angles);
    EXPECT_NEAR(1.0f, D3DXVec4Length(&dir), 1e-6f);
    D3DXVECTOR4 back(0, 0, 0, 0);
    AnglesFromDir(&back, dir);
    EXPECT_NEAR(-0.4f, back.x, 1e-5f);
    EXPECT_NEAR(5.0f, back.y, 1e-5f);  // atan2 gives 5 - 2pi, wrapped back
}

TEST(Angles, HeadingsOfTwoComponentVectorsArePositive)
{
    EXPECT_NEAR(0.0f, HeadingAngle(D3DXVECTOR4(0, 1, 0, 0)), 1e-6f);
    EXPECT_NEAR(PI_F / 2, HeadingAngle(D3DXVECTOR4(1, 0, 0, 0)), 1e-6f);
    EXPECT_NEAR(1.5f * PI_F, HeadingAngle(D3DXVECTOR4(-1, 0, 0, 0)), 1e-6f);
    EXPECT_NEAR(1.5f * PI_F, HeadingAngleBetween(D3DXVECTOR4(3, 1, 9, 0), D3DXVECTOR4(2, 1, -9, 0)), 1e-6f);
}

TEST(Vectors, FlatDistancesAndDirectionsIgnoreHeight)
{
    const D3DXVECTOR4 a(1, 100, 1, 1), b(4, -7, 5, 1);
    EXPECT_FLOAT_EQ(5.0f, DistanceXZ(a, b));
    EXPECT_FLOAT_EQ(25.0f, DistanceSqXZ(D3DXVECTOR3(1, 0, 1), D3DXVECTOR3(4, 9, 5)));

    D3DXVECTOR4 v(3, 7, 4, 1);
    NormalizeXZ(&v);
    EXPECT_EQ(D3DXVECTOR4(0.6f, 7, 0.8f, 1), v);
    D3DXVECTOR4 out(9, 9, 9, 9);
    NormalizeXZTo(&out, D3DXVECTOR4(0, 1, -2, 0));
    EXPECT_EQ(D3DXVECTOR4(0, 9, -1, 9), out);
    D3DXVECTOR4 s(6, 2, 8, 0.5f);
    SetDirXZ(&s, 10.0f, -1.0f);
    EXPECT_EQ(D3DXVECTOR4(6, -1, 8, 5), s);

    D3DXVECTOR4 d;
    NormalizedDifference(&d, D3DXVECTOR4(1, 1, 1, 1), D3DXVECTOR4(1, 1, 3, 1));
    EXPECT_EQ(D3DXVECTOR4(0, 0, 1, 0), d);
}

TEST(Vectors, ClampsAndProducts)
{
    float x = -0.5f;
    Clamp01(&x);
    EXPECT_EQ(0.0f, x);
    x = 1.5f;
    Clamp01(&x);
    EXPECT_EQ(1.0f, x);
    int i = 12;
    ClampInt(&i, -3, 7);
    EXPECT_EQ(7, i);
    i = -4;
    ClampInt(&i, -3, 7);
    EXPECT_EQ(-3, i);
    EXPECT_FLOAT_EQ(32.0f, Dot3(D3DXVECTOR4(1, 2, 3, 100), D3DXVECTOR4(4, 5, 6, 100)));
    EXPECT_FLOAT_EQ(14.0f, DotXY(D3DXVECTOR4(1, 2, 3, 100), D3DXVECTOR4(4, 5, 6, 100)));
    D3DXVECTOR4 m(1, 2, 3, 4);
    Vec3Mul(&m, D3DXVECTOR4(2, 3, 4, 5));
    EXPECT_EQ(D3DXVECTOR4(2, 6, 12, 20), m);
}

TEST(Vectors, ProjectionsSidesLeadsAndSteps)
{
    EXPECT_FLOAT_EQ(30.0f, Vec4Sqr(D3DXVECTOR4(1, -2, 3, 4)));
    D3DXVECTOR4 out;
    ProjectPointOnLine(&out, D3DXVECTOR4(3, 5, 0, 1), D3DXVECTOR4(1, 1, 0, 1), D3DXVECTOR4(5, 1, 0, 1));
    EXPECT_EQ(D3DXVECTOR4(3, 1, 0, 1), out);
    ProjectPointOnLine(&out, D3DXVECTOR4(3, 5, 0, 1), D3DXVECTOR4(1, 1, 0, 1), D3DXVECTOR4(1, 1, 0, 1));
    EXPECT_EQ(D3DXVECTOR4(1, 1, 0, 1), out);  // no line: its one point

    const D3DXVECTOR4 origin(1, 0, 1, 1);
    EXPECT_EQ(POINT_IN_FRONT, SideOfHeading(origin, 0.0f, D3DXVECTOR4(1, 9, 4, 1)));
    EXPECT_EQ(POINT_BEHIND, SideOfHeading(origin, 0.0f, D3DXVECTOR4(5, 0, 0, 1)));
    EXPECT_EQ(POINT_IN_FRONT, SideOfHeading(origin, PI_F / 2, D3DXVECTOR4(5, 0, 0, 1)));

    // A target 100 ahead crossing at 10 against a shot of 100: hit about 10 to the side.
    LeadDirection(&out, D3DXVECTOR4(0, 0, 0, 1), D3DXVECTOR4(0, 0, 100, 1), D3DXVECTOR4(10, 0, 0, 0), 100.0f);
    EXPECT_NEAR(std::atan2(10.05f, 100.0f), std::atan2(out.x, out.z), 1e-3f);
    EXPECT_NEAR(1.0f, out.x * out.x + out.z * out.z, 1e-5f);
    LeadDirection(&out, D3DXVECTOR4(0, 0, 0, 1), D3DXVECTOR4(0, 50, 0, 1), D3DXVECTOR4(1, 0, 0, 0), 0.0f);
    EXPECT_EQ(D3DXVECTOR4(0, 0, 0, 0), out);

    D3DXVECTOR4 p(0, 0, 0, 7);
    EXPECT_EQ(1, StepToward(&p, D3DXVECTOR4(3, 0, 4, 1), 2.5f));
    EXPECT_EQ(D3DXVECTOR4(1.5f, 0, 2, 7), p);
    EXPECT_EQ(0, StepToward(&p, D3DXVECTOR4(3, 0, 4, 1), 2.6f));
    EXPECT_EQ(D3DXVECTOR4(3, 0, 4, 7), p);
}

TEST(Turning, TowardAnAngleLandsExactlyOnTheTarget)
{
    float a = 1.0f;
    EXPECT_EQ(1, TurnTowardAngle(&a, 2.0f, 0.3f));
    EXPECT_FLOAT_EQ(1.3f, a);
    EXPECT_EQ(0, TurnTowardAngle(&a, 2.0f, 5.0f));
    EXPECT_EQ(2.0f, a);
    a = 2.005f;  // within the tolerance: nothing moves
    EXPECT_EQ(0, TurnTowardAngle(&a, 2.0f, 0.3f));
    EXPECT_EQ(2.005f, a);
    a = 0.0f;  // no wrapping: the long way down to a negative target
    EXPECT_EQ(1, TurnTowardAngle(&a, -3.0f, 1.0f));
    EXPECT_EQ(-1.0f, a);
    a = 0.0f;
    EXPECT_EQ(1, TurnTowardAtan(&a, 1.0f, 0.0f, 0.5f));  // target pi/2
    EXPECT_EQ(0.5f, a);
}

// Steps toward a heading until it is reached; the angles passed through.
std::vector<float> TurnUntilThere(float start, const D3DXVECTOR4& dir, float step)
{
    std::vector<float> path;
    float a = start;
    for (int i = 0; i < 100 && TurnToward(&a, nullptr, dir, step); ++i)
        path.push_back(a);
    path.push_back(a);
    return path;
}

TEST(Turning, TowardAHeadingTakesTheShorterArcAcrossZero)
{
    D3DXVECTOR4 dir;
    DirFromAnglesLen(&dir, 0.0f, 6.2f);
    // From 0.1 down through 0 to 6.2: 0.1, 0.0, 6.2 in steps of 0.05 (about 0.18 rad).
    std::vector<float> path = TurnUntilThere(0.1f, dir, 0.05f);
    ASSERT_GE(path.size(), 3u);
    EXPECT_NEAR(0.05f, path[0], 1e-6f);
    EXPECT_GT(path[2], 6.0f);  // wrapped below zero
    EXPECT_LE(path.size(), 5u);
    EXPECT_NEAR(6.2f, path.back(), 1e-5f);

    // And up through 2pi from 6.2 to 0.1.
    DirFromAnglesLen(&dir, 0.0f, 0.1f);
    path = TurnUntilThere(6.2f, dir, 0.05f);
    EXPECT_GT(path[0], 6.2f);
    EXPECT_LE(path.size(), 5u);
    EXPECT_NEAR(0.1f, path.back(), 1e-5f);

    // Within the tolerance the angle snaps to the heading.
    float a = 1.005f;
    DirFromAnglesLen(&dir, 0.0f, 1.0f);
    EXPECT_EQ(0, TurnToward(&a, nullptr, dir, 0.5f));
    EXPECT_NEAR(1.0f, a, 1e-6f);
}

TEST(Turning, TowardAPointSeenFromAnother)
{
    float a = 0.0f;  // facing +z; the target lies along +x from the origin point
    const D3DXVECTOR4 from(10, 0, 10, 1), target(20, 5, 10, 1);
    int turns = 0;
    while (TurnToward(&a, &from, target, 0.4f) && turns < 20)
        ++turns;
    EXPECT_EQ(3, turns);  // 0.4, 0.8, 1.2, then pi/2
    EXPECT_NEAR(PI_F / 2, a, 1e-6f);
}

TEST(Turning, ShortestTurnSignAndDistance)
{
    float d = 0;
    EXPECT_EQ(-1, ShortestTurnSign(0.1f, 6.2f, &d));
    EXPECT_NEAR(TWO_PI - 6.1f, d, 1e-5f);
    EXPECT_EQ(1, ShortestTurnSign(6.2f, 0.1f, &d));
    EXPECT_EQ(1, ShortestTurnSign(1.0f, 2.0f, &d));
    EXPECT_FLOAT_EQ(1.0f, d);
    EXPECT_EQ(-1, ShortestTurnSign(2.0f, 1.0f, &d));
    EXPECT_EQ(0, ShortestTurnSign(2.0f, 2.005f, &d));
}

TEST(Turning, AdvanceStopsWhenTheBudgetIsSpent)
{
    float a = 6.0f, remaining = 1.0f;
    EXPECT_EQ(1, AdvanceAngle(&a, 2.0f, 0.25f, &remaining));
    EXPECT_NEAR(6.5f - TWO_PI, a, 1e-5f);
    EXPECT_FLOAT_EQ(0.5f, remaining);
    EXPECT_EQ(1, AdvanceAngle(&a, -2.0f, 0.25f, &remaining));
    EXPECT_FLOAT_EQ(0.0f, remaining);
    const float before = a;
    EXPECT_EQ(0, AdvanceAngle(&a, 2.0f, 0.25f, &remaining));
    EXPECT_EQ(before, a);
}

// The shot's height when it has flown the distance, from the elevation given.
float HeightAtDistance(float elevation, float distance, float speed)
{
    const float t = distance / (speed * std::cos(elevation));
    return speed * std::sin(elevation) * t - GRAVITY / 2 * t * t;
}

TEST(Aiming, TheElevationReachesTheTarget)
{
    const float level = BallisticElevation(0.0f, 5.0f, 10.0f);
    EXPECT_NEAR(0.5f * std::asin(GRAVITY * 5.0f / 100.0f), level, 1e-4f);  // the flat arc
    EXPECT_NEAR(0.0f, HeightAtDistance(level, 5.0f, 10.0f), 1e-3f);

    const float up = BallisticElevation(3.0f, 8.0f, 15.0f);
    EXPECT_GT(up, 0.0f);
    EXPECT_NEAR(3.0f, HeightAtDistance(up, 8.0f, 15.0f), 1e-2f);

    const float down = BallisticElevation(-10.0f, 1.0f, 1.0f);  // a drop: aimed downward
    EXPECT_LT(down, 0.0f);
    EXPECT_NEAR(-10.0f, HeightAtDistance(down, 1.0f, 1.0f), 2e-2f);

    EXPECT_EQ(OUT_OF_REACH, BallisticElevation(0.0f, 10.0f, 5.0f));
}

TEST(Matrices, RotationsPlacedAtAPosition)
{
    D3DXMATRIX m;
    MatrixRotYPos(&m, D3DXVECTOR4(5, 6, 7, 1), PI_F / 2);
    D3DXVECTOR3 out, x(1, 0, 0);
    D3DXVec3TransformCoord(&out, &x, &m);
    EXPECT_NEAR(5.0f, out.x, 1e-5f);
    EXPECT_NEAR(6.0f, out.z, 1e-5f);  // +x turns to -z about Y

    // A positive pitch in the angles raises the unit's forward axis.
    MatrixFromAnglesPos(&m, D3DXVECTOR4(1, 2, 3, 1), D3DXVECTOR4(0.5f, 0, 0, 0));
    D3DXVECTOR3 z(0, 0, 1);
    D3DXVec3TransformNormal(&out, &z, &m);
    EXPECT_NEAR(std::sin(0.5f), out.y, 1e-6f);
    EXPECT_EQ(1.0f, m._41);
    EXPECT_EQ(3.0f, m._43);
    EXPECT_EQ(1.0f, m._44);
}

TEST(Matrices, BoneProductsAgreeWithTheLibrary)
{
    D3DXMATRIX a, b, expected, out;
    D3DXMatrixRotationYawPitchRoll(&a, 0.3f, -0.2f, 0.9f);
    a._41 = 4;
    a._42 = -2;
    a._43 = 7;
    D3DXMatrixRotationYawPitchRoll(&b, -1.1f, 0.4f, 0.2f);
    b._41 = 1;
    b._42 = 2;
    b._43 = 3;

    // A bone stored as three transposed rows: the product is a x b.
    float rows[3][4];
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 4; ++k)
            rows[c][k] = b(k, c);
    MatMul34(&out, a, rows);
    D3DXMatrixMultiply(&expected, &a, &b);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(expected(r, c), out(r, c), 1e-5f) << r << "," << c;

    // With affine a (column 3 = 0, 0, 0, 1) the upper rows are transpose(a) x b.
    MatMul44(&out, a, b);
    D3DXMATRIX t;
    D3DXMatrixTranspose(&t, &a);
    t._14 = t._24 = t._34 = 0;  // translation leaves the transpose's last column
    D3DXMatrixMultiply(&expected, &t, &b);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(expected(r, c), out(r, c), 1e-5f) << r << "," << c;
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(b(3, c), out(3, c), 1e-5f) << c;  // a[k][3] = 0, a[3][3] = 1
}

TEST(Random, IntegersStayInTheirRangeAndReachBothEnds)
{
    srand(7);
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        EXPECT_EQ(3, RandomInt(3, 3));
        EXPECT_EQ(0, RandomIntN(0));
        seen.insert(RandomInt(-2, 3));
    }
    EXPECT_EQ((std::set<int>{-2, -1, 0, 1, 2, 3}), seen);
    seen.clear();
    for (int i = 0; i < 2000; ++i)
        seen.insert(RandomIntN(4));
    EXPECT_EQ((std::set<int>{0, 1, 2, 3, 4}), seen);
}

TEST(Random, FloatsSignsAndChances)
{
    srand(11);
    int heads = 0, minus = 0;
    for (int i = 0; i < 4000; ++i) {
        const float f = RandomFloat(-2.0f, 6.0f);
        EXPECT_GE(f, -2.0f);
        EXPECT_LT(f, 6.0f);
        const float n = RandomFloatN(0.5f);
        EXPECT_GE(n, 0.0f);
        EXPECT_LT(n, 0.5f);
        EXPECT_TRUE(RandomChance(1.0f));
        heads += RandomCoin() ? 1 : 0;
        const float sign = RandomSign();
        EXPECT_TRUE(sign == 1.0f || sign == -1.0f);
        minus += sign < 0 ? 1 : 0;
    }
    EXPECT_NEAR(2000, heads, 200);
    EXPECT_NEAR(2000, minus, 200);
    int rare = 0;
    for (int i = 0; i < 4000; ++i)
        rare += RandomChance(0.0f) ? 1 : 0;  // only a draw of exactly 0
    EXPECT_LT(rare, 5);
}

TEST(Random, DirectionsHaveTheirLength)
{
    srand(3);
    bool below = false, above = false;
    for (int i = 0; i < 500; ++i) {
        D3DXVECTOR4 d(0, 0, 0, 9);
        RandomDirection(&d, 2.5f);
        EXPECT_NEAR(2.5f, std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 1e-4f);
        EXPECT_EQ(9.0f, d.w);
        below = below || d.y < -1.0f;
        above = above || d.y > 1.0f;
        RandomDirection2(&d, 3.0f);
        EXPECT_LT(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 3.0f);
    }
    EXPECT_TRUE(below && above);
}

} // namespace
