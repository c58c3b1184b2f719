// Units in several queues drawn over a real device and found in the read-back picture.

#include "core/Graphics.h"
#include "tests/renderer/RendererFixture.h"

namespace rendertest {
namespace {

using RenderPicture = RendererTest;

constexpr D3DCOLOR RED = 0xFFFF0000;
constexpr D3DCOLOR HALF_BLUE = 0x800000FF;
constexpr D3DCOLOR GREEN = 0xFF00FF00;
constexpr D3DCOLOR WHITE = 0xFFFFFFFF;
constexpr D3DCOLOR BLACK = 0xFF000000;

bool Near(const test::Image& image, int x, int y, D3DCOLOR expected)
{
    return test::ColorNear(image.At(x, y) | 0xFF000000, expected, 8);
}

TEST_F(RenderPicture, QueuesDrawInOrderWithTheirRenderStates)
{
    // Added in the opposite order of their queues.
    AddQuad("Green", 3, {200, 20, 260, 80}, GREEN);
    CQuad* blue = AddQuad("Blue", 2, {60, 20, 140, 100}, HALF_BLUE);
    AddQuad("Red", 1, {20, 20, 100, 100}, RED);
    CQuad* culled = AddQuad("Culled", 1, {20, 150, 100, 200}, WHITE);
    blue->classTemplate = TemplateWith("AlphaBlendNormal };");
    culled->classTemplate = TemplateWith("CullingCW };");
    RunFrame();
    std::vector<std::string> draws;
    for (const std::string& entry : gLog)
        if (entry.rfind("draw:", 0) == 0) draws.push_back(entry);
    EXPECT_EQ((std::vector<std::string>{"draw:Red:1", "draw:Culled:1", "draw:Blue:1", "draw:Green:1"}), draws);

    const test::Image image = Picture();
    ASSERT_EQ(VIEW_WIDTH, image.width);
    EXPECT_TRUE(Near(image, 40, 60, RED)) << std::hex << image.At(40, 60);
    EXPECT_TRUE(Near(image, 80, 60, 0xFF7F0080)) << "blue blended over red: " << std::hex << image.At(80, 60);
    EXPECT_TRUE(Near(image, 120, 60, 0xFF000080)) << "blue blended over black: " << std::hex << image.At(120, 60);
    EXPECT_TRUE(Near(image, 230, 50, GREEN)) << std::hex << image.At(230, 50);
    EXPECT_TRUE(Near(image, 60, 175, BLACK)) << "clockwise culling hides the quad: " << std::hex << image.At(60, 175);
    EXPECT_TRUE(Near(image, 300, 200, BLACK));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(RenderPicture, ControlsDrawOverTheSceneWithAFreshDepthBuffer)
{
    CQuad* scene = AddQuad("Scene", 1, {20, 20, 200, 200}, RED);
    CQuad* control = AddQuad("Control", 0, {50, 50, 100, 100}, GREEN);
    control->SysControls |= SYS_FOR_CONTROLS3D;
    control->classTemplate = TemplateWith("};");
    RunFrame();
    const test::Image image = Picture();
    EXPECT_TRUE(Near(image, 30, 30, RED));
    EXPECT_TRUE(Near(image, 75, 75, GREEN)) << std::hex << image.At(75, 75);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_TRUE(scene->state & UNIT_QUEUED);
}

} // namespace
} // namespace rendertest
