// The developer panel in the running sample program: made at start, shown after the
// presentation starts, toggled by its key, its view checks clicked through the window
// manager's mouse pass, the wireframe and units-list checks taking effect, and the pause and
// step key driving the engine frame.
#include "tests/devpanel/DevPanelFixture.h"

#include "engine/UnitInspector.h"
#include "gui/MyButton.h"
#include "gui/RadioBox.h"
#include "gui/TextList.h"
#include "gui/TextListDiag.h"
#include "scene/Atom.h"
#include "tests/support/TestDevice.h"

namespace devpanel {
namespace {

TEST_F(DevPanelTest, TheProgramStartsWithThePanelShownAfterThePresentation)
{
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
    CEngineer* panel = gEngineer;
    ASSERT_NE(nullptr, panel->root);
    EXPECT_TRUE(panel->root->flags & WIN_VISIBLE);
    EXPECT_TRUE(panel->viewChecks->flags & WIN_ACTIVE);
    EXPECT_EQ(10, panel->viewChecks->left);
    EXPECT_EQ(CHECKS_Y, panel->viewChecks->top);
    EXPECT_EQ(0u, panel->viewChecks->selectedMask);

    // The toggle key on its release, through the input's key handlers.
    gInput.keys[DIK_Q] = 0x80;
    gInput.Dispatch();
    EXPECT_TRUE(panel->root->flags & WIN_VISIBLE);
    gInput.keys[DIK_Q] = 0;
    gInput.Dispatch();
    EXPECT_FALSE(panel->root->flags & WIN_VISIBLE);
    EXPECT_FALSE(panel->viewChecks->flags & WIN_ACTIVE);
    panel->TogglePanel();
    EXPECT_TRUE(panel->viewChecks->flags & WIN_VISIBLE);

    // The caption folds and unfolds the body.
    Click(128, 8);
    EXPECT_FALSE(panel->body->flags & WIN_VISIBLE);
    EXPECT_EQ(1, panel->caption->currentFrame);
    Click(128, 8);
    EXPECT_TRUE(panel->body->flags & WIN_VISIBLE);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(DevPanelTest, TheWireframeCheckDrawsTheViewAsLines)
{
    const int solid = ClearInView();
    ClickCheck(1);
    EXPECT_EQ(uint32_t(VIEW_WIREFRAME), gEngineer->viewChecks->selectedMask);
    EXPECT_EQ(1, gEngineer->wireframe);
    const int lines = ClearInView();
    EXPECT_GT(lines, solid + 100);  // the sky shows between the lines
    EXPECT_EQ(D3DFILL_SOLID, int(test::RenderState(D3DRS_FILLMODE)));  // windows are solid
    ClickCheck(1);
    EXPECT_EQ(0, gEngineer->wireframe);
    EXPECT_LT(ClearInView(), lines);
    ClickCheck(4);
    EXPECT_EQ(1, gEngineer->validMapOverlay);
}

TEST_F(DevPanelTest, TheUnitsListOpensWithTheUnitNamesAndClosesAgain)
{
    ClickCheck(5);
    CTextListDiag* dialog = gEngineer->unitsList;
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(dialog->flags & WIN_VISIBLE);
    EXPECT_EQ(100, dialog->left);
    ASSERT_TRUE(program.RunFrames(1));
    const int units = dialog->list->count;
    EXPECT_GT(units, 0);
    ASSERT_TRUE(program.RunFrames(1));
    EXPECT_EQ(units, dialog->list->count);  // refilled, not appended
    ClickCheck(5);
    EXPECT_EQ(nullptr, gEngineer->unitsList);

    ClickCheck(5);  // the close button unticks the check
    ASSERT_NE(nullptr, gEngineer->unitsList);
    CMyButton* close = gEngineer->unitsList->closeButton;
    Click(close->left + 5, close->top + 5);
    EXPECT_EQ(nullptr, gEngineer->unitsList);
    EXPECT_EQ(0u, gEngineer->viewChecks->selectedMask);
    EXPECT_EQ(0u, messages.Count()) << messages.Joined();
}

TEST_F(DevPanelTest, TapsPauseAndStepAndAHoldRuns)
{
    CEngine* engine = gEngine;
    EngineFrame({DIK_GRAVE});
    EngineFrame({DIK_GRAVE});
    EXPECT_EQ(0, engine->paused);  // nothing before the release
    EngineFrame({});
    EXPECT_EQ(1, engine->paused);
    EXPECT_EQ(CEngineer::PAUSED, gEngineer->pauseState);
    // A value glided by a unit stands still while paused.
    CAtom* unit = nullptr;
    for (int i = 1; !unit && i <= gUnitInspector->UnitBound(); ++i)
        unit = gUnitInspector->UnitAt(i);
    ASSERT_NE(nullptr, unit);
    D3DXVECTOR4 glided(0, 0, 0, 0);
    ASSERT_NE(nullptr, unit->StartSmoothMover(&glided, D3DXVECTOR4(100, 0, 0, 0), 10, 0, nullptr));
    EngineFrame({});
    EXPECT_EQ(1, engine->paused);
    EXPECT_EQ(0.0f, glided.x);

    EngineFrame({DIK_GRAVE});
    EngineFrame({});  // the second tap runs one slow frame
    EXPECT_EQ(0, engine->paused);
    EXPECT_FLOAT_EQ(0.02f, engine->timeScale);
    EXPECT_FLOAT_EQ(STEP * 0.02f, engine->frameTime);
    const float stepped = glided.x;
    EXPECT_GT(stepped, 0.0f);
    EngineFrame({});
    EXPECT_EQ(1, engine->paused);
    EXPECT_EQ(CEngineer::PAUSED, gEngineer->pauseState);
    EXPECT_EQ(stepped, glided.x);
    unit->StopSmoothMovers();

    EngineFrame({DIK_GRAVE, DIK_LSHIFT});
    EngineFrame({DIK_LSHIFT});
    EXPECT_FLOAT_EQ(0.1f, engine->timeScale);
    EngineFrame({});
    EXPECT_EQ(1, engine->paused);

    for (int i = 0; i < 8; ++i)  // 0.4 s: runs while held
        EngineFrame({DIK_GRAVE});
    EXPECT_EQ(0, engine->paused);
    EXPECT_EQ(1, gEngineer->longHold);
    EngineFrame({});
    EXPECT_EQ(0, engine->paused);
    EXPECT_EQ(CEngineer::RUNNING, gEngineer->pauseState);
    EXPECT_EQ(0, gEngineer->longHold);
}

TEST(DevPanelStart, AMissingPanelPictureEndsTheProgramWithAMessage)
{
    test::MessageRecorder messages;
    const std::string dir = test::TempDir("devpanel_nopanel");
    test::WriteFile(dir + "\\System\\Application.cfg",
                    test::ReadFile(test::RunDir() + "\\System\\Application.cfg"));
    test::CopySpriteFiles(dir);
    test::Program program;
    ASSERT_EQ(1, program.Start(dir));
    program.RunFrames(2);
    EXPECT_FALSE(program.Running());
    EXPECT_TRUE(messages.Contains("CEngineer::Init Error:  can`t load texture "
                                  "'Developer\\MainPanel.tga'."))
        << messages.Joined();
}

} // namespace
} // namespace devpanel
