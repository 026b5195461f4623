// The worker thread and its queue, on real threads: stopping while a task runs, what
// happens to queued items, bounded capacity, destruction while stopping, restart cycles.
#include "page/WorkerThread.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <vector>

using ClosedFund::thread;
using Common::CriticalSection;
using Common::ScopedHandle;

namespace {

HANDLE newEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

// Runs until cancelled, then until released (so a test can queue more behind a stop).
struct BlockingTask : thread::task {
    volatile LONG runs = 0, cancels = 0, finished = 0, stopFlag = 0;
    ScopedHandle started{newEvent()};
    ScopedHandle release{newEvent()};
    DWORD lingerMs = 0; // keeps running this long after it is released
    void cancel() override
    {
        InterlockedIncrement(&cancels);
        stopFlag = 1;
    }
    void reset() override { stopFlag = 0; }
    void run() override
    {
        InterlockedIncrement(&runs);
        SetEvent(started.get());
        while (!stopFlag) Sleep(1);
        WaitForSingleObject(release.get(), 10000);
        DWORD released = GetTickCount();
        while (GetTickCount() - released < lingerMs) Sleep(1);
        finished = 1;
    }
};

struct CountingTask : thread::task {
    volatile LONG runs = 0;
    ScopedHandle done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    void cancel() override {}
    void reset() override {}
    void run() override
    {
        InterlockedIncrement(&runs);
        SetEvent(done.get());
    }
};

struct RecordingOwner : thread::TaskOwner {
    CriticalSection lock;
    std::vector<thread::task*> done;
    void onTaskDone(thread::task* t) override
    {
        CriticalSection::Lock hold(lock);
        done.push_back(t);
    }
    size_t count()
    {
        CriticalSection::Lock hold(lock);
        return done.size();
    }
};

bool signalled(const ScopedHandle& h, DWORD ms = 5000) { return WaitForSingleObject(h.get(), ms) == WAIT_OBJECT_0; }

} // namespace

TEST(WorkerThread, StopWhileRunningCancelsOnceDropsQueuedAndHandsBackLaterItems)
{
    thread worker(16);
    BlockingTask running;
    CountingTask queuedBeforeStop, queuedAfterStop;
    RecordingOwner runningOwner, beforeOwner, afterOwner;

    EXPECT_EQ(0, worker.post(nullptr, &runningOwner));
    EXPECT_EQ(0, worker.start());
    EXPECT_EQ(1, worker.start()); // already started
    ASSERT_EQ(1, worker.post(&running, &runningOwner));
    ASSERT_TRUE(signalled(running.started));
    EXPECT_EQ(thread::RUNNING, worker.getState());
    ASSERT_EQ(1, worker.post(&queuedBeforeStop, &beforeOwner));

    worker.stop();
    EXPECT_EQ(thread::STOPPING, worker.getState());
    EXPECT_EQ(1, running.cancels);
    worker.stop();                // a second request changes nothing
    EXPECT_EQ(1, worker.start()); // still stopping: nothing starts
    ASSERT_EQ(1, worker.post(&queuedAfterStop, &afterOwner));
    SetEvent(running.release.get());

    ASSERT_TRUE(worker.wait(5000));
    EXPECT_EQ(thread::STOPPED, worker.getState());
    EXPECT_EQ(1, running.runs);
    EXPECT_EQ(1, running.cancels);
    ASSERT_EQ(1u, runningOwner.count());
    EXPECT_EQ(&running, runningOwner.done[0]);
    // Taken after the state left running: not run, its owner told.
    EXPECT_EQ(0, queuedBeforeStop.runs);
    ASSERT_EQ(1u, beforeOwner.count());
    EXPECT_EQ(&queuedBeforeStop, beforeOwner.done[0]);
    // Queued behind the stop request: not run, its owner told.
    EXPECT_EQ(0, queuedAfterStop.runs);
    ASSERT_EQ(1u, afterOwner.count());
    EXPECT_EQ(&queuedAfterStop, afterOwner.done[0]);
}

