#include "tests/containers2/ContainersFixture.h"

#include "engine/ArrayContainer.h"
#include "engine/Engine.h"
#include "engine/MapContainer.h"
#include "engine/MissionLoader.h"

namespace containers2 {
namespace {

const std::vector<uint32_t> GRID = {0xFF000001, 0xFF000002, 0xFF000003,  //
                                    0xFF000004, 0xFF000005, 0xFF000006};

TEST_F(ContainersTest, ArraysAreLoadedFromImagesAndFreedAtPresentationEnd)
{
    Write("grid.tga", Tga32(3, 2, GRID));
    ASSERT_EQ(0, ReadScript("UserArrays [ Count: 3 ]\n"
                            "ArrayData Grid { file: \"grid.tga\" };\n"
                            "ArrayData Other { file: grid.tga };\n"))
        << messages.Joined();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    CUserArray* grid = gIArrayContainer->FindArray("Grid");
    ASSERT_NE(nullptr, grid);
    EXPECT_EQ(3, grid->width);
    EXPECT_EQ(2, grid->height);
    ASSERT_NE(nullptr, grid->cells);
    EXPECT_EQ(0xFF000001u, grid->cells[0]);
    EXPECT_EQ(0xFF000006u, grid->cells[5]) << "row-major, top row first";
    EXPECT_EQ(0, grid->SetCell(2, 0, 77));
    EXPECT_EQ(77, grid->GetCell(2, 0));
    EXPECT_EQ(int32_t(0xFF000004), grid->GetCell(0, 1));
    for (const auto& outside : {std::make_pair(3, 0), std::make_pair(0, 2), std::make_pair(-1, 0)}) {
        EXPECT_EQ(USER_ARRAY_NO_CELL, grid->GetCell(outside.first, outside.second));
        EXPECT_EQ(-1, grid->SetCell(outside.first, outside.second, 1));
    }
    EXPECT_NE(nullptr, gIArrayContainer->FindArray("Other"));
    EXPECT_EQ(nullptr, gIArrayContainer->FindArray("grid"));

    gArrayContainer->FreeAll();
    EXPECT_EQ(nullptr, gIArrayContainer->FindArray("Grid"));
    // The next presentation has the whole pool again.
    EXPECT_EQ(0, ReadScript("ArrayData A { file: grid.tga };\nArrayData B { file: grid.tga };\n"));
    EXPECT_EQ(0, gExitCode) << messages.Joined();
    EXPECT_NE(nullptr, gIArrayContainer->FindArray("B"));
}

TEST_F(ContainersTest, AFullArrayPoolStopsReading)
{
    Write("grid.tga", Tga32(3, 2, GRID));
    EXPECT_EQ(-1, ReadScript("UserArrays [ Count: 2 ]\n"
                             "ArrayData One { file: grid.tga };\n"
                             "ArrayData Two { file: grid.tga };\n"
                             "Bogus\n"));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("ArrayContainer:  arrays limit is exceed.", messages.Texts()[0]);
    EXPECT_EQ(1, gExitCode);
    EXPECT_NE(nullptr, gIArrayContainer->FindArray("One"));
}

TEST_F(ContainersTest, DamagedArrayElementsAreReportedAndLeaveNoCells)
{
    Write("bad.tga", "not an image at all, but long enough to have a header");
    EXPECT_EQ(0, ReadScript("UserArrays [ Count: 4 Bogus: 1 ]\n"
                            "ArrayData Missing { file: none.tga height: 3 };\n"
                            "ArrayData Bad { file: bad.tga };\n"
                            "Variables [ ScriptVarCapacity: [ R: 1 W: 1 ] ]\n"));
    ASSERT_GE(messages.Count(), 3u) << messages.Joined();
    EXPECT_TRUE(messages.SaidWithMore("Undefine string 'Bogus:'", 1)) << messages.Joined();
    EXPECT_TRUE(messages.Contains("CUserArray::LoadData Error: can`t load data from file: \n    " + dir +
                                  "\\none.tga"));
    EXPECT_TRUE(messages.SaidWithMore("CArrayContainer::AddArray :  Undefine string 'height:'.", 1));
    EXPECT_TRUE(messages.Contains("can`t load data from file: \n    " + dir + "\\bad.tga"));
    CUserArray* missing = gIArrayContainer->FindArray("Missing");
    ASSERT_NE(nullptr, missing);
    EXPECT_EQ(nullptr, missing->cells);
    EXPECT_EQ(0, missing->width);
    EXPECT_EQ(USER_ARRAY_NO_CELL, missing->GetCell(0, 0));
    EXPECT_EQ(1, gParser->variables.recordCapacity) << "reading went on after the damaged elements";
}

TEST_F(ContainersTest, AnArrayBecomesTheValidMapOfTheCurrentGameMap)
{
    Write("grid.tga", Tga32(3, 2, GRID));
    gEngine->currentMap = gMapContainer->AddMap(new CGameMap(3, 2, 1));
    ASSERT_EQ(0, ReadScript("UserArrays [ Count: 3 ]\n"
                            "ArrayData Valid { file: grid.tga use_as_valid_map: FF000005 };\n"));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    EXPECT_EQ(gIArrayContainer->FindArray("Valid"), gEngine->validMap);
    EXPECT_EQ(int32_t(0xFF000005), gEngine->validMapValue);
}

TEST_F(ContainersTest, APresentationsArraysLiveAsLongAsThePresentation)
{
    Write("grid.tga", Tga32(3, 2, GRID));
    ASSERT_EQ(0, ReadScript("UserArrays [ Count: 3 ]\n"));
    const std::string show = Write("Show.txt", "ArrayData Heights { file: grid.tga };\n");
    ASSERT_EQ(0, gIMissionLoader->StartMission(show));
    gIEngine->Process();
    ASSERT_TRUE(gMissionLoader->Running()) << messages.Joined();
    CUserArray* heights = gIArrayContainer->FindArray("Heights");
    ASSERT_NE(nullptr, heights);
    EXPECT_EQ(3, heights->width);
    EXPECT_EQ(0, gIMissionLoader->EndMission());
    EXPECT_EQ(nullptr, gIArrayContainer->FindArray("Heights"));
}

} // namespace
} // namespace containers2
