// A textured mesh lit by the first diffuse light (the sun) and by the sky's clear colour,
// in the unit's Color; the alpha is the Color's alone, so a fading unit fades evenly.
// The light record's vector is the light's world direction; it is turned into the mesh's
// space through the world matrix's columns (mWorld holds them as rows), so the normal is
// used as it is. Written for every compiler: no literals, no intrinsics but max, one
// uniform per register in register order (a table row's source spelled with the
// register's number within it); the constant 1 is the position's w.
float4 mWorldViewProj0 : register(c0);
float4 mWorldViewProj1 : register(c1);
float4 mWorldViewProj2 : register(c2);
float4 mWorldViewProj3 : register(c3);
float4 Color : register(c4);
float4 mWorld0 : register(c5);
float4 mWorld1 : register(c6);
float4 mWorld2 : register(c7);
float4 ClearColor : register(c8);
float4 DiffuseLights0 : register(c9);
float4 DiffuseLights1 : register(c10);

void Main(float4 p : POSITION, float4 n : NORMAL, float2 t : TEXCOORD0,
          out float4 oP : POSITION, out float4 oD : COLOR0, out float2 oT : TEXCOORD0)
{
    float4 zero = p.wwww - p.wwww;
    float4 w = p * mWorldViewProj0;
    oP.x = w.x + w.y + w.z + w.w;
    w = p * mWorldViewProj1;
    oP.y = w.x + w.y + w.z + w.w;
    w = p * mWorldViewProj2;
    oP.z = w.x + w.y + w.z + w.w;
    w = p * mWorldViewProj3;
    oP.w = w.x + w.y + w.z + w.w;
    // The light's direction in the mesh's space, then its facing: the light travels along
    // its vector, so a face toward it has a negative product.
    float4 l = DiffuseLights1.xxxx * mWorld0 + DiffuseLights1.yyyy * mWorld1 + DiffuseLights1.zzzz * mWorld2;
    float4 d = n * l;
    float4 facing = max(zero, zero - (d.xxxx + d.yyyy + d.zzzz));
    // The sky lights every face by its clear colour, so that a wall away from the sun
    // keeps some light by day and goes dark with the sky at night.
    float4 c = Color * (ClearColor + DiffuseLights0 * facing);
    oD.xyz = c.xyz;
    oD.w = Color.w;
    oT = t;
}
