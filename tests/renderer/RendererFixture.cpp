#include "tests/renderer/RendererFixture.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "engine/CreateEngine.h"
#include "engine/Parser.h"

#include <algorithm>

namespace rendertest {

std::vector<std::string> gLog;

namespace {

const char WINDOW_CLASS[] = "RendererTestWindow";

void RegisterClassOnce()
{
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = WINDOW_CLASS;
    RegisterClassExA(&wc);
    registered = true;
}

struct SQuadVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
};

bool Holds(const std::vector<CAtom*>& list, const CAtom* unit)
{
    return std::find(list.begin(), list.end(), unit) != list.end();
}

} // namespace

const char* const RendererTest::START_SCRIPT =
    "UnitInspector [ TemplateCount: 8 UnitCount: 64 UnitAttaches: 16 ]\n"
    "Renderer [\n"
    "    QueueCount: 4\n"
    "    InQueueCount: 8\n"
    "    MaxRenderObjects: 16\n"
    "]\n";

CQuad::CQuad(const char* unitName, int left, int top, int right, int bottom, D3DCOLOR color)
    : rect{left, top, right, bottom}, argb(color)
{
    SetName(unitName);
    type = 4;
    SysControls = SYS_GEOMETRY | SYS_RENDER_ALWAYS;
}

uint32_t CQuad::PreRender()
{
    gLog.push_back(std::string("prerender:") + name);
    return preRenderResult;
}

// A rectangle in screen pixels, wound clockwise on screen (front-facing by default).
uint32_t CQuad::Render(uint32_t pass)
{
    gLog.push_back(std::string("draw:") + name + ":" + std::to_string(pass));
    if (onRender) onRender();
    const float l = float(rect.left), t = float(rect.top), r = float(rect.right), b = float(rect.bottom);
    const SQuadVertex quad[4] = {
        {l, t, 0.5f, 1.0f, argb}, {r, t, 0.5f, 1.0f, argb}, {l, b, 0.5f, 1.0f, argb}, {r, b, 0.5f, 1.0f, argb}};
    gGraphics.SetVertexShader(nullptr);
    gGraphics.SetPixelShader(nullptr);
    gGraphics.SetStageDiffuse();
    gGraphics.SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    Device3D->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(SQuadVertex));
    return 0;
}

uint32_t CQuad::PostRender()
{
    gLog.push_back(std::string("postrender:") + name);
    return 0;
}

void CQuad::OnShow()
{
    gLog.push_back(std::string("show:") + name);
}

void CQuad::OnHide()
{
    gLog.push_back(std::string("hide:") + name);
}

void RendererTest::SetUp()
{
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    oldDir_ = cwd;
    dir = test::TempDir("renderer");
    for (const char* name : {"SpriteShader.hls", "SpriteMesh.msh", "SpriteMesh2.msh"})
        test::WriteFile(dir + "\\System\\" + name, test::ReadFile(test::RunDir() + "\\System\\" + name));
    SetCurrentDirectoryA(dir.c_str());

    RegisterClassOnce();
    window_ = CreateWindowExA(0, WINDOW_CLASS, "", WS_POPUP, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    ResetCoreSettings();
    gGraphics.ResetSettings();
    AppWindowConfig.windowed = 1;
    AppWindowConfig.winStyle = WS_POPUP;
    AppWindowConfig.width = VIEW_WIDTH;
    AppWindowConfig.height = VIEW_HEIGHT;
    AppWindowConfig.hWnd = window_;
    ASSERT_EQ(0, gGraphics.Init(window_)) << messages.Joined();
    ASSERT_EQ(0, CreateEngine(0));
    gRenderer->SetViewport(0, 0, VIEW_WIDTH, VIEW_HEIGHT);
    gLog.clear();
    ReadScript(START_SCRIPT);
}

void RendererTest::TearDown()
{
    DestroyEngine();
    gGraphics.Release();
    DestroyWindow(window_);
    ResetCoreSettings();
    gGraphics.ResetSettings();
    SetCurrentDirectoryA(oldDir_.c_str());
}

void RendererTest::ReadScript(const std::string& text)
{
    const std::string path = dir + "\\Script" + std::to_string(++scripts_) + ".txt";
    test::WriteFile(path, text);
    ASSERT_EQ(0, gParser->LoadScript(path.c_str())) << messages.Joined();
}

CClassTemplate* RendererTest::TemplateWith(const std::string& block)
{
    const std::string path = dir + "\\States" + std::to_string(templates_.size()) + ".txt";
    test::WriteFile(path, block);
    templates_.push_back(std::make_unique<CClassTemplate>());
    CClassTemplate* tmpl = templates_.back().get();
    FILE* file = fopen(path.c_str(), "r");
    EXPECT_NE(nullptr, file);
    if (file) {
        gRenderer->ScanRenderStates(file, &tmpl->renderStates);
        fclose(file);
    }
    return tmpl;
}

CQuad* RendererTest::AddQuad(const char* name, int queue, RECT rect, D3DCOLOR argb)
{
    auto* quad = new CQuad(name, rect.left, rect.top, rect.right, rect.bottom, argb);
    quad->RenderQueue = uint8_t(queue);
    EXPECT_EQ(0, gUnitInspector->AddUnitToProcess(quad));
    return quad;
}

void RendererTest::RunFrame()
{
    gRenderer->ResetFrame();
    gUnitInspector->ProcessUnits();
    Device3D->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    gGraphics.BeginScene();
    gRenderer->RenderUnits(PASS_NORMAL);
    gGraphics.EndScene();
}

test::Image RendererTest::Picture()
{
    test::Image image;
    EXPECT_TRUE(test::ReadBackBuffer(image));
    return image;
}

bool RendererTest::RendererForgot(const CAtom* unit)
{
    const CRenderer& r = *gRenderer;
    for (const std::vector<SRenderQueue>* list : {&r.queues, &r.reflectionQueues, &r.controlQueues})
        for (const SRenderQueue& queue : *list)
            if (Holds(queue.units, unit)) return false;
    return !Holds(r.shadowCasters, unit) && !Holds(r.shadowCameras, unit) && !Holds(r.lights, unit) &&
           !Holds(r.deferredSkeletons, unit);
}

} // namespace rendertest
