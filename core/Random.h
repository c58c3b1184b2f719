#pragma once
// Random numbers from the runtime library's generator (rand, 0..32767), which is seeded
// once by the application and never here. Every operation takes one draw, except the
// directions, which take two (latitude first) or three (length first).

#include <d3dx9.h>

constexpr float RANDOM_SCALE = 1.0f / 32768.0f;

// a..b (a <= b), 0..n.
int RandomInt(int a, int b);
int RandomIntN(int n);
// a + [0, 1) x (b - a); [0, 1) x x.
float RandomFloat(float a, float b);
float RandomFloatN(float x);
// True with probability p (0..1).
bool RandomChance(float p);
bool RandomCoin();
// -1 or +1.
float RandomSign();
// A direction of the given length, uniform in latitude and longitude; w unchanged.
void RandomDirection(D3DXVECTOR4* out, float length);
// As RandomDirection with a length drawn from [0, maxLength) first.
void RandomDirection2(D3DXVECTOR4* out, float maxLength);
