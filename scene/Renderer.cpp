#include "scene/Renderer.h"

#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Scanner.h"
#include "core/UsageParams.h"
#include "scene/Atom.h"

#include <cstdio>
#include <cstring>
#include <new>

CRenderer* gRenderer = nullptr;
IRenderer* gIRenderer = nullptr;

namespace {

bool Equal(const char* a, const char* b) { return strcmp(a, b) == 0; }

// A unit's RenderQueue is one byte and a render-object index 16 bits.
constexpr int32_t MAX_QUEUE_COUNT = 256;
constexpr int32_t MAX_IN_QUEUE_COUNT = 65535;
constexpr int32_t MAX_RENDER_OBJECTS = 65535;

// A size of the section; a value outside 0..limit is reported and the size stays.
void ScanCount(FILE* file, const char* keyword, int32_t* count, int32_t limit)
{
    int32_t value = 0;
    Core::fscan_int(file, &value);
    if (value >= 0 && value <= limit) {
        *count = value;
        return;
    }
    char text[64];
    snprintf(text, sizeof text, "%d' (0..%d).", int(value), int(limit));
    MsgBox4("CRenderer::FirstScan:  Improper ", keyword, " '", text);
}

} // namespace

CRenderer::CRenderer()
{
    D3DXMatrixIdentity(&mView);
    D3DXMatrixIdentity(&mProj);
    D3DXMatrixIdentity(&mViewProj);
    D3DXMatrixIdentity(&mMirror);
    D3DXMatrixIdentity(&mWorldView);
    D3DXMatrixIdentity(&mWorldViewProj);
    D3DXMatrixIdentity(&view);
    D3DXMatrixIdentity(&viewProj);
    for (D3DXMATRIX& m : boneMatrices) D3DXMatrixIdentity(&m);
    for (D3DXVECTOR4& factor : AnimFactor) factor = D3DXVECTOR4(0, 1, 0, 0);
    for (int i = 0; i < MAX_SHADOW_CAMERAS; ++i) {
        D3DXMatrixIdentity(&shadowViewProj[i]);
        D3DXMatrixIdentity(&shadowMatrix[i]);
        D3DXMatrixIdentity(&mShadow[i]);
        D3DXMatrixIdentity(&mWorldShadow[i]);
    }
    for (D3DXVECTOR4& uv : UvMulAdd) uv = D3DXVECTOR4(1, 1, 0, 0);
    if (Device3D) Device3D->GetViewport(&viewport);
}

CRenderer::~CRenderer()
{
    ReleaseGlowTargets();
    for (ShaderPair* shader : {&nonGlowPixelShader, &blurPixelShader, &postBlurPixelShader}) ReleaseShaderPair(*shader);
}

void CRenderer::SetViewport(int x, int y, int width, int height)
{
    viewport.X = DWORD(x);
    viewport.Y = DWORD(y);
    viewport.Width = DWORD(width);
    viewport.Height = DWORD(height);
}

int CRenderer::EnableGlowing(int on)
{
    glowing = on && glowTextureA && glowTextureB && glowDepth;
    return on && !glowing ? -1 : 0;
}

void CRenderer::SetViewProj(const D3DXMATRIX& view, const D3DXMATRIX& proj)
{
    this->view = view;
    D3DXMatrixMultiply(&viewProj, &view, &proj);
    D3DXMatrixTranspose(&mView, &view);
    D3DXMatrixTranspose(&mProj, &proj);
    D3DXMatrixTranspose(&mViewProj, &viewProj);
}

void CRenderer::AddLight(CAtom* light)
{
    if (light) lights.push_back(light);
}

int CRenderer::FirstScan(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // the opening "["
    for (Core::fscan_word(file, word); word[0] && !Equal(word, "]"); Core::fscan_word(file, word)) {
        if (Equal(word, "QueueCount:"))
            ScanCount(file, word, &QueueCount, MAX_QUEUE_COUNT);
        else if (Equal(word, "InQueueCount:"))
            ScanCount(file, word, &InQueueCount, MAX_IN_QUEUE_COUNT);
        else if (Equal(word, "MaxRenderObjects:"))
            ScanCount(file, word, &MaxRenderObjects, MAX_RENDER_OBJECTS);
        else if (Equal(word, "Glowing:"))
            ScanGlowing(file);
        else
            MsgBox3("CRenderer::FirstScan:  Undefine string '", word, "'.");
    }
    try {
        Allocate();
    } catch (const std::bad_alloc&) {
        MsgBox("CRenderer::FirstScan:  Not enough memory for the render queues: nothing will be drawn.");
        QueueCount = InQueueCount = MaxRenderObjects = 0;
        Allocate();
    }
    if (glowing) CreateGlowTargets();
    return 0;
}

