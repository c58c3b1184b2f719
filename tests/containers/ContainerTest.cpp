#include "core/Container.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

struct SNamed {
    char name[16] = {};
    int value = 0;
};

struct CThing {
    int id = 0;
    const char* name = "";
};

using IntContainer = TContainer<int, int>;

void AddNamed(TContainer<SNamed, uint8_t>& records, const char* name)
{
    SNamed* record = records.Add();
    ASSERT_NE(nullptr, record);
    snprintf(record->name, sizeof(record->name), "%s", name);
}

TEST(Container, CapacityFourHoldsThreeAndReusesTheFreedIndex)
{
    TContainer<SNamed, uint16_t> c;
    ASSERT_TRUE(c.Init(4));
    SNamed* slot = nullptr;
    EXPECT_EQ(1, c.Add(slot));
    EXPECT_EQ(c.At(1), slot);
    EXPECT_EQ(2, c.Add(slot));
    EXPECT_EQ(3, c.Add(slot));
    EXPECT_EQ(0, c.Add(slot));
    EXPECT_EQ(nullptr, slot);
    EXPECT_EQ(nullptr, c.Add());

    EXPECT_EQ(c.At(2), c.Free(2));
    EXPECT_EQ(c.At(2), c.Add());
    EXPECT_EQ(nullptr, c.Add());
    EXPECT_EQ(3, c.Count());
}

TEST(Container, FreedIndicesComeBackLastFreedFirst)
{
    IntContainer c;
    c.Init(8);
    for (int i = 0; i < 5; ++i)
        c.Add();
    c.Free(2);
    c.Free(4);
    c.Free(1);
    EXPECT_EQ(c.At(1), c.Add());
    EXPECT_EQ(c.At(4), c.Add());
    EXPECT_EQ(c.At(2), c.Add());
    EXPECT_EQ(c.At(6), c.Add());
}

TEST(Container, AtOutsideOneToCountIsNull)
{
    IntContainer c;
    c.Init(10);
    c.Add();
    c.Add();
    EXPECT_EQ(nullptr, c.At(0));
    EXPECT_NE(nullptr, c.At(2));
    EXPECT_EQ(nullptr, c.At(3));
    EXPECT_EQ(nullptr, c.At(-1));
}

TEST(Container, FreeingTwiceOrOutsideIsRefused)
{
    IntContainer c;
    c.Init(4);
    c.Add();
    c.Add();
    EXPECT_NE(nullptr, c.Free(1));
    EXPECT_EQ(nullptr, c.Free(1));
    EXPECT_EQ(nullptr, c.Free(0));
    EXPECT_EQ(nullptr, c.Free(3));
    EXPECT_EQ(1, c.FreeCount());
    // One freed slot is handed out once, then the container grows.
    EXPECT_EQ(c.At(1), c.Add());
    EXPECT_EQ(c.At(3), c.Add());
    EXPECT_EQ(nullptr, c.Add());
}

TEST(Container, RemoveFindsThePointerOnce)
{
    TContainer<CThing*, uint16_t> c;
    c.Init(5);
    CThing a, b;
    *c.Add() = &a;
    *c.Add() = &b;
    EXPECT_EQ(2, c.Remove(&b));
    // The caller has not cleared the slot yet: a second remove must not push it again.
    EXPECT_EQ(0, c.Remove(&b));
    EXPECT_EQ(1, c.FreeCount());
    EXPECT_EQ(0, c.Remove(nullptr));
}

TEST(Container, FindByNameMatchesWholeNamesOfElementsInUse)
{
    TContainer<SNamed, uint8_t> records;
    records.Init(5);
    AddNamed(records, "Floor");
    AddNamed(records, "Hall");
    AddNamed(records, "Hall");
    EXPECT_EQ(records.At(2), records.FindByName("Hall"));
    EXPECT_EQ(nullptr, records.FindByName("hall"));
    EXPECT_EQ(nullptr, records.FindByName("Flo"));
    EXPECT_EQ(nullptr, records.FindByName(""));
    EXPECT_EQ(nullptr, records.FindByName(nullptr));
    records.Free(2);
    EXPECT_EQ(records.At(3), records.FindByName("Hall"));

    TContainer<CThing*, uint16_t> pointers;
    pointers.Init(4);
    CThing attic;
    attic.name = "Attic";
    pointers.Add();  // an empty slot is skipped
    *pointers.Add() = &attic;
    EXPECT_EQ(&attic, *pointers.FindByName("Attic"));
}

