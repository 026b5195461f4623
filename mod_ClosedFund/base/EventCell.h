// What a kernel event's subscriber reaches. The client's interface cannot take a
// subscription back, so the kernel may call a subscriber for the life of the process: the
// subscriber is a cell that is never freed, holding only what its handler needs. Its owner
// clears the target when it goes; a call then does nothing.
#pragma once
#include "common/CallbackGuard.h"
#include "host/Kernel.h"
#include <atomic>

namespace ClosedFund {

template <class Target>
class EventCell {
public:
    typedef void (*Handler)(void* payload, Target target);

    // A new cell subscribed to event, with target as its first target; null without an event.
    // Deliberately leaked: the kernel keeps calling it.
    static EventCell* subscribe(Host::IEvent* event, Handler handler, Target target)
    {
        if (!event) return nullptr;
        auto* cell = new EventCell(handler, target);
        event->subscribe(&EventCell::call, cell);
        return cell;
    }

    void setTarget(Target target) { target_.store(target); }
    Target target() const { return target_.load(); }

private:
    EventCell(Handler handler, Target target) : handler_(handler), target_(target) {}
    EventCell(const EventCell&) = delete;
    EventCell& operator=(const EventCell&) = delete;
    ~EventCell() = delete;

    // On the firing thread: the target read once, so a clear meanwhile cannot split the call.
    static void call(void* payload, void* context) noexcept
    {
        Common::guardCallback(L"an event's subscriber", [&] {
            auto* cell = static_cast<EventCell*>(context);
            Target target = cell ? cell->target_.load() : Target();
            if (target) cell->handler_(payload, target);
        });
    }

    const Handler handler_;
    std::atomic<Target> target_;
};

} // namespace ClosedFund
