#include "tests/input/InputFixture.h"

#include <string>
#include <vector>

namespace inputtest {
namespace {

constexpr float STEP = 1.0f / 64;  // exact in binary, so the timings below are exact

TEST_F(InputTest, PressFiresOncePerPressHoweverLongTheKeyIsHeld)
{
    CKeyHandler handler;
    Counter counter;
    Bind(handler, DIK_A, KEY_ON_PRESS, counter);
    CKeyTable table;
    table.Fill(&handler);
    gInput.PushTable(&table);

    KeyFrame({DIK_A}, 0.0f);  // the program's first frame has no length
    for (int i = 0; i < 40; ++i)
        KeyFrame({DIK_A}, STEP);
    EXPECT_EQ(1, counter.hits);
    KeyFrame({}, STEP);
    KeyFrame({DIK_A}, STEP);
    EXPECT_EQ(2, counter.hits);
}

TEST_F(InputTest, ReleaseFiresOnceAfterAPressAndHeldFiresEveryFrame)
{
    CKeyHandler release, held;
    Counter released, everyFrame;
    Bind(release, DIK_SPACE, KEY_ON_RELEASE, released);
    Bind(held, DIK_SPACE, KEY_WHILE_HELD, everyFrame);
    CKeyTable table;
    table.Fill(&release, &held, nullptr);
    ASSERT_EQ(2, table.count);
    gInput.PushTable(&table);

    KeyFrame({}, STEP);
    EXPECT_EQ(0, released.hits);  // up without a press before
    for (int i = 0; i < 5; ++i)
        KeyFrame({DIK_SPACE}, STEP);
    EXPECT_EQ(0, released.hits);
    EXPECT_EQ(5, everyFrame.hits);
    KeyFrame({}, STEP);
    KeyFrame({}, STEP);
    EXPECT_EQ(1, released.hits);
    EXPECT_EQ(0.0f, release.heldTime);
    EXPECT_EQ(5, everyFrame.hits);
}

TEST_F(InputTest, AutoRepeatFiresOnPressThenAfterTheDelayEveryInterval)
{
    CKeyHandler handler;
    Counter counter;
    Bind(handler, DIK_LEFT, KEY_AUTO_REPEAT, counter);
    CKeyTable table;
    table.Fill(&handler);
    gInput.PushTable(&table);

    std::vector<int> fired;
    for (int i = 0; i < 40; ++i) {
        int before = counter.hits;
        KeyFrame({DIK_LEFT}, STEP);
        if (counter.hits != before)
            fired.push_back(i);
    }
    // Frame 27 is 27/64 = 0.42 s after the press: 0.4 s of delay, then more than 0.03 s
    // of repeat time; then every second frame of 1/64 s.
    std::vector<int> expected = {0, 27, 29, 31, 33, 35, 37, 39};
    EXPECT_EQ(expected, fired);

    // Long frames repeat at most once per frame; a new press starts over.
    counter.hits = 0;
    for (int i = 0; i < 5; ++i)
        KeyFrame({DIK_LEFT}, 0.1f);
    EXPECT_EQ(5, counter.hits);
    KeyFrame({}, 0.1f);
    EXPECT_EQ(0.0f, handler.repeatTime);
    KeyFrame({DIK_LEFT}, 0.01f);
    KeyFrame({DIK_LEFT}, 0.01f);
    EXPECT_EQ(6, counter.hits);
}

TEST_F(InputTest, ModifierConditions)
{
    CKeyHandler plain, ctrl, altShift;
    Counter plainHits, ctrlHits, altShiftHits;
    Bind(plain, DIK_S, KEY_ON_PRESS, plainHits);
    Bind(ctrl, DIK_S, KEY_ON_PRESS | KEY_NEED_CTRL, ctrlHits);
    Bind(altShift, DIK_S, KEY_ON_PRESS | KEY_NEED_ALT | KEY_NEED_SHIFT, altShiftHits);
    CKeyTable table;
    table.Fill(&plain, &ctrl, &altShift);
    gInput.PushTable(&table);

    KeyFrame({DIK_S}, STEP);
    KeyFrame({}, STEP);
    EXPECT_EQ(1, plainHits.hits);
    EXPECT_EQ(0, ctrlHits.hits);

    KeyFrame({DIK_S, DIK_RCONTROL}, STEP);  // either Ctrl key
    KeyFrame({}, STEP);
    EXPECT_EQ(2, plainHits.hits);  // no condition: also fires with Ctrl down
    EXPECT_EQ(1, ctrlHits.hits);
    EXPECT_EQ(0, altShiftHits.hits);

    // Any one of a handler's modifiers is enough.
    KeyFrame({DIK_S, DIK_RSHIFT}, STEP);
    KeyFrame({}, STEP);
    KeyFrame({DIK_S, DIK_RMENU}, STEP);
    KeyFrame({}, STEP);
    KeyFrame({DIK_S, DIK_LMENU}, STEP);
    EXPECT_EQ(3, altShiftHits.hits);
    EXPECT_EQ(1, ctrlHits.hits);

    // Pressing the modifier while the key is held is the handler's press.
    KeyFrame({}, STEP);
    KeyFrame({DIK_S}, STEP);
    KeyFrame({DIK_S, DIK_LCONTROL}, STEP);
    EXPECT_EQ(2, ctrlHits.hits);
}

TEST_F(InputTest, ReleaseWithModifiersFiresOnceWhenOneOfThemIsDown)
{
    CKeyHandler handler;
    Counter counter;
    Bind(handler, DIK_Z, KEY_ON_RELEASE | KEY_NEED_CTRL | KEY_NEED_SHIFT, counter);
    CKeyTable table;
    table.Fill(&handler);
    gInput.PushTable(&table);

    KeyFrame({DIK_Z, DIK_LCONTROL, DIK_LSHIFT}, STEP);
    KeyFrame({DIK_LCONTROL, DIK_LSHIFT}, STEP);
    EXPECT_EQ(1, counter.hits);  // one release, one call

    KeyFrame({DIK_Z, DIK_LCONTROL}, STEP);
    KeyFrame({}, STEP);
    EXPECT_EQ(1, counter.hits);  // released after the modifier: no Ctrl+Z release
}

int gPlainCalls;
int gSeenUserValue;
void PlainHandler()
{
    ++gPlainCalls;
    gSeenUserValue = gInput.lastMatched ? gInput.lastMatched->userValue : 0;
}

TEST_F(InputTest, FireCallsTheDelegateElseTheFunctionAndShowsTheMatchedHandler)
{
    gPlainCalls = 0;
    CKeyHandler left, right;
    left.Set(DIK_LEFT, KEY_ON_PRESS, PlainHandler);
    left.userValue = -1;
    right.Set(DIK_RIGHT, KEY_ON_RELEASE, PlainHandler);
    right.userValue = 1;
    CKeyTable table;
    table.Fill(&left, &right);
    gInput.PushTable(&table);

    KeyFrame({DIK_LEFT}, STEP);
    EXPECT_EQ(1, gPlainCalls);
    EXPECT_EQ(-1, gSeenUserValue);
    KeyFrame({DIK_RIGHT}, STEP);
    KeyFrame({}, STEP);
    EXPECT_EQ(2, gPlainCalls);
    EXPECT_EQ(1, gSeenUserValue);  // also for a handler fired on release

    Counter counter;
    left.SetDelegate(new CDelegate<Counter>(&counter, &Counter::Hit));
    left.Fire();
    EXPECT_EQ(1, counter.hits);
    EXPECT_EQ(2, gPlainCalls);
    left.SetDelegate(nullptr);
    left.Fire();
    EXPECT_EQ(3, gPlainCalls);
    CKeyHandler empty;
    empty.Fire();  // nothing to call
}

std::vector<std::string> gOrder;
void First() { gOrder.push_back("first"); }
void Second() { gOrder.push_back("second"); }
void Third() { gOrder.push_back("third"); }

TEST_F(InputTest, TablesOfTheCurrentLevelFromTheLastPushedEveryHandlerInOrder)
{
    gOrder.clear();
    CKeyHandler a, b, c, below;
    a.Set(DIK_RETURN, KEY_ON_PRESS, First);
    b.Set(DIK_RETURN, KEY_ON_PRESS, Second);
    c.Set(DIK_RETURN, KEY_ON_PRESS, Third);
    Counter belowHits;
    Bind(below, DIK_RETURN, KEY_ON_PRESS, belowHits);
    CKeyTable early, late, base;
    early.Fill(&c);
    late.Fill(&a, &b);
    base.Fill(&below);
    gInput.PushTable(&base);
    gInput.PushLevelTables({&early, &late});

    KeyFrame({DIK_RETURN}, STEP);
    std::vector<std::string> expected = {"first", "second", "third"};
    EXPECT_EQ(expected, gOrder);
    EXPECT_EQ(0, belowHits.hits);  // only the current level gets keys

    gInput.PopLevel();
    KeyFrame({}, STEP);
    KeyFrame({DIK_RETURN}, STEP);
    EXPECT_EQ(1, belowHits.hits);
}

// A dialog whose Escape handler closes it: its level goes and the dialog is deleted.
struct Dialog {
    CKeyHandler close, after;
    CKeyTable table;
};
Dialog* gOpenDialog;
int gAfterCalls;
void CloseDialog()
{
    gInput.RemoveTable(&gOpenDialog->table);
    delete gOpenDialog;
    gOpenDialog = nullptr;
}
void AfterClose() { ++gAfterCalls; }

TEST_F(InputTest, AHandlerThatClosesItsLevelEndsTheWalk)
{
    gAfterCalls = 0;
    gOpenDialog = new Dialog;
    gOpenDialog->close.Set(DIK_ESCAPE, KEY_ON_PRESS, CloseDialog);
    gOpenDialog->after.Set(DIK_ESCAPE, KEY_ON_PRESS, AfterClose);
    gOpenDialog->table.Fill(&gOpenDialog->close, &gOpenDialog->after);
    CKeyHandler quit;
    Counter quitHits;
    Bind(quit, DIK_ESCAPE, KEY_ON_PRESS, quitHits);
    CKeyTable base;
    base.Fill(&quit);
    gInput.PushTable(&base);
    ASSERT_TRUE(gInput.PushLevel(&gOpenDialog->table));

    KeyFrame({DIK_ESCAPE}, STEP);
    EXPECT_EQ(nullptr, gOpenDialog);
    EXPECT_EQ(0, gAfterCalls);
    EXPECT_EQ(0, gInput.currentLevel);
    EXPECT_EQ(0, quitHits.hits);  // the same press does not reach the level below
    KeyFrame({DIK_ESCAPE}, STEP);
    EXPECT_EQ(1, quitHits.hits);
}

TEST_F(InputTest, TableFillIsBoundedByItsCapacity)
{
    static CKeyHandler handlers[MAX_TABLE_HANDLERS + 1];
    CKeyTable table;
    for (int i = 0; i < MAX_TABLE_HANDLERS; i += 2)
        ASSERT_TRUE(table.Fill(&handlers[i], &handlers[i + 1]));
    EXPECT_EQ(MAX_TABLE_HANDLERS, table.count);
    EXPECT_EQ(0u, messages.Count());
    EXPECT_FALSE(table.Fill(&handlers[MAX_TABLE_HANDLERS]));
    EXPECT_EQ(MAX_TABLE_HANDLERS, table.count);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("PROGRAMMER LIMIT:  NumHandlers in CKeyTable::Fill.", messages.Texts()[0]);

    CKeyTable stops;
    stops.Fill(&handlers[0], nullptr, &handlers[1]);  // the list ends at its null
    EXPECT_EQ(1, stops.count);
}

} // namespace
} // namespace inputtest
