#pragma once
// Random numbers of the scene (particles, light delays) from the runtime generator rand(),
// never seeded here, and the angle wrap they share with the billboards. No failures.

#include <d3dx9.h>

constexpr float TWO_PI = 6.2831854820251465f;

// 0..n.
int RandomIntN(int n);
// a..b.
float RandomFloat(float a, float b);
// 0..x.
float RandomFloatN(float x);
// A direction of the given length: a random latitude, then a random longitude.
void RandomDirection(D3DXVECTOR4* out, float length);
// As RandomDirection with a random length up to maxLength, drawn first.
void RandomDirection2(D3DXVECTOR4* out, float maxLength);
// One step into [0, 2pi): a negative angle gets + 2pi, one of 2pi or more - 2pi.
void WrapAngle(float* angle);
