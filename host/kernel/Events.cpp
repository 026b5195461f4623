// Named events: one registry per process, shared by the host and every module.
#include "common/RefCounted.h"
#include "host/Kernel.h"
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

class Event final : public Common::RefCounted<Host::IEvent> {
public:
    explicit Event(std::string name) : name_(std::move(name)) {}

    void subscribe(Host::EventCallback callback, void* context) override
    {
        if (!callback) return;
        std::lock_guard<std::mutex> lock(mutex_);
        subscribers_.push_back({callback, context});
    }

    void unsubscribe(Host::EventCallback callback, void* context) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = subscribers_.begin(); it != subscribers_.end(); ++it) {
            if (it->callback == callback && it->context == context) { subscribers_.erase(it); return; }
        }
    }

    // Calls a snapshot of the subscribers outside the lock, so a subscriber may fire,
    // subscribe or unsubscribe from its callback without deadlocking.
    void fire(void* payload) override
    {
        std::vector<Subscriber> snapshot;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            snapshot = subscribers_;
        }
        for (const Subscriber& s : snapshot) s.callback(payload, s.context);
    }

    XStringA getName() override { return name_; }

private:
    struct Subscriber { Host::EventCallback callback; void* context; };
    std::string name_;
    std::mutex mutex_;
    std::vector<Subscriber> subscribers_;
};

std::mutex& registryMutex() { static std::mutex m; return m; }

// Events live as long as the process: the registry keeps one reference to each.
std::map<std::string, Event*>& registry() { static std::map<std::string, Event*> events; return events; }

} // namespace

namespace Host {

XComPtr<IEvent> createEvent(const char* name)
{
    if (!name || !*name) return {};
    std::lock_guard<std::mutex> lock(registryMutex());
    Event*& slot = registry()[name];
    if (!slot) slot = new Event(name);
    return XComPtr<IEvent>(slot);
}

XComPtr<IEvent> getEvent(const char* name)
{
    if (!name) return {};
    std::lock_guard<std::mutex> lock(registryMutex());
    auto it = registry().find(name);
    if (it == registry().end()) return {};
    return XComPtr<IEvent>(it->second);
}

} // namespace Host
