#pragma once
// TContainer: the fixed-capacity record container every manager keeps its resources and
// objects in. Used one of two ways, never both on the same object:
// - indexed: Add/Free/Remove/At hand out indices 1..N-1 (index 0 means "none"), the last
//   freed index first;
// - record pool: AllocRecord/FreeRecord hand out record addresses from record 0 and use all
//   N records, the last freed record first.
// It reports nothing itself: a full container answers null (or 0) and the caller warns.
// Every slot carries an in-use flag, so freeing twice or freeing what was never handed out
// is refused instead of putting one slot on the free stack twice.
// Plain records live in zeroed memory from the system, which is not touched before a record
// is used when a fresh record is all zero bytes: a pool sized for the worst case then costs
// only the records it hands out.

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

// Records that need no destructor and copy as bytes are kept in memory from calloc.
template <class T>
constexpr bool CALLOC_RECORDS = std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T> &&
                                alignof(T) <= alignof(std::max_align_t);

// True when a value-initialised T is all zero bytes: such records need no constructor call
// in zeroed memory. Large records are constructed anyway.
template <class T>
bool FreshIsZeroBytes()
{
    if constexpr (sizeof(T) > 4096) {
        return false;
    } else {
        static const bool zero = [] {
            const T fresh = T();
            unsigned char bytes[sizeof(T)];
            memcpy(bytes, &fresh, sizeof(T));
            for (unsigned char b : bytes)
                if (b)
                    return false;
            return true;
        }();
        return zero;
    }
}

// The most memory one container may take: every 16-bit-indexed container fits it at its
// full count, and a hostile count (2^31 records) is refused like a short of memory instead
// of reserving or constructing gigabytes.
constexpr size_t CONTAINER_MAX_BYTES = size_t(512) << 20;

template <class T, class Index>
class TContainer {
public:
    TContainer() = default;
    ~TContainer() { Release(); }
    TContainer(const TContainer&) = delete;
    TContainer& operator=(const TContainer&) = delete;

    // Drops the old storage and makes room for n slots (records constructed, pointers
    // zeroed). False when n does not fit the index type, the slots would take more than
    // CONTAINER_MAX_BYTES or memory is short: the container is then empty.
    bool Init(int n)
    {
        Release();
        if (n < 0 || n > int(std::numeric_limits<Index>::max()) ||
            size_t(n) > CONTAINER_MAX_BYTES / (sizeof(T) + sizeof(Index) + sizeof(bool)))
            return false;
        if (n == 0)
            return true;
        if constexpr (CALLOC_RECORDS<T>) {
            data = static_cast<T*>(calloc(size_t(n), sizeof(T)));
            if (data && !FreshIsZeroBytes<T>())
                for (int i = 0; i < n; ++i)
                    new (&data[i]) T();
        } else {
            data = new (std::nothrow) T[n]();
        }
        if (!data || InitFreeStack(n) != 0) {
            Release();
            return false;
        }
        capacity = Index(n);
        return true;
    }

    // The free stack of n zeroed entries (with the in-use flags beside it): 0; -1 when
    // one exists already, -3 for n < 1, -2 when memory is short.
    int InitFreeStack(int n)
    {
        if (freeStack)
            return -1;
        if (n < 1)
            return -3;
        freeStack = static_cast<Index*>(calloc(size_t(n), sizeof(Index)));
        inUse = static_cast<bool*>(calloc(size_t(n), sizeof(bool)));
        if (!freeStack || !inUse) {
            free(freeStack);
            free(inUse);
            freeStack = nullptr;
            inUse = nullptr;
            return -2;
        }
        return 0;
    }

    void Release()
    {
        if constexpr (CALLOC_RECORDS<T>)
            free(data);
        else
            delete[] data;
        free(freeStack);
        free(inUse);
        data = nullptr;
        freeStack = nullptr;
        inUse = nullptr;
        count = capacity = freeCount = 0;
    }

    // Forgets every element; storage stays.
    void Clear()
    {
        count = freeCount = 0;
        if (inUse)
            memset(inUse, 0, sizeof(bool) * capacity);
    }