TEST(Container, ClearForgetsAndInitReplaces)
{
    IntContainer c;
    c.Init(3);
    c.Add();
    c.Add();
    c.Free(1);
    c.Clear();
    EXPECT_EQ(0, c.Count());
    EXPECT_EQ(0, c.FreeCount());
    EXPECT_EQ(nullptr, c.Free(1));
    EXPECT_EQ(c.Data() + 1, c.Add());

    EXPECT_TRUE(c.Init(0));
    EXPECT_EQ(nullptr, c.Add());
    EXPECT_EQ(nullptr, c.AllocRecord());
}

// Records start value-initialised, from zeroed memory or from their constructor.
TEST(Container, InitGivesFreshRecordsEveryTime)
{
    struct SFive {
        int value = 5;
    };
    TContainer<SFive, int> fives;
    fives.Init(4);
    EXPECT_EQ(5, fives.Add()->value);
    TContainer<SNamed, int> named;
    named.Init(4);
    named.Add()->value = 7;
    named.Init(4);
    EXPECT_EQ(0, named.Add()->value);
}

TEST(Container, CapacityBeyondTheIndexTypeIsRefused)
{
    TContainer<int, uint8_t> c;
    EXPECT_TRUE(c.Init(255));
    EXPECT_EQ(-1, c.InitFreeStack(4));  // Init made one already
    EXPECT_FALSE(c.Init(256));
    EXPECT_EQ(0, c.Capacity());
    EXPECT_FALSE(c.Init(-1));
    EXPECT_EQ(-3, c.InitFreeStack(0));
    EXPECT_EQ(0, c.InitFreeStack(2));
    EXPECT_TRUE(c.Init(3));  // drops the stack it had and makes its own
    EXPECT_NE(nullptr, c.Add());
}

TEST(RecordPool, HandsOutAllRecordsFromRecordZero)
{
    TContainer<SNamed, int> pool;
    pool.Init(4);
    SNamed* first = pool.AllocRecord();
    EXPECT_EQ(pool.Data(), first);
    EXPECT_EQ(pool.Data() + 1, pool.AllocRecord());
    EXPECT_EQ(pool.Data() + 2, pool.AllocRecord());
    EXPECT_EQ(pool.Data() + 3, pool.AllocRecord());
    EXPECT_EQ(nullptr, pool.AllocRecord());

    EXPECT_TRUE(pool.FreeRecord(pool.Data() + 1));
    EXPECT_TRUE(pool.FreeRecord(pool.Data() + 3));
    EXPECT_EQ(pool.Data() + 3, pool.AllocRecord());
    EXPECT_EQ(pool.Data() + 1, pool.AllocRecord());
    EXPECT_EQ(nullptr, pool.AllocRecord());
}

TEST(RecordPool, DoubleAndForeignFreesLeaveTheFreeListIntact)
{
    TContainer<SNamed, int> pool;
    pool.Init(3);
    SNamed* a = pool.AllocRecord();
    SNamed* b = pool.AllocRecord();
    SNamed outside;
    EXPECT_TRUE(pool.FreeRecord(a));
    EXPECT_FALSE(pool.FreeRecord(a));
    EXPECT_FALSE(pool.FreeRecord(&outside));
    EXPECT_FALSE(pool.FreeRecord(nullptr));
    EXPECT_FALSE(pool.FreeRecord(pool.Data() + 2));  // never handed out
    EXPECT_FALSE(pool.FreeRecord(reinterpret_cast<SNamed*>(reinterpret_cast<char*>(b) + 4)));
    EXPECT_EQ(1, pool.FreeCount());

    // Every record is handed out exactly once.
    EXPECT_EQ(a, pool.AllocRecord());
    EXPECT_EQ(pool.Data() + 2, pool.AllocRecord());
    EXPECT_EQ(nullptr, pool.AllocRecord());
}

} // namespace
