// Themes as the reference host sees them, beyond the client's interface.
#pragma once
#ifndef C2_HOST_INTERNAL
#error "a host-internal header: a module sees only the client's interface (sdk/include/host) and ext/"
#endif
#include "host/Theme.h"

namespace Host {

struct IThemeHost : ITheme {
    virtual XStringA getName() = 0;
};

struct IThemeMgrHost : IThemeMgr {
    virtual int getThemeCount() = 0;
    virtual XComPtr<IThemeHost> getTheme(int index) = 0;
    // Makes the named theme current and fires "event_theme_changed" with it.
    virtual bool setCurrentTheme(const XStringA& name) = 0;
};

} // namespace Host