namespace {
// Holds itself the way the page's reload job does: one reference for its maker, one for the
// queue, dropped when the owner is told; the maker waits on the done event.
struct CountedJob : thread::task, thread::TaskOwner {
    volatile LONG refs = 1, runs = 0, told = 0;
    ScopedHandle done{newEvent()};
    void cancel() override {}
    void reset() override {}
    void run() override
    {
        InterlockedIncrement(&runs);
        SetEvent(done.get());
    }
    void onTaskDone(thread::task*) override
    {
        InterlockedIncrement(&told);
        SetEvent(done.get());
        InterlockedDecrement(&refs);
    }
    bool post(thread& worker)
    {
        InterlockedIncrement(&refs);
        if (worker.post(this, this)) return true;
        InterlockedDecrement(&refs);
        return false;
    }
    // Told once, not run, the queue's reference gone and the done event set.
    void expectHandedBack(const char* where)
    {
        EXPECT_EQ(0, runs) << where;
        EXPECT_EQ(1, told) << where;
        EXPECT_EQ(1, refs) << where;
        EXPECT_TRUE(signalled(done, 0)) << where;
    }
};

// Stops itself while starting, before its worker exists.
struct StoppedWhileStarting : thread {
    StoppedWhileStarting() : thread(4) {}
    StoppedWhileStarting(const StoppedWhileStarting&) = delete;
    StoppedWhileStarting& operator=(const StoppedWhileStarting&) = delete;
    ~StoppedWhileStarting() override = default;
    void onStarting() override { stop(); }
};
} // namespace

TEST(WorkerThread, AJobItsWorkerNeverRunsIsHandedBackDroppingTheQueuesReference)
{
    // Queued behind a running task when the stop comes.
    {
        thread worker(4);
        BlockingTask running;
        CountedJob job;
        worker.start();
        ASSERT_EQ(1, worker.post(&running, nullptr));
        ASSERT_TRUE(signalled(running.started));
        ASSERT_TRUE(job.post(worker));
        EXPECT_EQ(2, job.refs);
        worker.stop();
        SetEvent(running.release.get());
        ASSERT_TRUE(worker.wait(5000));
        job.expectHandedBack("queued behind a running task");
    }
    // Queued before a start that is stopped before the worker takes anything.
    {
        StoppedWhileStarting worker;
        CountedJob job;
        ASSERT_TRUE(job.post(worker));
        EXPECT_EQ(0, worker.start());
        ASSERT_TRUE(worker.wait(5000));
        EXPECT_EQ(thread::STOPPED, worker.getState());
        job.expectHandedBack("stopped while starting");
    }
    // Queued on a thread that never starts: its destruction tells the owner.
    CountedJob job;
    {
        thread worker(4);
        ASSERT_TRUE(job.post(worker));
        EXPECT_FALSE(signalled(job.done, 0));
    }
    job.expectHandedBack("never started");
}

namespace {
struct StopCall {
    thread* worker;
    static DWORD WINAPI main(void* p)
    {
        static_cast<StopCall*>(p)->worker->stop();
        return 0;
    }
};

// Releases a task as its destruction begins; the base destructor runs after.
struct ReleasingThread : thread {
    HANDLE release; // borrowed from the task
    explicit ReleasingThread(HANDLE releaseOnDestroy) : thread(4), release(releaseOnDestroy) {}
    ReleasingThread(const ReleasingThread&) = delete;
    ReleasingThread& operator=(const ReleasingThread&) = delete;
    ~ReleasingThread() override { SetEvent(release); }
};
} // namespace

