#include "page/WorkerThread.h"
#include "common/CallbackGuard.h"
#include <process.h>

namespace ClosedFund {

using Common::CriticalSection;

static LONG usableCapacity(LONG capacity) { return capacity < 1 ? 1 : capacity; }

thread::TaskQueue::TaskQueue(LONG capacity)
    : freeSlots_(CreateSemaphoreW(nullptr, usableCapacity(capacity), usableCapacity(capacity), nullptr)),
      queued_(CreateSemaphoreW(nullptr, 0, usableCapacity(capacity), nullptr)), capacity_(usableCapacity(capacity))
{}

int thread::TaskQueue::push(const TaskItem& item)
{
    if (!freeSlots_.valid() || !queued_.valid()) return 0;
    if (WaitForSingleObject(freeSlots_.get(), INFINITE) != WAIT_OBJECT_0) return 0;
    {
        CriticalSection::Lock hold(lock_);
        items_.push_back(item);
    }
    // Signalled outside the lock: a consumer that sees the item in the deque and waits for
    // this count never needs the lock we would otherwise hold.
    ReleaseSemaphore(queued_.get(), 1, nullptr);
    return 1;
}

bool thread::TaskQueue::pop(TaskItem& item)
{
    if (!freeSlots_.valid() || !queued_.valid()) return false;
    if (WaitForSingleObject(queued_.get(), INFINITE) != WAIT_OBJECT_0) return false;
    {
        CriticalSection::Lock hold(lock_);
        item = items_.front();
        items_.pop_front();
    }
    ReleaseSemaphore(freeSlots_.get(), 1, nullptr);
    return true;
}

bool thread::TaskQueue::empty()
{
    CriticalSection::Lock hold(lock_);
    return items_.empty();
}

// The lock is re-entrant on this thread, so pop may take it again; pop's wait on the item
// count ends at once, or as soon as the pusher that appended the item we saw signals.
bool thread::TaskQueue::tryPop(TaskItem& item)
{
    CriticalSection::Lock hold(lock_);
    if (items_.empty()) return false;
    return pop(item);
}

thread::thread(LONG capacity) : queue_(capacity) {}

thread::~thread()
{
    LONG state = state_;
    // A derived class is gone by now: none of its hooks may run.
    if (state == RUNNING || state == STARTING) stopWorker(false);
    // Also waits for a worker that was already stopping: it still uses this object.
    if (!wait(30000)) return;
    // Items no worker will take (never started, or posted after the last one drained): their
    // owners are told here, or a job waiting on them would wait for ever.
    drainQueue();
}

int thread::start()
{
    if (InterlockedCompareExchange(&state_, STARTING, STOPPED) != STOPPED) return 1;
    onStarting();
    uintptr_t created = _beginthreadex(nullptr, 0, &thread::threadMain, this, 0, nullptr);
    if (!created) {
        InterlockedExchange(&state_, STOPPED);
        onExit();
        return -1;
    }
    handle_.reset(reinterpret_cast<HANDLE>(created)); // the previous worker's handle goes
    onStarted();
    return 0;
}

// The running task is cancelled before the wake-up item is queued: on a full queue the push
// waits for the worker to free a slot, which it does only once that task has returned.
void thread::stop() { stopWorker(true); }

void thread::stopWorker(bool withHook)
{
    {
        CriticalSection::Lock hold(runningLock_);
        if (state_ != RUNNING && state_ != STARTING) return;
        InterlockedExchange(&state_, STOPPING);
    }
    if (withHook) onStopping();
    {
        CriticalSection::Lock hold(runningLock_);
        if (running_ && running_->work) running_->work->cancel();
    }
    queue_.push(TaskItem());
}

int thread::post(task* work, TaskOwner* owner)
{
    if (!work) return 0;
    work->reset();
    TaskItem item;
    item.work = work;
    item.owner = owner;
    return queue_.push(item);
}

bool thread::wait(DWORD timeoutMs)
{
    if (!handle_.valid()) return true;
    return WaitForSingleObject(handle_.get(), timeoutMs) == WAIT_OBJECT_0;
}

// Exit code 1: the worker ended by an exception, which is logged.
unsigned __stdcall thread::threadMain(void* self) noexcept
{
    return Common::guardCallback(L"the page's worker thread", 1u, [&] {
        static_cast<thread*>(self)->runWorker();
        return 0u;
    });
}

void thread::runWorker()
{
    {
        // A stop that came while starting keeps the state at stopping.
        CriticalSection::Lock hold(runningLock_);
        InterlockedCompareExchange(&state_, RUNNING, STARTING);
    }
    runItems();
    drainQueue();
    InterlockedExchange(&state_, STOPPED);
    onExit();
}

// Runs items until the stop request's wake-up item. Items taken after the state left
// running are not run but handed back to their owners; the loop still goes on to the
// wake-up item so that it is never left in the queue to end the next worker at once.
void thread::runItems()
{
    for (;;) {
        TaskItem item;
        if (!queue_.pop(item)) return;
        if (!item.work) return;
        bool runIt = false;
        {
            // Checked under the lock stop takes: either stop sees this item and cancels it,
            // or this sees the stopping state and hands it back (outside the lock).
            CriticalSection::Lock hold(runningLock_);
            runIt = state_ == RUNNING;
            if (runIt) running_ = &item;
        }
        if (!runIt) {
            if (item.owner) item.owner->onTaskDone(item.work);
            continue;
        }
        item.work->run();
        {
            CriticalSection::Lock hold(runningLock_);
            running_ = nullptr;
        }
        if (item.owner) item.owner->onTaskDone(item.work);
    }
}

// Items queued behind the stop request are not run; their owners are told. Owners are
// called outside the queue's lock, so one that posts again or takes a lock of its own
// cannot deadlock with a thread posting meanwhile.
void thread::drainQueue()
{
    TaskItem item;
    while (queue_.tryPop(item)) {
        if (item.work && item.owner) item.owner->onTaskDone(item.work);
    }
}

} // namespace ClosedFund
