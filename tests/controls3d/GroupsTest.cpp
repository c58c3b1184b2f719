#include "tests/controls3d/ControlsFixture.h"

#include "core/Core.h"
#include "core/Graphics.h"
#include "core/Input.h"
#include "core/ViewPoint.h"
#include "engine/Engine.h"
#include "engine/Iconer.h"
#include "engine/MeshContainer.h"
#include "engine/MissionLoader.h"
#include "engine/Saves.h"
#include "gui/BaseWin.h"
#include "gui/WinSuperior.h"
#include "scene/Renderer.h"

#include <string>

namespace controlstest {
namespace {

int gClicks = 0;
void CountClick() { ++gClicks; }

int LiveWindowCount()
{
    int live = 0;
    for (int i = 0; i < gWinSuperior.count; ++i) live += gWinSuperior.windows[i] != nullptr;
    return live;
}

TEST_F(ControlsTest, GroupsKeepTheirPrototypesInOrderAndNullForUnknownClasses)
{
    ASSERT_EQ(0, ReadScript("CONTROL_3D Door { };\nCONTROL_3D Gate { };\n"
                            "CONTROL_GROUP Menu { Title: x Controls: { Door Nowhere Gate }; };\n"))
        << messages.Joined();
    CControlGroup* menu = gIControls3D->GetControlGroup("Menu");
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(3, menu->count);
    EXPECT_EQ(Prototype("Door"), menu->controls[0]);
    EXPECT_EQ(nullptr, menu->controls[1]);
    EXPECT_EQ(Prototype("Gate"), menu->FindControl("Gate"));
    EXPECT_EQ(nullptr, menu->FindControl("Nowhere"));
    EXPECT_EQ(nullptr, gIControls3D->GetControlGroup("Other"));

    gControls3D->CreateActivateControls(menu);
    ASSERT_EQ(2, gControls3D->activeControls.Count()) << "nothing is made for the unknown class";
    CControl3D* door = *gControls3D->activeControls.At(1);
    EXPECT_EQ(menu, door->group);
    EXPECT_NE(Prototype("Door"), door);
    EXPECT_TRUE(door->controlState & CTRL_ACTIVE);
    EXPECT_NE(0u, door->id) << "registered";

    gControls3D->DisableGroupControls(menu, 0);
    EXPECT_TRUE(door->state & UNIT_DISABLED);
    gControls3D->EnableGroupControls(menu);
    EXPECT_FALSE(door->state & UNIT_DISABLED);
    gControls3D->DisableGroupControls(menu, 1);
    EXPECT_FALSE(door->controlState & CTRL_ACTIVE);
    gControls3D->EnableGroupControls(menu);
    EXPECT_TRUE(door->controlState & CTRL_ACTIVE);

    gUnitInspector->DeleteUnit(door);
    EXPECT_EQ(nullptr, *gControls3D->activeControls.At(1)) << "a deleted control leaves the active list";
    gControls3D->Reset();
    EXPECT_EQ(0, gControls3D->activeControls.Count());
}

// A repeated registry section deletes the prototypes: no table keeps pointing at them.
TEST_F(ControlsTest, ARepeatedRegistrySectionLeavesNoTableWithOldPrototypes)
{
    ASSERT_EQ(0, ReadScript("CONTROL_3D Door { };\nATOM Frame { };\nCONTROL_GROUP Menu { Controls: { Door }; };\n"
                            "ICONER { IndividIcons { Count: 1 FrameUnit: Frame }; };\n"
                            "UnitInspector [ TemplateCount: 16 UnitCount: 64 ]\n"))
        << messages.Joined();
    EXPECT_EQ(nullptr, gIControls3D->GetControlTemplate("Door"));
    EXPECT_EQ(nullptr, gIControls3D->GetControlGroup("Menu")->controls[0]);
    EXPECT_EQ(nullptr, gIconer->individIcons.framePrototype);
}

TEST_F(ControlsTest, GroupLimitsAreReported)
{
    std::string names;
    for (int i = 0; i < MAX_GR_CONTROLS + 1; ++i) names += " Door";
    ASSERT_EQ(0, ReadScript("CONTROL_3D Door { };\nCONTROL_GROUP Big { Controls: {" + names + " }; };\n"));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("PROGRAMMER LIMIT: MAX_GR_CONTROLS.", messages.Texts()[0]);
    messages.Clear();
    // Three groups fit in the four records; the one above is the first.
    EXPECT_EQ(-1, ReadScript("CONTROL_GROUP A { };\nCONTROL_GROUP B { };\nCONTROL_GROUP C { };\n"
                             "Variables [ ScriptVarCapacity: [ R: 1 W: 1 ] ]\n"));
    ASSERT_EQ(1u, messages.Count()) << messages.Joined();
    EXPECT_EQ("Controls3D:  ControlGroups limit is exceed.", messages.Texts()[0]);
    EXPECT_EQ(1, gExitCode);
}

TEST_F(ControlsTest, UnknownSectionWordsAreReportedAndTheSectionSizesThePools)
{
    ASSERT_EQ(0, ReadScript("Controls3D [ ControlCount: 2 Bogus: 3 WindowTemplates: 2 ]\n"
                            "CONTROL_3D A { };\nCONTROL_3D B { };\n"
                            "WINDOW W { };\n"));
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_TRUE(messages.SaidWithMore("Undefine string 'Bogus:'", 1));
    EXPECT_EQ("CControls3D::AddControlTemplate: Controls limit is exceed.", messages.Texts()[1]);
    EXPECT_NE(nullptr, gIControls3D->GetControlTemplate("A"));
    EXPECT_EQ(nullptr, gIControls3D->GetControlTemplate("B"));
    EXPECT_EQ(-1, ReadScript("BUTTON X { };\n"));
    EXPECT_EQ("Controls3D:  WindowTemplates limit is exceed.", messages.Texts().back());
}

TEST_F(ControlsTest, WindowTemplatesMakeLiveWindowsWithTheirChildren)
{
    ASSERT_EQ(0, ReadScript("WINDOW Panel { XY: [ 100 50 ] WH: [ 200 100 ] RECT: [ 0 0 63 63 ] Text: \"Saves\" };\n"
                            "BUTTON Ok { XY: [ 10 20 ] WH: [ 50 20 ] HighLight: [ FFFFFFFF FF808080 ] Parent: Panel };\n"
                            "LABEL Title { XY: [ 5 5 ] Text: Title Font: Big Parent: Panel };\n"
                            "EDIT Name { XY: [ 10 50 ] WH: [ 80 16 ] Font: Tiny Parent: Nowhere Odd: 1 };\n"))
        << messages.Joined();
    ASSERT_EQ(2u, messages.Count()) << messages.Joined();
    EXPECT_EQ("CControls3D::ScanWindow Error: can`t find font: 'Tiny'.", messages.Texts()[0]);
    EXPECT_EQ("CControls3D::ScanWindow Error: can`t find parent window: 'Nowhere'.", messages.Texts()[1]);
    CEngWindow* panel = gControls3D->FindWindowTemplate("Panel");
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ(200, panel->w);
    EXPECT_EQ(63, panel->source.right);
    EXPECT_STREQ("Saves", panel->text.get());
    ASSERT_EQ(2u, panel->children.size());
    CEngWindow* ok = gControls3D->FindWindowTemplate("Ok");
    EXPECT_EQ(0xFF808080u, ok->highlightColor);
    ok->SetCallback(CountClick);

    CBaseWin* window = gControls3D->CreateEngineWindow(panel);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(100, window->left);
    EXPECT_EQ(50, window->top);
    ASSERT_EQ(2, window->childCount);
    CBaseWin* button = window->children[0];
    EXPECT_EQ(110, button->left) << "moved by the parent's position";
    EXPECT_EQ(70, button->top);
    EXPECT_EQ(0xFF808080u, button->hoverColor);
    ASSERT_NE(nullptr, button->pOnClick);
    gClicks = 0;
    button->pOnClick->Invoke();
    EXPECT_EQ(1, gClicks);
    EXPECT_EQ(105, window->children[1]->left) << "a label template makes a text label";

    CEngWindow* name = gControls3D->FindWindowTemplate("Name");
    CBaseWin* edit = gControls3D->CreateEngineWindow(name);
    ASSERT_NE(nullptr, edit);
    EXPECT_EQ(nullptr, gControls3D->CreateEngineWindow(nullptr));
    // Only two live windows are recorded; a third, which the reset could not delete, is not kept.
    const int live = LiveWindowCount();
    EXPECT_EQ(nullptr, gControls3D->CreateEngineWindow(name));
    EXPECT_EQ(live, LiveWindowCount());
    EXPECT_EQ(0u, messages.Texts().back().rfind("CControls3D::CreateEngineWindow: ActiveWindows limit is exceed.", 0));

    gControls3D->DestroyEngineWindow(edit);
    EXPECT_EQ(nullptr, *gControls3D->liveWindows.At(2));
    gControls3D->Reset();
    EXPECT_EQ(0, gControls3D->liveWindows.Count());
}

// A script that sizes the controls again after the save dialog was laid out and shown: the
// old groups and window templates go, and nothing may reach them afterwards.
TEST_F(ControlsTest, ARepeatedControlsSectionLeavesNothingPointingAtTheOldRecords)
{
    ASSERT_EQ(0, ReadScript("WINDOW Panel { XY: [ 100 50 ] WH: [ 200 100 ] };\n"
                            "BUTTON Start { WH: [ 50 20 ] Parent: Panel };\nBUTTON Cancel { WH: [ 50 20 ] Parent: Panel };\n"
                            "CONTROL_3D Door { };\nCONTROL_GROUP Menu { Controls: { Door }; };\n"
                            "SAVES_LAYOUT { Wins: { Panel: Panel StartButton: Start CancelButton: Cancel };\n"
                            "  MainMenuCtrlGroup: Menu };\n"))
        << messages.Joined();
    gControls3D->CreateActivateControls(gIControls3D->GetControlGroup("Menu"));
    CControl3D* door = *gControls3D->activeControls.At(1);
    const int before = LiveWindowCount();
    // Two dialogs fill the live windows.
    for (int i = 0; i < 2; ++i) ASSERT_EQ(0, gISaves->Show());
    ASSERT_NE(nullptr, gSaves->dialog);
    messages.Clear();

    ASSERT_EQ(0, ReadScript("Controls3D [ ControlCount: 4 ControlGroups: 4 WindowTemplates: 4 ActiveWindows: 3 ]\n"))
        << messages.Joined();
    EXPECT_EQ(before, LiveWindowCount()) << "every dialog made from the old templates is gone";
    EXPECT_EQ(nullptr, gSaves->dialog);
    EXPECT_EQ(nullptr, gSaves->panel);
    EXPECT_EQ(nullptr, gSaves->startButton);
    EXPECT_EQ(nullptr, gSaves->cancelButton);
    EXPECT_EQ(nullptr, gSaves->mainMenuGroup);
    EXPECT_EQ(nullptr, door->group);
    EXPECT_EQ(-1, gISaves->Show());
    gSaves->Hide();
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

// A repeated "Fonts" section drops the fonts: no window template or live window keeps one.
TEST_F(ControlsTest, ARepeatedFontsSectionLeavesNoWindowWithAnOldFont)
{
    ASSERT_EQ(0, ReadScript("LABEL Title { XY: [ 5 5 ] Text: Title Font: Big };\n")) << messages.Joined();
    CEngWindow* title = gControls3D->FindWindowTemplate("Title");
    ASSERT_NE(nullptr, title->font);
    const int before = LiveWindowCount();
    ASSERT_NE(nullptr, gControls3D->CreateEngineWindow(title));

    ASSERT_EQ(0, ReadScript("Fonts [ Count: 2 ]\n")) << messages.Joined();
    EXPECT_EQ(nullptr, title->font);
    EXPECT_EQ(before, LiveWindowCount()) << "the label drawn with the old font is gone";
}

// A controls camera looking along +z from (0, 0, -10).
class CPickCamera : public CAtom {
public:
    uint32_t PreRender() override
    {
        const D3DXVECTOR3 eye(0, 0, -10), target(0, 0, 0);
        view.SetEyeTarget(&eye, &target, 0.785f, float(VIEW_WIDTH) / VIEW_HEIGHT, 1.0f, 100.0f, nullptr);
        gGraphics.SetCamera(&view);
        return 0;
    }
    CViewPoint view;
};

struct PickTest : ControlsTest {
    CPickCamera camera;
    CControl3D* nearControl = nullptr;
    CControl3D* farControl = nullptr;

    void SetUp() override
    {
        ControlsTest::SetUp();
        ASSERT_EQ(0, ReadScript("CONTROL_3D Door { PressOneTime PressShift: [ 0 0 1 ] };\n"
                                "CONTROL_3D Far { Pos: [ 0 0 5 ] };\n"
                                "CONTROL_GROUP Menu { Controls: { Far Door }; };\n"));
        Prototype("Door")->mesh = BoxMesh();
        Prototype("Far")->mesh = Prototype("Door")->mesh;
        Prototype("Door")->SetCallback(new CDelegate<CEmptyClass>(CountClick));
        gControls3D->CreateActivateControls(gIControls3D->GetControlGroup("Menu"));
        farControl = *gControls3D->activeControls.At(1);
        nearControl = *gControls3D->activeControls.At(2);
        camera.Pos = D3DXVECTOR4(0, 0, -10, 1);
        gUnitInspector->controlsCamera = &camera;
        gUnitInspector->mainCamera = &camera;
        gInput.Reset();
        gClicks = 0;
    }
    void TearDown() override
    {
        gUnitInspector->controlsCamera = nullptr;
        gUnitInspector->mainCamera = nullptr;
        gInput.Reset();
        ControlsTest::TearDown();
    }
    void Pick(int x, int y)
    {
        gInput.mouseX = x;
        gInput.mouseY = y;
        gGraphics.SetViewport(0, 0, VIEW_WIDTH, VIEW_HEIGHT);
        gRenderer->ResetFrame();
        gUnitInspector->ProcessUnits();
        gControls3D->PickControls();
    }
};

TEST_F(PickTest, TheNearestActiveControlUnderTheCursorIsPickedAndClicked)
{
    Pick(VIEW_WIDTH / 2, VIEW_HEIGHT / 2);
    EXPECT_EQ(nearControl, gControls3D->pickedControl);
    EXPECT_TRUE(gControls3D->ControlPicked());
    EXPECT_EQ(0, gClicks);

    gInput.leftClick = 1;
    Pick(VIEW_WIDTH / 2, VIEW_HEIGHT / 2);
    EXPECT_EQ(1, gClicks);
    gInput.leftClick = 0;

    gInput.leftHeld = 1;
    Pick(VIEW_WIDTH / 2, VIEW_HEIGHT / 2);
    EXPECT_FLOAT_EQ(1.0f, nearControl->savedPos.z) << "pressed: shifted";
    EXPECT_EQ(nearControl, gControls3D->pressedControl);
    gInput.leftHeld = 0;

    Pick(5, 5);
    EXPECT_EQ(nullptr, gControls3D->pickedControl) << "nothing under the corner";

    nearControl->controlState &= uint16_t(~CTRL_ACTIVE);
    Pick(VIEW_WIDTH / 2, VIEW_HEIGHT / 2);
    EXPECT_EQ(farControl, gControls3D->pickedControl) << "an inactive control is not picked";

    gMeshContainer->ReleaseMesh(farControl->mesh);
    Pick(VIEW_WIDTH / 2, VIEW_HEIGHT / 2);
    EXPECT_EQ(nullptr, gControls3D->pickedControl) << "a control whose mesh is released draws nothing";
}

// An attached control is hit where it is drawn, under its master's world, and is picked
// before a nearer free control on the same ray.
TEST_F(PickTest, AControlWithAMasterIsHitWhereItIsDrawnAndPickedFirst)
{
    CAtom* master = Create("Door");
    ASSERT_NE(nullptr, master);
    master->Pos = D3DXVECTOR4(-3, 0, 0, 1);
    master->UpdateWorldMatrix();
    farControl->Pos = D3DXVECTOR4(3, 0, 5, 1);
    farControl->UpdateWorldMatrix();
    ASSERT_EQ(0, master->AttachUnit(farControl, 255));
    Pick(VIEW_WIDTH / 2, VIEW_HEIGHT / 2);
    EXPECT_EQ(farControl, gControls3D->pickedControl) << "drawn at (0, 0, 5), behind the free control";

    D3DXVECTOR3 own(3, 0, 5);
    D3DXVec3TransformCoord(&own, &own, &gGraphics.viewProjection);
    Pick(int((own.x + 1) * VIEW_WIDTH / 2), int((1 - own.y) * VIEW_HEIGHT / 2));
    EXPECT_EQ(nullptr, gControls3D->pickedControl) << "where its own matrix alone would put it, nothing is drawn";
}

TEST_F(PickTest, WithoutAControlsCameraNothingIsPicked)
{
    gUnitInspector->controlsCamera = nullptr;
    Pick(VIEW_WIDTH / 2, VIEW_HEIGHT / 2);
    EXPECT_EQ(nullptr, gControls3D->pickedControl);
}

} // namespace
} // namespace controlstest

namespace controlstest {
namespace {

TEST_F(ControlsTest, APresentationActivatesItsGroupsUntilItEnds)
{
    ASSERT_EQ(0, ReadScript("CONTROL_3D Door { };\nCONTROL_GROUP Menu { Controls: { Door Door }; };\n"));
    const std::string path = dir + "\\Show.txt";
    test::WriteFile(path, "ControlGroups: { Menu Nowhere };\n");
    ASSERT_EQ(0, gIMissionLoader->StartMission(path));
    gIEngine->Process();
    ASSERT_TRUE(gMissionLoader->Running()) << messages.Joined();
    EXPECT_TRUE(messages.Contains("ControlGroup 'Nowhere' not found.")) << messages.Joined();
    ASSERT_EQ(2, gControls3D->activeControls.Count());
    CControl3D* door = *gControls3D->activeControls.At(2);
    EXPECT_TRUE(door->controlState & CTRL_ACTIVE);
    EXPECT_EQ(gIControls3D->GetControlGroup("Menu"), door->group);

    EXPECT_EQ(0, gIMissionLoader->EndMission());
    EXPECT_EQ(0, gControls3D->activeControls.Count()) << "the presentation's controls went with it";
}

} // namespace
} // namespace controlstest
