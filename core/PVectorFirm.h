#pragma once
// TPVectorFirm: a fixed list of at most 255 pointers kept inside its own record (the unit
// lists of the unit registry's pool). A pointer beyond the limit is dropped with the unit
// classes' counted warning.

#include "core/Messages.h"

#include <cstdint>

template <class T>
class TPVectorFirm {
public:
    static constexpr int MAX_ELEMS = 255;

    // False (and a counted warning) when the list is full.
    bool PushBack(T* item)
    {
        if (count >= MAX_ELEMS) {
            WarningBox(&gWarningBudget, "TPVectorFirm::PushBack: Max elems limit is exceed.",
                       nullptr);
            return false;
        }
        items[count++] = item;
        return true;
    }

    // Takes the first occurrence out, keeping the order of the rest; false when absent.
    bool Remove(const T* item)
    {
        for (int i = 0; i < count; ++i) {
            if (items[i] != item)
                continue;
            for (int k = i + 1; k < count; ++k)
                items[k - 1] = items[k];
            items[--count] = nullptr;
            return true;
        }
        return false;
    }

    int GetCount() const { return count; }
    T* At(int i) const { return i >= 0 && i < count && i < MAX_ELEMS ? items[i] : nullptr; }

    // Calls fn(item) for every element in order.
    template <class F>
    void ForEach(F fn) const
    {
        for (int i = 0; i < count; ++i)
            fn(items[i]);
    }

private:
    uint16_t count = 0;
    T* items[MAX_ELEMS] = {};
};
