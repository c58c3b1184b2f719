#pragma once
// Angle wrapping, turning toward a heading or angle step by step, the shortest turn, and
// the ballistic elevation of a shot. Angles are radians; headings are atan2(x, z). The
// turning functions return 1 while still turning and 0 once the target is reached.

#include <d3dx9.h>

constexpr float TWO_PI = 6.28318548f;
constexpr float PI_F = 3.14159274f;
constexpr float ANGLE_EPSILON = 0.01f;
// BallisticElevation's answer for a target out of reach.
constexpr float OUT_OF_REACH = 3.4028235e38f;

// One step: a negative angle gets + 2 pi, one of 2 pi or more - 2 pi.
void WrapAngle(float& angle);
// Moves angle toward target by step, no wrapping.
int TurnTowardAngle(float& angle, float target, float step);
// Turns the heading along the shorter arc toward the heading of target - from (of target
// itself when from is null).
int TurnToward(float& angle, const D3DXVECTOR4* from, const D3DXVECTOR4& target, float step);
// +1 or -1: the direction from must turn along the shorter arc to reach to; 0 when they
// are within 0.01. distance = that arc.
int ShortestTurnSign(float from, float to, float* distance);
// angle += speed x time (wrapped) while remaining, lowered by each step, stays >= 0.
int AdvanceAngle(float& angle, float speed, float time, float& remaining);
// The elevation hitting a target height above the shooter at a horizontal distance with a
// launch speed (g = 9.8); OUT_OF_REACH when none does.
float BallisticElevation(float height, float distance, float speed);
// rand() / 32768 x (b - a) + a.
float RandomFloat(float a, float b);
