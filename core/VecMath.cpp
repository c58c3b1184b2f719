#include "core/VecMath.h"

#include <cmath>

void WrapAngle(float* angle)
{
    if (*angle < 0)
        *angle += TWO_PI;
    else if (*angle >= TWO_PI)
        *angle -= TWO_PI;
}

int RoundToInt(float x)
{
    return int(std::lrintf(x));
}

namespace {

float PositiveAtan2(float y, float x)
{
    const float a = std::atan2(y, x);
    return a < 0 ? a + TWO_PI : a;
}

// The heading of d, wrapped into [0, 2pi).
float Heading(const D3DXVECTOR4& d)
{
    float h = std::atan2(d.x, d.z);
    WrapAngle(&h);
    return h;
}

} // namespace

float HeadingAngle(const D3DXVECTOR4& v)
{
    return PositiveAtan2(v.x, v.y);
}

float HeadingAngleBetween(const D3DXVECTOR4& a, const D3DXVECTOR4& b)
{
    return PositiveAtan2(b.x - a.x, b.y - a.y);
}

void NormalizeXZ(D3DXVECTOR4* v)
{
    NormalizeXZTo(v, *v);
}

void NormalizeXZTo(D3DXVECTOR4* out, const D3DXVECTOR4& v)
{
    const float length = std::sqrt(v.x * v.x + v.z * v.z);
    out->x = v.x / length;
    out->z = v.z / length;
}

void SetDirXZ(D3DXVECTOR4* v, float length, float y)
{
    NormalizeXZ(v);
    *v *= length;
    v->y = y;
}

void DirFromAngles(D3DXVECTOR4* out, const D3DXVECTOR4& angles)
{
    DirFromAnglesLen(out, angles.x, angles.y);
}

void DirFromAnglesLen(D3DXVECTOR4* out, float pitch, float yaw)
{
    const float cosPitch = std::cos(pitch);
    *out = D3DXVECTOR4(std::sin(yaw) * cosPitch, std::sin(pitch), std::cos(yaw) * cosPitch, 0.0f);
}

void AnglesFromDir(D3DXVECTOR4* angles, const D3DXVECTOR4& dir)
{
    angles->x = std::asin(dir.y);
    angles->y = std::atan2(dir.x, dir.z);
    WrapAngle(&angles->y);
}

void NormalizedDifference(D3DXVECTOR4* out, const D3DXVECTOR4& a, const D3DXVECTOR4& b)
{
    const D3DXVECTOR4 d = b - a;
    D3DXVec4Normalize(out, &d);
}

void Vec3Mul(D3DXVECTOR4* a, const D3DXVECTOR4& b)
{
    a->x *= b.x;
    a->y *= b.y;
    a->z *= b.z;
    a->w *= b.w;
}

float Vec4Sqr(const D3DXVECTOR4& v)
{
    return v.x * v.x + v.y * v.y + v.z * v.z + v.w * v.w;
}

void ProjectPointOnLine(D3DXVECTOR4* out, const D3DXVECTOR4& p, const D3DXVECTOR4& a, const D3DXVECTOR4& b)
{
    const D3DXVECTOR4 line = b - a;
    const float lengthSq = Dot3(line, line);
    const float t = lengthSq > 0 ? Dot3(p - a, line) / lengthSq : 0.0f;
    *out = a + line * t;
}

int SideOfHeading(const D3DXVECTOR4& from, float heading, const D3DXVECTOR4& point)
{
    const float ahead = (point.x - from.x) * std::sin(heading) + (point.z - from.z) * std::cos(heading);
    return ahead >= 0 ? POINT_IN_FRONT : POINT_BEHIND;
}

void LeadDirection(D3DXVECTOR4* out, const D3DXVECTOR4& shooter, const D3DXVECTOR4& target,
                   const D3DXVECTOR4& velocity, float speed)
{
    D3DXVECTOR4 aim = target;
    for (int refinement = 0; refinement < 2 && speed > 0; ++refinement)
        aim = target + velocity * (DistanceXZ(shooter, aim) / speed);
    const float dx = aim.x - shooter.x, dz = aim.z - shooter.z;
    const float length = std::sqrt(dx * dx + dz * dz);
    *out = length > 0 ? D3DXVECTOR4(dx / length, 0, dz / length, 0) : D3DXVECTOR4(0, 0, 0, 0);
}

int StepToward(D3DXVECTOR4* point, const D3DXVECTOR4& target, float distance)
{
    const D3DXVECTOR4 d = target - *point;
    const float left = std::sqrt(Dot3(d, d));
    if (left <= distance) {
        point->x = target.x;
        point->y = target.y;
        point->z = target.z;
        return 0;
    }
    const float k = distance / left;
    point->x += d.x * k;
    point->y += d.y * k;
    point->z += d.z * k;
    return 1;
}

