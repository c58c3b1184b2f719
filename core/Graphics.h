#pragma once
// CGraphics: the program's one Direct3D 9 device (gGraphics), with Direct3D and Device3D
// as the raw interfaces every layer draws through. Owns device creation from the
// configuration, the frame bracket and presentation, the viewport, the camera matrices and
// frustum, the render-state cache (compare, then set), shader creation and the objects
// every layer draws with. Creation failures are reported by message box and end start-up;
// faults inside a frame are counted warnings and the frame goes on.

#include "core/Cursor.h"
#include "core/Font.h"
#include "core/GraphicsTypes.h"
#include "core/Meshes/Mesh.h"
#include "core/ShaderBuilder.h"
#include "core/ViewPoint.h"

#include <cstdint>

extern IDirect3D9* Direct3D;
extern IDirect3DDevice9* Device3D;

// Bits of CGraphics::RenderStates: set bits mark states that differ from the frame default,
// except RS_CULL_CCW, which marks the default counter-clockwise culling as in force.
enum : uint32_t {
    RS_LIGHTING_OFF = 1,
    RS_BLEND_ON = 2,
    RS_WIREFRAME = 4,
    RS_ZWRITE_OFF = 8,
    RS_ZTEST_OFF = 16,
    RS_CULL_CCW = 32,
    RS_ALPHATEST_ON = 64,
    RS_ADDRESS_CHANGED = 128,
    RS_SEPARATE_ALPHA_ON = 256,
    RS_ZFUNC_CHANGED = 512,
    RS_CULL_CW = 1024,
};

// Markers of CGraphics::currentStages besides a table pointer.
constexpr uintptr_t STAGES_DEFAULT = 0;
constexpr uintptr_t STAGES_PRESET = 1;
constexpr uintptr_t STAGES_UNKNOWN = ~uintptr_t(0);

constexpr int SHADER_LEVEL_SLOTS = 32;
constexpr int PROFILE_NAME_SIZE = 32;
constexpr int SAMPLER_COUNT = 8;
constexpr int STREAM_COUNT = 8;
constexpr int VERTEX_DECLARATION_COUNT = 5;
constexpr int SPRITE_DECLARATION = 2;
constexpr int FONT_COUNT = 5;

// DrawSprite flags.
enum : uint32_t {
    SPRITE_BLEND = 1,          // source alpha over the picture; without it blending off
    SPRITE_ALPHA_TEST = 2,     // drop texels with alpha below 2
    SPRITE_KEEP_BLEND = 4,     // blending as it is (SPRITE_BLEND ignored)
    SPRITE_KEEP_PIXEL = 8,     // pixel shader and stages as they are
    SPRITE_KEEP_VERTEX = 32,   // vertex shader as it is
    SPRITE_ACCEPTED = 128,     // no effect on the drawing
    SPRITE_SECOND_QUAD = 256,  // SpriteMesh2's buffers
};

struct CGraphics {
    uint32_t behaviorFlags;
    D3DDEVTYPE deviceType;
    char psProfiles[SHADER_LEVEL_SLOTS][PROFILE_NAME_SIZE];
    char vsProfiles[SHADER_LEVEL_SLOTS][PROFILE_NAME_SIZE];
    int viewportPushCount;
    int viewportWarningBudget;
    D3DVIEWPORT9 defaultViewport;

    // Off-screen pass.
    int offscreenBeginCount;
    int onBackBuffer;
    int renderTargetWarningBudget;
    IDirect3DSurface9* savedBackBuffer;
    IDirect3DSurface9* savedDepth;
    IDirect3DTexture9* offscreenTexture;
    IDirect3DSurface9* offscreenDepth;

    int inScene;
    int sceneBegunOnce;
    int softwareVP;

    // Render-state cache.
    uint32_t RenderStates;
    uint32_t srcBlend, destBlend, blendOp;
    uint32_t srcBlendAlpha, destBlendAlpha, blendOpAlpha;
    uint32_t alphaFunc, alphaRef;
    uint32_t addressModes[SAMPLER_COUNT];
    uint32_t filters[SAMPLER_COUNT];
    uint32_t borderColors[SAMPLER_COUNT];
    IDirect3DBaseTexture9* stageTextures[STAGE_COUNT];
    IDirect3DVertexBuffer9* streamVBs[STREAM_COUNT];
    IDirect3DIndexBuffer9* indexBuffer;
    const ShaderPair* vertexShader;
    const ShaderPair* pixelShader;
    IDirect3DVertexDeclaration9* declaration;
    uint32_t fvf;
    uint32_t colorWrite;
    uint32_t zFunc;
    uintptr_t currentStages;  // a table pointer, STAGES_DEFAULT, _PRESET or _UNKNOWN
    SStageState stages[STAGE_COUNT];

    int spriteBegun;
    int spriteBlended;

    CCursor defaultCursor;
    CCursor* cursor;  // drawn once per frame; null draws none

    ShaderPair spriteShader11;
    CMesh SpriteMesh;   // the unit quad DrawSprite draws
    CMesh SpriteMesh2;  // the same primitives in buffers of their own
    ShaderPair spriteShader30;

