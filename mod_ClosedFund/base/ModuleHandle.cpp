#include "base/ModuleHandle.h"

namespace ClosedFund {

static HINSTANCE g_instance = nullptr;

void setModuleInstance(HINSTANCE instance) { g_instance = instance; }

HINSTANCE moduleInstance()
{
    if (g_instance) return g_instance;
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&moduleInstance), &self);
    return self;
}

} // namespace ClosedFund
