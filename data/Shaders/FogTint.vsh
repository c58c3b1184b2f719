// Vertex colour tinted by the class's glow colour and faded toward the clear colour by
// the air fog; positions come ready for clip space. Each variant (LIGHTS_COUNT) above one
// tints once more. Written without literals, structs or intrinsics other than lerp, and
// with the uniforms declared in register order, so that every compiler puts them where
// the shader table writes them.
float4 ClearColor : register(c0);
float4 GlowParams : register(c1);
float4 AirFog : register(c2);

void Main(float4 p : POSITION, float4 d : COLOR0, out float4 oP : POSITION, out float4 oD : COLOR0)
{
    float4 c = lerp(ClearColor, d * GlowParams, AirFog.xxxx);
#if LIGHTS_COUNT > 1
    c = c * GlowParams + c;
#endif
    oP = p;
    oD = c;
}
