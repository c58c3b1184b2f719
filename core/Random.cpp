#include "core/Random.h"

#include "core/VecMath.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr int RANDOM_HALF_RANGE = 16384;
constexpr float HALF_PI_ROUNDED = 1.5708f;
constexpr float TWO_PI_ROUNDED = 6.2832f;

float Draw() { return float(rand()); }

} // namespace

// Rounded down, so that a range below zero reaches its lowest value as often as the rest.
int RandomInt(int a, int b)
{
    return int(std::floor(float(a) + float(b + 1 - a) * Draw() * RANDOM_SCALE));
}

int RandomIntN(int n)
{
    return int(float(n + 1) * Draw() * RANDOM_SCALE);
}

float RandomFloat(float a, float b)
{
    return Draw() * RANDOM_SCALE * (b - a) + a;
}

float RandomFloatN(float x)
{
    return Draw() * RANDOM_SCALE * x;
}

bool RandomChance(float p)
{
    return rand() <= RoundToInt(p * 32767.0f);
}

bool RandomCoin()
{
    return rand() >= RANDOM_HALF_RANGE;
}

float RandomSign()
{
    return rand() < RANDOM_HALF_RANGE ? -1.0f : 1.0f;
}

void RandomDirection(D3DXVECTOR4* out, float length)
{
    const float latitude = RandomFloat(-HALF_PI_ROUNDED, HALF_PI_ROUNDED);
    const float longitude = RandomFloatN(TWO_PI_ROUNDED);
    const float cosLat = std::cos(latitude);
    out->x = std::sin(longitude) * cosLat * length;
    out->y = std::sin(latitude) * length;
    out->z = std::cos(longitude) * cosLat * length;
}

void RandomDirection2(D3DXVECTOR4* out, float maxLength)
{
    const float length = RandomFloatN(maxLength);
    RandomDirection(out, length);
}
