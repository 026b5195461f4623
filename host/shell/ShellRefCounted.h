// The shell's components count their references the common way.
#pragma once
#include "common/RefCounted.h"

namespace HostShell {

template <class Base>
using RefCounted = Common::RefCounted<Base>;

} // namespace HostShell
