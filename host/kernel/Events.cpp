// Named events: one registry per process, shared by the host and every module.
#include "ContractMode.h"
#include "common/CallbackGuard.h"
#include "common/RefCounted.h"
#include "common/ScopedWin.h"
#include <windows.h>
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// One subscribe call. A firing thread counts itself in while it calls the subscriber, so
// that unsubscribe can wait for calls still running elsewhere: once it returns, the
// subscriber's context may be freed.
struct Subscription {
    Host::EventCallback callback;
    void* context;
    bool active = true;                   // false once unsubscribed: no new call starts
    std::vector<std::thread::id> callers; // the threads inside the callback now
    // Signalled while no thread is inside the callback (manual reset).
    Common::ScopedHandle idle{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
};

// Waits until idle is signalled or a message is sent to this thread, and handles such
// messages: a subscriber may hold the firing thread in SendMessage to a window of the thread
// that waits here, which would otherwise wait for it for ever. Posted messages stay queued.
// Without an event (it could not be made) the wait is a short one, and the caller looks again.
void waitLettingSentMessagesIn(HANDLE idle)
{
    DWORD count = idle ? 1 : 0;
    DWORD woke = MsgWaitForMultipleObjectsEx(count, &idle, idle ? INFINITE : 10, QS_SENDMESSAGE, 0);
    if (woke != WAIT_OBJECT_0 + count) return;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

class Event final : public Common::RefCounted<Host::IHostEvent> {
public:
    explicit Event(std::string name) : name_(std::move(name)) {}

    void subscribe(Host::EventCallback callback, void* context) override
    {
        Kernel::contractCall("IEvent::subscribe");
        if (!callback) return;
        auto subscription = std::make_shared<Subscription>();
        subscription->callback = callback;
        subscription->context = context;
        std::lock_guard<std::mutex> lock(mutex_);
        subscribers_.push_back(std::move(subscription));
    }

    // Returns once no call to the subscription runs on another thread, handling messages sent
    // to this thread meanwhile. A subscriber that unsubscribes from inside its own callback
    // returns at once: waiting there for itself, or for another thread doing the same, would
    // never end.
    void unsubscribe(Host::EventCallback callback, void* context) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        auto it = std::find_if(subscribers_.begin(), subscribers_.end(), [&](const SubscriptionPtr& s) {
            return s->callback == callback && s->context == context;
        });
        if (it == subscribers_.end()) return;
        SubscriptionPtr gone = *it;
        subscribers_.erase(it);
        gone->active = false;
        const std::vector<std::thread::id>& callers = gone->callers;
        if (std::find(callers.begin(), callers.end(), std::this_thread::get_id()) != callers.end()) return;
        // No call starts any more, so once idle it stays idle.
        while (!gone->callers.empty()) {
            lock.unlock();
            waitLettingSentMessagesIn(gone->idle.get());
            lock.lock();
        }
    }

    // Calls a snapshot of the subscribers outside the lock, so a subscriber may fire,
    // subscribe or unsubscribe from its callback without deadlocking. One unsubscribed
    // meanwhile is skipped; a subscriber that throws is logged and the others still run.
    void fire(void* payload) override
    {
        std::vector<SubscriptionPtr> snapshot;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            snapshot = subscribers_;
        }
        for (const SubscriptionPtr& s : snapshot) {
            if (!enter(*s)) continue;
            Common::guardCallback(L"an event subscriber", [&] { s->callback(payload, s->context); });
            leave(*s);
        }
    }

    XStringA getName() override { return name_; }

private:
    using SubscriptionPtr = std::shared_ptr<Subscription>;

    bool enter(Subscription& s)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!s.active) return false;
        s.callers.push_back(std::this_thread::get_id());
        ResetEvent(s.idle.get());
        return true;
    }

    void leave(Subscription& s)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        s.callers.erase(std::find(s.callers.begin(), s.callers.end(), std::this_thread::get_id()));
        if (s.callers.empty()) SetEvent(s.idle.get());
    }

    std::string name_;
    std::mutex mutex_;
    std::vector<SubscriptionPtr> subscribers_;
};

std::mutex& registryMutex()
{
    static std::mutex m;
    return m;
}

// Events live as long as the process: the registry keeps one reference to each.
std::map<std::string, Event*>& registry()
{
    static std::map<std::string, Event*> events;
    return events;
}

} // namespace

namespace Host {

XComPtr<IEvent> createEvent(const char* name)
{
    Kernel::contractCall("createEvent");
    if (!name || !*name) return {};
    std::lock_guard<std::mutex> lock(registryMutex());
    Event*& slot = registry()[name];
    if (!slot) slot = new Event(name);
    return XComPtr<IEvent>(slot);
}

XComPtr<IEvent> getEvent(const char* name)
{
    Kernel::contractCall("getEvent");
    if (!name) return {};
    std::lock_guard<std::mutex> lock(registryMutex());
    auto it = registry().find(name);
    if (it == registry().end()) return {};
    return XComPtr<IEvent>(it->second);
}

} // namespace Host
