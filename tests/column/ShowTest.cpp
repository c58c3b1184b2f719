// The flat show's steps with their fades, the day/night glide and the one-time hints.

#include "app/Application.h"
#include "app/Column.h"
#include "app/FlatShow.h"
#include "app/Floor.h"
#include "app/Hints.h"
#include "app/MyBuilding.h"
#include "app/Texts.h"
#include "core/Graphics.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "engine/AnimContainer.h"
#include "engine/ClassTemplate.h"
#include "engine/Engine.h"
#include "engine/MissionLoader.h"
#include "engine/UnitInspector.h"
#include "gui/Label.h"
#include "gui/WinSuperior.h"
#include "scene/Camera.h"
#include "scene/Geometry.h"
#include "scene/Renderer.h"
#include "tests/column/ColumnFixture.h"

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace column {
namespace {

bool Visible(const CBaseWin* win) { return win && (win->flags & WIN_VISIBLE); }
bool Active(const CBaseWin* win) { return win && (win->flags & WIN_ACTIVE); }
bool Disabled(const CAtom* unit) { return unit->state & UNIT_DISABLED; }
float Delay(const CAtom* unit) { return unit->FirstAnimation() ? unit->FirstAnimation()->startDelay : -1.0f; }
// The clear colour passes through the device's 8-bit colour once a frame.
bool Near(const D3DXCOLOR& a, const D3DXCOLOR& b, float tolerance = 1e-3f)
{
    return fabsf(a.r - b.r) < tolerance && fabsf(a.g - b.g) < tolerance && fabsf(a.b - b.b) < tolerance &&
           fabsf(a.a - b.a) < tolerance;
}
constexpr float BYTE_STEP = 1.5f / 255.0f;

TEST_F(ColumnTest, TheShowFliesInFadesTheFloorsAboveAndFliesBack)
{
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    Click(b->floorWindows[4]);
    CFloor* shown = b->floors[4];
    ASSERT_EQ(shown, gSelFloor);
    Click(gShowFlatButton);
    EXPECT_EQ(1, gShowStep);
    EXPECT_EQ(shown, gShownFloor);
    EXPECT_STREQ(CLOSE_SHOW_HINT, gShowFlatButton->hint);
    EXPECT_TRUE(Visible(gShowFlatButton));
    EXPECT_FALSE(Active(gShowFlatButton));
    EXPECT_EQ(128u, gShowFlatButton->color >> 24);
    // The attic first, then floors 9 down to 6 each 0.05 s later, the selection last.
    EXPECT_FLOAT_EQ(0.0f, Delay(b->attic));
    for (int number = 9; number >= 6; --number)
        EXPECT_NEAR(0.05f * float(10 - number), Delay(b->floors[number - 1]), 1e-4) << number;
    EXPECT_EQ(-1.0f, Delay(b->floors[4]) > 0.0f ? 0.0f : -1.0f);
    CAtom* selection = gIUnitInspector->FindUnitByName("SelFloorRect");
    EXPECT_NEAR(0.25f, Delay(selection), 1e-4);
    // Every top-view button waits; the facade too.
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(Active(gBuildings[i]->topViewButton)) << i;
    EXPECT_FALSE(Active(b->floorWindows[0]));
    ASSERT_NE(nullptr, gInteriorUnit);
    EXPECT_EQ(shown, gInteriorUnit->master);

    ASSERT_TRUE(RunUntil([] { return gShowStep == 4; })) << gShowStep;
    EXPECT_TRUE(Active(gShowFlatButton));
    EXPECT_EQ(0xFFu, gShowFlatButton->color >> 24);
    EXPECT_TRUE(gHintsShown & HINT_SHOW);
    EXPECT_TRUE(Disabled(b->attic));
    EXPECT_TRUE(Disabled(b->floors[5]));
    EXPECT_FALSE(Disabled(shown));

    Click(gShowFlatButton);
    EXPECT_STREQ(SHOW_FLAT_HINT, gShowFlatButton->hint);
    // Waiting for the flight back, the button stays as it is.
    EXPECT_FALSE(Active(gShowFlatButton));
    EXPECT_TRUE(Visible(gShowFlatButton));
    EXPECT_EQ(0xFFu, gShowFlatButton->color >> 24);
    EXPECT_FLOAT_EQ(INTERIOR_LINGER, gInteriorTimer);
    EXPECT_NEAR(0.70f, Delay(b->floors[5]), 1e-4);
    EXPECT_NEAR(0.85f, Delay(b->floors[8]), 1e-4);
    EXPECT_NEAR(0.90f, Delay(b->attic), 1e-4);
    EXPECT_FALSE(Disabled(b->attic));
    EXPECT_FALSE(Disabled(b->floors[5]));
    EXPECT_TRUE(Active(gBuildings[1]->topViewButton));
    EXPECT_TRUE(Visible(b->selectionOverlay));
    ASSERT_TRUE(RunUntil([] { return gShowStep == 0; })) << gShowStep;
    EXPECT_TRUE(Active(gShowFlatButton));
    ASSERT_TRUE(RunUntil([] { return gInteriorUnit == nullptr; }));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A flight whose mover has no way to go (the camera already looks at the floor, or at the
// ground on the way back) still advances the show once per step, and the button keeps
// toggling show after show.
TEST_F(ColumnTest, AFlightWithNothingToTravelStepsTheShowOnce)
{
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    Click(b->floorWindows[4]);
    CCamera* camera = gIUnitInspector->GetCamera();
    ASSERT_NE(nullptr, camera);
    for (int round = 0; round < 2; ++round) {
        D3DXVECTOR4 p;
        gSelFloor->GetWorldPos(&p);
        camera->target = D3DXVECTOR4(p.x, p.y - 1.0f, p.z, 1.0f);
        Click(gShowFlatButton);
        ASSERT_TRUE(RunUntil([] { return gShowStep >= 3; })) << round;
        // The turn starts only when both movers have ended.
        EXPECT_TRUE(camera->smoothMovers.Empty()) << round;
        ASSERT_TRUE(RunUntil([] { return gShowStep == 4; })) << gShowStep;
        ASSERT_TRUE(program.RunFrames(30));
        EXPECT_EQ(4, gShowStep) << round;
        EXPECT_TRUE(Active(gShowFlatButton)) << round;

        camera->target.y = 0.0f;
        Click(gShowFlatButton);
        EXPECT_TRUE(Visible(gShowFlatButton));
        EXPECT_EQ(0xFFu, gShowFlatButton->color >> 24);
        ASSERT_TRUE(RunUntil([&] { return gShowStep == 0 && camera->smoothMovers.Empty(); })) << gShowStep;
        ASSERT_TRUE(program.RunFrames(30));
        EXPECT_EQ(0, gShowStep) << round;
        EXPECT_TRUE(Active(gShowFlatButton)) << round;
    }
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A turn around the flat that cannot start (here an animation of no frames, as such a file
// loads) or that takes no time to speak of is over at once, a cyclic one after one pass and
// one of ages within a minute: the show runs and its button takes clicks. The long turn is
// said once, however many shows meet one.
TEST_F(ColumnTest, EveryTurnAroundTheFlatEndsAndTheShowRuns)
{
    CMyBuilding* b = ShowFirstBuilding();
    ASSERT_NE(nullptr, b);
    CEngineAnimFile* turn = gIAnimContainer->GetAnimFile(gIAnimContainer->FindAnimFileIndex("CamFlatRotate"));
    ASSERT_NE(nullptr, turn);
    const int frames = turn->data.frameCount;
    const float seconds = turn->data.duration;
    const uint16_t flags = turn->playFlags, cyclic = uint16_t(flags | PLAY_CYCLIC);
    const struct {
        int frames;
        float duration;
        uint16_t playFlags;
    } rows[] = {{0, seconds, flags},      {frames, 1e-30f, flags},   {frames, 1e-11f, flags},
                {2, 3.4e38f, flags},      {frames, seconds, cyclic}, {frames, 3600.0f, cyclic}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.frames << " frames, " << row.duration << " s, flags "
                                        << row.playFlags);
        if (gSelFloor != b->floors[4]) Click(b->floorWindows[4]);
        turn->data.frameCount = row.frames;
        turn->data.duration = row.duration;
        turn->playFlags = row.playFlags;
        Click(gShowFlatButton);
        // A minute of turn is waited for at a raised time scale, once the flight is over.
        ASSERT_TRUE(RunUntil([] { return gShowStep >= 3; })) << gShowStep;
        if (row.duration > 60.0f) gEngine->timeScale = 64.0f;
        ASSERT_TRUE(RunUntil([] { return gShowStep == 4; }, 300)) << gShowStep;
        gEngine->timeScale = 8.0f;
        EXPECT_TRUE(Active(gShowFlatButton));
        Click(gShowFlatButton);
        ASSERT_TRUE(RunUntil([] { return gShowStep == 0; }));
    }
    // The animation of no frames is refused where it is started.
    const std::vector<std::string> said = {
        "CAtom::AddAnimation Error: null animation file.",
        "Animation 'CamFlatRotate': a turn longer than 60 seconds is played in 60 seconds."};
    EXPECT_EQ(said, messages.Texts());
}

const char ASSIGN_LIMIT[] = "CAtom::AssignMaster:  For UnitInspector UnitAttaches limit is exceeded.";
const char ATTACH_LIMIT[] = "CAtom::AttachUnit:  For UnitInspector UnitAttaches limit is exceeded.";
const char NOT_GEOMETRY[] = "CFloor::ShowInterior: class 'Interior' is not a geometry unit: the floor's interior is not "
                            "shown.";

// Units registered now that are neither in the set nor on a master.
std::vector<const CAtom*> LooseUnits(const std::set<const CAtom*>& known)
{
    std::vector<const CAtom*> loose;
    for (int i = 1; i <= gUnitInspector->UnitBound(); ++i)
        if (const CAtom* unit = gUnitInspector->UnitAt(i))
            if (!unit->master && !known.count(unit)) loose.push_back(unit);
    return loose;
}

// The attach pool full, or all but full, when a floor is chosen and its show runs: the
// selection box is drawn only on the chosen floor and moves there with its own record, and
// an interior the pool cannot carry, or whose class cannot carry a mesh, is not kept; each
// refusal is said once, the interior's over two shows too, and no unit of either is left
// without its master.
TEST_F(ColumnTest, AFullAttachPoolLeavesNoUnitOfTheFloorLoose)
{
    enum Interior { PLAIN, WITH_WINDOW, NOT_GEOMETRY_CLASS };
    const struct {
        const char* what;
        int room;           // attach records left when the floor is chosen
        bool chosenBefore;  // another floor holds the box when the pool fills
        Interior interior;
        bool boxOnFloor, interiorMade;
        int shows;  // the show is opened and closed this many times
        std::vector<std::string> said;
    } rows[] = {
        {"pool full", 0, false, PLAIN, false, false, 1, {ASSIGN_LIMIT, ATTACH_LIMIT}},
        {"pool full, interior with windows", 0, false, WITH_WINDOW, false, false, 1, {ASSIGN_LIMIT, ATTACH_LIMIT}},
        {"room for the box", 1, false, PLAIN, true, false, 1, {ATTACH_LIMIT}},
        {"pool full, box on another floor", 0, true, PLAIN, true, false, 1, {ATTACH_LIMIT}},
        {"room for all", 3, false, WITH_WINDOW, true, true, 1, {}},
        {"interior not a geometry, shown twice", 2, false, NOT_GEOMETRY_CLASS, true, false, 2, {NOT_GEOMETRY}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TearDown();
        SetUp();
        messages.Clear();
        gWarningBudget = 4;  // as the program starts with; the rows would spend it
        gEngine->timeScale = 32.0f;
        CClassTemplate* interiorClass = gIUnitInspector->GetClassTemplate("Interior");
        ASSERT_NE(nullptr, interiorClass);
        if (row.interior == WITH_WINDOW) {
            const D3DXVECTOR4 origin(0.0f, 0.0f, 0.0f, 1.0f);
            ASSERT_NE(nullptr, interiorClass->AddStartAct(START_ACT_ATTACH, 0, 0,
                                                          gIUnitInspector->GetClassTemplate("Window"), &origin));
        } else if (row.interior == NOT_GEOMETRY_CLASS) {
            CClassTemplate* sun = gIUnitInspector->GetClassTemplate("Sun");
            ASSERT_NE(nullptr, sun);
            StrCopy(interiorClass->name, sizeof interiorClass->name, "Inside");
            StrCopy(sun->name, sizeof sun->name, "Interior");
        }
        CMyBuilding* b = ShowFirstBuilding();
        ASSERT_NE(nullptr, b);
        CFloor* floor = b->floors[4];
        ASSERT_NE(0, floor->interiorMesh);
        auto* box = dynamic_cast<CGeometry*>(gIUnitInspector->FindUnitByName("SelFloorRect"));
        ASSERT_NE(nullptr, box);
        if (row.chosenBefore) Click(b->floorWindows[2]);
        std::set<const CAtom*> known;
        for (int i = 1; i <= gUnitInspector->UnitBound(); ++i)
            known.insert(gUnitInspector->UnitAt(i));
        std::vector<SUnitAttach*> held;
        while (gUnitInspector->FreeAttachCount() > row.room) {
            held.push_back(gUnitInspector->AllocUnitAttach());
            ASSERT_NE(nullptr, held.back());
        }

        Click(b->floorWindows[4]);
        ASSERT_EQ(floor, gSelFloor);
        EXPECT_EQ(row.boxOnFloor, box->master == floor);
        // A box the pool keeps off the floor would be drawn where it stands: it has no mesh.
        EXPECT_EQ(row.boxOnFloor ? floor->selectMesh : 0, box->mesh);
        for (int show = 1; show <= row.shows; ++show) {
            SCOPED_TRACE("show " + std::to_string(show));
            Click(gShowFlatButton);
            EXPECT_EQ(row.interiorMade, gInteriorUnit != nullptr);
            if (gInteriorUnit) {
                EXPECT_EQ(floor, gInteriorUnit->master);
                EXPECT_EQ(row.interior == WITH_WINDOW, gInteriorUnit->FindSlaveByClass("Window") != nullptr);
            }
            EXPECT_EQ(std::vector<const CAtom*>{}, LooseUnits(known));
            ASSERT_TRUE(RunUntil([] { return gShowStep == 4; })) << gShowStep;
            Click(gShowFlatButton);
            ASSERT_TRUE(RunUntil([] { return gShowStep == 0 && gInteriorUnit == nullptr; })) << gShowStep;
            EXPECT_EQ(std::vector<const CAtom*>{}, LooseUnits(known));
        }
        EXPECT_EQ(row.said, messages.Texts());
        for (SUnitAttach* record : held)
            gUnitInspector->FreeUnitAttach(record);
    }
}

TEST_F(ColumnTest, DayAndNightGlideTheSunAndTheClearColour)
{
    CAtom* sun = gIUnitInspector->FindUnitByName("DirLight");
    ASSERT_NE(nullptr, sun);
    const D3DXCOLOR day = sun->Color;
    const D3DXCOLOR dayClear = gIRenderer->ClearColor;
    Click(gDayNightButton);
    EXPECT_EQ(1, gDayNightButton->currentFrame);
    EXPECT_TRUE(Near(D3DXCOLOR(0.25f, 0.3f, 0.5f, 1.0f), gNightColor));
    EXPECT_TRUE(Near(D3DXCOLOR(0.02f, 0.03f, 0.08f, 1.0f), gNightClearColor));
    EXPECT_TRUE(Near(day, gDayLightColor));
    ASSERT_TRUE(RunUntil([&] { return Near(sun->Color, gNightColor); }));
    ASSERT_TRUE(RunUntil([] { return Near(gIRenderer->ClearColor, gNightClearColor, BYTE_STEP); }));
    // Back to day, to night before the day has come and to day again: the first saved day
    // colours return.
    Click(gDayNightButton);
    ASSERT_TRUE(program.RunFrames(1));
    Click(gDayNightButton);
    Click(gDayNightButton);
    EXPECT_EQ(0, gDayNightButton->currentFrame);
    ASSERT_TRUE(RunUntil([&] { return Near(sun->Color, day); }));
    ASSERT_TRUE(RunUntil([&] { return Near(gIRenderer->ClearColor, dayClear, BYTE_STEP); }));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A presentation chosen while the old one was at night, with a building shown, starts in day
// and without the old address; night and day again return to that day.
TEST_F(ColumnTest, ANewPresentationStartsInDayWithoutTheOldAddress)
{
    const D3DXCOLOR dayClear = gIRenderer->ClearColor;
    ASSERT_NE(nullptr, ShowFirstBuilding());
    ASSERT_TRUE(Visible(gAddressLabel));
    Click(gDayNightButton);
    ASSERT_TRUE(RunUntil([] { return Near(gIRenderer->ClearColor, gNightClearColor, BYTE_STEP); }));
    CreateSelectorBar();
    Click(gSelectorBar);
    Click(gPresentationButtons[0]);
    ASSERT_TRUE(program.RunFrames(3));
    ASSERT_EQ(3, gBuildings.Count());
    EXPECT_FALSE(Visible(gAddressLabel));
    EXPECT_STREQ("", gAddressLabel->text);
    EXPECT_EQ(0, gDayNightButton->currentFrame);
    EXPECT_TRUE(Near(dayClear, D3DXCOLOR(gGraphics.clearColor), BYTE_STEP));
    Click(gDayNightButton);
    ASSERT_TRUE(RunUntil([] { return Near(gIRenderer->ClearColor, gNightClearColor, BYTE_STEP); }));
    Click(gDayNightButton);
    ASSERT_TRUE(RunUntil([&] { return Near(gIRenderer->ClearColor, dayClear, BYTE_STEP); }));
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(ColumnTest, AHintIsShownOnceAndFadesAfterTwoSeconds)
{
    ASSERT_NE(nullptr, ShowFirstBuilding());
    ASSERT_NE(nullptr, gHintWin);
    const int left = gHintWin->left, top = gHintWin->top;
    EXPECT_EQ(gTopViewWin->left - 80, left);
    EXPECT_EQ(gTopViewWin->bottom + 40, top);
    EXPECT_TRUE(Active(gHintWin));
    ShowHint(HINT_BUILDING, 5, 5, CIntRect(0, 17, 255, 49));
    EXPECT_EQ(left, gHintWin->left);
    EXPECT_EQ(top, gHintWin->top);
    ASSERT_TRUE(RunUntil([] { return gHintTimer > HINT_SHOW_TIME; }));
    EXPECT_FALSE(Active(gHintWin));
    // Choosing the building again shows nothing new.
    Click(gBuildings[1]->topViewButton);
    EXPECT_FALSE(Active(gHintWin));
}

TEST_F(ColumnTest, ThePresentationListStartsTheChosenOne)
{
    CreateSelectorBar();
    ASSERT_NE(nullptr, gSelectorCaption);
    EXPECT_STREQ(SELECTOR_CAPTION, gSelectorCaption->text);
    Click(gSelectorBar);
    ASSERT_NE(nullptr, gPresentationButtons[0]);
    EXPECT_EQ(nullptr, gPresentationButtons[1]);
    EXPECT_EQ(gSelectorBar->top + 15, gPresentationButtons[0]->top);
    std::vector<CMission*>* list = nullptr;
    gIMissionLoader->GetMissionList(&list);
    ASSERT_EQ(1u, list->size());
    EXPECT_EQ((*list)[0]->title, gPresentationLabels[0]->text);
    Mouse(gPresentationButtons[0]->left + 5, gPresentationButtons[0]->top + 5, 0);
    EXPECT_EQ(0xFF000000u, gPresentationLabels[0]->color);
    ASSERT_NE(nullptr, ShowFirstBuilding());
    Click(gPresentationButtons[0]);
    EXPECT_EQ(nullptr, gPresentationButtons[0]);
    EXPECT_EQ(nullptr, gCurBuilding);
    EXPECT_EQ(0, gBuildings.Count());
    EXPECT_EQ((*list)[0]->title, gSelectorCaption->text);
    ASSERT_TRUE(program.RunFrames(3));
    EXPECT_EQ(3, gBuildings.Count());
    ASSERT_NE(nullptr, gBuildings[0]->topViewButton);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

} // namespace
} // namespace column