    IDirect3DVertexDeclaration9* declarations[VERTEX_DECLARATION_COUNT];

    int presentWarningBudget;
    int drawSpriteWarningBudget;
    int bindWarningBudget;

    D3DPRESENT_PARAMETERS presentParams;
    D3DCAPS9 caps;
    int vsLevel;
    int psLevel;
    D3DCOLOR textureColorKey;
    D3DCOLOR clearColor;
    uint32_t clearFlags;
    D3DVIEWPORT9 viewport;
    ID3DXSprite* sprite;
    ID3DXLine* line;
    CViewPoint* camera;
    CViewPoint defaultCamera;
    CShaderBuilder shaderBuilder;  // builds the shader files, each start within its limits
    SFrustum frustum;
    D3DMULTISAMPLE_TYPE maxMultisample;
    D3DXMATRIX spriteMatrix;
    D3DXMATRIX view;
    D3DXMATRIX projection;
    D3DXMATRIX viewProjection;
    D3DXMATRIX inverseView;
    CFont fonts[FONT_COUNT];
    IDirect3DTexture9* whiteTexture;
    SFrameCounters counters;
    int renderTargetDepth;
    SRenderTargetRecord renderTargets[RENDER_TARGET_STACK_SIZE];

    CGraphics();
    // The configurable start values: present parameters, clear colour and flags, colour
    // key and creation flags (a restart in the same process begins from them again).
    void ResetSettings();

    // Device (GraphicsDevice.cpp).
    int Init(HWND window);
    int CreateDevice();
    int BeginFrame();
    void BeginScene();
    void EndScene();
    void BeginSceneOnce();
    void EndSceneOnce();
    void Present(HWND window);
    void Release();
    int OnDeviceLost(HRESULT result);

    // Render-target stack and off-screen passes (GraphicsOffscreen.cpp). Push saves the
    // viewport, colour target and depth surface (-1 when full); Pop puts them back (-1
    // when empty). Both return the OR of the device results.
    int PushRenderTarget();
    int PopRenderTarget();
    // The texture's level-0 surface (no reference) as target; rect (inclusive corners)
    // becomes a counted viewport, without one the whole surface is the viewport.
    IDirect3DSurface9* SetRenderTarget(IDirect3DTexture9* texture, IDirect3DSurface9* depth,
                                       const RECT* rect);
    IDirect3DSurface9* SetRenderTargetTexture(IDirect3DTexture9* texture);
    IDirect3DSurface9* SetRenderTargetDepth(IDirect3DTexture9* texture,
                                            IDirect3DSurface9* depth);
    // Switches from the back buffer to the texture until EndOffscreen; without useDepth no
    // depth surface is set during the pass.
    void BeginOffscreen(IDirect3DTexture9* texture, IDirect3DSurface9* depth, bool useDepth);
    void EndOffscreen();
    // ColorFill of level 0; -1 for a null texture.
    HRESULT FillTexture(IDirect3DTexture9* texture, D3DCOLOR colour);
    // Fill a rectangle (right and bottom exclusive) of the colour target; ClearRectZ and
    // Clear also clear depth to 1 and stencil to 0 when a depth surface is set.
    void ClearRect(int left, int top, int right, int bottom, D3DCOLOR colour);
    void ClearRectPtr(const RECT& rect, D3DCOLOR colour);
    void ClearRectZ(int left, int top, int right, int bottom, D3DCOLOR colour);
    void Clear(D3DCOLOR colour);

    void SetViewport(int x, int y, int width, int height);
    void SetViewportRect(const RECT& rect);
    void SetViewportEx(const D3DVIEWPORT9& vp);
    void RestoreViewport();

    // Camera (GraphicsCamera.cpp).
    void SetCamera(CViewPoint* cam);
    void SetCameraFovXY(CViewPoint* cam);
    void GetPickRay(D3DXVECTOR3* origin, D3DXVECTOR3* direction, int x, int y) const;

    // Render-state cache (GraphicsStates.cpp).
    void SetColorWrite(uint32_t mask);
    void SetColorWrite7() { SetColorWrite(7); }
    void SetColorWrite8() { SetColorWrite(8); }
    void SetLighting(bool on);
    void SetBlend(uint32_t src, uint32_t dest);
    void SetBlendEx(uint32_t src, uint32_t dest, uint32_t op);
    void SetBlendSeparate(uint32_t src, uint32_t dest, uint32_t op, uint32_t srcAlpha,
                          uint32_t destAlpha, uint32_t opAlpha);
    void BlendOff();
    void SetAlphaTest(uint32_t func, uint32_t ref);
    void AlphaTestOff();
    void SetWireframe(bool on);
    void CullCCW();
    void CullCW();
    void CullNone();
    void SetZEnable(bool on);
    void SetZWrite(bool on);
    void SetZFunc(uint32_t func);
    void SetAddressModes(const uint32_t modes[SAMPLER_COUNT]);
    void SetAddressMode(int sampler, uint32_t mode);
    void ResetAddressModes();
    void SetFilters(const uint32_t* values);  // null: linear on all samplers
    void SetBorderColors(const uint32_t colors[SAMPLER_COUNT]);
    void SetTexture(IDirect3DBaseTexture9* texture, int stage);
    void SetWhiteTexture(int stage);
    void ResetTextures();
    void SetStages(const SStageState* table);
    void SetStageModulate();
    void SetStageDiffuse();
    void ResetStages();
    HRESULT SetBuffers(IDirect3DVertexBuffer9* vb, UINT stride, IDirect3DIndexBuffer9* ib);
    HRESULT SetStreamVB(int stream, IDirect3DVertexBuffer9* vb, UINT stride);
    void SetVertexShader(const ShaderPair* pair);
    void SetPixelShader(const ShaderPair* pair);
    void SetDeclaration(IDirect3DVertexDeclaration9* decl);
    void SetFVF(uint32_t value);
    void RestoreRenderStates();

