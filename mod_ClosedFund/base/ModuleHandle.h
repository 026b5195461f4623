// The instance handle of the library that holds the module: its window classes, its
// resources ("QUERY", "GRIDHEADER") and the wait dialog are looked up through it.
#pragma once
#include <windows.h>

namespace ClosedFund {

// Set by the library's process-attach notification.
void setModuleInstance(HINSTANCE instance);
// The handle set above; before that (the module's code linked into a program, as the tests
// and tools do) the image that holds this code.
HINSTANCE moduleInstance();

} // namespace ClosedFund