    // The slot of the last freed index, else the next index; null when full.
    T* Add()
    {
        T* slot = nullptr;
        Add(slot);
        return slot;
    }

    // The same, answering the index taken (0 and a null address when full).
    Index Add(T*& slot)
    {
        int index;
        if (freeCount > 0)
            index = freeStack[--freeCount];
        else if (int(count) < int(capacity) - 1)
            index = ++count;
        else {
            slot = nullptr;
            return 0;
        }
        inUse[index] = true;
        slot = &data[index];
        return Index(index);
    }

    // Gives index back; answers its slot, or null when it is not in use.
    T* Free(int index)
    {
        if (index < 1 || index > int(count) || !inUse[index])
            return nullptr;
        PushFree(index);
        return &data[index];
    }

    // Pointer elements: gives back the first slot in use holding item and answers its
    // index (0 when absent). The caller clears the slot.
    Index Remove(const T& item)
    {
        for (int i = 1; i <= int(count); ++i)
            if (inUse[i] && data[i] == item) {
                PushFree(i);
                return Index(i);
            }
        return 0;
    }

    T* At(int i) { return i > 0 && i <= int(count) ? &data[i] : nullptr; }
    const T* At(int i) const { return i > 0 && i <= int(count) ? &data[i] : nullptr; }

    // The first element in use whose name equals name byte for byte (null pointers
    // skipped); null for a null or empty name. Elements name themselves with a `name`
    // field.
    T* FindByName(const char* name)
    {
        if (!name || !*name)
            return nullptr;
        for (int i = 1; i <= int(count); ++i)
            if (inUse[i] && NameMatches(data[i], name))
                return &data[i];
        return nullptr;
    }

    // Record pool: the last freed record, else the next never-used one; null when all
    // capacity records are out.
    T* AllocRecord()
    {
        int index;
        if (freeCount > 0)
            index = freeStack[--freeCount];
        else if (int(count) < int(capacity))
            index = count++;
        else
            return nullptr;
        inUse[index] = true;
        return &data[index];
    }

    // Record pool: takes back a record this pool handed out; false (and nothing changes)
    // for a foreign address or a record already free.
    bool FreeRecord(const T* record)
    {
        if (!Owns(record))
            return false;
        size_t offset = size_t(reinterpret_cast<const char*>(record) -
                               reinterpret_cast<const char*>(data));
        if (offset % sizeof(T) != 0)
            return false;
        int index = int(offset / sizeof(T));
        if (index >= int(count) || !inUse[index])
            return false;
        PushFree(index);
        return true;
    }

    // True when the address lies within this container's records.
    bool Owns(const T* p) const { return data && p >= data && p < data + capacity; }
    bool InUse(int i) const { return i >= 0 && i < int(capacity) && inUse[i]; }

    Index Count() const { return count; }
    Index Capacity() const { return capacity; }
    Index FreeCount() const { return freeCount; }
    // Record pool: how many more records AllocRecord hands out.
    int RecordsLeft() const { return int(capacity) - int(count) + int(freeCount); }
    T* Data() { return data; }

private:
    void PushFree(int index)
    {
        // In-use flags keep freeCount below capacity; a full stack would mean a corrupt
        // container, so nothing is pushed then.
        if (int(freeCount) >= int(capacity))
            return;
        inUse[index] = false;
        freeStack[freeCount++] = Index(index);
    }

    template <class U>
    static bool NameMatches(const U& element, const char* name)
    {
        return strcmp(element.name, name) == 0;
    }
    template <class U>
    static bool NameMatches(U* element, const char* name)
    {
        return element && strcmp(element->name, name) == 0;
    }

    Index count = 0;      // indexed: highest index in use; record pool: records ever handed out
    Index capacity = 0;   // slots allocated, index 0 included
    Index freeCount = 0;  // entries on the free stack
    T* data = nullptr;
    Index* freeStack = nullptr;
    bool* inUse = nullptr;
};
