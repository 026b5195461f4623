// Inside the kernel: the entry check of the client's operations (contract-only mode, see
// hostapi/KernelHost.h). The kernel's own calls between its objects go to their unchecked
// inner functions, so that its work for one call is not reported as more calls.
#pragma once
#include "hostapi/KernelHost.h"

namespace Kernel {

// CLIENT2_CONTRACT_ONLY=1, read once when the kernel loads.
extern const bool contractOnlyMode;

// At the entry of an operation of the client's interface: with the mode off, one test of a
// flag and nothing else.
inline void contractCall(const char* operation)
{
    if (contractOnlyMode) Host::checkContractThread(operation);
}

} // namespace Kernel
