// The module's warnings. The client's kernel has no log: a warning always goes to the
// debugger output, and also to the host's log when the host offers one (found with the
// other services, on the user-interface thread).
#pragma once

namespace ClosedFund {

// Safe on any thread: a worker uses the log found earlier, or the debugger output only.
void logWarning(const wchar_t* text);

// Sends what this binary's callback guards catch to logWarning. Asks nothing of the host,
// so it may run while the library is being loaded.
void routeEscapedExceptionsToLog();

} // namespace ClosedFund
