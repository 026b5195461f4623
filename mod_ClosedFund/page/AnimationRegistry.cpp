#include "page/AnimationRegistry.h"
#include "page/GifWnd.h"

namespace ClosedFund {

void GifTask::run()
{
    while (!stop_) {
        AnimationRegistry::instance().advanceAll();
        Sleep(10);
    }
}

AnimationRegistry& AnimationRegistry::instance()
{
    // Never destroyed: at process exit the worker may already be gone, and tearing the
    // registry down from the loader's exit path would only risk a hang.
    static AnimationRegistry* registry = new AnimationRegistry;
    return *registry;
}

void AnimationRegistry::add(GifWnd* window)
{
    Common::CriticalSection::Lock hold(lock_);
    windows_.insert(window);
}

void AnimationRegistry::remove(GifWnd* window)
{
    Common::CriticalSection::Lock hold(lock_);
    windows_.erase(window);
}

void AnimationRegistry::animationStarted()
{
    ++animating_;
    // A worker still winding down from the last stop would ignore the new task: let it end
    // (it does within one 10 ms round) so that the animation really starts again.
    waitWhileStopping(1000);
    if (worker_.getState() != thread::STOPPED) return;
    if (worker_.start() != 0) return;
    worker_.post(&task_, nullptr);
}

void AnimationRegistry::animationStopped()
{
    if (animating_ > 0 && --animating_ == 0) worker_.stop();
}

void AnimationRegistry::advanceAll()
{
    Common::CriticalSection::Lock hold(lock_);
    DWORD now = clock_.load()();
    for (GifWnd* window : windows_) window->advanceFrame(now);
}

void AnimationRegistry::waitWhileStopping(DWORD timeoutMs)
{
    if (worker_.getState() == thread::STOPPING) worker_.wait(timeoutMs);
}

} // namespace ClosedFund
