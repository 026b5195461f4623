// Events across threads: unsubscribe waits for a call still running elsewhere, never for
// the caller itself, and a subscriber that throws costs only its own call.
#include "TempDir.h"
#include "common/ScopedWin.h"
#include "host/KernelHost.h"
#include <gtest/gtest.h>
#include <process.h>
#include <stdexcept>
#include <windows.h>

using namespace Host;
using TestSupport::TempDir;

namespace {

const DWORD kLongWait = 20000; // only ever reached when the code under test hangs

Common::ScopedHandle newEvent() { return Common::ScopedHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

// Runs body on a thread of its own; the handle is signalled when it ends.
template <class Body>
Common::ScopedHandle runOnThread(Body* body)
{
    auto start = [](void* p) -> unsigned {
        (*static_cast<Body*>(p))();
        return 0;
    };
    return Common::ScopedHandle(HANDLE(_beginthreadex(nullptr, 0, start, body, 0, nullptr)));
}

// Says it entered, holds until released, then lingers a little before it says it returned,
// so that an unsubscribe that does not wait would come back before "returned" is set.
struct BlockingSubscriber {
    Common::ScopedHandle entered = newEvent();
    Common::ScopedHandle release = newEvent();
    volatile LONG returned = 0;
    static void onFire(void*, void* self)
    {
        auto* s = static_cast<BlockingSubscriber*>(self);
        SetEvent(s->entered.get());
        WaitForSingleObject(s->release.get(), kLongWait);
        Sleep(100);
        InterlockedExchange(&s->returned, 1);
    }
};

void countCall(void*, void* count) { InterlockedIncrement(static_cast<volatile LONG*>(count)); }

} // namespace

TEST(Events, UnsubscribeWaitsForACallRunningOnAnotherThreadAndStopsCallsNotYetMade)
{
    auto event = createEvent("test_event_blocking");
    BlockingSubscriber blocking;
    volatile LONG later = 0;
    event->subscribe(&BlockingSubscriber::onFire, &blocking);
    event->subscribe(&countCall, const_cast<LONG*>(&later));

    auto fire = [&] { event->fire(nullptr); };
    Common::ScopedHandle firing = runOnThread(&fire);
    ASSERT_EQ(WaitForSingleObject(blocking.entered.get(), kLongWait), WAIT_OBJECT_0);

    // Not running yet, so this one returns at once; the fire under way must then skip it.
    event->unsubscribe(&countCall, const_cast<LONG*>(&later));

    LONG returnedWhenUnsubscribed = -1;
    auto unsubscribe = [&] {
        event->unsubscribe(&BlockingSubscriber::onFire, &blocking);
        returnedWhenUnsubscribed = blocking.returned;
    };
    Common::ScopedHandle unsubscribing = runOnThread(&unsubscribe);
    // Still held by the callback, which cannot return before it is released.
    EXPECT_EQ(WaitForSingleObject(unsubscribing.get(), 300), DWORD(WAIT_TIMEOUT));
    SetEvent(blocking.release.get());
    ASSERT_EQ(WaitForSingleObject(unsubscribing.get(), kLongWait), WAIT_OBJECT_0);
    ASSERT_EQ(WaitForSingleObject(firing.get(), kLongWait), WAIT_OBJECT_0);
    EXPECT_EQ(returnedWhenUnsubscribed, 1);
    EXPECT_EQ(later, 0);
}

namespace {

struct SelfRemover {
    IEvent* event;
    volatile LONG calls = 0;
    static void onFire(void*, void* self)
    {
        auto* s = static_cast<SelfRemover*>(self);
        InterlockedIncrement(&s->calls);
        s->event->unsubscribe(&SelfRemover::onFire, s);
    }
};

void throwFromCallback(void*, void*) { throw std::runtime_error("subscriber failed"); }

} // namespace

// Unsubscribing from inside its own callback, on another thread than the test's (a fire
// that deadlocks then shows as a failed wait, not a hung suite).
TEST(Events, UnsubscribeFromInsideItsOwnCallbackReturnsAtOnce)
{
    auto event = createEvent("test_event_self_remove");
    SelfRemover remover{event.get()};
    event->subscribe(&SelfRemover::onFire, &remover);
    auto fireTwice = [&] {
        event->fire(nullptr);
        event->fire(nullptr);
    };
    Common::ScopedHandle firing = runOnThread(&fireTwice);
    ASSERT_EQ(WaitForSingleObject(firing.get(), kLongWait), WAIT_OBJECT_0);
    EXPECT_EQ(remover.calls, 1);
}

TEST(Events, ASubscriberThatThrowsIsLoggedAndTheOthersStillRun)
{
    TempDir dir;
    setLogFile(dir.file(L"log.txt").c_str());
    auto event = createEvent("test_event_throwing");
    volatile LONG after = 0;
    event->subscribe(&throwFromCallback, nullptr);
    event->subscribe(&countCall, const_cast<LONG*>(&after));
    event->fire(nullptr);
    event->unsubscribe(&throwFromCallback, nullptr);
    event->unsubscribe(&countCall, const_cast<LONG*>(&after));
    setLogFile(nullptr);
    EXPECT_EQ(after, 1);
    EXPECT_NE(TestSupport::readFileBytes(dir.file(L"log.txt")).find("subscriber failed"), std::string::npos);
}
