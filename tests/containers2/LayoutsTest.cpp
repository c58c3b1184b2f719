#include "tests/containers2/ContainersFixture.h"

#include "engine/ArrayContainer.h"
#include "engine/Layouts.h"

#include <algorithm>

namespace containers2 {
namespace {

constexpr uint32_t FREE = 7;
constexpr uint32_t X = 0xFFFFFFFF;  // a set mask cell

struct LayoutsTest : ContainersTest {
    CUserArray map;

    void SetUp() override
    {
        ContainersTest::SetUp();
        map.width = 6;
        map.height = 5;
        map.cells.reset(new uint32_t[30]);
        std::fill(map.cells.get(), map.cells.get() + 30, FREE);
    }

    // A 3 x 3 cross for directions 0 and 4, a 3 x 1 bar for directions 2 and 6.
    void WriteDir2Files()
    {
        Write("house01.tga", Tga32(3, 3, {0, X, 0, X, X, X, 0, X, 0}));
        Write("house02.tga", Tga32(3, 1, {X, X, X}));
    }
    CLayout* ReadHouse()
    {
        WriteDir2Files();
        EXPECT_EQ(0, ReadScript("Layouts [ LayoutsCount: 4 ]\n"
                                "LAYOUT House { Type: Dir2 FirstFile: \"house01.tga\" };\n"));
        EXPECT_EQ(0u, messages.Count()) << messages.Joined();
        return gLayouts->GetLayout(gLayouts->FindLayout("House"));
    }
    uint32_t& Cell(int x, int y) { return map.cells[size_t(y) * map.width + x]; }
};

TEST_F(LayoutsTest, ADir2LayoutAnswersForTheFourStraightDirections)
{
    CLayout* house = ReadHouse();
    ASSERT_NE(nullptr, house);
    EXPECT_EQ(2, house->type);
    EXPECT_EQ(3, house->dirs[0].width);
    EXPECT_EQ(1, house->dirs[0].centerX);
    EXPECT_EQ(1, house->dirs[2].height);
    EXPECT_EQ(house->dirs[0].mask, house->dirs[4].mask);
    EXPECT_EQ(house->dirs[2].mask, house->dirs[6].mask);
    for (int d : {0, 2, 4, 6}) EXPECT_EQ(0, house->TestLayoutInValidMap(At(2, 2, d), map, FREE)) << d;
    EXPECT_EQ(-2, house->TestLayoutInValidMap(At(2, 2, 1), map, FREE));
    EXPECT_EQ("CLayout::TestLayoutInValidMap:  layout data is null.", messages.Texts().back());
    EXPECT_EQ(-1, house->TestLayoutInValidMap(At(2, 2, 8), map, FREE));
    EXPECT_EQ("CLayout::TestLayoutInValidMap:  Pos.dir is invalid.", messages.Texts().back());
    EXPECT_EQ(-2, house->FillDataValue(At(2, 2, 3), map, 1));
    EXPECT_EQ("CLayout::FillDataValue:  layout data is null.", messages.Texts().back());
    EXPECT_EQ(-1, house->FillDataValue(At(2, 2, -1), map, 1));
    EXPECT_EQ(0u, messages.Texts().back().rfind("CLayout::FillDataValue:  Pos.dir is invalid.\n", 0))
        << "the last warning of the budget";
    EXPECT_EQ(-1, house->FillDataValue(At(2, 2, -1), map, 1));
    EXPECT_EQ(4u, messages.Count()) << "further warnings are silent";
}

TEST_F(LayoutsTest, OccupiedCellsUnderTheMaskBlockAndEmptyMaskCellsNever)
{
    CLayout* house = ReadHouse();
    ASSERT_NE(nullptr, house);
    Cell(1, 1) = 0;  // under an empty corner of the cross at (2, 2)
    Cell(3, 3) = 0;
    EXPECT_EQ(0, house->TestLayoutInValidMap(At(2, 2, 0), map, FREE));
    Cell(2, 3) = 0;  // under the cross's foot
    EXPECT_EQ(-1, house->TestLayoutInValidMap(At(2, 2, 0), map, FREE));
    EXPECT_EQ(0, house->TestLayoutInValidMap(At(3, 4, 2), map, FREE)) << "the bar lies in row 4 only";
}

TEST_F(LayoutsTest, AWrittenFootprintBlocksAnotherAndStaysInsideTheMap)
{
    CLayout* house = ReadHouse();
    ASSERT_NE(nullptr, house);
    EXPECT_EQ(0, house->FillDataValue(At(2, 2, 0), map, 9));
    EXPECT_EQ(9u, Cell(2, 1));
    EXPECT_EQ(9u, Cell(1, 2));
    EXPECT_EQ(FREE, Cell(1, 1));
    EXPECT_EQ(-1, house->TestLayoutInValidMap(At(2, 2, 0), map, FREE));
    EXPECT_EQ(0, house->TestLayoutInValidMap(At(2, 2, 0), map, 9)) << "cells of the value itself fit";
    EXPECT_EQ(-1, house->TestLayoutInValidMap(At(4, 2, 2), map, FREE)) << "the bar meets the cross at (3, 2)";
    EXPECT_EQ(0, house->TestLayoutInValidMap(At(4, 1, 2), map, FREE));
}

TEST_F(LayoutsTest, FootprintsOverTheEdgeDoNotFitAndAreWrittenOnlyInside)
{
    CLayout* house = ReadHouse();
    ASSERT_NE(nullptr, house);
    EXPECT_EQ(-1, house->TestLayoutInValidMap(At(0, 2, 0), map, FREE));
    EXPECT_EQ(-1, house->TestLayoutInValidMap(At(5, 4, 0), map, FREE));
    EXPECT_EQ(0, house->FillDataValue(At(5, 4, 0), map, 3));
    EXPECT_EQ(3u, Cell(5, 4));
    EXPECT_EQ(3u, Cell(4, 4));
    EXPECT_EQ(3u, Cell(5, 3));
    int written = 0;
    for (int i = 0; i < 30; ++i) written += map.cells[size_t(i)] == 3;
    EXPECT_EQ(3, written);
}

TEST_F(LayoutsTest, DamagedLayoutsAreReported)
{
    WriteDir2Files();
    Write("lone01.tga", Tga32(1, 1, {X}));
    EXPECT_EQ(0, ReadScript("Layouts [ LayoutsCount: 5 Extra: 2 ]\n"
                            "LAYOUT NoType { FirstFile: house01.tga };\n"
                            "LAYOUT Lone { Type: Dir2 FirstFile: lone01.tga Colour: red };\n"
                            "LAYOUT Four { Type: Dir4 FirstFile: house01.tga };\n"));
    const std::vector<std::string>& t = messages.Texts();
    ASSERT_EQ(4u, t.size()) << messages.Joined();
    // A section's unknown word is not taken to have a value: "2" is one more.
    EXPECT_TRUE(messages.SaidWithMore("Undefine string 'Extra:'", 1)) << messages.Joined();
    EXPECT_EQ("CLayout::LoadData: Layout must have a type.", t[1]);
    EXPECT_EQ("CLayout::LoadData Error: can`t load data from file: \n    " + dir + "\\lone02.tga", t[2]);
    EXPECT_TRUE(messages.SaidWithMore("CLayouts::ScanLayout :  Undefine string 'Colour:'.", 1));
    CLayout* lone = gLayouts->GetLayout(gLayouts->FindLayout("Lone"));
    ASSERT_NE(nullptr, lone);
    EXPECT_NE(nullptr, lone->dirs[0].mask) << "the first file was read";
    EXPECT_EQ(nullptr, lone->dirs[2].mask);
    CLayout* four = gLayouts->GetLayout(gLayouts->FindLayout("Four"));
    ASSERT_NE(nullptr, four);
    EXPECT_EQ(nullptr, four->dirs[0].mask) << "types 4 and 8 load no masks";
}

TEST_F(LayoutsTest, AnAbsentLayoutWarnsWhileTheBudgetLasts)
{
    ASSERT_EQ(0, ReadScript("Layouts [ LayoutsCount: 2 ]\n"));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(0, gLayouts->FindLayout("Nowhere"));
    EXPECT_EQ(4u, messages.Count());
    EXPECT_EQ("CLayouts::FindLayout :  not found layout 'Nowhere'.", messages.Texts()[0]);
}

TEST_F(LayoutsTest, AFullLayoutPoolStopsReading)
{
    EXPECT_EQ(-1, ReadScript("Layouts [ LayoutsCount: 2 ]\n"
                             "LAYOUT A { };\nLAYOUT B { };\nVariables [ ScriptVarCapacity: [ R: 1 W: 1 ] ]\n"));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Layouts:  arrays limit is exceed.", messages.Texts()[0]);
    EXPECT_EQ(1, gExitCode);
    EXPECT_EQ(0, gParser->variables.recordCapacity);
}

} // namespace
} // namespace containers2
