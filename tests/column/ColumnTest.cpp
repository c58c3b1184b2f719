// The control column on the sample: building, floor and flat choice with the mouse, where
// the facade, plan and popup go, and the messages of the show-flat button.

#include "app/Application.h"
#include "app/Column.h"
#include "app/Flat.h"
#include "app/FlatShow.h"
#include "app/Floor.h"
#include "app/Hints.h"
#include "app/MyBuilding.h"
#include "app/Texts.h"
#include "core/Config.h"
#include "core/Core.h"
#include "core/Input.h"
#include "core/Paths.h"
#include "core/Strings.h"
#include "engine/Engineer.h"
#include "engine/MissionLoader.h"
#include "engine/UnitInspector.h"
#include "gui/Label.h"
#include "gui/RadioBox.h"
#include "gui/WinSuperior.h"
#include "scene/Geometry.h"
#include "tests/column/ColumnFixture.h"
#include "tests/support/SampleReaders.h"

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace column {
namespace {

const std::string LIMIT = "PROGRAMMER LIMIT: Wins array for CWinSuperior is overflow: ";

std::string FloorText(int number) { return std::string(FLOOR_PREFIX) + std::to_string(number); }
bool Visible(const CBaseWin* win) { return win && (win->flags & WIN_VISIBLE); }

// The popup is shown, kept whole, with the figures AddManyFlats gave the flat.
void ExpectPopupOfManyFlat(const CFlat* flat)
{
    ASSERT_NE(nullptr, gFlatInfoWin);
    EXPECT_TRUE(Visible(gFlatInfoWin));
    EXPECT_GE(gFlatInfoWin->slot, 0);
    const int64_t price = (50000 + flat->number) * 100 + 25;
    EXPECT_EQ(lint::FigureText(6150, false) + " / " + lint::FigureText(3420, false), gFlatInfoLabels[0]->text);
    EXPECT_EQ(lint::FigureText(price, true), gFlatInfoLabels[1]->text);
    EXPECT_EQ(lint::FigureText(lint::Total(price, 6150), true), gFlatInfoLabels[2]->text);
    for (const CLabel* label : gFlatInfoLabels)
        EXPECT_GE(label->slot, 0);
}

TEST_F(ColumnTest, TheTopViewOffersEveryBuildingAndAClickShowsItsFacade)
{
    ASSERT_NE(nullptr, gTopViewWin);
    EXPECT_EQ(gPresentationWin->left, gTopViewWin->left);
    EXPECT_EQ(gPresentationWin->top + 30, gTopViewWin->top);
    EXPECT_EQ(gTopViewWinRect.Width(), gTopViewWin->width);
    ASSERT_EQ(3, gBuildings.Count());
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(nullptr, gBuildings[i]->topViewButton) << i;
        EXPECT_EQ(gTopViewWin->left + gBuildings[i]->topViewX, gBuildings[i]->topViewButton->left);
    }
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_EQ(gBuildings[0], b) << messages.Joined();
    const int floorH = b->faceFloorRect.Height(), hallH = b->faceHallRect.Height(), atticH = b->faceAtticRect.Height();
    EXPECT_EQ(gTopViewWin->bottom + 10, b->panelTop);
    EXPECT_EQ(gTopViewWin->bottom + 9 * floorH + atticH + hallH + 50, b->panelBottom);
    ASSERT_NE(nullptr, b->hallWindow);
    EXPECT_EQ(gTopViewWin->top + gTopViewWin->height + 9 * floorH + atticH + 20, b->hallWindow->top);
    // Floor 1 right above the hall, each next one above it, the attic on top.
    EXPECT_EQ(b->hallWindow->top - floorH, b->floorWindows[0]->top);
    for (int i = 1; i < 9; ++i)
        EXPECT_EQ(b->floorWindows[i - 1]->top - floorH, b->floorWindows[i]->top) << i;
    EXPECT_EQ(b->floorWindows[8]->top - atticH, b->atticWindow->top);
    EXPECT_EQ(b->floorWindows[0]->left, b->floors[0]->facadeX);
    EXPECT_TRUE(Visible(b->atticWindow));
    EXPECT_STREQ(b->address, gAddressLabel->text);
    EXPECT_EQ(b->panelBottom - 15, gAddressLabel->top);
    EXPECT_TRUE(Visible(gTopViewSelWin));
    EXPECT_EQ(b->topViewButton->left, gTopViewSelWin->left);
    EXPECT_TRUE(gHintsShown & HINT_BUILDING);
    // Another building takes the panel's place; the first one's windows go.
    Click(gBuildings[2]->topViewButton);
    EXPECT_EQ(gBuildings[2], gCurBuilding);
    EXPECT_EQ(nullptr, b->hallWindow);
    EXPECT_EQ(nullptr, b->floorWindows[0]);
    EXPECT_EQ(gTopViewWin->bottom + 12 * gBuildings[2]->faceFloorRect.Height() +
                  gBuildings[2]->faceAtticRect.Height() + gBuildings[2]->faceHallRect.Height() + 50,
              gBuildings[2]->panelBottom);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ColumnTest, HoveringAFloorLabelsItUntilTheMouseLeaves)
{
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    const CBaseWin* seventh = b->floorWindows[6];
    Mouse(seventh->left + 3, seventh->top + 3, 0);
    EXPECT_EQ(1, gFloorHover);
    ASSERT_NE(nullptr, gFloorLabel);
    EXPECT_TRUE(Visible(gFloorLabel));
    EXPECT_EQ(FloorText(7), gFloorLabel->caption);
    EXPECT_EQ(seventh->left - 60, gFloorLabel->left);
    EXPECT_EQ(seventh->top - 2, gFloorLabel->top);
    EXPECT_TRUE(Visible(b->lightingOverlay));
    EXPECT_EQ(seventh->top, b->lightingOverlay->top);
    // The next frame's idle step clears the hover and the panel hides the label.
    Mouse(5, 5, 0);
    ASSERT_TRUE(program.RunFrames(1));
    EXPECT_FALSE(Visible(gFloorLabel));
    EXPECT_FALSE(Visible(b->lightingOverlay));
}

TEST_F(ColumnTest, ChoosingAFloorOpensItsPlanAndAFlatItsPopup)
{
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    Click(b->floorWindows[0]);
    CFloor* floor = b->floors[0];
    ASSERT_EQ(floor, gSelFloor);
    EXPECT_NE(nullptr, floor->FirstAnimation());
    CGeometry* selection = dynamic_cast<CGeometry*>(gIUnitInspector->FindUnitByName("SelFloorRect"));
    ASSERT_NE(nullptr, selection);
    EXPECT_EQ(floor, selection->master);
    EXPECT_EQ(floor->selectMesh, selection->mesh);
    EXPECT_TRUE(Visible(b->selectionOverlay));
    EXPECT_EQ(floor->facadeX - 2, b->selectionOverlay->left);
    EXPECT_EQ(FloorText(1), gSelFloorLabel->caption);
    EXPECT_EQ(b->floorWindows[0]->right + 6, gSelFloorLabel->left);
    ASSERT_NE(nullptr, floor->flatsWindow);
    EXPECT_EQ(b->panelBottom + 20, floor->flatsArea.top);
    EXPECT_EQ(floor->flatsArea.top + 10, floor->flatsWindow->top);
    EXPECT_EQ(floor->flatsArea.top + floor->flatsWindow->height + 20, floor->flatsArea.bottom);
    EXPECT_TRUE(gHintsShown & HINT_FLOOR);
    const CFlat* golden = floor->flats[0];
    ASSERT_NE(nullptr, golden->button);
    EXPECT_EQ(floor->flatsWindow->left + golden->buttonX, golden->button->left);
    EXPECT_STREQ("1", static_cast<CLabel*>(golden->numberLabel)->text);

    int x = 0, y = 0;
    ASSERT_TRUE(HotPoint(golden, floor, &x, &y));
    ClickAt(x, y);
    ASSERT_NE(nullptr, gFlatInfoWin);
    EXPECT_TRUE(Visible(gFlatInfoWin));
    EXPECT_EQ(floor->flatsArea.left, gFlatInfoWin->left);
    EXPECT_EQ(floor->flatsArea.bottom + 14, gFlatInfoWin->top);

    // A right click on the facade drops the choice with its plan and popup.
    const CBaseWin* first = b->floorWindows[0];
    Mouse(first->left + 2, first->top + 2, MOUSE_RIGHT);
    Mouse(first->left + 2, first->top + 2, 0);
    Mouse(first->left + 2, first->top + 2, 0);
    EXPECT_EQ(nullptr, gSelFloor);
    EXPECT_EQ(nullptr, floor->flatsWindow);
    EXPECT_EQ(nullptr, golden->button);
    EXPECT_EQ(nullptr, gFlatInfoWin);
    EXPECT_EQ(0, selection->mesh);
    EXPECT_FALSE(Visible(b->selectionOverlay));
    // Choosing the same building again drops a new floor choice with its marks.
    Click(b->floorWindows[2]);
    ASSERT_EQ(b->floors[2], gSelFloor);
    Click(b->topViewButton);
    EXPECT_EQ(nullptr, gSelFloor);
    EXPECT_EQ(nullptr, b->floors[2]->flatsWindow);
    EXPECT_FALSE(Visible(b->selectionOverlay));
    EXPECT_FALSE(Visible(gSelFloorLabel));
    EXPECT_TRUE(Visible(b->floorWindows[2]));
    ASSERT_TRUE(program.RunFrames(2));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ColumnTest, ShowFlatAsksForABuildingThenForAFloor)
{
    ASSERT_NE(nullptr, gShowFlatButton);
    EXPECT_STREQ(SHOW_FLAT_HINT, gShowFlatButton->hint);
    Click(gShowFlatButton);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ(CHOOSE_BUILDING_TEXT, messages.Texts()[0]);
    ASSERT_NE(nullptr, ShowFirstBuilding());
    Click(gShowFlatButton);
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ(CHOOSE_FLOOR_TEXT, messages.Texts()[1]);
    EXPECT_EQ(0, gShowFlatButton->currentFrame);
    EXPECT_EQ(0, gShowStep);
}

// A presentation that fails to start after the old one ended leaves a column that draws none
// of the old one's pictures and has no building to show.
TEST_F(ColumnTest, AFailedStartLeavesNoPictureOfTheOldPresentation)
{
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    ASSERT_TRUE(Visible(gTopViewSelWin));
    std::set<IDirect3DTexture9*> released = {gHousingTex};
    for (int i = 0; i < gBuildings.Count(); ++i)
        released.insert({gBuildings[i]->topViewTexture, gBuildings[i]->facadeTexture});
    released.erase(nullptr);
    gIMissionLoader->StartMission("Presentations\\Nowhere.txt");
    ASSERT_TRUE(program.RunFrames(3));
    EXPECT_FALSE(gMissionLoader->Running());
    for (int i = 0; i < gWinSuperior.count; ++i) {
        const CBaseWin* win = gWinSuperior.windows[i];
        if (!win) continue;
        EXPECT_EQ(0u, released.count(win->texture)) << i << " at " << win->left << ", " << win->top;
    }
    // The show button has no building to show any more.
    const size_t before = messages.Count();
    Click(gShowFlatButton);
    ASSERT_EQ(before + 1, messages.Count());
    EXPECT_EQ(CHOOSE_BUILDING_TEXT, messages.Texts()[before]);
}

TEST_F(ColumnTest, TheColumnShowsThePanelOverTheGrey)
{
    gCore.RenderFrame();
    test::Image before;
    ASSERT_TRUE(test::ReadBackBuffer(before));
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    Click(b->floorWindows[0]);
    int x = 0, y = 0;
    ASSERT_TRUE(HotPoint(gSelFloor->flats[0], gSelFloor, &x, &y));
    ClickAt(x, y);
    ASSERT_TRUE(program.RunFrames(2));
    gCore.RenderFrame();
    test::Image image;
    ASSERT_TRUE(test::ReadBackBuffer(image));
    int coloured = 0;
    for (int row = 0; row < image.height; ++row)
        for (int column = image.width - 250; column < image.width; ++column)
            if (!test::ColorNear(image.At(column, row), 0xFF808080, 4)) ++coloured;
    // Top view, facade, plan, popup and control panel cover much of the column.
    EXPECT_GT(coloured, 250 * image.height / 2);
    // The panel's own fill between the top view and the facade, and under the plan.
    EXPECT_TRUE(test::ColorNear(0xFF505050, image.At(gTopViewWin->left + 3, b->panelTop + 3), 2));
    EXPECT_TRUE(test::ColorNear(0xFF505050, image.At(gSelFloor->flatsArea.left + 3, gSelFloor->flatsArea.top + 3), 2));
    // The scene under the column's drawing is drawn as before (the ground keeps its texture).
    for (int px : {100, 300, 500})
        EXPECT_TRUE(test::ColorNear(before.At(px, image.height - 200), image.At(px, image.height - 200), 6)) << px;
    if (HasFailure()) test::SaveBmp(image, test::TempDir("column") + "\\Column.bmp");
}

// A building made by hand from a block: ten floors of 20 pixels, hall 30, attic 15.
TEST_F(ColumnTest, ThePanelSpansTheFacadeUnderTheTopView)
{
    const std::string block = test::TempDir("column") + "\\Block.txt";
    test::WriteFile(block, "{ NumFloors: 10 FaceFloorRect: [ 0 0 39 19 ] FaceHallRect: [ 0 20 39 49 ] "
                           "FaceAtticRect: [ 0 50 39 64 ] };");
    CMyBuilding* b = NewMyBuilding(gIUnitInspector->GetClassTemplate("Building"), nullptr);
    ASSERT_NE(nullptr, b);
    FILE* file = fopen(block.c_str(), "r");
    ASSERT_NE(nullptr, file);
    b->Scan(file);
    fclose(file);
    ASSERT_EQ(10, b->floors.Count());
    // Without a top-view picture the building gets no button and cannot be chosen.
    b->AddTopViewButton(gTopViewWin->left, gTopViewWin->top);
    EXPECT_EQ(nullptr, b->topViewButton);
    gTopViewWin->MoveTo(gTopViewWin->left, 300 - gTopViewWin->height + 1);
    ASSERT_EQ(300, gTopViewWin->bottom);
    b->ShowPanel();
    EXPECT_EQ(310, b->panelTop);
    EXPECT_EQ(595, b->panelBottom);
    EXPECT_EQ(b, gCurBuilding);
    EXPECT_EQ(b->hallWindow->top - 20, b->floorWindows[0]->top);
    EXPECT_EQ(b->floorWindows[9]->top - 15, b->atticWindow->top);
    EXPECT_EQ(nullptr, gTopViewSelWin);
    gIUnitInspector->DeleteUnit(b);
    EXPECT_EQ(nullptr, gCurBuilding);
    ASSERT_TRUE(program.RunFrames(2));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A floor block naming a second picture after some flats: those flats keep the first picture,
// and a click where it is opaque opens their popup though the second is clear throughout.
TEST_F(ColumnTest, AFlatsButtonHitsByItsOwnPicture)
{
    const std::string dir = test::TempDir("column") + "\\";
    test::WriteFile(dir + "Big.tga", test::Tga32(64, 64, std::vector<uint32_t>(64 * 64, 0xFF808080)));
    test::WriteFile(dir + "Clear.tga", test::Tga32(32, 32, std::vector<uint32_t>(32 * 32, 0x00808080)));
    test::WriteFile(dir + "Cost.txt", "CostArea: { Floor 1 {\n"
                                      " FloorWinTextureRect: [ Big.tga [ 0 0 63 63 ] ]\n"
                                      " Flats: { Flat1 [ Price: 1 Area: [ 1 1 ] Picture: [ 0 0 15 15 ] Button: [ 4 4 ] ] };\n"
                                      " FloorWinTextureRect: [ Clear.tga [ 0 0 31 31 ] ]\n"
                                      "}; };\n");
    test::WriteFile(dir + "Block.txt", "{ NumFloors: 1 FaceWinTexture: Big.tga FaceFloorRect: [ 0 0 39 19 ]\n"
                                       "  CostAreaFile: \"" + dir + "Cost.txt\" };");
    CMyBuilding* b = NewMyBuilding(gIUnitInspector->GetClassTemplate("Building"), nullptr);
    ASSERT_NE(nullptr, b);
    // The block's pictures are named from its own folder.
    const std::string base = gBaseDir;
    StrCopy(gBaseDir, sizeof gBaseDir, dir.c_str());
    FILE* file = fopen((dir + "Block.txt").c_str(), "r");
    ASSERT_NE(nullptr, file);
    b->Scan(file);
    fclose(file);
    StrCopy(gBaseDir, sizeof gBaseDir, base.c_str());
    b->ShowPanel();
    Click(b->floorWindows[0]);
    ASSERT_EQ(b->floors[0], gSelFloor);
    ASSERT_EQ(1, gSelFloor->flats.Count());
    Click(gSelFloor->flats[0]->button);
    EXPECT_TRUE(Visible(gFlatInfoWin));
    gIUnitInspector->DeleteUnit(b);
    ASSERT_TRUE(program.RunFrames(2));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A floor whose cost/area file lists more flats than the window list holds shows those that
// fit, each with its figures and a working popup, and says once which floor leaves how many
// out, however often it is chosen.
TEST_F(ColumnTest, AFloorOfMoreFlatsThanTheWindowListHoldsShowsThoseThatFit)
{
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    const int before = b->floors[4]->flats.Count(), all = before + MANY_FLATS;
    CFloor* floor = AddManyFlats(b);
    ASSERT_EQ(all, floor->flats.Count());
    Click(b->floorWindows[4]);
    Click(b->floorWindows[4]);
    ASSERT_EQ(floor, gSelFloor);
    int shown = 0;
    while (shown < all && floor->flats[shown]->button) ++shown;
    EXPECT_GT(shown, before);
    EXPECT_LT(shown, all);
    for (int i = 0; i < all; ++i) {
        const CFlat* flat = floor->flats[i];
        for (const CBaseWin* win : {flat->button, flat->numberLabel, flat->areaALabel, flat->areaBLabel, flat->underline}) {
            if (i >= shown) {
                EXPECT_EQ(nullptr, win) << i;
                continue;
            }
            ASSERT_NE(nullptr, win) << i;
            ASSERT_GE(win->slot, 0) << i;
            EXPECT_EQ(win, gWinSuperior.windows[win->slot]) << i;
        }
    }
    // The copies lie on one another: the click opens the popup of the one on top.
    int x = 0, y = 0;
    ASSERT_TRUE(HotPoint(floor->flats[shown - 1], floor, &x, &y));
    ClickAt(x, y);
    int clicked = 0;
    while (clicked < shown && floor->flats[clicked]->button != gWinSuperior.pWinUnderMouse) ++clicked;
    ASSERT_LT(clicked, shown);
    ASSERT_GE(clicked, before);
    ExpectPopupOfManyFlat(floor->flats[clicked]);
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("PROGRAMMER LIMIT: building '" + std::string(b->name) + "', floor 5: " + std::to_string(all - shown) +
                  " of " + std::to_string(all) + " flats are not shown, the window list is full.",
              messages.Texts()[0]);
}

// The floor of many flats leaves the window list all but full. The developer's units list
// then makes none of its windows and its check goes off; the popup, whose room the floor
// kept, still opens. A group refused again and again is said once.
TEST_F(ColumnTest, AGroupOfWindowsWithoutRoomIsMadeNoneOfAndSaidOnce)
{
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    CFloor* floor = AddManyFlats(b);
    Click(b->floorWindows[4]);
    ASSERT_EQ(floor, gSelFloor);
    ASSERT_NE(nullptr, gEngineer);
    const CCheckBox* checks = gEngineer->viewChecks;
    ASSERT_NE(nullptr, checks);
    const int room = gWinSuperior.FreeWinCount();
    ASSERT_LT(room, 8);
    const CFlat* last = floor->flats[0];
    for (int i = 0; i < floor->flats.Count() && floor->flats[i]->button; ++i) last = floor->flats[i];
    messages.Clear();  // the flats left out
    // Two attempts make nothing and say one message.
    auto twice = [&](const std::function<void()>& attempt, const std::string& said) {
        const int before = gWinSuperior.FreeWinCount();
        for (int i = 0; i < 2; ++i) {
            gInput.doubleClickTime = 0.0f;
            attempt();
            EXPECT_EQ(before, gWinSuperior.FreeWinCount());
        }
        EXPECT_EQ(std::vector<std::string>{said}, messages.Texts());
        messages.Clear();
    };
    twice(
        [&] {
            ClickAt(checks->left + 10, checks->top + checks->rowHeight * 5 + checks->rowHeight / 2);
            EXPECT_EQ(nullptr, gEngineer->unitsList);
            EXPECT_EQ(0u, checks->selectedMask & VIEW_UNITS_LIST);
        },
        LIMIT + "a list dialog needs 8 windows, " + std::to_string(room) + " are free.");
    gInput.doubleClickTime = 0.0f;
    const CFlat* clicked = ClickFlat(floor, last);
    ASSERT_NE(nullptr, clicked);
    ExpectPopupOfManyFlat(clicked);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();

    Click(b->floorWindows[4]);  // chosen again: the popup goes with the old plan
    ASSERT_EQ(nullptr, gFlatInfoWin);
    std::vector<CBaseWin*> fillers;
    while (gWinSuperior.FreeWinCount() > 0)
        fillers.push_back(gWinSuperior.AddWin(0, 0, 1, 1, nullptr, nullptr, 0, 0, 0, 0, 0, 0));
    twice(
        [&] {
            EXPECT_NE(nullptr, ClickFlat(floor, last));
            EXPECT_EQ(nullptr, gFlatInfoWin);
        },
        LIMIT + "the flat popup needs 4 windows, 0 are free.");
    for (CBaseWin*& win : fillers)
        gWinSuperior.DeleteWin(&win);
}

// With the window list all but full a flat's button and the popup are refused whole: none
// of their windows is kept, and the room is there again.
TEST_F(ColumnTest, AFlatKeepsNoWindowOfAGroupTheFullListRefused)
{
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    Click(b->floorWindows[4]);
    CFloor* floor = gSelFloor;
    ASSERT_NE(nullptr, floor);
    std::vector<CBaseWin*> fillers;
    while (gWinSuperior.FreeWinCount() > 3)
        fillers.push_back(gWinSuperior.AddWin(0, 0, 1, 1, nullptr, nullptr, 0, 0, 0, 0, 0, 0));
    int x = 0, y = 0;
    ASSERT_TRUE(HotPoint(floor->flats[0], floor, &x, &y));
    ClickAt(x, y);
    EXPECT_EQ(nullptr, gFlatInfoWin);
    EXPECT_EQ(3, gWinSuperior.FreeWinCount());
    CFlat extra;
    extra.textureId = floor->flats[0]->textureId;
    extra.source = floor->flats[0]->source;
    extra.AddButton(floor->flatsWindow, nullptr, floor->flatsArea);
    for (const CBaseWin* win : {extra.button, extra.numberLabel, extra.areaALabel, extra.areaBLabel, extra.underline})
        EXPECT_EQ(nullptr, win);
    EXPECT_EQ(3, gWinSuperior.FreeWinCount());
    // One message for each group refused, none for its windows.
    EXPECT_EQ((std::vector<std::string>{LIMIT + "the flat popup needs 4 windows, 3 are free.",
                                        LIMIT + "a flat's button needs 5 windows, 3 are free."}),
              messages.Texts());
    for (CBaseWin*& win : fillers)
        gWinSuperior.DeleteWin(&win);
}

TEST_F(ColumnTest, EveryFloorCarriesItsLitWindows)
{
    ASSERT_EQ(3, gBuildings.Count());
    for (int i = 0; i < 3; ++i) {
        CMyBuilding* b = gBuildings[i];
        ASSERT_NE(0, b->windowMesh) << i;
        for (int f = 0; f < b->floors.Count(); ++f) {
            CGeometry* window = dynamic_cast<CGeometry*>(b->floors[f]->FindSlaveByClass("Window"));
            ASSERT_NE(nullptr, window) << i << " " << f;
            EXPECT_EQ(b->windowMesh, window->mesh) << i << " " << f;
        }
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace column
