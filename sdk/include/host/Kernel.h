// The host kernel: components by ProgID and named events, exactly as the client's kernel
// exports them. The client's kernel has these three functions and nothing else: a module
// that imports any other kernel function does not load there.
#pragma once
#include "host/IXUnknown.h"

#ifdef C2KERNEL_BUILD
#define C2KERNEL_API __declspec(dllexport)
#else
#define C2KERNEL_API __declspec(dllimport)
#endif

namespace Host {

// Called with the event's payload (an ITheme*, an UpdateEventArgs*, ...) and the context
// given at subscription, on the thread that fires the event.
typedef void (*EventCallback)(void* payload, void* context);

// The client's interface has no way to unsubscribe: a subscriber must stay callable (or
// harmless) for the life of the process.
struct IEvent : IXUnknown {
    virtual void subscribe(EventCallback callback, void* context) = 0;
};

// A new component of the registered kind, or empty for a ProgID the kernel does not know.
// The client knows "Data.DataTable", "Data.DataView", "Data.FieldSorter", "Data.TopSorter",
// "Conf.ConfValue" and "File.File"; any other name is a service that a host may or may not
// offer (see ext/), and the caller must have a way without it.
C2KERNEL_API XComPtr<IXUnknown> createInstance(const char* progId);
// The named event, created on first request; empty only for an empty name.
C2KERNEL_API XComPtr<IEvent> createEvent(const char* name);
// The named event if someone created it, else empty.
C2KERNEL_API XComPtr<IEvent> getEvent(const char* name);

// A component of the given kind seen through interface T; empty when the kind is unknown
// or is not a T (the component is then released).
template <class T>
XComPtr<T> createInstanceAs(const char* progId)
{
    return createInstance(progId).template cast<T>();
}

} // namespace Host
