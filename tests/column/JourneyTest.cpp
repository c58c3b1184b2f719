// The buyer's journey through the real program on the sample, with the mouse only: on every
// floor and flat of a building the column shows the figures of its cost/area file, computed
// here from the file's decimal texts exactly, each inside its window; then one flat show.

#include "app/Application.h"
#include "app/Column.h"
#include "app/Flat.h"
#include "app/FlatShow.h"
#include "app/Floor.h"
#include "app/MyBuilding.h"
#include "core/Config.h"
#include "core/Font.h"
#include "engine/Engine.h"
#include "engine/UnitInspector.h"
#include "gui/Label.h"
#include "tests/column/ColumnFixture.h"
#include "tests/support/SampleReaders.h"

#include <algorithm>
#include <cmath>

namespace column {
namespace {

constexpr int COLUMN_WIDTH = 250;

class JourneyTest : public ColumnTest, public ::testing::WithParamInterface<int> {};

// The screen box of a label's text (the window layer draws it 3 pixels above its place).
bool TextInside(const CBaseWin* win, const CBaseWin* outer)
{
    const CLabel* label = static_cast<const CLabel*>(win);
    int height = 0;
    const int width = label->font->GetTextWidth(label->text, &height, -1);
    return label->left >= outer->left && label->top - 3 >= outer->top && label->left + width - 1 <= outer->right &&
           label->top - 3 + height - 1 <= outer->bottom;
}

// A frame with the unit left out, all else as it is.
bool FrameWithout(CAtom* unit, test::Image& image)
{
    unit->state |= UNIT_DISABLED;
    const bool read = Frame(image);
    unit->state &= ~UNIT_DISABLED;
    return read;
}

float Difference(const SPatch& a, const SPatch& b)
{
    float most = 0.0f;
    for (int ch = 0; ch < 3; ++ch)
        most = std::max(most, fabsf(a.rgb[ch] - b.rgb[ch]));
    return most;
}

TEST_P(JourneyTest, EveryFloorAndFlatShowsTheFileFiguresAndAShowShowsTheFlat)
{
    ASSERT_EQ(3, gBuildings.Count());
    CMyBuilding* b = gBuildings[GetParam() - 1];
    const std::map<int, lint::FloorRecord> floors = lint::ScanCostArea(lint::CostAreaPath(GetParam()));
    ASSERT_EQ(size_t(b->floors.Count()), floors.size());
    test::Image plain;
    ASSERT_TRUE(Frame(plain));
    Click(b->topViewButton);
    ASSERT_EQ(b, gCurBuilding);
    for (const auto& [number, record] : floors) {
        Click(b->floorWindows[number - 1]);
        const CFloor* floor = gSelFloor;
        ASSERT_EQ(b->floors[number - 1], floor);
        // The hovered floor's label left of the facade and the chosen one's right of it.
        EXPECT_GE(gFloorLabel->left, AppWindowConfig.width - COLUMN_WIDTH) << number;
        EXPECT_LE(gSelFloorLabel->left + gSelFloorNumberRect.Width(), AppWindowConfig.width) << number;
        ASSERT_EQ(int(record.flats.size()), floor->flats.Count()) << number;
        for (int k = 0; k < floor->flats.Count(); ++k) {
            const lint::FlatRecord& file = record.flats[size_t(k)];
            const CFlat* flat = floor->flats[k];
            const std::string where = "floor " + std::to_string(number) + " " + file.word;
            const std::string areaA = lint::FigureText(file.areaA, false), areaB = lint::FigureText(file.areaB, false);
            EXPECT_EQ(areaA, static_cast<const CLabel*>(flat->areaALabel)->text) << where;
            EXPECT_EQ(areaB, static_cast<const CLabel*>(flat->areaBLabel)->text) << where;
            for (const CBaseWin* label : {flat->numberLabel, flat->areaALabel, flat->areaBLabel})
                EXPECT_TRUE(TextInside(label, flat->button)) << where;
            int x = 0, y = 0;
            ASSERT_TRUE(HotPoint(flat, floor, &x, &y)) << where;
            ClickAt(x, y);
            ASSERT_NE(nullptr, gFlatInfoWin) << where;
            EXPECT_EQ(areaA + " / " + areaB, gFlatInfoLabels[0]->text) << where;
            EXPECT_EQ(lint::FigureText(file.price, true), gFlatInfoLabels[1]->text) << where;
            EXPECT_EQ(lint::FigureText(lint::Total(file.price, file.areaA), true), gFlatInfoLabels[2]->text) << where;
        }
    }

    // The middle floor's show. At the end of the fly-in its interior is seen where the floor
    // projects, and the faded selection box adds nothing there.
    CFloor* shown = b->floors[(b->floors.Count() - 1) / 2];
    Click(b->floorWindows[shown->number - 1]);
    test::Image chosen;
    ASSERT_TRUE(Frame(chosen));
    Click(gShowFlatButton);
    ASSERT_TRUE(RunUntil([] { return gShowStep >= 3; })) << gShowStep;
    CAtom* box = gIUnitInspector->FindUnitByName("SelFloorRect");
    ASSERT_NE(nullptr, box);
    ASSERT_NE(nullptr, gInteriorUnit);
    gEngine->timeScale = 0.0f;
    test::Image seen, noBox, noInterior;
    ASSERT_TRUE(Frame(seen));
    ASSERT_TRUE(FrameWithout(box, noBox));
    ASSERT_TRUE(FrameWithout(gInteriorUnit, noInterior));
    int x = 0, y = 0;
    ASSERT_TRUE(ScreenPointOf(shown, seen, &x, &y, 0.5f));
    EXPECT_LT(Difference(PatchAt(seen, x, y), PatchAt(noBox, x, y)), 3.0f) << "the selection box shows";
    EXPECT_GT(Difference(PatchAt(seen, x, y), PatchAt(noInterior, x, y)), 30.0f) << "the interior is hidden";

    // After the flight back the building's highlight is drawn above its top-view button again.
    gEngine->timeScale = 8.0f;
    ASSERT_TRUE(RunUntil([] { return gShowStep == 4; })) << gShowStep;
    Click(gShowFlatButton);
    ASSERT_TRUE(RunUntil([] { return gShowStep == 0; })) << gShowStep;
    test::Image back;
    ASSERT_TRUE(Frame(back));
    ASSERT_NE(nullptr, gTopViewSelWin);
    int highlighted = 0, lost = 0;
    for (int row = 0; row < b->topViewSelectRect.Height(); ++row)
        for (int column = 0; column < b->topViewSelectRect.Width(); ++column) {
            const int px = gTopViewSelWin->left + column, py = gTopViewSelWin->top + row;
            highlighted += !test::ColorNear(plain.At(px, py), chosen.At(px, py), 4);
            lost += !test::ColorNear(chosen.At(px, py), back.At(px, py), 4);
        }
    EXPECT_GT(highlighted, 0);
    EXPECT_EQ(0, lost);
    if (HasFailure()) {
        const std::string dir = test::TempDir("journey");
        test::SaveBmp(seen, dir + "\\Seen.bmp");
        test::SaveBmp(back, dir + "\\Back.bmp");
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

INSTANTIATE_TEST_SUITE_P(Buildings, JourneyTest, ::testing::Values(1, 2, 3));

} // namespace
} // namespace column
