// Recycles the small row and cell objects a table hands out. Filters ask for a row and a
// cell per row and column, so a heap allocation each time would dominate their cost; the
// pool keeps released objects for the next request. Objects may be released on any thread.
#pragma once
#include <windows.h>

namespace Kernel {

// T has a member `T* nextFree`.
template <class T>
class DataItemPool {
public:
    DataItemPool() { InitializeSRWLock(&lock_); }
    ~DataItemPool()
    {
        while (free_) {
            T* next = free_->nextFree;
            delete free_;
            free_ = next;
        }
    }
    DataItemPool(const DataItemPool&) = delete;
    DataItemPool& operator=(const DataItemPool&) = delete;

    // A recycled object, or null when the pool is empty (the caller then makes one).
    T* take()
    {
        AcquireSRWLockExclusive(&lock_);
        T* item = free_;
        if (item) free_ = item->nextFree;
        ReleaseSRWLockExclusive(&lock_);
        return item;
    }

    void give(T* item)
    {
        AcquireSRWLockExclusive(&lock_);
        item->nextFree = free_;
        free_ = item;
        ReleaseSRWLockExclusive(&lock_);
    }

private:
    SRWLOCK lock_;
    T* free_ = nullptr;
};

} // namespace Kernel
