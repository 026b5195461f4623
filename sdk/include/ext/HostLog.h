// The reference host's log, found by ProgID through createInstance ("Client2.Log"); the
// client answers null, and a module then writes its warnings to the debugger output only.
#pragma once
#include "host/IXUnknown.h"

namespace Host {

const char kLogProgId[] = "Client2.Log";

struct ILog : IXUnknown {
    virtual void logWarning(const wchar_t* text) = 0;
};

} // namespace Host
