// The library's entry points: the load notification keeps the instance handle and sends
// the library's caught exceptions to the module's log, and ModuleInstance hands the host
// the one module object.
#include "module/ClosedFundModule.h"
#include "base/ModuleHandle.h"
#include "base/ModuleLog.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ClosedFund::setModuleInstance(instance);
        ClosedFund::routeEscapedExceptionsToLog();
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) Host::IClosedFundModule* ModuleInstance() { return &ClosedFund::moduleObject(); }
