#pragma once
// TBlockChainPool: hands out fixed-size blocks of records from a table of maxBlocks
// blocks; each user links its blocks into a chain of its own (Chain) and takes records from
// the chain. Some blocks are made at Init, the rest on demand. Blocks come back only
// through Clear. A pool without blocks left answers null; the caller decides what to say.
// A record is taken back at most once per hand-out: a second push, or the push of a record
// the block never handed out, is refused.

#include <cstdint>
#include <cstring>
#include <new>

template <class T>
class TBlockChainPool {
public:
    struct Block {
        uint16_t freeCount = 0;  // entries on freeStack
        uint16_t highWater = 0;  // records handed out since made or reset, freed ones included
        T* records = nullptr;
        T** freeStack = nullptr;
        bool* inUse = nullptr;
        TBlockChainPool* owner = nullptr;
        Block* next = nullptr;

        T* First() const { return records; }
        uint16_t HighWater() const { return highWater; }
        // Just behind the last record handed out.
        T* End() const { return records + highWater; }
    };

    // One user's chain of blocks; it owns none of them.
    class Chain {
    public:
        Block* First() const { return head; }
        void Clear() { head = nullptr; }
        void Append(Block* block)
        {
            if (!block)
                return;
            block->next = nullptr;
            if (!head) {
                head = block;
                return;
            }
            Block* last = head;
            while (last->next)
                last = last->next;
            last->next = block;
        }

    private:
        Block* head = nullptr;
    };

    TBlockChainPool() = default;
    ~TBlockChainPool() { Free(); }
    TBlockChainPool(const TBlockChainPool&) = delete;
    TBlockChainPool& operator=(const TBlockChainPool&) = delete;

    // 0; -1 when the block table cannot be had, -3 when a premade block cannot be made.
    int Init(uint16_t maxBlockCount, uint16_t perBlock, uint16_t premade)
    {
        Free();
        blocks = new (std::nothrow) Block[maxBlockCount];
        if (!blocks)
            return -1;
        maxBlocks = maxBlockCount;
        recordsPerBlock = perBlock;
        if (premade > maxBlocks)
            premade = maxBlocks;
        for (uint16_t i = 0; i < premade; ++i)
            if (InitBlock(blocks[i], perBlock) != 0) {
                premadeBlocks = i;
                return -3;
            }
        premadeBlocks = premade;
        return 0;
    }

    // Makes an empty block of n records: 0; -1 when the records, -2 when the free stack
    // cannot be had.
    int InitBlock(Block& block, uint16_t n)
    {
        block.owner = this;
        block.records = new (std::nothrow) T[n]();
        if (!block.records)
            return -1;
        block.freeStack = new (std::nothrow) T*[n];
        block.inUse = new (std::nothrow) bool[n]();
        if (!block.freeStack || !block.inUse) {
            ReleaseBlock(block);
            return -2;
        }
        block.freeCount = block.highWater = 0;
        block.next = nullptr;
        return 0;
    }

    // An empty, unlinked block (its records keep what they held), or null.
    Block* AllocBlock()
    {
        if (handedOut >= maxBlocks)
            return nullptr;
        Block& block = blocks[handedOut];
        if (handedOut < premadeBlocks)
            ResetBlock(block);
        else if (InitBlock(block, recordsPerBlock) != 0)
            return nullptr;
        ++handedOut;
        return &block;
    }

    // A record from the first block of the chain, in chain order, that has a freed or
    // never-used one; the chain grows at its end. Null when the pool has no block left.
    T* Alloc(Block* block)
    {
        while (block) {
            if (block->freeCount > 0)
                return Hand(*block, block->freeStack[--block->freeCount]);
            if (block->highWater < recordsPerBlock)
                return Hand(*block, block->records + block->highWater++);
            if (!block->next) {
                block->next = AllocBlock();
                if (!block->next)
                    return nullptr;
            }
            block = block->next;
        }
        return nullptr;
    }

    // Takes a record back onto its block; false when the block did not hand it out or it
    // is free already.
    bool PushFree(Block* block, T* record)
    {
        if (!block || !block->records || record < block->records || record >= block->End())
            return false;
        size_t index = size_t(record - block->records);
        if (!block->inUse[index] || block->freeCount >= recordsPerBlock)
            return false;
        block->inUse[index] = false;
        block->freeStack[block->freeCount++] = record;
        return true;
    }

    // Empties the pool; every chain taken from it must be cleared first. Premade blocks
    // stay made, the others are released.
    void Clear()
    {
        for (uint16_t i = 0; i < maxBlocks; ++i) {
            if (i < premadeBlocks)
                ResetBlock(blocks[i]);
            else
                ReleaseBlock(blocks[i]);
        }
        handedOut = 0;
    }

    uint16_t MaxBlocks() const { return maxBlocks; }
    uint16_t PremadeBlocks() const { return premadeBlocks; }
    uint16_t HandedOut() const { return handedOut; }
    uint16_t RecordsPerBlock() const { return recordsPerBlock; }
    Block* BlockAt(uint16_t i) { return i < maxBlocks ? &blocks[i] : nullptr; }

private:
    T* Hand(Block& block, T* record)
    {
        block.inUse[record - block.records] = true;
        return record;
    }

    void ResetBlock(Block& block)
    {
        block.freeCount = block.highWater = 0;
        block.next = nullptr;
        if (block.inUse)
            memset(block.inUse, 0, sizeof(bool) * recordsPerBlock);
    }

    void ReleaseBlock(Block& block)
    {
        delete[] block.records;
        delete[] block.freeStack;
        delete[] block.inUse;
        block = Block();
    }

    void Free()
    {
        for (uint16_t i = 0; i < maxBlocks; ++i)
            ReleaseBlock(blocks[i]);
        delete[] blocks;
        blocks = nullptr;
        maxBlocks = premadeBlocks = handedOut = recordsPerBlock = 0;
    }

    uint16_t maxBlocks = 0;
    uint16_t premadeBlocks = 0;
    uint16_t handedOut = 0;  // also the table index of the next block to hand out
    uint16_t recordsPerBlock = 0;
    Block* blocks = nullptr;
};