TEST(WorkerThread, StopOnFullQueueAndDestructionWhileStoppingDoNotHang)
{
    // Capacity 1, a running task and a full queue: the stop request still gets through.
    {
        thread worker(1);
        BlockingTask running;
        CountingTask queued;
        SetEvent(running.release.get());
        worker.start();
        ASSERT_EQ(1, worker.post(&running, nullptr));
        ASSERT_TRUE(signalled(running.started));
        ASSERT_EQ(1, worker.post(&queued, nullptr)); // fills the queue
        StopCall call{&worker};
        ScopedHandle stopper(CreateThread(nullptr, 0, &StopCall::main, &call, 0, nullptr));
        ASSERT_TRUE(signalled(stopper, 5000)) << "stop blocked on the full queue";
        ASSERT_TRUE(worker.wait(5000));
        EXPECT_EQ(0, queued.runs);
    }
    // Destroyed while its worker is still stopping: the destructor waits for the worker. The
    // task ends only once destruction has begun, and then takes a while more.
    BlockingTask slow;
    slow.lingerMs = 100;
    auto* worker = new ReleasingThread(slow.release.get());
    worker->start();
    worker->post(&slow, nullptr);
    ASSERT_TRUE(signalled(slow.started));
    worker->stop();
    ASSERT_EQ(thread::STOPPING, worker->getState());
    EXPECT_EQ(0, slow.finished);
    delete worker;
    EXPECT_EQ(1, slow.finished);
}

namespace {
// While a stop request is between setting the state and queuing its wake-up item, lets the
// running task finish and gives the worker time to end early if it would.
struct SlowStopThread : thread {
    HANDLE releaseOnStop = nullptr; // borrowed from the running task
    ScopedHandle exited{newEvent()};
    SlowStopThread() : thread(8) {}
    SlowStopThread(const SlowStopThread&) = delete;
    SlowStopThread& operator=(const SlowStopThread&) = delete;
    ~SlowStopThread() override
    {
        stop();
        wait(30000);
    }
    void onStopping() override
    {
        SetEvent(releaseOnStop);
        WaitForSingleObject(exited.get(), 500);
    }
    void onExit() override { SetEvent(exited.get()); }
};
} // namespace

TEST(WorkerThread, WakeUpItemOfAStopNeverEndsTheNextWorker)
{
    SlowStopThread worker;
    BlockingTask running;
    CountingTask dropped, afterRestart;
    worker.releaseOnStop = running.release.get();
    worker.start();
    ASSERT_EQ(1, worker.post(&running, nullptr));
    running.stopFlag = 1; // past its cancel wait: it ends only when the stop hook releases it
    ASSERT_TRUE(signalled(running.started));
    ASSERT_EQ(1, worker.post(&dropped, nullptr));
    worker.stop();
    ASSERT_TRUE(worker.wait(5000));
    EXPECT_EQ(0, dropped.runs);

    ResetEvent(worker.exited.get());
    ASSERT_EQ(0, worker.start());
    ASSERT_EQ(1, worker.post(&afterRestart, nullptr));
    EXPECT_TRUE(signalled(afterRestart.done, 3000)) << "the new worker ended without running its task";
}

TEST(WorkerThread, ThousandStartStopCyclesRunEveryTaskAndLeakNoHandles)
{
    DWORD handlesBefore = 0, handlesAfter = 0;
    CountingTask work;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    {
        thread worker(2147483647);
        for (int cycle = 0; cycle < 1000; ++cycle) {
            ASSERT_EQ(0, worker.start()) << "cycle " << cycle;
            ASSERT_EQ(1, worker.post(&work, nullptr));
            ASSERT_TRUE(signalled(work.done)) << "cycle " << cycle;
            worker.stop();
            // Every other cycle repeats the stop request, which must change nothing.
            if (cycle % 2) worker.stop();
            ASSERT_TRUE(worker.wait(5000)) << "cycle " << cycle;
            ASSERT_EQ(thread::STOPPED, worker.getState());
        }
        EXPECT_EQ(1000, work.runs);
    }
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_LE(handlesAfter, handlesBefore + 2);
}
