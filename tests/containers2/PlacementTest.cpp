#include "tests/containers2/ContainersFixture.h"

#include "engine/ArrayContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "engine/Layouts.h"
#include "engine/MapContainer.h"
#include "engine/UnitInspector.h"
#include "scene/Geometry.h"

namespace containers2 {
namespace {

constexpr uint32_t FREE = 7;
constexpr uint32_t X = 0xFFFFFFFF;

struct PlacementTest : ContainersTest {
    CUserArray* valid = nullptr;
    CAtom* house = nullptr;

    void SetUp() override
    {
        ContainersTest::SetUp();
        Write("valid.tga", Tga32(6, 5, std::vector<uint32_t>(30, FREE)));
        Write("house01.tga", Tga32(2, 1, {X, X}));
        Write("house02.tga", Tga32(1, 2, {X, X}));
        gEngine->currentMap = gMapContainer->AddMap(new CGameMap(6, 5, 1));
        ASSERT_EQ(0, ReadScript("UnitInspector [ TemplateCount: 4 UnitCount: 16 ]\n"
                                "UserArrays [ Count: 2 ]\n"
                                "Layouts [ LayoutsCount: 2 ]\n"
                                "LAYOUT House { Type: Dir2 FirstFile: house01.tga };\n"
                                "ArrayData Valid { file: valid.tga use_as_valid_map: 7 };\n"
                                "GEOMETRY House { PlaceLayout: House };\n"
                                "GEOMETRY Tree { PlaceLayout: Oak };\n"));
        ASSERT_EQ(1u, messages.Count()) << messages.Joined();
        EXPECT_EQ("CLayouts::FindLayout :  not found layout 'Oak'.", messages.Texts()[0]);
        valid = gEngine->validMap;
        ASSERT_NE(nullptr, valid);
        CClassTemplate* cls = gUnitInspector->GetClassTemplate("House");
        ASSERT_NE(nullptr, cls);
        EXPECT_EQ(gLayouts->GetLayout(1), cls->placeLayout);
        house = gUnitInspector->CreateUnitFromTemplate(cls, gMapContainer->GetMap(gEngine->currentMap));
        ASSERT_NE(nullptr, house);
        house->placeMode = 1;
    }

    int Occupied() const
    {
        int n = 0;
        for (int i = 0; i < 30; ++i) n += valid->cells[size_t(i)] == ~FREE;
        return n;
    }
    uint32_t Cell(int x, int y) const { return valid->cells[size_t(y) * 6 + x]; }
};

TEST_F(PlacementTest, APlacedUnitMarksItsFootprintAndGivesItBackWhenItMoves)
{
    house->SetMapPos(At(2, 2, 0));
    EXPECT_EQ(2, Occupied());
    EXPECT_EQ(~FREE, Cell(1, 2));
    EXPECT_EQ(~FREE, Cell(2, 2));
    CLayout* layout = house->classTemplate->placeLayout;
    EXPECT_EQ(-1, layout->TestLayoutInValidMap(At(2, 2, 0), *valid, FREE)) << "a second house does not fit";

    house->SetMapPos(At(4, 3, 2));
    EXPECT_EQ(2, Occupied()) << "the old footprint was given back";
    EXPECT_EQ(FREE, Cell(1, 2));
    EXPECT_EQ(~FREE, Cell(4, 2));
    EXPECT_EQ(~FREE, Cell(4, 3));

    gUnitInspector->DeleteUnit(house);
    EXPECT_EQ(0, Occupied()) << "a deleted unit frees its cells";
}

TEST_F(PlacementTest, PlacingByPositionAlsoMarksTheFootprint)
{
    CGameMap* map = gMapContainer->GetMap(gEngine->currentMap);
    D3DXVECTOR4 position;
    map->GetFPos_XZ_ByPos4(&position, At(3, 1, 0));
    position.w = 1.0f;
    house->SetPos(position);
    EXPECT_EQ(3, house->mapPos.x);
    EXPECT_EQ(~FREE, Cell(3, 1));
    EXPECT_EQ(~FREE, Cell(2, 1));
    EXPECT_EQ(2, Occupied());
}

TEST_F(PlacementTest, AUnitWithoutLayoutOrValidMapMarksNothing)
{
    CAtom* tree = gUnitInspector->CreateUnitFromTemplate(gUnitInspector->GetClassTemplate("Tree"),
                                                         gMapContainer->GetMap(gEngine->currentMap));
    ASSERT_NE(nullptr, tree);
    tree->SetMapPos(At(2, 2, 0));
    EXPECT_EQ(0, Occupied());
    gEngine->validMap = nullptr;
    house->SetMapPos(At(2, 2, 0));
    gEngine->validMap = valid;
    EXPECT_EQ(0, Occupied());
}

// A repeated "Layouts" section sizes the pool afresh: no class keeps a layout of the old one.
TEST_F(PlacementTest, ARepeatedLayoutsSectionLeavesNoClassWithAnOldLayout)
{
    ASSERT_EQ(0, ReadScript("Layouts [ LayoutsCount: 2 ]\n")) << messages.Joined();
    EXPECT_EQ(nullptr, house->classTemplate->placeLayout);
    house->SetMapPos(At(2, 2, 0));
    EXPECT_EQ(0, Occupied());
}

} // namespace
} // namespace containers2
