// What the kernel offers the reference host itself (the shell, the database, tools, tests),
// beyond the client's interface. Module sources cannot include it.
#pragma once
#ifndef C2_HOST_INTERNAL
#error "a host-internal header: a module sees only the client's interface (sdk/include/host) and ext/"
#endif
#include "host/Kernel.h"
#include "hostapi/ConfHost.h"
#include "hostapi/ThemeHost.h"

namespace Host {

// The kernel's events as the host sees them.
struct IHostEvent : IEvent {
    // Removes one matching subscription and returns only when no call to it is still
    // running on another thread, so the context may be freed next; called from inside that
    // subscriber's own callback it returns at once.
    virtual void unsubscribe(EventCallback callback, void* context) = 0;
    // Calls every subscriber in subscription order; subscribers may (un)subscribe meanwhile.
    virtual void fire(void* payload) = 0;
    virtual XStringA getName() = 0;
};

// The named event as the host sees it (created on first request); empty for an empty name.
inline XComPtr<IHostEvent> createHostEvent(const char* name) { return createEvent(name).cast<IHostEvent>(); }
inline XComPtr<IHostEvent> getHostEvent(const char* name) { return getEvent(name).cast<IHostEvent>(); }

// Warnings of the kernel and the host (debugger output and the host's log file, if it set
// one). Modules reach it only as the "Client2.Log" service.
C2KERNEL_API void logWarning(const wchar_t* text);
// Where logWarning writes besides the debugger output; only the host chooses it.
C2KERNEL_API void setLogFile(const wchar_t* path);

// The user configuration kept in filePath: persistent, every write replaces the file
// atomically, a corrupt file falls back to the last good copy (or defaults) with a warning.
C2KERNEL_API XComPtr<IConfManager> openUserConf(const wchar_t* filePath);
// The system configuration read from filePath; modules cannot change it.
C2KERNEL_API XComPtr<IConfManager> openSystemConf(const wchar_t* filePath);
// The themes found in themeDir (one file per theme), with the named one current (else the first).
C2KERNEL_API XComPtr<IThemeMgrHost> openThemeMgr(const wchar_t* themeDir, const char* currentTheme);

// Contract-only mode (CLIENT2_CONTRACT_ONLY=1 in the environment, read once): the host then
// behaves toward modules as the client would. createInstance and the shell's getModule
// answer null for every name the client's interface does not list, and a call into the
// client's interface from a thread that is neither the user-interface thread nor one of the
// host's own is reported (logged and counted).
C2KERNEL_API bool contractOnly();
// Marks the calling thread as the host's (the user-interface thread and the host's workers
// register themselves); their calls are never reported.
C2KERNEL_API void registerHostThread();
// Reports a call of the named operation when contract-only mode is on and the calling
// thread is not registered. Cheap when it has nothing to report.
C2KERNEL_API void checkContractThread(const char* operation);
// How many calls have been reported since the process started.
C2KERNEL_API long contractViolations();
// The names of the sibling modules the client has; in contract-only mode a host's getModule
// answers null for any other.
C2KERNEL_API bool isClientModuleName(const XStringA& name);

// Registers a component kind of the host's outside the kernel (a ProgID createInstance then
// knows); factory returns a new component carrying one reference. False for a taken name.
typedef IXUnknown* (*HostComponentFactory)();
C2KERNEL_API bool registerHostComponent(const char* progId, HostComponentFactory factory);

} // namespace Host
