#include "core/Random.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr float RANDOM_SCALE = 1.0f / 32768.0f;
constexpr float HALF_PI = 1.5708f;
constexpr float FULL_TURN = 6.2832f;

float Unit() { return float(rand()) * RANDOM_SCALE; }

} // namespace

int RandomIntN(int n)
{
    return int(float(n + 1) * Unit());
}

float RandomFloat(float a, float b)
{
    return Unit() * (b - a) + a;
}

float RandomFloatN(float x)
{
    return Unit() * x;
}

void RandomDirection(D3DXVECTOR4* out, float length)
{
    const float latitude = RandomFloat(-HALF_PI, HALF_PI);
    const float longitude = RandomFloatN(FULL_TURN);
    const float c = cosf(latitude);
    *out = D3DXVECTOR4(sinf(longitude) * c * length, sinf(latitude) * length, cosf(longitude) * c * length, 0.0f);
}

void RandomDirection2(D3DXVECTOR4* out, float maxLength)
{
    const float length = RandomFloatN(maxLength);
    RandomDirection(out, length);
}

void WrapAngle(float* angle)
{
    if (*angle < 0.0f)
        *angle += TWO_PI;
    else if (*angle >= TWO_PI)
        *angle -= TWO_PI;
}
