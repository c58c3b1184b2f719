#pragma once
// TArray (32-bit counts, pointer elements) and TSmallArray (16-bit counts, records or
// pointers): growable arrays that grow in steps of 16. Neither reports anything: an Add
// that cannot grow (memory short, or past the count type's range) answers false or null
// and the array stays as it was.

#include <cstdint>
#include <limits>
#include <new>
#include <type_traits>

template <class T, class CountT>
class TGrowArray {
public:
    static constexpr int GROWTH = 16;

    TGrowArray() = default;
    ~TGrowArray() { Free(); }
    TGrowArray(const TGrowArray&) = delete;
    TGrowArray& operator=(const TGrowArray&) = delete;

    // Drops the old elements and makes room for n (records constructed; pointers zeroed
    // when asked).
    void Init(int n, bool zero)
    {
        Free();
        if (n <= 0 || n > int(std::numeric_limits<CountT>::max()))
            return;
        data = Regrow(nullptr, 0, n, zero);
        if (data)
            capacity = initialCapacity = CountT(n);
    }

    // The next element (for records), growing by 16 when full; null when it cannot grow.
    T* Add()
    {
        if (count >= capacity && !Grow())
            return nullptr;
        return &data[count++];
    }

    // Appends a copy of item; false when the array cannot grow.
    bool Add(const T& item)
    {
        T* slot = Add();
        if (slot)
            *slot = item;
        return slot != nullptr;
    }

    // Forgets the elements; memory stays. A pointer array also nulls its first slot.
    void Clear()
    {
        count = 0;
        if constexpr (std::is_pointer<T>::value)
            if (capacity > 0)
                data[0] = nullptr;
    }

    // Empties the array and gives back what it grew beyond its initial capacity.
    void Shrink()
    {
        count = 0;
        if (capacity <= initialCapacity)
            return;
        delete[] data;
        data = Regrow(nullptr, 0, initialCapacity, false);
        capacity = data ? initialCapacity : 0;
    }

    // Pointer elements: calls (item->*method)() on every non-null item, index 0 upward.
    template <class R, class C>
    void ForEach(R (C::*method)())
    {
        for (int i = 0; i < int(count); ++i)
            if (data[i])
                (data[i]->*method)();
    }

    void Free()
    {
        delete[] data;
        data = nullptr;
        count = capacity = initialCapacity = 0;
    }

    CountT Count() const { return count; }
    T* At(int i) { return &data[i]; }
    T& operator[](int i) { return data[i]; }
    const T& operator[](int i) const { return data[i]; }
    CountT Capacity() const { return capacity; }

private:
    static T* Regrow(const T* old, int keep, int n, bool zero)
    {
        T* block = zero ? new (std::nothrow) T[n]() : new (std::nothrow) T[n];
        if (block)
            for (int i = 0; i < keep; ++i)
                block[i] = old[i];
        return block;
    }

    // The first growth of an array never initialised makes 16 zeroed slots.
    bool Grow()
    {
        if (capacity == 0) {
            Init(GROWTH, true);
            return data != nullptr;
        }
        int grown = int(capacity) + GROWTH;
        if (grown > int(std::numeric_limits<CountT>::max()))
            return false;
        T* block = Regrow(data, capacity, grown, true);
        if (!block)
            return false;
        delete[] data;
        data = block;
        capacity = CountT(grown);
        return true;
    }

    CountT count = 0;
    CountT capacity = 0;
    CountT initialCapacity = 0;
    T* data = nullptr;
};

template <class T>
using TArray = TGrowArray<T, int32_t>;
template <class T>
using TSmallArray = TGrowArray<T, uint16_t>;
