#include "tests/column/ColumnFixture.h"

#include "app/Application.h"
#include "app/Flat.h"
#include "app/Floor.h"
#include "app/MyBuilding.h"
#include "core/Core.h"
#include "engine/Engine.h"
#include "gui/BaseWin.h"
#include "gui/WinSuperior.h"
#include "scene/Renderer.h"

#include <algorithm>
#include <string>

namespace column {

namespace {
constexpr int PATCH = 3;  // half size of the square of pixels a patch averages
}

bool HotPoint(const CFlat* flat, const CFloor* floor, int* x, int* y)
{
    const CBaseWin* b = flat->button;
    // The mask of the flat's own picture: a floor that names several keeps the last in hitMask.
    const uint8_t* mask = floor->MaskOf(flat->textureId);
    D3DSURFACE_DESC desc;
    if (!b || !mask || !b->texture || FAILED(b->texture->GetLevelDesc(0, &desc))) return false;
    for (int dy = 2; dy < b->height - 2; ++dy)
        for (int dx = 2; dx < b->width - 2; ++dx) {
            const size_t at = size_t(b->sourceRect.top + dy) * desc.Width + size_t(b->sourceRect.left + dx);
            if (mask[at] && mask[at + 1] && mask[at + desc.Width]) {
                *x = b->left + dx;
                *y = b->top + dy;
                return true;
            }
        }
    return false;
}

bool Frame(test::Image& image)
{
    gCore.RenderFrame();
    return test::ReadBackBuffer(image);
}

SPatch PatchAt(const test::Image& image, int x, int y)
{
    SPatch p;
    int low[3] = {255, 255, 255}, high[3] = {};
    for (int dy = -PATCH; dy <= PATCH; ++dy)
        for (int dx = -PATCH; dx <= PATCH; ++dx) {
            const uint32_t c = image.At(std::clamp(x + dx, 0, image.width - 1), std::clamp(y + dy, 0, image.height - 1));
            for (int ch = 0; ch < 3; ++ch) {
                const int v = int((c >> (16 - 8 * ch)) & 0xFF);
                p.rgb[ch] += float(v);
                low[ch] = std::min(low[ch], v);
                high[ch] = std::max(high[ch], v);
            }
        }
    for (int ch = 0; ch < 3; ++ch) {
        p.rgb[ch] /= float((2 * PATCH + 1) * (2 * PATCH + 1));
        p.spread = std::max(p.spread, high[ch] - low[ch]);
    }
    return p;
}

bool ScreenPointOf(const CAtom* unit, const test::Image& image, int* x, int* y, float height)
{
    D3DXMATRIX world;
    gRenderer->ComputeAttachedWorld(&world, unit);
    const D3DXVECTOR3 point(0.0f, height, 0.0f);
    D3DXVECTOR4 clip;
    D3DXVec3Transform(&clip, &point, &world);
    D3DXVec4Transform(&clip, &clip, &gRenderer->viewProj);
    if (clip.w <= 0.0f) return false;
    const D3DVIEWPORT9& view = gEngine->view;
    *x = int(view.X) + int((clip.x / clip.w * 0.5f + 0.5f) * float(view.Width));
    *y = int(view.Y) + int((0.5f - clip.y / clip.w * 0.5f) * float(view.Height));
    return *x > PATCH && *y > PATCH && *x < image.width - PATCH && *y < image.height - PATCH;
}

void ColumnTest::SetUp()
{
    ASSERT_EQ(1, program.Start(test::RunDir())) << messages.Joined();
    ASSERT_TRUE(program.RunFrames(3));
    ASSERT_NE(nullptr, gEngine);
    // The flights and fades take seconds of engine time.
    gEngine->timeScale = 8.0f;
}

void ColumnTest::TearDown() { program.Stop(); }

void ColumnTest::Mouse(int x, int y, uint8_t buttons) { test::MouseAt(x, y, buttons); }

void ColumnTest::ClickAt(int x, int y) { test::ClickAt(x, y); }

void ColumnTest::Click(const CBaseWin* win) { test::ClickWin(win); }

CMyBuilding* ColumnTest::ShowFirstBuilding()
{
    if (gBuildings.Count() < 1 || !gBuildings[0] || !gBuildings[0]->topViewButton) return nullptr;
    Click(gBuildings[0]->topViewButton);
    return gCurBuilding;
}

CFloor* ColumnTest::AddManyFlats(CMyBuilding* b)
{
    std::string list;
    for (int k = 1; k <= MANY_FLATS; ++k)
        list += "Flat" + std::to_string(k) + " [ Price: " + std::to_string(50000 + k) +
                ".25 Area: [ 61.50 34.20 ] Picture: [ 256 0 307 77 ] Button: [ 4 4 ] Label: [ 2 31 FF1A1A1A ] ]\n";
    const std::string path = test::TempDir("column") + "\\Many.txt";
    test::WriteFile(path, "CostArea: { Floor 5 { Flats: {\n" + list + "}; }; };\n");
    b->ScanCostAreaFile(path.c_str());
    return b->floors[4];
}

const CFlat* ColumnTest::ClickFlat(const CFloor* floor, const CFlat* flat)
{
    int x = 0, y = 0;
    if (!HotPoint(flat, floor, &x, &y)) return nullptr;
    ClickAt(x, y);
    for (int i = 0; i < floor->flats.Count(); ++i)
        if (floor->flats[i]->button && floor->flats[i]->button == gWinSuperior.pWinUnderMouse) return floor->flats[i];
    return nullptr;
}

} // namespace column
