#pragma once
// TBlockPool: a first record pool of N records plus up to M further chunks of K records,
// opened when everything open is full. Records are handed out by address; freeing finds
// the owning chunk by address. A full pool answers null so the caller can warn.

#include "core/Container.h"

#include <cstdint>
#include <new>

template <class T>
class TBlockPool {
public:
    TBlockPool() = default;
    ~TBlockPool() { delete[] chunks; }
    TBlockPool(const TBlockPool&) = delete;
    TBlockPool& operator=(const TBlockPool&) = delete;

    // First chunk of n records, room for m further chunks of k records each.
    void Init(int n, int m, int k)
    {
        first.Init(n);
        delete[] chunks;
        chunks = m > 0 ? new (std::nothrow) TContainer<T, int>[m] : nullptr;
        maxChunks = chunks ? uint32_t(m) : 0;
        chunkCapacity = k > 0 ? uint32_t(k) : 0;
        chunksOpen = 0;
    }

    // A free record (from the first chunk, then the open chunks in opening order, then a
    // newly opened chunk); null when all M chunks are open and full.
    T* Alloc()
    {
        if (T* record = first.AllocRecord())
            return record;
        for (uint32_t i = 0; i < chunksOpen; ++i)
            if (T* record = chunks[i].AllocRecord())
                return record;
        if (chunksOpen >= maxChunks || !chunks[chunksOpen].Init(int(chunkCapacity)))
            return nullptr;
        return chunks[chunksOpen++].AllocRecord();
    }

    // Stores a copy of value; answers where, or null when the pool is full (value dropped).
    T* Alloc(const T& value)
    {
        T* record = Alloc();
        if (record)
            *record = value;
        return record;
    }

    // Gives back a record of this pool; false for a foreign or already free address.
    bool Free(const T* record)
    {
        if (first.Owns(record))
            return first.FreeRecord(record);
        for (uint32_t i = 0; i < chunksOpen; ++i)
            if (chunks[i].Owns(record))
                return chunks[i].FreeRecord(record);
        return false;
    }

    // Empties every chunk; open chunks stay open.
    void Clear()
    {
        first.Clear();
        for (uint32_t i = 0; i < chunksOpen; ++i)
            chunks[i].Clear();
    }

    // Empties the first chunk and gives the memory of the further chunks back, so later
    // records open them afresh (used when a presentation ends).
    void ClearReleasingChunks()
    {
        first.Clear();
        for (uint32_t i = 0; i < chunksOpen; ++i)
            chunks[i].Release();
        chunksOpen = 0;
    }

    // Calls (object->*method)(record) for every record in use, first chunk first.
    template <class O, class R, class A>
    void ForEach(O* object, R (O::*method)(A))
    {
        ForEachIn(first, object, method);
        for (uint32_t i = 0; i < chunksOpen; ++i)
            ForEachIn(chunks[i], object, method);
    }

    uint32_t ChunksOpen() const { return chunksOpen; }

private:
    template <class O, class R, class A>
    static void ForEachIn(TContainer<T, int>& chunk, O* object, R (O::*method)(A))
    {
        for (int i = 0; i < chunk.Count(); ++i)
            if (chunk.InUse(i))
                (object->*method)(chunk.Data()[i]);
    }

    TContainer<T, int> first;
    uint32_t chunksOpen = 0;
    uint32_t maxChunks = 0;
    uint32_t chunkCapacity = 0;
    TContainer<T, int>* chunks = nullptr;
};
