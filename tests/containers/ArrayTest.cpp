#include "core/Array.h"

#include <gtest/gtest.h>

namespace {

struct CItem {
    int calls = 0;
    void Touch() { ++calls; }
};

struct SLight {
    float colour[4] = {1, 2, 3, 4};
    int kind = 7;
};

TEST(Array, GrowsBySixteen)
{
    TArray<CItem*> items;
    items.Init(256, true);
    CItem item;
    for (int i = 0; i < 256; ++i)
        items.Add(&item);
    EXPECT_EQ(256, items.Capacity());
    items.Add(nullptr);
    EXPECT_EQ(272, items.Capacity());
    EXPECT_EQ(257, items.Count());
    EXPECT_EQ(&item, items[255]);
    EXPECT_EQ(nullptr, items[256]);
}

TEST(Array, FirstAddToAnEmptyArrayMakesSixteenZeroedSlots)
{
    TArray<CItem*> items;
    CItem item;
    items.Add(&item);
    EXPECT_EQ(16, items.Capacity());
    EXPECT_EQ(nullptr, items[1]);
    EXPECT_EQ(nullptr, items[15]);
}

TEST(Array, ClearWithoutStorageWritesNothing)
{
    TArray<CItem*> items;
    items.Clear();  // capacity 0: no first slot to null
    EXPECT_EQ(0, items.Count());
    EXPECT_EQ(0, items.Capacity());

    CItem item;
    items.Add(&item);
    items.Clear();
    EXPECT_EQ(0, items.Count());
    EXPECT_EQ(nullptr, items[0]);
}

TEST(Array, ShrinkGoesBackToTheInitialCapacity)
{
    TArray<CItem*> items;
    items.Init(2, true);
    CItem item;
    for (int i = 0; i < 5; ++i)
        items.Add(&item);
    EXPECT_EQ(18, items.Capacity());
    items.Shrink();
    EXPECT_EQ(0, items.Count());
    EXPECT_EQ(2, items.Capacity());
}

TEST(Array, ForEachSkipsNullItems)
{
    TArray<CItem*> items;
    CItem a, b;
    items.Add(&a);
    items.Add(nullptr);
    items.Add(&b);
    items.Add(&a);
    items.ForEach(&CItem::Touch);
    EXPECT_EQ(2, a.calls);
    EXPECT_EQ(1, b.calls);
}

TEST(SmallArray, RecordsAreConstructedAndKeptWhenGrowing)
{
    TSmallArray<SLight> lights;
    for (int i = 0; i < 17; ++i)
        lights.Add()->kind = i;
    EXPECT_EQ(17, lights.Count());
    EXPECT_EQ(32, lights.Capacity());
    EXPECT_EQ(0, lights.At(0)->kind);
    EXPECT_EQ(16, lights.At(16)->kind);
    EXPECT_EQ(7, lights.At(17)->kind);  // constructed, not yet handed out
    EXPECT_EQ(4.0f, lights.At(20)->colour[3]);
}

TEST(SmallArray, StopsAtTheSixteenBitLimit)
{
    TSmallArray<CItem*> items;
    CItem item;
    int added = 0;
    while (items.Add(&item) && added < 70000)
        ++added;
    EXPECT_EQ(65520, added);
    EXPECT_EQ(65520, items.Count());
}

} // namespace