    // Shaders (GraphicsShaders.cpp).
    ShaderPair CreatePixelShaderFromFile(const char* file);
    ShaderPair CreateVertexShaderFromFile(const char* file);
    ShaderPair CreateVertexShaderFromString(const char* text);
    ShaderPair CompileVertexShader(const char* file, int level);
    ShaderPair CompileVertexShaderEx(const char* file, int level, const D3DXMACRO* macros);
    ShaderPair CompileVertexShaderDefine(const char* file, int level, const char* name,
                                         int value);
    ShaderPair CompilePixelShader(const char* file, int level, DWORD flags);
    ShaderPair CompilePixelShaderEx(const char* file, int level, const D3DXMACRO* macros,
                                    DWORD flags);
    ShaderPair CompilePixelShaderDefine(const char* file, int level, const char* name,
                                        int value, DWORD flags);

    // Sprites, 2D outlines and the cursor (GraphicsSprites.cpp). The sprite batch is the
    // sprite object between BeginSprites and EndSprites; everything else here closes it.
    void BeginSprites(bool noBlend);
    void EndSprites();
    HRESULT DrawTexture(int x, int y, const RECT* source, IDirect3DTexture9* texture,
                        D3DCOLOR color);
    // A textured quad through the sprite quad and shader; source corners are inclusive.
    void DrawSprite(float x, float y, IDirect3DTexture9* texture, const RECT* source,
                    float scaleX, float scaleY, D3DCOLOR color, uint32_t flags);
    HRESULT DrawRect(const RECT& rect, D3DCOLOR color);
    HRESULT DrawRectXY(int left, int top, int right, int bottom, D3DCOLOR color);
    // Null for a null texture; the cursor keeps its own reference to the texture.
    CCursor* CreateCursor(IDirect3DTexture9* texture, int sourceX, int sourceY, int frameWidth,
                          int frameHeight, int flags, float frameDuration, int frameCount,
                          int offsetX, int offsetY);
    void SetCursor(CCursor* c) { cursor = c; }
    void SetDefaultCursor() { cursor = &defaultCursor; }
    void EnsureCursor();
    void DrawCursor();
    // Unclipped text with one of the device's fonts.
    void DrawText(int font, const char* text, const RECT& rect, D3DCOLOR color);

    // --- Render-target textures and surfaces (core/Textures.cpp) ---
    // 1 level, render-target usage, default pool; null on failure.
    IDirect3DTexture9* CreateTargetTexture(int width, int height, D3DFORMAT format);
    // Quality 0, not lockable, no discard; null on failure.
    IDirect3DSurface9* CreateRenderTarget(int width, int height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE samples);
    IDirect3DSurface9* CreateDepthSurface(int width, int height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE samples);
    // --- end of render-target textures and surfaces ---

private:
    void ResetCache();
    void ForgetSceneState();
    void CreateDrawingObjects();
    void CreateFonts();
    void ForgetSpriteState();
    int CreateDeclarations();
    void ReleaseDrawingObjects();
    void ChooseMultisampling();
    void ChooseDepthFormat();
    void MeasureShaderLevels();
    void SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    void SetFlag(uint32_t bit, bool set, D3DRENDERSTATETYPE state, DWORD value);
    void SetStageValue(int stage, uint32_t SStageState::*field, D3DTEXTURESTAGESTATETYPE type,
                       uint32_t value);
    void SetSeparateAlphaOff();
    void SetBlendFactors(uint32_t src, uint32_t dest);
    void SetBlendOp(uint32_t op);
    // Blending back to what the cache held before (on, separate alpha, factors, operation).
    void RestoreBlend(bool on, bool separate, uint32_t src, uint32_t dest, uint32_t op);
    void ApplyViewpoint(CViewPoint* cam, const D3DXMATRIX& proj);
    ShaderPair CompileShader(const char* file, int level, const D3DXMACRO* macros,
                             DWORD flags, bool pixel);
    ShaderPair AssembleShaderFile(const char* file, bool pixel);
};
extern CGraphics gGraphics;

// Shader levels (10 x major + minor) of a device's shader versions and of profile names.
int VertexShaderLevel(DWORD version);
int PixelShaderLevel(DWORD version);
int GetShaderLevel(const char* profile);
