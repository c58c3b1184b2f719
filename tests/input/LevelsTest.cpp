#include "tests/input/InputFixture.h"

#include "core/KeyNames.h"

#include <vector>

namespace inputtest {
namespace {

TEST_F(InputTest, SixtyFourLevelsThenTheLimitMessage)
{
    CKeyTable table;
    for (int i = 1; i < INPUT_LEVELS; ++i)
        ASSERT_TRUE(gInput.PushLevel(&table)) << i;
    EXPECT_EQ(63, gInput.currentLevel);
    EXPECT_EQ(0u, messages.Count());

    EXPECT_FALSE(gInput.PushLevel(&table));
    EXPECT_FALSE(gInput.PushLevelTables({&table, &table}));
    EXPECT_EQ(63, gInput.currentLevel);
    ASSERT_EQ(2u, messages.Count());
    EXPECT_EQ("PROGRAMMER CORE:  MAX_LEVELS of gInput limit is exceed.", messages.Texts()[0]);

    for (int i = 0; i < 70; ++i)
        gInput.PopLevel();
    EXPECT_EQ(0, gInput.currentLevel);  // level 0 stays
    EXPECT_EQ(0, gInput.levels[1].tableCount);
}

TEST_F(InputTest, TablesPerLevelAreLimited)
{
    CKeyTable table;
    for (int i = 0; i < LEVEL_TABLES; ++i)
        ASSERT_TRUE(gInput.PushTable(&table));
    EXPECT_FALSE(gInput.PushTable(&table));
    EXPECT_EQ(LEVEL_TABLES, gInput.levels[0].tableCount);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("PROGRAMMER LIMIT:  NumTables in CInput::PushTable.", messages.Texts()[0]);
    messages.Clear();

    // Several at once: the level must then hold fewer than 63, else it stays as it was.
    ASSERT_TRUE(gInput.PushLevelTables({&table}));
    for (int i = 1; i < 60; ++i)
        gInput.PushTable(&table);
    EXPECT_FALSE(gInput.PushTables({&table, &table, &table}));
    EXPECT_EQ(60, gInput.levels[1].tableCount);
    EXPECT_TRUE(gInput.PushTables({&table, &table}));
    EXPECT_EQ(62, gInput.levels[1].tableCount);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("PROGRAMMER LIMIT:  NumTables in CInput::PushTables.", messages.Texts()[0]);
}

TEST_F(InputTest, ALevelOfTooManyTablesDoesNotOpen)
{
    CKeyTable t;
    std::initializer_list<CKeyTable*> many = {
        &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t,
        &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t,
        &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t, &t};
    ASSERT_EQ(63u, many.size());
    EXPECT_FALSE(gInput.PushLevelTables(many));
    EXPECT_EQ(0, gInput.currentLevel);
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("PROGRAMMER LIMIT:  NumTables in CInput::PushTables.", messages.Texts()[0]);
}

std::vector<CKeyTable*> TablesOf(int level)
{
    const CInputLevel& l = gInput.levels[level];
    return std::vector<CKeyTable*>(l.tables, l.tables + l.tableCount);
}

TEST_F(InputTest, RemovingTheMiddleTableKeepsTheOthersInOrder)
{
    CKeyTable a, b, c;
    ASSERT_TRUE(gInput.PushLevelTables({&a, &b, &c}));
    gInput.RemoveTable(&b);
    EXPECT_EQ((std::vector<CKeyTable*>{&a, &c}), TablesOf(1));
    EXPECT_EQ(nullptr, gInput.levels[1].tables[2]);
    gInput.RemoveTable(&b);  // not there: nothing changes
    EXPECT_EQ((std::vector<CKeyTable*>{&a, &c}), TablesOf(1));

    gInput.RemoveTable(&a);
    gInput.RemoveTable(&c);
    EXPECT_EQ(0, gInput.currentLevel);  // the emptied level closed

    gInput.PushTable(&a);
    gInput.RemoveTable(&a);
    EXPECT_EQ(0, gInput.currentLevel);
    EXPECT_EQ(0, gInput.levels[0].tableCount);
}

TEST_F(InputTest, RemoveTablesNeverClosesTheLevel)
{
    CKeyTable a, b, c;
    gInput.PushTable(&c);
    ASSERT_TRUE(gInput.PushLevelTables({&a, &b}));
    gInput.RemoveTables({&b, &a, &c});
    EXPECT_EQ(1, gInput.currentLevel);
    EXPECT_EQ(0, gInput.levels[1].tableCount);
    EXPECT_EQ(1, gInput.levels[0].tableCount);  // only the current level is searched
}

// A selection's keys pushed as a level, then a text field's level above them: taking the
// selection's table away closes its level without touching the text field's.
TEST_F(InputTest, RemovingATableBelowTheCurrentLevelClosesItsEmptiedLevel)
{
    CKeyTable rotation, field, base;
    gInput.PushTable(&base);
    ASSERT_TRUE(gInput.PushLevel(&rotation));
    ASSERT_TRUE(gInput.PushLevel(&field));

    gInput.RemoveTable(&rotation);
    EXPECT_EQ(1, gInput.currentLevel);
    EXPECT_EQ((std::vector<CKeyTable*>{&field}), TablesOf(1));
    EXPECT_EQ(0, gInput.levels[2].tableCount);

    gInput.PopLevel();
    EXPECT_EQ(0, gInput.currentLevel);
    EXPECT_EQ((std::vector<CKeyTable*>{&base}), TablesOf(0));
}

TEST(KeyNames, DirectInputConstants)
{
    EXPECT_EQ(1, KeyNameToDIK("DIK_ESCAPE"));
    EXPECT_EQ(203, KeyNameToDIK("DIK_LEFT"));
    EXPECT_EQ(157, KeyNameToDIK("DIK_RCONTROL"));
    EXPECT_EQ(157, KeyNameToDIK("DIK_RCTRL"));
    EXPECT_EQ(0x66, KeyNameToDIK("DIK_F15"));
    EXPECT_EQ(0, KeyNameToDIK("DIK_NOSUCHKEY"));
    EXPECT_EQ(0, KeyNameToDIK("dik_escape"));
    EXPECT_EQ(0, KeyNameToDIK(nullptr));
}

} // namespace
} // namespace inputtest
