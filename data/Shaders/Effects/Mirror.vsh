// A reflection receiver: placed by mWorldViewProj; its texture coordinates are its world
// position through mMirror (the main view-projection with the texture bias), projective,
// so the reflection texture lands on the screen where the mirrored scene was drawn.
// Portable style: uniforms in register order, no literals, structs or intrinsics; rows
// of the transposed matrices are summed component by component.
float4 mWorldViewProj0;
float4 mWorldViewProj1;
float4 mWorldViewProj2;
float4 mWorldViewProj3;
float4 mWorld0;
float4 mWorld1;
float4 mWorld2;
float4 mWorld3;
float4 mMirror0;
float4 mMirror1;
float4 mMirror2;
float4 mMirror3;

void Main(float4 p : POSITION, out float4 oP : POSITION, out float4 oT : TEXCOORD0)
{
    float4 x = p * mWorldViewProj0;
    float4 y = p * mWorldViewProj1;
    float4 z = p * mWorldViewProj2;
    float4 w = p * mWorldViewProj3;
    oP.x = x.x + x.y + x.z + x.w;
    oP.y = y.x + y.y + y.z + y.w;
    oP.z = z.x + z.y + z.z + z.w;
    oP.w = w.x + w.y + w.z + w.w;
    float4 a = p * mWorld0;
    float4 b = p * mWorld1;
    float4 c = p * mWorld2;
    float4 d = p * mWorld3;
    float4 v = p;
    v.x = a.x + a.y + a.z + a.w;
    v.y = b.x + b.y + b.z + b.w;
    v.z = c.x + c.y + c.z + c.w;
    v.w = d.x + d.y + d.z + d.w;
    float4 s = v * mMirror0;
    float4 t = v * mMirror1;
    float4 u = v * mMirror2;
    float4 q = v * mMirror3;
    oT.x = s.x + s.y + s.z + s.w;
    oT.y = t.x + t.y + t.z + t.w;
    oT.z = u.x + u.y + u.z + u.w;
    oT.w = q.x + q.y + q.z + q.w;
}
