// Device creation, the scene and frame bracket, presentation and the viewport.

#include "core/Graphics.h"

#include "core/CameraMath.h"
#include "core/Core.h"
#include "core/Messages.h"
#include "core/Meshes/MeshReader.h"
#include "core/Textures.h"
#include "gui/RectEditor.h"

namespace {

const char SPRITE_SHADER_FILE[] = "System/SpriteShader.hls";
const char SPRITE_MESH_FILE[] = "System/SpriteMesh.msh";
const char SPRITE_MESH2_FILE[] = "System/SpriteMesh2.msh";
const char DEFAULT_CURSOR_FILE[] = "System/DefaultCursor.bmp";
constexpr uint32_t SPRITE_MESH_FORMAT = MESH_XYZ | MESH_UV0;  // matches the sprite declaration
constexpr int SPRITE_SHADER_LOW = 11;
constexpr int SPRITE_SHADER_HIGH = 30;
constexpr int LOST_DEVICE_EXIT_CODE = 1122;

// Framed windows (caption or sizing border) take the back buffer size from the client area.
constexpr DWORD FRAMED_STYLE_BITS = 0x00CF0000;

const D3DVERTEXELEMENT9 DECL_END = D3DDECL_END();
const D3DVERTEXELEMENT9 DECLARATION_ELEMENTS[VERTEX_DECLARATION_COUNT][4] = {
    {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0}, DECL_END},
    {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
     {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
     DECL_END},
    {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
     {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
     DECL_END},
    {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
     {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
     DECL_END},
    {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
     {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
     {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
     DECL_END},
};
static_assert(sizeof DECLARATION_ELEMENTS / sizeof DECLARATION_ELEMENTS[0] ==
                  VERTEX_DECLARATION_COUNT,
              "one element list per declaration");

struct SFontSpec {
    int height, width;
    const char* face;
    int style;
};
const SFontSpec DEVICE_FONTS[] = {
    {14, 5, "Arial", FONT_NOT_ANTIALIASED},
    {15, 6, "Arial", FONT_NOT_ANTIALIASED | FONT_BOLD},
    {15, 6, "Arial", FONT_NOT_ANTIALIASED},
    {16, 7, "Arial", FONT_NOT_ANTIALIASED | FONT_BOLD},
    {25, 11, "Arial", FONT_NOT_ANTIALIASED | FONT_BOLD},
};
static_assert(sizeof DEVICE_FONTS / sizeof DEVICE_FONTS[0] == FONT_COUNT, "one per font");

// Depth formats tried, in order, when the configured one is not available.
struct SDepthFormatName {
    D3DFORMAT format;
    const char* name;
};
const SDepthFormatName DEPTH_FALLBACKS[] = {
    {D3DFMT_D24X8, "D3DFMT_D24X8"},
    {D3DFMT_D16, "D3DFMT_D16"},
};
static_assert(sizeof DEPTH_FALLBACKS / sizeof DEPTH_FALLBACKS[0] == 2, "two fallbacks");

// The format the adapter shows: the desktop's when windowed, else the back buffer's
// without alpha.
D3DFORMAT AdapterFormat(const D3DPRESENT_PARAMETERS& pp)
{
    if (!pp.Windowed)
        return pp.BackBufferFormat == D3DFMT_A8R8G8B8 ? D3DFMT_X8R8G8B8 : pp.BackBufferFormat;
    D3DDISPLAYMODE mode = {};
    Direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    return mode.Format;
}

D3DFORMAT BackBufferFormat(const D3DPRESENT_PARAMETERS& pp)
{
    return pp.BackBufferFormat == D3DFMT_UNKNOWN ? AdapterFormat(pp) : pp.BackBufferFormat;
}

bool HasStencil(D3DFORMAT f)
{
    return f == D3DFMT_D24S8 || f == D3DFMT_D15S1 || f == D3DFMT_D24X4S4 || f == D3DFMT_D24FS8;
}

} // namespace

void CGraphics::ChooseDepthFormat()
{
    D3DPRESENT_PARAMETERS& pp = presentParams;
    if (!pp.EnableAutoDepthStencil)
        return;
    D3DFORMAT adapter = AdapterFormat(pp), back = BackBufferFormat(pp);
    auto usable = [&](D3DFORMAT f) {
        return SUCCEEDED(Direct3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, deviceType, adapter,
                                                     D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                                     f)) &&
               SUCCEEDED(Direct3D->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, deviceType,
                                                          adapter, back, f));
    };
    if (usable(pp.AutoDepthStencilFormat))
        return;
    for (const SDepthFormatName& f : DEPTH_FALLBACKS) {
        if (usable(f.format)) {
            pp.AutoDepthStencilFormat = f.format;
            MsgBox3("DEPTH_FORMAT of 'Application.cfg' is not supported by the device, ", f.name,
                    " is used instead.");
            return;
        }
    }
}

// The largest supported type not above the requested one; quality within its levels.
void CGraphics::ChooseMultisampling()
{
    D3DPRESENT_PARAMETERS& pp = presentParams;
    D3DFORMAT back = BackBufferFormat(pp);
    auto levels = [&](int type) -> DWORD {
        DWORD color = 0, depth = 0;
        D3DMULTISAMPLE_TYPE t = D3DMULTISAMPLE_TYPE(type);
        if (FAILED(Direct3D->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, deviceType, back,
                                                        pp.Windowed, t, &color)))
            return 0;
        if (!pp.EnableAutoDepthStencil)
            return color;
        if (FAILED(Direct3D->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, deviceType,
                                                        pp.AutoDepthStencilFormat, pp.Windowed,
                                                        t, &depth)))
            return 0;
        return depth < color ? depth : color;
    };
    maxMultisample = D3DMULTISAMPLE_NONE;
    for (int type = 2; type <= 16; type *= 2)
        if (levels(type))
            maxMultisample = D3DMULTISAMPLE_TYPE(type);

