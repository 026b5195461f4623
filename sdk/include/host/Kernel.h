// The host kernel (c2kernel.dll): components by ProgID and named events. One kernel is
// shared by the host and every module of a process, so there is one registry of each.
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

struct IEvent : IXUnknown {
    virtual void subscribe(EventCallback callback, void* context) = 0;
    // Removes one matching subscription and returns only when no call to it is still
    // running on another thread, so the context may be freed next; called from inside that
    // subscriber's own callback it returns at once.
    virtual void unsubscribe(EventCallback callback, void* context) = 0;
    // Calls every subscriber in subscription order; subscribers may (un)subscribe meanwhile.
    virtual void fire(void* payload) = 0;
    virtual XStringA getName() = 0;
};

// A new component of the registered kind, or empty for an unknown ProgID:
// "Data.DataTable", "Data.DataView", "Data.FieldSorter", "Data.TopSorter", "Conf.ConfValue", "File.File".
C2KERNEL_API XComPtr<IXUnknown> createInstance(const char* progId);
// The named event, created on first request; empty only for an empty name.
C2KERNEL_API XComPtr<IEvent> createEvent(const char* name);
// The named event if someone created it, else empty.
C2KERNEL_API XComPtr<IEvent> getEvent(const char* name);

// Warnings of the kernel, the host and the modules go here (debugger output and the host's
// log file, if it set one).
C2KERNEL_API void logWarning(const wchar_t* text);

// A component of the given kind seen through interface T; empty when the kind is unknown
// or is not a T (the component is then released).
template <class T>
XComPtr<T> createInstanceAs(const char* progId)
{
    return createInstance(progId).template cast<T>();
}

} // namespace Host
