// Screen-space drawing: the sprite batch, textured quads through the sprite quad and
// shader, rectangle outlines, text with the device's fonts and the mouse cursor.

#include "core/Graphics.h"

#include "core/Messages.h"

namespace {

constexpr uint32_t LINE_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr uint32_t UNKNOWN_STATE = 0xFFFFFFFF;
constexpr uint32_t SPRITE_ALPHA_REF = 2;
constexpr int SPRITE_CONSTANT_COUNT = 8;
constexpr int HIGH_SPRITE_LEVEL = 30;

struct SLineVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
};
static_assert(sizeof(SLineVertex) == 20, "XYZRHW and one colour");

// The texture rectangle (u, v, du, dv) and the size in texels of a source rectangle with
// inclusive corners, or of the whole texture.
void SourceRect(const D3DSURFACE_DESC& desc, const RECT* source, float uv[4], float size[2])
{
    const float w = float(desc.Width), h = float(desc.Height);
    if (!source) {
        uv[0] = uv[1] = 0.0f;
        uv[2] = uv[3] = 1.0f;
        size[0] = w;
        size[1] = h;
        return;
    }
    size[0] = float(source->right - source->left + 1);
    size[1] = float(source->bottom - source->top + 1);
    uv[0] = float(source->left) / w;
    uv[1] = float(source->top) / h;
    uv[2] = size[0] / w;
    uv[3] = size[1] / h;
}

} // namespace

// The sprite object binds its own shaders, buffers and states: what the cache knew of
// them is forgotten.
void CGraphics::ForgetSpriteState()
{
    SetVertexShader(nullptr);
    SetPixelShader(nullptr);
    for (IDirect3DVertexBuffer9*& vb : streamVBs)
        vb = nullptr;
    indexBuffer = nullptr;
    fvf = 0;
    declaration = nullptr;
    alphaRef = alphaFunc = UNKNOWN_STATE;
    srcBlend = destBlend = UNKNOWN_STATE;
}

void CGraphics::BeginSprites(bool noBlend)
{
    if (!sprite)
        return;
    if (spriteBegun) {
        if (!noBlend && !spriteBlended) {
            sprite->End();
            sprite->Begin(D3DXSPRITE_ALPHABLEND);
            spriteBlended = 1;
        } else if (noBlend && spriteBlended) {
            spriteBlended = 0;
            sprite->End();
            sprite->Begin(0);
            BlendOff();
        }
        return;
    }
    spriteBegun = 1;
    ForgetSpriteState();
    if (noBlend) {
        sprite->Begin(0);
        BlendOff();
        spriteBlended = 0;
    } else {
        sprite->Begin(D3DXSPRITE_ALPHABLEND);
        spriteBlended = 1;
    }
    sprite->SetTransform(&spriteMatrix);
}

void CGraphics::EndSprites()
{
    if (!spriteBegun)
        return;
    spriteBegun = 0;
    sprite->End();
}

HRESULT CGraphics::DrawTexture(int x, int y, const RECT* source, IDirect3DTexture9* texture,
                               D3DCOLOR color)
{
    if (!sprite)
        return D3DERR_INVALIDCALL;
    D3DXVECTOR3 position(float(x), float(y), 0.0f);
    return sprite->Draw(texture, source, nullptr, &position, color);
}