    if (pp.MultiSampleType < D3DMULTISAMPLE_2_SAMPLES)
        return;
    for (int type = pp.MultiSampleType; type >= D3DMULTISAMPLE_2_SAMPLES; --type) {
        DWORD n = levels(type);
        if (n) {
            pp.MultiSampleType = D3DMULTISAMPLE_TYPE(type);
            if (pp.MultiSampleQuality > n - 1)
                pp.MultiSampleQuality = n - 1;
            return;
        }
    }
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.MultiSampleQuality = 0;
}

int CGraphics::Init(HWND window)
{
    shaderBuilder.NewStart();  // ready by the first shader, while the device is made
    Direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!Direct3D) {
        MsgBox("Can`t create Direct3D of DX9 version");
        return -1;
    }
    const SAppWindowConfig& cfg = AppWindowConfig;
    D3DPRESENT_PARAMETERS& pp = presentParams;
    pp.hDeviceWindow = window;
    if (cfg.windowed) {
        pp.Windowed = TRUE;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.FullScreen_RefreshRateInHz = 0;
        bool framed = (cfg.winStyle & FRAMED_STYLE_BITS) != 0;
        pp.BackBufferWidth = framed ? 0 : cfg.width;
        pp.BackBufferHeight = framed ? 0 : cfg.height;
    } else {
        pp.Windowed = FALSE;
        pp.BackBufferWidth = cfg.width;
        pp.BackBufferHeight = cfg.height;
    }
    ChooseDepthFormat();
    ChooseMultisampling();
    // A clear of buffers the device does not have would fail and clear nothing.
    if (!pp.EnableAutoDepthStencil)
        clearFlags &= ~DWORD(D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
    else if (!HasStencil(pp.AutoDepthStencilFormat))
        clearFlags &= ~DWORD(D3DCLEAR_STENCIL);

    if (CreateDevice() != 0 || !Device3D)
        return -10;
    Device3D->GetDeviceCaps(&caps);
    MeasureShaderLevels();
    Device3D->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS,
                             pp.MultiSampleType != D3DMULTISAMPLE_NONE);
    CreateDrawingObjects();
    Device3D->GetViewport(&defaultViewport);
    viewport = defaultViewport;
    SetFilters(nullptr);
    return CreateDeclarations();
}

