// The library's entry points: the load notification keeps the instance handle, and
// ModuleInstance hands the host the one module object.
#include "module/ClosedFundModule.h"
#include "base/ModuleHandle.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ClosedFund::setModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) Host::IClosedFundModule* ModuleInstance() { return &ClosedFund::moduleObject(); }