void CGraphics::DrawSprite(float x, float y, IDirect3DTexture9* texture, const RECT* source,
                           float scaleX, float scaleY, D3DCOLOR color, uint32_t flags)
{
    EndSprites();
    if (!texture)
        return;
    D3DSURFACE_DESC desc = {};
    texture->GetLevelDesc(0, &desc);
    float uv[4], size[2];
    SourceRect(desc, source, uv, size);

    const float width = float(viewport.Width), height = float(viewport.Height);
    const D3DXCOLOR c(color);
    const D3DXMATRIX& m = spriteMatrix;
    const float constants[SPRITE_CONSTANT_COUNT][4] = {
        {x - width / 2, height / 2 + 1.0f - y, 0.5f, 0.0f},
        {2.0f / width, 2.0f / height, 0.0f, 1.0f},
        {c.r, c.g, c.b, c.a},
        {size[0] * scaleX, size[1] * scaleY, 1.0f, 1.0f},
        {uv[0], uv[1], uv[2], uv[3]},
        {m._11, m._12, m._13, m._14},
        {m._21, m._22, m._23, m._24},
        {m._31, m._32, m._33, m._34},
    };
    Device3D->SetVertexShaderConstantF(0, &constants[0][0], SPRITE_CONSTANT_COUNT);

    SetTexture(texture, 0);
    if (!(flags & SPRITE_KEEP_PIXEL)) {
        SetPixelShader(nullptr);
        SetStageModulate();
    }
    SetDeclaration(declarations[SPRITE_DECLARATION]);
    if (!(flags & SPRITE_KEEP_VERTEX)) {
        bool high = pixelShader && pixelShader->level >= HIGH_SPRITE_LEVEL;
        SetVertexShader(high ? &spriteShader30 : &spriteShader11);
    }
    SetZEnable(false);
    if (!(flags & SPRITE_KEEP_BLEND)) {
        if (flags & SPRITE_BLEND)
            SetBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        else
            BlendOff();
    }
    if (flags & SPRITE_ALPHA_TEST)
        SetAlphaTest(D3DCMP_GREATEREQUAL, SPRITE_ALPHA_REF);
    else
        AlphaTestOff();
    SetAddressMode(0, D3DTADDRESS_CLAMP);

    // Both quads are drawn with SpriteMesh's primitives; a quad that failed to load has no
    // buffers to draw them from.
    CMesh& quad = (flags & SPRITE_SECOND_QUAD) ? SpriteMesh2 : SpriteMesh;
    if (!quad.vertexBuffer || FAILED(quad.BindBuffers())) {
        WarningBox(&drawSpriteWarningBudget,
                   "Error in CGraphics::DrawSprite (SpriteMesh.SetBuffers()).", nullptr);
        return;
    }
    if (FAILED(SpriteMesh.RenderPrimitives(0)))
        WarningBox(&drawSpriteWarningBudget,
                   "Error in CGraphics::DrawSprite (SpriteMesh.RenderPrimitives()).", nullptr);
}

HRESULT CGraphics::DrawRect(const RECT& rect, D3DCOLOR color)
{
    return DrawRectXY(rect.left, rect.top, rect.right, rect.bottom, color);
}

// Drawn as a line strip of pre-transformed vertices: the line object does not draw on every
// system, and this looks the same wherever it does.
HRESULT CGraphics::DrawRectXY(int left, int top, int right, int bottom, D3DCOLOR color)
{
    const float l = float(left), t = float(top), r = float(right), b = float(bottom);
    const SLineVertex points[] = {
        {l, t, 0.0f, 1.0f, color}, {r, t, 0.0f, 1.0f, color}, {r, b, 0.0f, 1.0f, color},
        {l, b, 0.0f, 1.0f, color}, {l, t, 0.0f, 1.0f, color},
    };
    constexpr UINT segments = sizeof points / sizeof points[0] - 1;
    EndSprites();
    SetVertexShader(nullptr);
    SetPixelShader(nullptr);
    SetZEnable(false);
    // The outline is its vertex colour, over the picture by its alpha, as the line object
    // draws it; like the line object it gives the blending it found back afterwards, and
    // leaves the default stages, so the next draw inherits neither.
    const bool blended = (RenderStates & RS_BLEND_ON) != 0;
    const bool separate = (RenderStates & RS_SEPARATE_ALPHA_ON) != 0;
    const uint32_t src = srcBlend, dest = destBlend, op = blendOp;
    SetStageDiffuse();
    SetBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    SetFVF(LINE_FVF);
    HRESULT hr = Device3D->DrawPrimitiveUP(D3DPT_LINESTRIP, segments, points, sizeof points[0]);
    // Drawing from memory unbinds stream 0.
    streamVBs[0] = nullptr;
    ResetStages();
    RestoreBlend(blended, separate, src, dest, op);
    return hr;
}

CCursor* CGraphics::CreateCursor(IDirect3DTexture9* texture, int sourceX, int sourceY,
                                 int frameWidth, int frameHeight, int flags,
                                 float frameDuration, int frameCount, int offsetX, int offsetY)
{
    if (!texture)
        return nullptr;
    CCursor* c = new CCursor;
    texture->AddRef();
    c->texture = texture;
    c->sourceX = sourceX;
    c->sourceY = sourceY;
    c->frameWidth = frameWidth;
    c->frameHeight = frameHeight;
    c->flags = flags;
    c->frameDuration = frameDuration;
    c->frameCount = frameCount;
    c->offsetX = offsetX;
    c->offsetY = offsetY;
    c->step = 1;
    return c;
}

void CGraphics::EnsureCursor()
{
    if (!cursor)
        SetDefaultCursor();
}

void CGraphics::DrawCursor()
{
    if (cursor)
        cursor->Draw();
}

void CGraphics::DrawText(int font, const char* text, const RECT& rect, D3DCOLOR color)
{
    if (font >= 0 && font < FONT_COUNT)
        fonts[font].Draw(text, rect, color);
}
