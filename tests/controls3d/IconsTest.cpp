#include "tests/controls3d/ControlsFixture.h"

#include "engine/Engine.h"
#include "engine/Iconer.h"
#include "engine/MissionLoader.h"
#include "engine/Nations.h"
#include "engine/Saves.h"
#include "engine/TexContainer.h"
#include "gui/BaseWin.h"
#include "scene/Unit.h"

#include <vector>

namespace controlstest {
namespace {

struct IconsTest : ControlsTest {
    std::vector<CUnit*> tanks;

    void SetUp() override
    {
        ControlsTest::SetUp();
        ASSERT_EQ(0, ReadScript("Nations [ NationCount: 4 ]\n"
                                "NATION Blue { };\nNATION Red { };\nGamerNation: Blue\n"
                                "ICON Badge { };\n"
                                "ATOM Frame { };\n"
                                "UNIT Tank { IndividIcon: [ Badge LeftTop: [ 32 16 ] ] };\n"
                                "UNIT Truck { };\n"
                                "ICONER {\n"
                                "  IndividIcons { Count: 4 Pos: [ -1 1 0.5 ] ItemsWH: [ 2 2 ] StepWH: [ 0.5 -0.25 ]\n"
                                "    Flags: [ SelectByIcon SelectOnlyOne ] FrameUnit: Frame };\n"
                                "};\n"))
            << messages.Joined();
        ASSERT_EQ(0u, messages.Count()) << messages.Joined();
        gEngine->selectedUnit = nullptr;
    }

