#pragma once
// Free functions on the extension library's vectors and matrices shared by units, cameras,
// particles and weapons: angle wrapping and turning, directions from angles, a ballistic
// aiming solution and the matrix products of bone palettes. Angles are radians; a heading
// is an angle about the vertical axis, atan2(x, z). Nothing here fails: degenerate input
// gives the value the formula gives (an aim out of reach is OUT_OF_REACH).

#include <d3dx9.h>

#include <cmath>

constexpr float TWO_PI = 6.2831854820251465f;
constexpr float PI_F = 3.1415927410125732f;
constexpr float TURN_TOLERANCE = 0.01f;
constexpr float GRAVITY = 9.8f;
constexpr float OUT_OF_REACH = 3.4028235e38f;  // the largest float

// One step into [0, 2pi): a negative angle gets + 2pi, one of 2pi or more - 2pi.
void WrapAngle(float* angle);
// Nearest integer in the current rounding mode (ties to even).
int RoundToInt(float x);

template <class V> float DistanceSqXZ(const V& a, const V& b)
{
    const float dx = b.x - a.x, dz = b.z - a.z;
    return dx * dx + dz * dz;
}
template <class V> float DistanceXZ(const V& a, const V& b)
{
    return sqrtf(DistanceSqXZ(a, b));
}

// atan2(v.x, v.y) in [0, 2pi): a heading given as a two-component vector.
float HeadingAngle(const D3DXVECTOR4& v);
float HeadingAngleBetween(const D3DXVECTOR4& a, const D3DXVECTOR4& b);

// x and z divided by their length; y unchanged.
void NormalizeXZ(D3DXVECTOR4* v);
// out.x and out.z from v as NormalizeXZ; the rest of out unchanged.
void NormalizeXZTo(D3DXVECTOR4* out, const D3DXVECTOR4& v);
// NormalizeXZ, all four components times length, then y set.
void SetDirXZ(D3DXVECTOR4* v, float length, float y);
// The unit direction of the angles (x pitch, y yaw); w = 0.
void DirFromAngles(D3DXVECTOR4* out, const D3DXVECTOR4& angles);
void DirFromAnglesLen(D3DXVECTOR4* out, float pitch, float yaw);
// Pitch and yaw (wrapped) of a unit direction into angles.x and angles.y.
void AnglesFromDir(D3DXVECTOR4* angles, const D3DXVECTOR4& dir);
// Normalised b - a over four components.
void NormalizedDifference(D3DXVECTOR4* out, const D3DXVECTOR4& a, const D3DXVECTOR4& b);
// a *= b component by component over four components.
void Vec3Mul(D3DXVECTOR4* a, const D3DXVECTOR4& b);
// The squared length over four components.
float Vec4Sqr(const D3DXVECTOR4& v);
// The point of the line through a and b (x, y, z) nearest to p; a itself when a = b.
void ProjectPointOnLine(D3DXVECTOR4* out, const D3DXVECTOR4& p, const D3DXVECTOR4& a, const D3DXVECTOR4& b);

inline float Sqr(float x) { return x * x; }
inline int SqrInt(int x) { return x * x; }
void Clamp01(float* x);
void ClampInt(int* x, int a, int b);
float Dot3(const D3DXVECTOR4& a, const D3DXVECTOR4& b);
float DotXY(const D3DXVECTOR4& a, const D3DXVECTOR4& b);

// Turning: 1 while still turning, 0 once the target is reached.
// Toward a target angle by step, without wrapping; within TURN_TOLERANCE nothing moves.
int TurnTowardAngle(float* angle, float target, float step);
// The same toward atan2(x, y).
int TurnTowardAtan(float* angle, float x, float y, float step);
// The heading (wrapped) toward target - from, or toward the direction target when from is
// null, by step along the shorter arc.
int TurnToward(float* angle, const D3DXVECTOR4* from, const D3DXVECTOR4& target, float step);
// +1 when from must increase along the shorter arc to reach to, -1 when it must decrease,
// 0 within TURN_TOLERANCE; the arc's length through distance.
int ShortestTurnSign(float from, float to, float* distance);
// The angle advanced by speed x time (wrapped) while the remaining budget lasts; 0 and the
// angle unchanged once the budget would go negative.
int AdvanceAngle(float* angle, float speed, float time, float* remaining);

// Which side of a heading seen from `from` the point lies on, over x and z: POINT_IN_FRONT
// (on the line across counts as in front) or POINT_BEHIND.
enum : int { POINT_BEHIND = 1, POINT_IN_FRONT = 2 };
int SideOfHeading(const D3DXVECTOR4& from, float heading, const D3DXVECTOR4& point);
// The unit x-z direction from the shooter toward where a target moving at velocity will be
// when a shot of the given speed reaches it; the flight time is refined twice. Without a
// speed, toward the target itself; zero when the point lies straight above or below.
void LeadDirection(D3DXVECTOR4* out, const D3DXVECTOR4& shooter, const D3DXVECTOR4& target,
                   const D3DXVECTOR4& velocity, float speed);
// Moves the point (x, y, z) toward the target by distance: 1 while still short of it, 0
// once it is there (it lands exactly on the target).
int StepToward(D3DXVECTOR4* point, const D3DXVECTOR4& target, float distance);

// The elevation that sends a shot of speed V to a target H above and D away (the flatter
// of the two arcs), negative when the shot goes down; OUT_OF_REACH when it cannot reach.
float BallisticElevation(float height, float distance, float speed);

// Rotation about Y by the angle with the translation row set to the position.
void MatrixRotYPos(D3DXMATRIX* out, const D3DXVECTOR4& position, float angle);
// Yaw angles.y, pitch -angles.x, roll angles.z; the fourth row the position's four floats.
void MatrixFromAnglesPos(D3DXMATRIX* out, const D3DXVECTOR4& position, const D3DXVECTOR4& angles);
// a times a 4x3 bone matrix stored as three rows of four floats (b[c][k] is element k, c):
// out[r][c] = sum over k of a[r][k] b[c][k] for c < 3; out[r][3] = a[r][3].
void MatMul34(D3DXMATRIX* out, const D3DXMATRIX& a, const float b[3][4]);
// The transpose of a's upper 3x4 part times b's first three rows; row 3 adds a[3][3] b[3].
void MatMul44(D3DXMATRIX* out, const D3DXMATRIX& a, const D3DXMATRIX& b);
