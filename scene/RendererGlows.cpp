// The glow pass: after the scene the queued units are drawn again into the reduced glow
// texture A (glowing classes through their glow shaders, the others black through the
// NonGlowUnitsPixelShader, so they hide what glows behind them), the picture is blurred
// across and down Passes times through texture B and added onto the back buffer. The
// targets are pushed and popped around every step; the antialias state is given back.
// Without a blur shader the glow is added unblurred.

#include "scene/Renderer.h"

#include "core/Graphics.h"
#include "engine/ClassTemplate.h"
#include "scene/Geometry.h"

namespace {

constexpr uint32_t SPRITE_TYPE = 5;
constexpr int BLUR_TAPS = 4;  // texels on each side, one constant register each
const char GLOW_44_WARNING[] = "CRenderer::RenderGlows  Warning:  mWorld._44!=1 \n for unit '";

} // namespace

void CRenderer::RenderGlows()
{
    if (!Device3D || !glowing || !glowingUnits) return;
    DWORD antialias = FALSE;
    Device3D->GetRenderState(D3DRS_MULTISAMPLEANTIALIAS, &antialias);
    Device3D->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, FALSE);
    gGraphics.EndSprites();
    gGraphics.PushRenderTarget();
    gGraphics.SetRenderTarget(glowTextureA, glowDepth, nullptr);
    gGraphics.SetColorWrite(0xF);
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawGlowingUnits();
    gGraphics.PopRenderTarget();
    gGraphics.BlendOff();
    gGraphics.AlphaTestOff();
    if (blurPixelShader.ps) {
        for (int i = 0; i < Passes; ++i) {
            BlurGlow(glowTextureB, glowTextureA, 1.0f / float(glowWidth), 0.0f);
            BlurGlow(glowTextureA, glowTextureB, 0.0f, 1.0f / float(glowHeight));
        }
    }
    AddGlow();
    Device3D->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, antialias);
}

// The scene's viewport scaled into the glow texture, so the glow lands on the scene's
// part of the back buffer when it is added back.
void CRenderer::DrawGlowingUnits()
{
    const float sx = float(glowWidth) / float(gGraphics.presentParams.BackBufferWidth);
    const float sy = float(glowHeight) / float(gGraphics.presentParams.BackBufferHeight);
    D3DVIEWPORT9 scaled = viewport;
    scaled.X = DWORD(float(viewport.X) * sx);
    scaled.Y = DWORD(float(viewport.Y) * sy);
    scaled.Width = DWORD(float(viewport.Width) * sx);
    scaled.Height = DWORD(float(viewport.Height) * sy);
    scaled.MinZ = 0.0f;
    scaled.MaxZ = 1.0f;
    if (scaled.Width && scaled.Height) Device3D->SetViewport(&scaled);
    for (const SRenderQueue& queue : queues) {
        for (int slot = 0; slot < queue.count; ++slot) {
            CAtom* unit = queue.units[size_t(slot)];
            if (unit && unit->id && unit->type != SPRITE_TYPE) DrawGlowingUnit(unit);
        }
    }
}

void CRenderer::DrawGlowingUnit(CAtom* unit)
{
    CGeometry* geometry = IsGeometry(unit) ? static_cast<CGeometry*>(unit) : nullptr;
    if (geometry) UvMulAdd[0] = geometry->UvMulAdd;
    GatherDataFromAnimations(unit);
    SetUnitConstants(unit, PASS_GLOW);
    if (!geometry) return;
    CheckWorld44(unit, GLOW_44_WARNING);
    ApplyRenderStates(StatesOf(unit), PASS_GLOW);
    unit->Render(PASS_GLOW);
}

// One half of a blur step: the source drawn whole into the target through the blur shader
// with the four tap offsets (+k, -k texels along one axis) in c0..c3.
void CRenderer::BlurGlow(IDirect3DTexture9* target, IDirect3DTexture9* source, float du, float dv)
{
    gGraphics.PushRenderTarget();
    gGraphics.SetRenderTarget(target, glowDepth, nullptr);
    float offsets[BLUR_TAPS][4];
    for (int k = 1; k <= BLUR_TAPS; ++k) {
        float* c = offsets[k - 1];
        c[0] = float(k) * du;
        c[1] = float(k) * dv;
        c[2] = -c[0];
        c[3] = -c[1];
    }
    Device3D->SetPixelShaderConstantF(0, &offsets[0][0], BLUR_TAPS);
    gGraphics.SetPixelShader(&blurPixelShader);
    gGraphics.DrawSprite(0.0f, 0.0f, source, nullptr, 1.0f, 1.0f, 0xFFFFFFFF, SPRITE_KEEP_PIXEL);
    gGraphics.PopRenderTarget();
}

// Texture A stretched over the back buffer and added to it, through the post-blur shader
// when there is one.
void CRenderer::AddGlow()
{
    gGraphics.SetBlendEx(D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_ADD);
    uint32_t flags = SPRITE_KEEP_BLEND;
    if (postBlurPixelShader.ps) {
        gGraphics.SetPixelShader(&postBlurPixelShader);
        flags |= SPRITE_KEEP_PIXEL;
    }
    const float sx = float(gGraphics.presentParams.BackBufferWidth) / float(glowWidth);
    const float sy = float(gGraphics.presentParams.BackBufferHeight) / float(glowHeight);
    gGraphics.DrawSprite(0.0f, 0.0f, glowTextureA, nullptr, sx, sy, 0xFFFFFFFF, flags);
    gGraphics.BlendOff();
    gGraphics.SetPixelShader(nullptr);
}