int CRenderer::ScanGlowing(FILE* file)
{
    glowing = 1;
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);  // the opening "["
    for (Core::fscan_word(file, word); word[0] && !Equal(word, "]"); Core::fscan_word(file, word)) {
        if (Equal(word, "BufferRatio:")) {
            ScanBufferRatio(file);
        } else if (Equal(word, "ColorFormat:") || Equal(word, "DepthFormat:")) {
            const bool color = Equal(word, "ColorFormat:");
            Core::fscan_word(file, word);
            const D3DFORMAT format = FindSurfaceFormat(word);
            if (format != D3DFMT_UNKNOWN) (color ? ColorFormat : DepthFormat) = format;
        } else if (Equal(word, "Passes:")) {
            Core::fscan_int(file, &Passes);
        } else if (Equal(word, "NonGlowUnitsPixelShader:")) {
            ScanPixelShader(file, &nonGlowPixelShader);
        } else if (Equal(word, "BlurPixelShader:")) {
            ScanPixelShader(file, &blurPixelShader);
        } else if (Equal(word, "PostBlurPixelShader:")) {
            ScanPixelShader(file, &postBlurPixelShader);
        } else {
            MsgBox3("CRenderer::FirstScan:  In Glowing undefine string '", word, "'.");
        }
    }
    return 0;
}

// "1/N" with one digit N; only the first digit after the slash counts. A divisor of 0
// cannot size the targets and is refused like any other malformed ratio.
void CRenderer::ScanBufferRatio(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    if (word[0] == '1' && word[1] == '/' && word[2] > '0' && word[2] <= '9')
        BufferRatio = word[2] - '0';
    else
        MsgBox3("CRenderer::FirstScan:  Improper BufferRatio '", word, "'.");
}

void CRenderer::ScanPixelShader(FILE* file, ShaderPair* shader)
{
    char path[Core::STRING_BUFFER_SIZE];
    Core::fscan_string(file, path);
    ReleaseShaderPair(*shader);
    *shader = gGraphics.CompilePixelShader(path, gGraphics.psLevel, 0);
}

// Everything sized by the section; a second section frees the first sizes (after taking
// the queued units' bit 8 back) before allocating again.
void CRenderer::Allocate()
{
    ClearQueuedBits();
    const size_t slots = InQueueCount > 0 ? size_t(InQueueCount) : 0;
    const size_t count = QueueCount > 0 ? size_t(QueueCount) : 0;
    for (std::vector<SRenderQueue>* list : {&queues, &reflectionQueues, &controlQueues}) {
        list->assign(count, SRenderQueue{});
        for (SRenderQueue& queue : *list) queue.units.assign(slots, nullptr);
    }
    const size_t objects = MaxRenderObjects > 0 ? size_t(MaxRenderObjects) : 0;
    shadowCasters = std::vector<CAtom*>();
    shadowCasters.reserve(objects);
    shadowCameras = std::vector<CAtom*>();
    shadowCameras.reserve(MAX_SHADOW_CAMERAS);
    shadowReceivers = 0;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    renderObjectOwners.assign(objects, nullptr);
    inverseWorlds.assign(objects, identity);
    transposedWorlds.assign(objects, identity);
    instanceMatrices.assign(objects * 3 + 1, D3DXVECTOR4(0, 0, 0, 0));
    instanceColors.assign(objects, D3DXVECTOR4(0, 0, 0, 0));
    deferredSkeletons = std::vector<CAtom*>();
    deferredSkeletons.reserve(objects);
    bonePalette.assign(objects * MAX_BONES_PER_OBJECT * BONE_FLOATS + PALETTE_START, 0.0f);
    renderObjects = 0;
    paletteOffset = PALETTE_START;
    ClearColor = D3DXCOLOR(gGraphics.clearColor);
    lights = std::vector<CAtom*>();
    lights.reserve(FRAME_LIGHTS_START);
    ClearLightArrays();
    mWorlds = instanceMatrices.data();
    Colors = instanceColors.data();
}

// Both glow textures (cleared to 0) and the depth surface at the back buffer's size over
// the ratio; glowing stays on only when all three exist.
void CRenderer::CreateGlowTargets()
{
    ReleaseGlowTargets();
    glowWidth = int(gGraphics.presentParams.BackBufferWidth) / BufferRatio;
    glowHeight = int(gGraphics.presentParams.BackBufferHeight) / BufferRatio;
    if (Device3D && glowWidth > 0 && glowHeight > 0) {
        for (IDirect3DTexture9** texture : {&glowTextureA, &glowTextureB}) {
            *texture = gGraphics.CreateTargetTexture(glowWidth, glowHeight, ColorFormat);
            IDirect3DSurface9* surface = nullptr;
            if (*texture && SUCCEEDED((*texture)->GetSurfaceLevel(0, &surface))) {
                Device3D->ColorFill(surface, nullptr, 0);
                surface->Release();
            }
        }
        glowDepth = gGraphics.CreateDepthSurface(glowWidth, glowHeight, DepthFormat, D3DMULTISAMPLE_NONE);
    }
    EnableGlowing(1);
}

void CRenderer::ReleaseGlowTargets()
{
    if (glowTextureA) glowTextureA->Release();
    if (glowTextureB) glowTextureB->Release();
    if (glowDepth) glowDepth->Release();
    glowTextureA = glowTextureB = nullptr;
    glowDepth = nullptr;
}
