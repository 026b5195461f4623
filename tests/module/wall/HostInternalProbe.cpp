// Built with the module's own settings by the contract_wall test, which passes only when
// this file fails to build: the module must not see the host's internal interfaces.
#include "hostapi/KernelHost.h"

void probeHostInternals() { Host::logWarning(L"the module reached the host's log directly"); }
