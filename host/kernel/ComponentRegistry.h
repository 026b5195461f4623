// Inside the kernel: the table of component kinds by ProgID. Each component's source
// registers its factory with a static initialiser (KERNEL_COMPONENT), so adding a kind
// touches only its own file.
#pragma once
#include "host/IXUnknown.h"

namespace Kernel {

typedef IXUnknown* (*ComponentFactory)(); // returns a new component carrying one reference

bool registerComponent(const char* progId, ComponentFactory factory);

} // namespace Kernel

#define KERNEL_COMPONENT(progId, factory) \
    static const bool kernelComponentRegistered_##factory = ::Kernel::registerComponent(progId, factory)