int CGraphics::CreateDevice()
{
    // Without memory now, the "TEX " loader tries again when it needs the buffer.
    AllocGarbleBuffer();
    Device3D = nullptr;
    D3DCAPS9 deviceCaps = {};
    Direct3D->GetDeviceCaps(D3DADAPTER_DEFAULT, deviceType, &deviceCaps);
    if (!(deviceCaps.PresentationIntervals & presentParams.PresentationInterval))
        presentParams.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    HWND window = presentParams.hDeviceWindow;
    HRESULT hr = Direct3D->CreateDevice(D3DADAPTER_DEFAULT, deviceType, window, behaviorFlags,
                                        &presentParams, &Device3D);
    if (FAILED(hr)) {
        behaviorFlags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
        hr = Direct3D->CreateDevice(D3DADAPTER_DEFAULT, deviceType, window, behaviorFlags,
                                    &presentParams, &Device3D);
    }
    if (FAILED(hr)) {
        Device3D = nullptr;
        MsgBox("Can`t create 3D device (of DirectX9 version: October2006)");
        return -1;
    }
    return 0;
}

void CGraphics::MeasureShaderLevels()
{
    vsLevel = VertexShaderLevel(caps.VertexShaderVersion);
    psLevel = PixelShaderLevel(caps.PixelShaderVersion);
    if (psLevel < 11)
        MsgBox("WARNING: Pixel shaders is not supported.");
}

void CGraphics::CreateFonts()
{
    for (int i = 0; i < FONT_COUNT; ++i) {
        const SFontSpec& f = DEVICE_FONTS[i];
        fonts[i].Create(f.height, f.width, f.face, f.style);
    }
}

// The sprite and line objects, the fonts, the default cursor with the DirectInput mouse,
// the rectangle editor's handle texture, the sprite shaders and quads and the white
// texture. A missing file is reported by its reader and start-up goes on.
void CGraphics::CreateDrawingObjects()
{
    SetIdentity(&spriteMatrix);
    D3DXCreateSprite(Device3D, &sprite);
    D3DXCreateLine(Device3D, &line);
    CreateFonts();
    CRectEditor::CreateHandleTexture();
    if (USE_MOUSE == MOUSE_DX) {
        defaultCursor.Load(DEFAULT_CURSOR_FILE);
        SetDefaultCursor();
    }
    spriteShader11 = CompileVertexShader(SPRITE_SHADER_FILE, SPRITE_SHADER_LOW);
    spriteShader30 = CompileVertexShader(SPRITE_SHADER_FILE, SPRITE_SHADER_HIGH);
    LoadMesh(SPRITE_MESH_FILE, &SpriteMesh, SPRITE_MESH_FORMAT, 0);
    LoadMesh(SPRITE_MESH2_FILE, &SpriteMesh2, SPRITE_MESH_FORMAT, 0);
    if (SUCCEEDED(D3DXCreateTexture(Device3D, 1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                    &whiteTexture))) {
        D3DLOCKED_RECT lr;
        if (SUCCEEDED(whiteTexture->LockRect(0, &lr, nullptr, 0))) {
            *static_cast<DWORD*>(lr.pBits) = 0xFFFFFFFF;
            whiteTexture->UnlockRect(0);
        }
    }
}

// Every declaration is tried; the last one's result is the answer.
int CGraphics::CreateDeclarations()
{
    HRESULT hr = D3D_OK;
    for (int i = 0; i < VERTEX_DECLARATION_COUNT; ++i)
        hr = Device3D->CreateVertexDeclaration(DECLARATION_ELEMENTS[i], &declarations[i]);
    return hr;
}

