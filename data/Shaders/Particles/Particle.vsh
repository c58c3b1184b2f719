// Particles as camera-facing squares, one instance per draw: the particle system uploads
// the particle's two registers (position and size; frame offset, life left, two angles)
// at its start register 7. The square's corners (x, y in -0.5..0.5) span the camera's
// right and up axes (the first two registers of the transposed view) scaled by the size;
// the texture's frame is picked by the frame offset and "PartSystem::Data" (1 / frames);
// the colour fades with the life left. Written without literals, structs or intrinsics,
// and with the uniforms declared in register order, so that every compiler puts them where
// the table and the system write them.
float4 mViewProj0 : register(c0);
float4 mViewProj1 : register(c1);
float4 mViewProj2 : register(c2);
float4 mViewProj3 : register(c3);
float4 mView0 : register(c4);
float4 mView1 : register(c5);
float4 Data : register(c6);
float4 Particle0 : register(c7);
float4 Particle1 : register(c8);

void Main(float4 p : POSITION, float2 t : TEXCOORD0,
          out float4 oP : POSITION, out float4 oD : COLOR0, out float2 oT : TEXCOORD0)
{
    float4 w = Particle0 + (p.xxxx * mView0 + p.yyyy * mView1) * Particle0.wwww;
    float4 x = w * mViewProj0;
    float4 y = w * mViewProj1;
    float4 z = w * mViewProj2;
    float4 h = w * mViewProj3;
    oP.x = x.x + x.y + x.z + mViewProj0.w;
    oP.y = y.x + y.y + y.z + mViewProj1.w;
    oP.z = z.x + z.y + z.z + mViewProj2.w;
    oP.w = h.x + h.y + h.z + mViewProj3.w;
    oD = Particle1.yyyy;
    oT.x = Particle1.x + t.x * Data.x;
    oT.y = t.y;
}
