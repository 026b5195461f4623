#include "base/ModuleLog.h"
#include "base/HostServices.h"
#include "common/CallbackGuard.h"
#include <windows.h>

namespace ClosedFund {

void logWarning(const wchar_t* text)
{
    if (!text) return;
    ::OutputDebugStringW(text);
    ::OutputDebugStringW(L"\n");
    if (Host::ILog* log = HostServices::discoveredLog()) log->logWarning(text);
}

void routeEscapedExceptionsToLog() { Common::setEscapeLog(&logWarning); }

} // namespace ClosedFund
