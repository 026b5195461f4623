// Recycles the small row and cell objects a table hands out. Filters ask for a row and a
// cell per row and column, so the cost of each request matters; the pool keeps released
// objects for the next request. Objects may be released on any thread, so the list is
// guarded, by a spin lock held only for a pointer swap: under Wine an SRW lock pair costs
// about 66 ns and a heap allocation about 9 ns, an uncontended spin lock pair about 7 ns.
#pragma once
#include <windows.h>
#include <atomic>

namespace Kernel {

// T has a member `T* nextFree`.
template <class T>
class DataItemPool {
public:
    DataItemPool() = default;
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
        lock();
        T* item = free_;
        if (item) free_ = item->nextFree;
        unlock();
        return item;
    }

    void give(T* item)
    {
        lock();
        item->nextFree = free_;
        free_ = item;
        unlock();
    }

private:
    void lock()
    {
        while (busy_.test_and_set(std::memory_order_acquire)) SwitchToThread();
    }
    void unlock() { busy_.clear(std::memory_order_release); }

    std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
    T* free_ = nullptr;
};

} // namespace Kernel
