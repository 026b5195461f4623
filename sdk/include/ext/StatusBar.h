// The reference host's status bar, a sibling module found through IApp::getModule
// ("mod_StatusBar"). The client has no such module: a module then shows what it would say
// there in its own window, or not at all.
#pragma once
#include "host/App.h"

namespace Host {

const char kStatusBarModuleName[] = "mod_StatusBar";

struct IStatusBarModule : IModule {
    // Shows a short message in the main window's status bar (a confirmation, or why
    // something could not be done).
    virtual void setStatusText(const XStringW& text) = 0;
};

} // namespace Host