void Clamp01(float* x)
{
    if (*x < 0)
        *x = 0;
    else if (*x > 1)
        *x = 1;
}

void ClampInt(int* x, int a, int b)
{
    if (*x < a)
        *x = a;
    else if (*x > b)
        *x = b;
}

float Dot3(const D3DXVECTOR4& a, const D3DXVECTOR4& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float DotXY(const D3DXVECTOR4& a, const D3DXVECTOR4& b)
{
    return a.x * b.x + a.y * b.y;
}

int TurnTowardAngle(float* angle, float target, float step)
{
    if (std::fabs(target - *angle) <= TURN_TOLERANCE)
        return 0;
    const bool down = target < *angle;
    *angle += down ? -step : step;
    if (down ? *angle <= target : *angle >= target) {
        *angle = target;
        return 0;
    }
    return 1;
}

int TurnTowardAtan(float* angle, float x, float y, float step)
{
    return TurnTowardAngle(angle, std::atan2(x, y), step);
}

// Along the shorter arc: down when the target is below within half a turn or above by
// more; a move that crosses the target (after any wrap that belongs to the arc) lands on it.
int TurnToward(float* angle, const D3DXVECTOR4* from, const D3DXVECTOR4& target, float step)
{
    const float h = Heading(from ? target - *from : target);
    float a = *angle;
    WrapAngle(&a);
    const float d = std::fabs(h - a);
    if (d < TURN_TOLERANCE) {
        *angle = h;
        return 0;
    }
    const bool below = h <= a;
    const bool down = below ? d <= PI_F : d >= PI_F;
    const float moved = a + (down ? -step : step);
    float wrapped = moved;
    WrapAngle(&wrapped);
    const bool didWrap = wrapped != moved;
    *angle = wrapped;
    bool reached;
    if (below)
        reached = down ? wrapped < h : didWrap && wrapped > h;
    else
        reached = down ? didWrap && wrapped < h : wrapped > h;
    if (reached) {
        *angle = h;
        return 0;
    }
    return 1;
}

int ShortestTurnSign(float from, float to, float* distance)
{
    const float d = std::fabs(to - from);
    if (d < TURN_TOLERANCE) {
        *distance = d;
        return 0;
    }
    *distance = d > PI_F ? TWO_PI - d : d;
    const bool up = to > from;
    return (d > PI_F) == up ? -1 : 1;
}

int AdvanceAngle(float* angle, float speed, float time, float* remaining)
{
    const float delta = speed * time;
    *remaining -= std::fabs(delta);
    if (*remaining < 0)
        return 0;
    *angle += delta;
    WrapAngle(angle);
    return 1;
}

float BallisticElevation(float height, float distance, float speed)
{
    constexpr float HALF_G_SQUARED = 24.01f;  // (9.8 / 2)^2
    const float b = GRAVITY * height - speed * speed;
    const float c = height * height + distance * distance;
    const float discriminant = b * b - 4 * HALF_G_SQUARED * c;
    if (discriminant < 0)
        return OUT_OF_REACH;
    const float root = std::sqrt(discriminant);
    const float t1 = std::fabs((-b + root) / (2 * HALF_G_SQUARED));
    const float t2 = std::fabs((-b - root) / (2 * HALF_G_SQUARED));
    const float t = std::sqrt(t1 < t2 ? t1 : t2);
    const float elevation = std::acos(distance / (t * speed));
    return -height / t - GRAVITY / 2 * t > 0 ? -elevation : elevation;
}

void MatrixRotYPos(D3DXMATRIX* out, const D3DXVECTOR4& position, float angle)
{
    D3DXMatrixRotationY(out, angle);
    out->_41 = position.x;
    out->_42 = position.y;
    out->_43 = position.z;
}

void MatrixFromAnglesPos(D3DXMATRIX* out, const D3DXVECTOR4& position, const D3DXVECTOR4& angles)
{
    D3DXMatrixRotationYawPitchRoll(out, angles.y, -angles.x, angles.z);
    out->_41 = position.x;
    out->_42 = position.y;
    out->_43 = position.z;
    out->_44 = position.w;
}

void MatMul34(D3DXMATRIX* out, const D3DXMATRIX& a, const float b[3][4])
{
    D3DXMATRIX m;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a(r, k) * b[c][k];
            m(r, c) = sum;
        }
        m(r, 3) = a(r, 3);
    }
    *out = m;
}

void MatMul44(D3DXMATRIX* out, const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    D3DXMATRIX m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float sum = a(0, r) * b(0, c) + a(1, r) * b(1, c) + a(2, r) * b(2, c);
            if (r == 3)
                sum += a(3, 3) * b(3, c);
            m(r, c) = sum;
        }
    *out = m;
}