void CGraphics::ReleaseDrawingObjects()
{
    for (IDirect3DVertexDeclaration9*& d : declarations)
        ReleaseAndClear(d);
    ReleaseAndClear(whiteTexture);
    CRectEditor::ReleaseHandleTexture();
    ReleaseAndClear(spriteShader11.vs);
    ReleaseAndClear(spriteShader30.vs);
    SpriteMesh.Release();
    SpriteMesh2.Release();
    defaultCursor.Release();
    for (CFont& f : fonts)
        f.Release();
    ReleaseAndClear(line);
    ReleaseAndClear(sprite);
    ReleaseAndClear(savedBackBuffer);
    ReleaseAndClear(savedDepth);
    for (int i = 0; i < renderTargetDepth; ++i) {
        ReleaseAndClear(renderTargets[i].target);
        ReleaseAndClear(renderTargets[i].depth);
    }
}

void CGraphics::Release()
{
    if (Device3D)
        ReleaseDrawingObjects();
    ReleaseAndClear(Device3D);
    ReleaseAndClear(Direct3D);
    ResetCache();
}

int CGraphics::OnDeviceLost(HRESULT)
{
    return 0;
}

void CGraphics::BeginScene()
{
    counters = SFrameCounters{};
    inScene = 1;
    Device3D->BeginScene();
    ForgetSceneState();
    RestoreRenderStates();
    if (softwareVP) {
        Device3D->SetSoftwareVertexProcessing(FALSE);
        softwareVP = 0;
    }
}

void CGraphics::EndScene()
{
    if (!inScene)
        return;
    Device3D->EndScene();
    inScene = 0;
}

void CGraphics::BeginSceneOnce()
{
    if (inScene)
        return;
    BeginScene();
    sceneBegunOnce = 1;
}

void CGraphics::EndSceneOnce()
{
    if (!sceneBegunOnce)
        return;
    sceneBegunOnce = 0;
    EndScene();
}

int CGraphics::BeginFrame()
{
    HRESULT hr = Device3D->TestCooperativeLevel();
    if (FAILED(hr)) {
        int lost = OnDeviceLost(hr);
        if (lost) {
            gExitCode = LOST_DEVICE_EXIT_CODE;
            return lost;
        }
    }
    BeginScene();
    int result = 0;
    bool viewportLeft = viewportPushCount != 0, targetLeft = !onBackBuffer;
    if (viewportLeft) {
        WarningBox(&viewportWarningBudget, "ViewPort is not restored.", nullptr);
        result = -1;
    }
    if (targetLeft) {
        WarningBox(&renderTargetWarningBudget, "Render target is not restored.", nullptr);
        if (!result)
            result = -2;
    }
    // Whatever the last frame left open is closed here, so this frame still clears and
    // draws to the whole back buffer.
    if (targetLeft)
        EndOffscreen();
    if (viewportLeft || targetLeft)
        RestoreViewport();
    if (clearFlags)
        Device3D->Clear(0, nullptr, clearFlags, clearColor, 1.0f, 0);
    return result;
}

void CGraphics::Present(HWND window)
{
    if (!Device3D)
        return;
    HWND target = window ? window : AppWindowConfig.hWnd;
    if (FAILED(Device3D->Present(nullptr, nullptr, target, nullptr)))
        WarningBox(&presentWarningBudget, "Error in Device3D->Present().", nullptr);
}

void CGraphics::SetViewport(int x, int y, int width, int height)
{
    viewport = {DWORD(x), DWORD(y), DWORD(width), DWORD(height), 0.0f, 1.0f};
    Device3D->SetViewport(&viewport);
    ++viewportPushCount;
}

void CGraphics::SetViewportRect(const RECT& rect)
{
    SetViewport(rect.left, rect.top, rect.right - rect.left + 1, rect.bottom - rect.top + 1);
}

void CGraphics::SetViewportEx(const D3DVIEWPORT9& vp)
{
    SetViewport(int(vp.X), int(vp.Y), int(vp.Width), int(vp.Height));
}

void CGraphics::RestoreViewport()
{
    viewport = defaultViewport;
    Device3D->SetViewport(&viewport);
    viewportPushCount = 0;
}
