// The shell's sibling modules as the reference host sees them, beyond the client's interface.
#pragma once
#ifndef C2_HOST_INTERNAL
#error "a host-internal header: a module sees only the client's interface (sdk/include/host) and ext/"
#endif
#include "ext/StatusBar.h"
#include "host/Modules.h"

namespace Host {

struct ITabCtrlHost : ITabCtrl {
    virtual bool activatePage(ITabPage* page) = 0;
};

struct IMainFrameHost : IMainFrameModule {
    // What the "mod_StatusBar" module shows, for the host's own callers.
    virtual void setStatusText(const XStringW& text) = 0;
};

} // namespace Host
