// What the site looks like through the real program: the sun lights the buildings, night
// darkens them, the flat show's fades let the scene through, and the column's 2D drawing
// leaves the next frame's scene textured.

#include "app/Application.h"
#include "app/Column.h"
#include "app/FlatShow.h"
#include "app/Floor.h"
#include "app/MyBuilding.h"
#include "core/Core.h"
#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "engine/UnitInspector.h"
#include "gui/WinSuperior.h"
#include "scene/Renderer.h"
#include "tests/column/ColumnFixture.h"

#include <algorithm>
#include <cmath>

namespace column {
namespace {

bool Near(const D3DXCOLOR& a, const D3DXCOLOR& b, float tolerance)
{
    return fabsf(a.r - b.r) < tolerance && fabsf(a.g - b.g) < tolerance && fabsf(a.b - b.b) < tolerance;
}

TEST_F(ColumnTest, AtNightTheFacadeIsClearlyDarkerThanByDay)
{
    const CFloor* floor = gBuildings[0]->floors[4];
    test::Image day;
    ASSERT_TRUE(Frame(day));
    int x = 0, y = 0;
    ASSERT_TRUE(ScreenPointOf(floor, day, &x, &y));
    const SPatch lit = PatchAt(day, x, y);
    Click(gDayNightButton);
    CAtom* sun = gIUnitInspector->FindUnitByName("DirLight");
    ASSERT_NE(nullptr, sun);
    ASSERT_TRUE(RunUntil([&] { return Near(sun->Color, gNightColor, 1e-3f); }));
    ASSERT_TRUE(RunUntil([] { return Near(gIRenderer->ClearColor, gNightClearColor, 0.01f); }));
    test::Image night;
    ASSERT_TRUE(Frame(night));
    const SPatch dark = PatchAt(night, x, y);
    // By day the facade is a textured wall, at night the same wall in far less light.
    EXPECT_GT(lit.spread, 20);
    EXPECT_GT(lit.Brightness(), 150.0f);
    EXPECT_LT(dark.Brightness(), 0.6f * lit.Brightness());
    EXPECT_GT(dark.Brightness(), 3.0f);
    if (HasFailure()) {
        const std::string dir = test::TempDir("column");
        test::SaveBmp(day, dir + "\\Day.bmp");
        test::SaveBmp(night, dir + "\\Night.bmp");
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// Midway through its fade the attic lets the scene behind it through: the same frame drawn
// with the attic opaque and without it brackets the picture.
TEST_F(ColumnTest, AFadingAtticShowsTheSceneThroughItAndGoesAtTheEnd)
{
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    Click(b->floorWindows[4]);
    Click(gShowFlatButton);
    ASSERT_EQ(1, gShowStep);
    CAtom* attic = b->attic;
    // Slowly, so that a frame falls inside the half-second fade.
    gEngine->timeScale = 0.25f;
    ASSERT_TRUE(RunUntil([&] { return attic->Color.a < 0.3f; }, 1200));
    const float alpha = attic->Color.a;
    ASSERT_GT(alpha, 0.1f);
    gEngine->timeScale = 0.0f;
    test::Image half, opaque, gone;
    ASSERT_TRUE(Frame(half));
    CRenderStatesBlock& states = attic->classTemplate->renderStates;
    const uint32_t flags = states.flags;
    states.flags &= ~RSB_ALPHA_BLEND;
    ASSERT_TRUE(Frame(opaque));
    states.flags = flags;
    attic->state |= UNIT_DISABLED;
    ASSERT_TRUE(Frame(gone));
    attic->state &= ~UNIT_DISABLED;
    int x = 0, y = 0;
    ASSERT_TRUE(ScreenPointOf(attic, half, &x, &y));
    const SPatch m = PatchAt(half, x, y), a = PatchAt(opaque, x, y), g = PatchAt(gone, x, y);
    int ch = 0;
    for (int i = 1; i < 3; ++i)
        if (fabsf(a.rgb[i] - g.rgb[i]) > fabsf(a.rgb[ch] - g.rgb[ch])) ch = i;
    const float span = a.rgb[ch] - g.rgb[ch];
    EXPECT_GT(fabsf(span), 30.0f) << "the attic hides what is behind it";
    const float t = (m.rgb[ch] - g.rgb[ch]) / span;
    // Blended by the attic's alpha through its front, and once more for each of its inner
    // walls, slab and roof parts behind it: at least the alpha, clearly short of opaque.
    EXPECT_GT(t, alpha - 0.1f) << m.rgb[ch] << " between " << g.rgb[ch] << " and " << a.rgb[ch];
    EXPECT_LT(t, 0.9f) << m.rgb[ch] << " between " << g.rgb[ch] << " and " << a.rgb[ch];
    if (HasFailure()) {
        const std::string dir = test::TempDir("column");
        test::SaveBmp(half, dir + "\\Half.bmp");
        test::SaveBmp(opaque, dir + "\\Opaque.bmp");
        test::SaveBmp(gone, dir + "\\Gone.bmp");
    }
    gEngine->timeScale = 8.0f;
    ASSERT_TRUE(RunUntil([] { return gShowStep == 4; })) << gShowStep;
    EXPECT_TRUE(attic->state & UNIT_DISABLED);
    EXPECT_NEAR(0.0f, attic->Color.a, 1e-3f);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// The panel's outline is drawn every frame after the scene; the scene of the frames after
// keeps its textures, also where a class draws without shaders (the ground, here).
TEST_F(ColumnTest, TheSceneStaysTexturedAfterThePanelIsDrawn)
{
    CAtom* ground = gIUnitInspector->FindUnitByName("Ground");
    ASSERT_NE(nullptr, ground);
    CClassTemplate* body = ground->classTemplate;
    body->vertexShader = body->pixelShader = body->shaderTable = 0;
    test::Image before;
    ASSERT_TRUE(Frame(before));
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    ASSERT_TRUE(program.RunFrames(3));
    test::Image image;
    ASSERT_TRUE(Frame(image));
    ASSERT_TRUE(Frame(image));
    int x = 0, y = 0;
    ASSERT_TRUE(ScreenPointOf(b->floors[4], image, &x, &y));
    const SPatch facade = PatchAt(image, x, y);
    EXPECT_GT(facade.spread, 20);
    EXPECT_LT(facade.Brightness(), 3 * 230.0f);
    EXPECT_GT(facade.Brightness(), 60.0f);
    const int row = gEngine->view.Y + gEngine->view.Height - 150;
    for (int px : {100, 300, 500}) {
        const SPatch grass = PatchAt(image, px, row);
        EXPECT_LT(grass.Brightness(), 3 * 230.0f) << px;
        EXPECT_GT(grass.Brightness(), 60.0f) << px;
        EXPECT_TRUE(test::ColorNear(before.At(px, row), image.At(px, row), 6)) << px;
    }
    if (HasFailure()) test::SaveBmp(image, test::TempDir("column") + "\\Panel.bmp");
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace column
