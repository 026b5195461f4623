// Process-wide state of the animated windows: the set of windows that have an image, the
// count of those animating, and the one worker thread that advances them all.
#pragma once
#include "common/ScopedWin.h"
#include "page/WorkerThread.h"
#include <atomic>
#include <set>

namespace ClosedFund {

class GifWnd;

// The one task the shared thread runs: every 10 ms, advance every registered window.
class GifTask : public thread::task {
public:
    void cancel() override { stop_ = true; }
    void reset() override { stop_ = false; }
    void run() override;
private:
    volatile bool stop_ = false;
};

class AnimationRegistry {
public:
    static AnimationRegistry& instance();

    void add(GifWnd* window);
    void remove(GifWnd* window);
    // On the user-interface thread only.
    void animationStarted();
    void animationStopped();
    // Worker thread: one round over the registered windows with one reading of the tick count.
    void advanceAll();
    int threadState() const { return worker_.getState(); }
    // Waits (bounded) for a stopping worker to end.
    void waitWhileStopping(DWORD timeoutMs);
    // What advanceAll reads the time from; null is the tick count.
    void setClock(DWORD(WINAPI* clock)()) { clock_.store(clock ? clock : &GetTickCount); }

private:
    AnimationRegistry() : worker_(0x7FFFFFFF) {}
    std::set<GifWnd*> windows_;
    Common::CriticalSection lock_;
    int animating_ = 0;
    std::atomic<DWORD(WINAPI*)()> clock_{&GetTickCount};
    thread worker_;
    GifTask task_;
};

} // namespace ClosedFund
