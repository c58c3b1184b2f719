#include "core/BlockPool.h"
#include "core/PVectorFirm.h"
#include "tests/support/Harness.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Collector {
    std::vector<int> seen;
    void Take(int& value) { seen.push_back(value); }
};

TEST(BlockPool, FirstChunkThenFurtherChunksThenFull)
{
    TBlockPool<int> pool;
    pool.Init(2, 1, 2);
    for (int i = 1; i <= 4; ++i)
        EXPECT_NE(nullptr, pool.Alloc(i)) << i;
    EXPECT_EQ(1u, pool.ChunksOpen());
    EXPECT_EQ(nullptr, pool.Alloc(5));

    Collector c;
    pool.ForEach(&c, &Collector::Take);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), c.seen);
}

TEST(BlockPool, FreeFindsTheOwningChunkAndRefusesOthers)
{
    TBlockPool<int> pool;
    pool.Init(2, 2, 2);
    int* a = pool.Alloc(1);
    pool.Alloc(2);
    int* c = pool.Alloc(3);  // opens the first further chunk
    int* d = pool.Alloc(4);
    int* e = pool.Alloc(5);  // opens the second
    EXPECT_EQ(2u, pool.ChunksOpen());

    EXPECT_TRUE(pool.Free(d));
    EXPECT_FALSE(pool.Free(d));
    int outside = 0;
    EXPECT_FALSE(pool.Free(&outside));
    EXPECT_TRUE(pool.Free(a));
    EXPECT_TRUE(pool.Free(e));

    // The first chunk is tried first, then the open chunks in opening order.
    EXPECT_EQ(a, pool.Alloc(10));
    EXPECT_EQ(d, pool.Alloc(11));
    EXPECT_EQ(e, pool.Alloc(12));
    EXPECT_EQ(e + 1, pool.Alloc(13));
    EXPECT_EQ(nullptr, pool.Alloc(14));

    Collector seen;
    pool.Free(c);
    pool.ForEach(&seen, &Collector::Take);
    EXPECT_EQ((std::vector<int>{10, 2, 11, 12, 13}), seen.seen);
}

TEST(BlockPool, ClearKeepsChunksOpenAndReleasingClearReopensThem)
{
    TBlockPool<int> pool;
    pool.Init(2, 1, 3);
    for (int i = 0; i < 5; ++i)
        pool.Alloc(i);
    pool.Clear();
    EXPECT_EQ(1u, pool.ChunksOpen());
    Collector none;
    pool.ForEach(&none, &Collector::Take);
    EXPECT_TRUE(none.seen.empty());

    for (int i = 0; i < 4; ++i)
        pool.Alloc(i);
    pool.ClearReleasingChunks();
    EXPECT_EQ(0u, pool.ChunksOpen());
    pool.Alloc(7);
    pool.Alloc(8);
    EXPECT_EQ(0u, pool.ChunksOpen());
    EXPECT_NE(nullptr, pool.Alloc(9));
    EXPECT_EQ(1u, pool.ChunksOpen());
    Collector seen;
    pool.ForEach(&seen, &Collector::Take);
    EXPECT_EQ((std::vector<int>{7, 8, 9}), seen.seen);
}

struct SUnit {
    int id;
};

TEST(PVectorFirm, HoldsTwoHundredFiftyFiveAndWarnsOnce)
{
    test::MessageRecorder messages;
    gWarningBudget = 4;
    TBlockPool<TPVectorFirm<SUnit>> lists;
    lists.Init(1, 0, 0);
    TPVectorFirm<SUnit>* list = lists.Alloc(TPVectorFirm<SUnit>());
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(0, list->GetCount());

    SUnit units[256];
    for (int i = 0; i < 255; ++i)
        EXPECT_TRUE(list->PushBack(&units[i]));
    EXPECT_EQ(0u, messages.Count());
    EXPECT_FALSE(list->PushBack(&units[255]));
    EXPECT_EQ(255, list->GetCount());
    EXPECT_EQ(&units[254], list->At(254));
    EXPECT_EQ(nullptr, list->At(255));
    ASSERT_EQ(1u, messages.Count());
    EXPECT_EQ("TPVectorFirm::PushBack: Max elems limit is exceed.", messages.Texts()[0]);

    int sum = 0;
    list->ForEach([&sum](SUnit* u) { sum += u == nullptr ? 0 : 1; });
    EXPECT_EQ(255, sum);
    gWarningBudget = 4;
}

} // namespace