    CUnit* AddTank(const char* nationName = "Blue", const char* cls = "Tank")
    {
        auto* tank = dynamic_cast<CUnit*>(Create(cls));
        EXPECT_NE(nullptr, tank);
        if (!tank) return nullptr;
        tank->nation = gNations->FindNation(nationName);
        tank->RegisterIcon();
        tanks.push_back(tank);
        return tank;
    }
    CIcon* IconOf(CAtom* unit) { return gIconer->individIcons.IconOf(unit); }
    void Click(CIcon* icon)
    {
        gControls3D->pickedControl = icon;
        ASSERT_EQ(0, icon->InvokeCallback());
    }
};

TEST_F(IconsTest, TheViewersUnitsGetIconsInAGridUntilItIsFull)
{
    CUnit* a = AddTank();
    CUnit* b = AddTank();
    AddTank("Red");
    AddTank("Blue", "Truck");
    CUnit* c = AddTank();
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(3, gIconer->individIcons.count);
    CIcon* ia = IconOf(a);
    CIcon* ib = IconOf(b);
    CIcon* ic = IconOf(c);
    ASSERT_TRUE(ia && ib && ic);
    EXPECT_FLOAT_EQ(-1.0f, ia->Pos.x);
    EXPECT_FLOAT_EQ(1.0f, ia->Pos.y);
    EXPECT_FLOAT_EQ(0.0f, ia->Pos.z) << "the icon keeps its own depth";
    EXPECT_FLOAT_EQ(-0.5f, ib->Pos.x) << "second column";
    EXPECT_FLOAT_EQ(1.0f, ib->Pos.y);
    EXPECT_FLOAT_EQ(-1.0f, ic->Pos.x) << "second row";
    EXPECT_FLOAT_EQ(0.75f, ic->Pos.y);
    EXPECT_FLOAT_EQ(-0.5f, ib->world._41) << "the world matrix follows";
    EXPECT_TRUE(ia->controlState & CTRL_ACTIVE);
    EXPECT_EQ(CTRL_PRESS_ONE_TIME, ia->pressFlags);

    a->RegisterIcon();
    EXPECT_EQ(3, gIconer->individIcons.count) << "a unit has one icon";
    messages.Clear();
    CUnit* d = AddTank();
    EXPECT_EQ(nullptr, IconOf(d));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CIconer::AddIndividIcon Error:  IndividIcons is overflow.", messages.Texts()[0]);
}

TEST_F(IconsTest, TheIconTextureOffsetComesFromTheUnitsClass)
{
    dynamic_cast<CControl3D*>(gUnitInspector->GetClassPrototype("Badge"))->textures[0] =
        gTexContainer->CreateTexture(128, 64, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0);
    CIcon* icon = IconOf(AddTank());
    ASSERT_NE(nullptr, icon);
    EXPECT_FLOAT_EQ(0.25f, icon->UvMulAdd.z);
    EXPECT_FLOAT_EQ(0.25f, icon->UvMulAdd.w);
}

TEST_F(IconsTest, ClickingIconsSelectsTheirUnitsAndMovesTheOneFrame)
{
    CUnit* a = AddTank();
    CUnit* b = AddTank();
    CIcon* ia = IconOf(a);
    CIcon* ib = IconOf(b);
    ASSERT_TRUE(ia && ib);
    Click(ia);
    EXPECT_EQ(a, gEngine->selectedUnit);
    ASSERT_NE(nullptr, ia->frame);
    CAtom* frame = ia->frame;
    EXPECT_EQ(ia, frame->master);
    Click(ib);
    EXPECT_EQ(b, gEngine->selectedUnit);
    EXPECT_FALSE(a->state & UNIT_SELECTED);
    EXPECT_EQ(nullptr, ia->frame);
    EXPECT_EQ(frame, ib->frame) << "the single frame moved";
    EXPECT_EQ(ib, frame->master);

    gEngine->DeselectUnit();
    EXPECT_EQ(nullptr, ib->frame) << "deselecting removes the frame";
    EXPECT_EQ(nullptr, gIconer->individIcons.current);
}

TEST_F(IconsTest, IconsLetGoOfDeletedUnits)
{
    CUnit* a = AddTank();
    CIcon* ia = IconOf(a);
    ASSERT_NE(nullptr, ia);
    Click(ia);
    gEngine->DeselectUnit();
    Click(ia);
    ASSERT_NE(nullptr, ia->frame);
    gUnitInspector->DeleteUnit(ia->frame);
    EXPECT_EQ(nullptr, ia->frame);
    // The engine lets go of a selected and picked unit too.
    ASSERT_EQ(a, gEngine->selectedUnit);
    gEngine->pickedUnit = a;
    gUnitInspector->DeleteUnit(a);
    EXPECT_EQ(nullptr, gEngine->selectedUnit);
    EXPECT_EQ(nullptr, gEngine->pickedUnit);
    EXPECT_EQ(nullptr, ia->unit);
    EXPECT_FALSE(ia->controlState & CTRL_ACTIVE) << "an icon without unit cannot be clicked";
    gUnitInspector->DeleteUnit(ia);
    EXPECT_EQ(nullptr, IconOf(nullptr));
    gIconer->Reset();
    EXPECT_EQ(0, gIconer->individIcons.count);
    EXPECT_NE(nullptr, IconOf(AddTank())) << "the grid starts again";
}

TEST_F(ControlsTest, DamagedIconerObjectsAreReported)
{
    ASSERT_EQ(0, ReadScript("ICONER { Other IndividIcons { Count: 2 Flags: [ Odd ] FrameUnit: None Size: 3 }; };\n"));
    const std::vector<std::string>& t = messages.Texts();
    ASSERT_EQ(4u, t.size()) << messages.Joined();
    EXPECT_EQ("Undefine string for ICONER 'Other'.", t[0]);
    EXPECT_EQ("CIconGroup::ScanData Error in 'Flags':  Undefine string 'Odd'.", t[1]);
    EXPECT_EQ("CIconGroup::ScanData:  FrameUnit 'None' can`t find.", t[2]);
    EXPECT_TRUE(messages.SaidWithMore("CIconGroup::ScanData Error:  Undefine string 'Size:'.", 1));
}

struct SavesTest : ControlsTest {
    void SetUp() override
    {
        ControlsTest::SetUp();
        ASSERT_EQ(0, ReadScript("CONTROL_3D Door { };\nCONTROL_GROUP MainMenu { Controls: { Door }; };\n"
                                "WINDOW SavePanel { XY: [ 10 10 ] WH: [ 100 60 ] };\n"
                                "BUTTON SaveStart { XY: [ 5 5 ] WH: [ 40 20 ] Parent: SavePanel };\n"
                                "BUTTON SaveCancel { XY: [ 50 5 ] WH: [ 40 20 ] Parent: SavePanel };\n"
                                "SAVES_LAYOUT {\n"
                                "  Wins: { Panel: SavePanel StartButton: SaveStart CancelButton: SaveCancel Other: 1 };\n"
                                "  MainMenuCtrlGroup: MainMenu MainMenuWindow: Menu Extra\n"
                                "};\n"))
            << messages.Joined();
        ASSERT_EQ(0u, messages.Count()) << messages.Joined();
        gControls3D->CreateActivateControls(gIControls3D->GetControlGroup("MainMenu"));
        door = *gControls3D->activeControls.At(1);
    }
    CControl3D* door = nullptr;
};

TEST_F(SavesTest, TheDialogStartsTheSavedPresentationOrClosesAgain)
{
    EXPECT_EQ(0, gISaves->SetSavePath("Presentations\\Saved.txt"));
    EXPECT_EQ(0, gISaves->Show());
    CBaseWin* dialog = gSaves->dialog;
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(door->controlState & CTRL_ACTIVE) << "the main menu is switched off";
    ASSERT_EQ(2, dialog->childCount);
    ASSERT_NE(nullptr, dialog->children[0]->pOnClick);
    dialog->children[0]->pOnClick->Invoke();
    EXPECT_EQ("Presentations\\Saved.txt", gMissionLoader->pendingPath);

    dialog->children[1]->pOnClick->Invoke();
    EXPECT_EQ(nullptr, gSaves->dialog);
    EXPECT_EQ(nullptr, *gControls3D->liveWindows.At(1)) << "the dialog window is gone";
    EXPECT_TRUE(door->controlState & CTRL_ACTIVE);
    EXPECT_EQ(0, gISaves->Nop());
}

TEST_F(SavesTest, ShowingTwiceMakesTwoDialogsOfWhichHideClosesTheLast)
{
    ASSERT_EQ(0, gISaves->Show());
    CBaseWin* first = gSaves->dialog;
    ASSERT_EQ(0, gISaves->Show());
    CBaseWin* second = gSaves->dialog;
    ASSERT_NE(first, second);
    EXPECT_EQ(-1, gISaves->Show()) << "no live window is left to record a third";
    EXPECT_EQ(second, gSaves->dialog);
    gSaves->Hide();
    EXPECT_EQ(first, *gControls3D->liveWindows.At(1)) << "the first dialog stays open";
    EXPECT_EQ(nullptr, *gControls3D->liveWindows.At(2));
    ASSERT_EQ(0, gISaves->Show());
    gControls3D->Reset();
    EXPECT_EQ(nullptr, gSaves->dialog) << "the presentation's end took the dialog's window";
}

TEST_F(ControlsTest, ASavesLayoutWithMissingNamesCannotShow)
{
    EXPECT_EQ(-1, gISaves->Show());
    ASSERT_EQ(0, ReadScript("SAVES_LAYOUT { Wins: { Panel: Nothing }; MainMenuCtrlGroup: None\n"));
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CSaves::ScanLayout Error: can`t find window template: 'Nothing'.", messages.Texts()[0]);
    EXPECT_EQ("CSaves::ScanLayout Error: can`t find control group: 'None'.", messages.Texts()[1]);
    EXPECT_EQ(-1, gISaves->Show());
}

} // namespace
} // namespace controlstest
