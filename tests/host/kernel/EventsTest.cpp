// Events across threads: unsubscribe waits for a call still running elsewhere, never for
// the caller itself, and a subscriber that throws costs only its own call. The host's log as
// a service, and calls from threads the host never registered outside contract-only mode.
#include "TempDir.h"
#include "common/ScopedWin.h"
#include "ext/HostLog.h"
#include "host/Data.h"
#include "hostapi/KernelHost.h"
#include <gtest/gtest.h>
#include <process.h>
#include <stdlib.h>
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
    auto event = createHostEvent("test_event_blocking");
    ASSERT_TRUE(event);
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
    IHostEvent* event;
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
    auto event = createHostEvent("test_event_self_remove");
    ASSERT_TRUE(event);
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
    auto event = createHostEvent("test_event_throwing");
    ASSERT_TRUE(event);
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

// "Client2.Log" writes into the log the host chose, as the host's own warnings go.
TEST(Events, TheLogServiceWritesIntoTheHostsLog)
{
    TempDir dir;
    setLogFile(dir.file(L"log.txt").c_str());
    auto log = createInstanceAs<ILog>(kLogProgId);
    if (log) log->logWarning(L"示例警告\r\n第二行");
    setLogFile(nullptr);
    if (contractOnly()) {
        EXPECT_FALSE(log) << "the client has no such service";
        return;
    }
    ASSERT_TRUE(log);
    EXPECT_NE(TestSupport::readFileBytes(dir.file(L"log.txt")).find(Common::toUtf8(L"示例警告  第二行")),
              std::string::npos);
}

// The mode is read once, from the environment the process started with: outside it, calls
// into the client's interface from a thread the host never registered are not reported, and
// setting the variable later changes nothing. (The contract area runs the mode itself.)
TEST(Events, OutsideContractOnlyModeNoThreadIsReported)
{
    wchar_t value[8] = {};
    if (GetEnvironmentVariableW(L"CLIENT2_CONTRACT_ONLY", value, 8) == 1 && value[0] == L'1')
        GTEST_SKIP() << "started in contract-only mode";
    ASSERT_FALSE(contractOnly());
    SetEnvironmentVariableW(L"CLIENT2_CONTRACT_ONLY", L"1");
    _wputenv(L"CLIENT2_CONTRACT_ONLY=1");
    bool switched = contractOnly();
    SetEnvironmentVariableW(L"CLIENT2_CONTRACT_ONLY", nullptr);
    _wputenv(L"CLIENT2_CONTRACT_ONLY=");
    EXPECT_FALSE(switched);

    const long before = contractViolations();
    volatile LONG calls = 0;
    auto unregistered = [&] {
        checkContractThread("IDataTable::getRowCount");
        auto event = createEvent("test_event_unregistered_thread");
        if (event) event->subscribe(&countCall, const_cast<LONG*>(&calls));
        auto table = createInstanceAs<IDataTable>("Data.DataTable");
        if (table && table->isEmpty()) InterlockedIncrement(&calls);
        registerHostThread();
        checkContractThread("IDataTable::getRowCount");
    };
    Common::ScopedHandle thread = runOnThread(&unregistered);
    ASSERT_EQ(WaitForSingleObject(thread.get(), kLongWait), WAIT_OBJECT_0);
    if (auto event = getHostEvent("test_event_unregistered_thread")) {
        event->fire(nullptr);
        event->unsubscribe(&countCall, const_cast<LONG*>(&calls));
    }
    EXPECT_EQ(calls, 2) << "the calls ran";
    EXPECT_EQ(contractViolations(), before);
}

namespace {

const UINT kAskUiThread = WM_APP + 1; // what the subscriber sends to the test's window
const UINT kPostedLater = WM_APP + 2; // posted: must wait for the test's own loop

volatile LONG g_sentHandled = 0, g_postedHandled = 0;

LRESULT CALLBACK uiWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kAskUiThread) {
        InterlockedIncrement(&g_sentHandled);
        return 42;
    }
    if (msg == kPostedLater) {
        InterlockedIncrement(&g_postedHandled);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A message-only window of the calling thread, destroyed with the scope.
struct UiWindow {
    HWND hwnd = nullptr;
    UiWindow()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = uiWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"EventsTestUiWindow";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~UiWindow() { DestroyWindow(hwnd); }
    UiWindow(const UiWindow&) = delete;
    UiWindow& operator=(const UiWindow&) = delete;
};

// A page handler's pattern: told of the event on the firing thread, it hands the work to the
// user-interface thread and waits for the answer. The send has a long timeout where a page
// would send without one, so that a deadlock fails the test instead of hanging it.
struct SendingSubscriber {
    HWND ui = nullptr;
    Common::ScopedHandle entered = newEvent();
    Common::ScopedHandle unsubscribing = newEvent();
    DWORD_PTR answer = 0;
    LRESULT sent = 0;
    volatile LONG returned = 0;
    static void onFire(void*, void* self)
    {
        auto* s = static_cast<SendingSubscriber*>(self);
        SetEvent(s->entered.get());
        WaitForSingleObject(s->unsubscribing.get(), kLongWait);
        Sleep(100); // the user-interface thread is inside unsubscribe by now
        s->sent = SendMessageTimeoutW(s->ui, kAskUiThread, 0, 0, SMTO_NORMAL, kLongWait / 2, &s->answer);
        InterlockedExchange(&s->returned, 1);
    }
};

} // namespace

// The user-interface thread unsubscribes while the subscriber, on the firing thread, is
// sending to it: the wait lets the sent message in, and still returns only after the call
// has ended. Posted messages are left for the thread's own loop.
TEST(Events, UnsubscribeOnTheUiThreadLetsInWhatTheRunningSubscriberSendsIt)
{
    UiWindow window;
    ASSERT_TRUE(window.hwnd);
    auto event = createHostEvent("test_event_send_to_ui");
    ASSERT_TRUE(event);
    SendingSubscriber subscriber;
    subscriber.ui = window.hwnd;
    event->subscribe(&SendingSubscriber::onFire, &subscriber);
    g_sentHandled = g_postedHandled = 0;

    auto fire = [&] { event->fire(nullptr); };
    Common::ScopedHandle firing = runOnThread(&fire);
    ASSERT_EQ(WaitForSingleObject(subscriber.entered.get(), kLongWait), WAIT_OBJECT_0);
    ASSERT_TRUE(PostMessageW(window.hwnd, kPostedLater, 0, 0));
    SetEvent(subscriber.unsubscribing.get());
    event->unsubscribe(&SendingSubscriber::onFire, &subscriber);
    LONG returnedWhenUnsubscribed = subscriber.returned;

    ASSERT_EQ(WaitForSingleObject(firing.get(), kLongWait), WAIT_OBJECT_0);
    EXPECT_NE(subscriber.sent, 0) << "the send to the unsubscribing thread timed out: the two threads deadlocked";
    EXPECT_EQ(subscriber.answer, DWORD_PTR(42));
    EXPECT_EQ(g_sentHandled, 1);
    EXPECT_EQ(returnedWhenUnsubscribed, 1) << "unsubscribe returned while the call was still running";
    EXPECT_EQ(g_postedHandled, 0) << "a posted message ran inside unsubscribe";
    MSG msg;
    while (PeekMessageW(&msg, window.hwnd, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(g_postedHandled, 1);
}
