// Skinning with one bone per vertex: the vertex's bone index (TEXCOORD1, four unsigned
// bytes) picks three registers of the bone palette (each bone a transposed 4x3 matrix),
// then the world-view-projection places the vertex; its colour is the unit's Color.
// Up to 7 bones; a vertex naming a bone beyond them collapses to the origin.
// Written for every compiler: no arrays (an index is a literal too), no literals, no
// intrinsics but max, one uniform per register in register order (a table row's source
// spelled with the register's number within it). A bone is picked by the weight
// w = max(0, 1 - k^2) with k = index - bone, which is 1 for the vertex's bone and 0 for
// every other; the constant 1 is the position's w. Some compilers give every assignment
// a register of its own, and 7 bones are what fits the 32 temporary registers.
float4 mWorldViewProj0 : register(c0);
float4 mWorldViewProj1 : register(c1);
float4 mWorldViewProj2 : register(c2);
float4 mWorldViewProj3 : register(c3);
float4 Color : register(c4);
float4 mBones0 : register(c5);
float4 mBones1 : register(c6);
float4 mBones2 : register(c7);
float4 mBones3 : register(c8);
float4 mBones4 : register(c9);
float4 mBones5 : register(c10);
float4 mBones6 : register(c11);
float4 mBones7 : register(c12);
float4 mBones8 : register(c13);
float4 mBones9 : register(c14);
float4 mBones10 : register(c15);
float4 mBones11 : register(c16);
float4 mBones12 : register(c17);
float4 mBones13 : register(c18);
float4 mBones14 : register(c19);
float4 mBones15 : register(c20);
float4 mBones16 : register(c21);
float4 mBones17 : register(c22);
float4 mBones18 : register(c23);
float4 mBones19 : register(c24);
float4 mBones20 : register(c25);

void Main(float4 p : POSITION, float4 bone : TEXCOORD1, out float4 oP : POSITION, out float4 oD : COLOR0)
{
    float4 one = p.wwww;
    float4 zero = one - one;
    float4 k = bone.xxxx;
    float4 w = max(zero, one - k * k);
    float4 c0 = w * mBones0;
    float4 c1 = w * mBones1;
    float4 c2 = w * mBones2;
    k = k - one;  w = max(zero, one - k * k);
    c0 = c0 + w * mBones3;  c1 = c1 + w * mBones4;  c2 = c2 + w * mBones5;
    k = k - one;  w = max(zero, one - k * k);
    c0 = c0 + w * mBones6;  c1 = c1 + w * mBones7;  c2 = c2 + w * mBones8;
    k = k - one;  w = max(zero, one - k * k);
    c0 = c0 + w * mBones9;  c1 = c1 + w * mBones10;  c2 = c2 + w * mBones11;
    k = k - one;  w = max(zero, one - k * k);
    c0 = c0 + w * mBones12;  c1 = c1 + w * mBones13;  c2 = c2 + w * mBones14;
    k = k - one;  w = max(zero, one - k * k);
    c0 = c0 + w * mBones15;  c1 = c1 + w * mBones16;  c2 = c2 + w * mBones17;
    k = k - one;  w = max(zero, one - k * k);
    c0 = c0 + w * mBones18;  c1 = c1 + w * mBones19;  c2 = c2 + w * mBones20;
    // The bone's columns times the position: the vertex in model space, one coordinate
    // spread over all four components of each.
    c0 = p * c0;
    c1 = p * c1;
    c2 = p * c2;
    c0 = c0.xxxx + c0.yyyy + c0.zzzz + c0.wwww;
    c1 = c1.xxxx + c1.yyyy + c1.zzzz + c1.wwww;
    c2 = c2.xxxx + c2.yyyy + c2.zzzz + c2.wwww;
    w = c0 * mWorldViewProj0.xxxx + c1 * mWorldViewProj0.yyyy + c2 * mWorldViewProj0.zzzz + mWorldViewProj0.wwww;
    oP.x = w.x;
    w = c0 * mWorldViewProj1.xxxx + c1 * mWorldViewProj1.yyyy + c2 * mWorldViewProj1.zzzz + mWorldViewProj1.wwww;
    oP.y = w.x;
    w = c0 * mWorldViewProj2.xxxx + c1 * mWorldViewProj2.yyyy + c2 * mWorldViewProj2.zzzz + mWorldViewProj2.wwww;
    oP.z = w.x;
    w = c0 * mWorldViewProj3.xxxx + c1 * mWorldViewProj3.yyyy + c2 * mWorldViewProj3.zzzz + mWorldViewProj3.wwww;
    oP.w = w.x;
    oD = Color;
}
