// Contract-only mode: the host behaves toward modules as the client would, and a call into
// the client's interface from a thread that is not the host's is logged and counted (the
// client would give it no help: its objects belong to the user-interface thread).
#include "ContractMode.h"
#include <windows.h>
#include <atomic>
#include <string>

namespace {

// Only "1" turns the mode on; any other value, or none, leaves the host as it is.
bool readContractOnly()
{
    wchar_t value[4] = {};
    DWORD length = GetEnvironmentVariableW(L"CLIENT2_CONTRACT_ONLY", value, 4);
    return length == 1 && value[0] == L'1';
}

thread_local bool hostThread = false;
std::atomic<long> violations{0};

} // namespace

namespace Kernel {

extern const bool contractOnlyMode = readContractOnly();

} // namespace Kernel

namespace Host {

bool contractOnly() { return Kernel::contractOnlyMode; }

void registerHostThread() { hostThread = true; }

// The system's last error survives the report: File.File's callers read it after a failure.
void checkContractThread(const char* operation)
{
    if (!Kernel::contractOnlyMode || hostThread) return;
    violations.fetch_add(1);
    DWORD lastError = GetLastError();
    try {
        std::wstring text = L"contract call off the user-interface thread: ";
        for (const char* c = operation ? operation : "an operation"; *c; ++c)
            text += wchar_t(static_cast<unsigned char>(*c));
        text += L" (thread " + std::to_wstring(GetCurrentThreadId()) + L")";
        logWarning(text.c_str());
    } catch (...) {
        OutputDebugStringW(L"client2: contract call off the user-interface thread\n");
    }
    SetLastError(lastError);
}

long contractViolations() { return violations.load(); }

// The client's sibling modules; the page modules it loads are among them.
bool isClientModuleName(const XStringA& name)
{
    static const char* const kClientModules[] = {"mod_MainFrame",   "mod_MenuTool",  "mod_Database",  "mod_UpdateData",
                                                 "mod_ConcernFund", "mod_FundsPool", "mod_ClosedFund"};
    for (const char* client : kClientModules) {
        if (name == client) return true;
    }
    return false;
}

} // namespace Host
