#include "core/AngleMath.h"

#include <cmath>
#include <cstdlib>

void WrapAngle(float& angle)
{
    if (angle < 0.0f)
        angle += TWO_PI;
    else if (angle >= TWO_PI)
        angle -= TWO_PI;
}

int TurnTowardAngle(float& angle, float target, float step)
{
    if (std::fabs(target - angle) <= ANGLE_EPSILON) return 0;
    const bool down = target < angle;
    angle += down ? -step : step;
    if (down ? angle <= target : angle >= target) {
        angle = target;
        return 0;
    }
    return 1;
}

int TurnToward(float& angle, const D3DXVECTOR4* from, const D3DXVECTOR4& target, float step)
{
    const D3DXVECTOR4 d = from ? target - *from : target;
    float h = atan2f(d.x, d.z);
    WrapAngle(h);
    WrapAngle(angle);
    const float diff = std::fabs(h - angle);
    if (diff < ANGLE_EPSILON) {
        angle = h;
        return 0;
    }
    // Along the shorter arc; when that arc crosses 0 the target is reached only after the
    // angle wrapped.
    const bool up = h <= angle ? diff > PI_F : diff < PI_F;
    const bool crossesZero = h <= angle ? diff > PI_F : diff >= PI_F;
    angle += up ? step : -step;
    const bool wrapped = angle < 0.0f || angle >= TWO_PI;
    WrapAngle(angle);
    const bool passed = up ? angle > h : angle < h;
    if (passed && (!crossesZero || wrapped)) {
        angle = h;
        return 0;
    }
    return 1;
}

int ShortestTurnSign(float from, float to, float* distance)
{
    float d = to - from;
    if (std::fabs(d) < ANGLE_EPSILON) {
        if (distance) *distance = std::fabs(d);
        return 0;
    }
    int sign = d > 0.0f ? 1 : -1;
    float arc = std::fabs(d);
    if (arc > PI_F) {
        arc = TWO_PI - arc;
        sign = -sign;
    }
    if (distance) *distance = arc;
    return sign;
}

int AdvanceAngle(float& angle, float speed, float time, float& remaining)
{
    const float delta = speed * time;
    remaining -= std::fabs(delta);
    if (remaining < 0.0f) return 0;
    angle += delta;
    WrapAngle(angle);
    return 1;
}

float BallisticElevation(float height, float distance, float speed)
{
    const double a = 24.01, b = 9.8 * height - double(speed) * speed, c = double(height) * height + double(distance) * distance;
    const double discriminant = b * b - 4.0 * a * c;
    if (discriminant < 0.0 || speed <= 0.0f) return OUT_OF_REACH;
    const double root = std::sqrt(discriminant);
    const double t2 = std::fmin(std::fabs((-b - root) / (2.0 * a)), std::fabs((-b + root) / (2.0 * a)));
    const double t = std::sqrt(t2);
    if (t <= 0.0) return OUT_OF_REACH;
    const double cosine = std::fmax(-1.0, std::fmin(1.0, distance / (t * speed)));
    double angle = std::acos(cosine);
    if (-height / t - 4.9 * t > 0.0) angle = -angle;
    return float(angle);
}

float RandomFloat(float a, float b)
{
    return float(rand()) / 32768.0f * (b - a) + a;
}
