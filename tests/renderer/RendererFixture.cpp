#include "tests/renderer/RendererFixture.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Meshes/Mesh.h"
#include "engine/CreateEngine.h"
#include "engine/MeshContainer.h"
#include "engine/Parser.h"
#include "engine/TexContainer.h"

#include <algorithm>

namespace rendertest {

std::vector<std::string> gLog;

namespace {


// A rectangle of view pixels as a mesh in clip space, wound to face the viewer.
std::string RectangleMesh(RECT r)
{
    auto x = [](LONG px) { return std::to_string(2.0f * float(px) / VIEW_WIDTH - 1.0f); };
    auto y = [](LONG py) { return std::to_string(1.0f - 2.0f * float(py) / VIEW_HEIGHT); };
    return "NumVertices 4\nNumPrimitives 2\nMESH\n4\n" + x(r.left) + " " + y(r.bottom) + " 0.5\n" + x(r.left) +
           " " + y(r.top) + " 0.5\n" + x(r.right) + " " + y(r.top) + " 0.5\n" + x(r.right) + " " + y(r.bottom) +
           " 0.5\nindices 2\n0 1 2\n0 2 3\nTextureCoords 4\n0 1\n0 0\n1 0\n1 1\n";
}

bool Holds(const std::vector<CAtom*>& list, const CAtom* unit)
{
    return std::find(list.begin(), list.end(), unit) != list.end();
}

} // namespace

const char* const RendererTest::START_SCRIPT =
    "UnitInspector [ TemplateCount: 8 UnitCount: 64 UnitAttaches: 16 ]\n"
    "TexContainer [ TexCount: 32 ]\n"
    "MeshContainer [ MeshCount: 32 ]\n"
    "Renderer [\n"
    "    QueueCount: 4\n"
    "    InQueueCount: 8\n"
    "    MaxRenderObjects: 16\n"
    "]\n";

CQuad::CQuad(const char* unitName)
{
    SetName(unitName);
    type = GEOMETRY_UNIT_TYPE;
    SysControls |= SYS_RENDER_ALWAYS;
}

CQuad::~CQuad()
{
    *alive_ = false;
}

uint32_t CQuad::PreRender()
{
    gLog.push_back(std::string("prerender:") + name);
    return preRenderResult;
}

uint32_t CQuad::Render(uint32_t pass)
{
    gLog.push_back(std::string("draw:") + name + ":" + std::to_string(pass));
    if (onRender) {
        // Both are copies: the unit, its callback included, may be gone when it returns.
        const std::shared_ptr<bool> alive = alive_;
        const std::function<void()> callback = onRender;
        callback();
        if (!*alive) return 0;  // deleted itself: nothing of it may be touched
    }
    return CGeometry::Render(pass);
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
    dir = test::TempDir("renderer");
    test::CopySpriteFiles(dir);
    // The device starts in this test's own folder, which holds its shaders.
    device_ = std::make_unique<test::TestDevice>(WS_POPUP, VIEW_WIDTH, VIEW_HEIGHT);
    SetCurrentDirectoryA(dir.c_str());
    ASSERT_EQ(0, device_->Init()) << messages.Joined();
    ASSERT_EQ(0, CreateEngine(0));
    gRenderer->SetViewport(0, 0, VIEW_WIDTH, VIEW_HEIGHT);
    gLog.clear();
    ReadScript(START_SCRIPT);
}

void RendererTest::TearDown()
{
    DestroyEngine();
    device_.reset();
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
    const std::string mesh = dir + "\\" + name + ".msh";
    test::WriteFile(mesh, RectangleMesh(rect));
    auto* quad = new CQuad(name);
    quad->mesh = gMeshContainer->LoadMesh(mesh.c_str(), MESH_XYZ | MESH_UV0, 0);
    quad->textures[0] = test::ColourTexture(argb);
    EXPECT_NE(0, quad->mesh) << messages.Joined();
    EXPECT_NE(0, quad->textures[0]);
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
    PrepareFixedPipeline();
    gRenderer->RenderUnits(PASS_NORMAL);
    gGraphics.EndScene();
}

void RendererTest::PrepareFixedPipeline()
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (D3DTRANSFORMSTATETYPE transform : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION})
        Device3D->SetTransform(transform, &identity);
    gGraphics.SetVertexShader(nullptr);
    gGraphics.SetPixelShader(nullptr);
    gGraphics.SetLighting(false);
    gGraphics.SetStageModulate();
    gGraphics.SetFVF(MESH_XYZ | MESH_UV0);
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
