// A small reusable worker: one operating-system thread that takes work items from a bounded
// blocking queue and runs them one after the other. The module runs one for the animated
// refresh indicators and each page one for its reloads; the class itself knows nothing
// about what it runs.
#pragma once
#include "common/ScopedWin.h"
#include <windows.h>
#include <deque>

namespace ClosedFund {

class thread {
public:
    // A unit of work. cancel may be called from another thread while run runs, so it must
    // only ask run to return soon (set a flag that run's loop reads).
    class task {
    public:
        virtual ~task() = default;
        virtual void cancel() = 0;
        virtual void reset() = 0; // prepares the task before it is queued
        virtual void run() = 0;   // on the worker thread
    };

    // Told, on the worker thread, that its task has run, or will not run because the
    // thread stopped first; for an item still queued when the thread object goes, on the
    // thread destroying it. The destructor takes the first slot, onTaskDone the second.
    class TaskOwner {
    public:
        virtual ~TaskOwner() = default;
        virtual void onTaskDone(task* done) = 0;
    };

    struct TaskItem {
        task* work = nullptr;       // null is the stop request's wake-up item
        TaskOwner* owner = nullptr; // may be null
    };

    // Bounded blocking FIFO: push waits while it is full, pop while it is empty. The two
    // counting semaphores mean neither side spins.
    class TaskQueue {
    public:
        explicit TaskQueue(LONG capacity);
        TaskQueue(const TaskQueue&) = delete;
        TaskQueue& operator=(const TaskQueue&) = delete;
        ~TaskQueue() = default;
        // 1 when queued; 0 when the queue could not be built (its semaphores are missing).
        int push(const TaskItem& item);
        // Waits for an item; false only when the queue could not be built.
        bool pop(TaskItem& item);
        bool empty();
        // Takes the first item if there is one, without waiting for more.
        bool tryPop(TaskItem& item);
        Common::CriticalSection& lock() { return lock_; }
    private:
        std::deque<TaskItem> items_;
        Common::CriticalSection lock_;
        Common::ScopedHandle freeSlots_;
        Common::ScopedHandle queued_;
        LONG capacity_;
    };

    enum State { STOPPED = 0, RUNNING = 1, STARTING = 2, STOPPING = 3 };

    // capacity below 1 is taken as 1.
    explicit thread(LONG capacity);
    thread(const thread&) = delete;
    thread& operator=(const thread&) = delete;
    // Stops a started worker and waits up to 30 s for it to end, then tells the owners of
    // items still queued. A derived class whose hooks the worker may still call must stop
    // and wait in its own destructor.
    virtual ~thread();

    virtual void onStarting() {}
    virtual void onStarted() {}
    virtual void onStopping() {}
    virtual void onExit() {} // on the worker thread, as its last act

    // 0 when a worker was started; 1 when the thread is not stopped (nothing happens);
    // -1 when the system refused to create the worker (the state is stopped again).
    int start();
    // Asks a starting or running worker to end: the running task is cancelled, and items
    // still queued, or queued while it stops, are not run but handed back to their owners.
    void stop();
    // Queues a task (reset first); 0 for a null task or a broken queue, else 1. Blocks
    // while the queue is full. Any thread may post.
    int post(task* work, TaskOwner* owner);
    int getState() const { return int(state_); }
    // Waits up to timeoutMs for the last started worker to end; true when none runs.
    bool wait(DWORD timeoutMs);

private:
    static unsigned __stdcall threadMain(void* self) noexcept;
    void runWorker();
    void runItems();
    void drainQueue();
    // stop, with the derived class's onStopping or (from the destructor) without it.
    void stopWorker(bool withHook);

    // Kept open by this object (not by the worker) so that a wait never meets a closed or
    // reused handle; replaced by the next start, closed by the destructor.
    Common::ScopedHandle handle_;
    TaskQueue queue_;
    // The item being run. Set and cleared under runningLock_, which stop also holds while
    // cancelling, so a task is never cancelled after its owner was told it is done.
    TaskItem* running_ = nullptr;
    Common::CriticalSection runningLock_;
    volatile LONG state_ = STOPPED;
};

} // namespace ClosedFund
