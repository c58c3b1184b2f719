#include "core/BlockChainPool.h"

#include <gtest/gtest.h>

namespace {

using Pool = TBlockChainPool<int>;

TEST(BlockChainPool, ChainTakesBlocksInTableOrderUntilThePoolIsEmpty)
{
    Pool pool;
    ASSERT_EQ(0, pool.Init(4, 2, 2));
    Pool::Chain chain;
    chain.Append(pool.AllocBlock());
    ASSERT_EQ(pool.BlockAt(0), chain.First());

    for (int block = 0; block < 4; ++block)
        for (int r = 0; r < 2; ++r) {
            int* record = pool.Alloc(chain.First());
            ASSERT_NE(nullptr, record);
            EXPECT_EQ(pool.BlockAt(block)->First() + r, record) << block << " " << r;
        }
    EXPECT_EQ(nullptr, pool.Alloc(chain.First()));

    int blocks = 0;
    for (Pool::Block* b = chain.First(); b; b = b->next) {
        EXPECT_EQ(pool.BlockAt(blocks), b);
        EXPECT_EQ(2, b->HighWater());
        ++blocks;
    }
    EXPECT_EQ(4, blocks);
    EXPECT_EQ(4, pool.HandedOut());
}

TEST(BlockChainPool, PushedBackRecordsComeBackFirstLastPushedFirst)
{
    Pool pool;
    pool.Init(2, 4, 1);
    Pool::Block* block = pool.AllocBlock();
    int* a = pool.Alloc(block);
    int* b = pool.Alloc(block);
    EXPECT_TRUE(pool.PushFree(block, a));
    EXPECT_TRUE(pool.PushFree(block, b));
    EXPECT_EQ(b, pool.Alloc(block));
    EXPECT_EQ(a, pool.Alloc(block));
    EXPECT_EQ(block->First() + 2, pool.Alloc(block));
    EXPECT_EQ(block->First() + 3, block->End());
}

TEST(BlockChainPool, DoubleAndForeignPushesAreRefused)
{
    Pool pool;
    pool.Init(2, 3, 2);
    Pool::Block* one = pool.AllocBlock();
    Pool::Block* two = pool.AllocBlock();
    int* a = pool.Alloc(one);
    int* b = pool.Alloc(two);
    int outside = 0;
    EXPECT_FALSE(pool.PushFree(one, b));           // another block's record
    EXPECT_FALSE(pool.PushFree(one, &outside));
    EXPECT_FALSE(pool.PushFree(one, one->First() + 1));  // never handed out
    EXPECT_TRUE(pool.PushFree(one, a));
    EXPECT_FALSE(pool.PushFree(one, a));
    EXPECT_EQ(1, one->freeCount);
    EXPECT_EQ(a, pool.Alloc(one));
    EXPECT_EQ(one->First() + 1, pool.Alloc(one));
}

TEST(BlockChainPool, ClearHandsOutBlockZeroAgainEmptyAndUnlinked)
{
    Pool pool;
    pool.Init(3, 1, 1);
    Pool::Chain chain;
    chain.Append(pool.AllocBlock());
    pool.Alloc(chain.First());
    pool.Alloc(chain.First());  // takes a block made on demand
    pool.Alloc(chain.First());
    EXPECT_EQ(3, pool.HandedOut());

    chain.Clear();
    pool.Clear();
    EXPECT_EQ(0, pool.HandedOut());
    EXPECT_EQ(nullptr, pool.BlockAt(1)->First());  // released, made again on demand
    Pool::Block* block = pool.AllocBlock();
    EXPECT_EQ(pool.BlockAt(0), block);
    EXPECT_EQ(0, block->HighWater());
    EXPECT_EQ(0, block->freeCount);
    EXPECT_EQ(nullptr, block->next);

    chain.Append(block);
    pool.Alloc(block);
    int* remade = pool.Alloc(block);
    ASSERT_NE(nullptr, remade);
    EXPECT_EQ(pool.BlockAt(1)->First(), remade);
}

TEST(BlockChainPool, ChainAppendIgnoresNullAndLinksAtTheEnd)
{
    Pool pool;
    pool.Init(3, 1, 3);
    Pool::Chain chain;
    chain.Append(nullptr);
    EXPECT_EQ(nullptr, chain.First());
    Pool::Block* a = pool.AllocBlock();
    Pool::Block* b = pool.AllocBlock();
    chain.Append(a);
    chain.Append(b);
    EXPECT_EQ(a, chain.First());
    EXPECT_EQ(b, a->next);
    EXPECT_EQ(nullptr, b->next);
    EXPECT_EQ(nullptr, pool.Alloc(nullptr));
}

} // namespace
