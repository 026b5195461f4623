// Kernel components count their references the common way.
#pragma once
#include "common/RefCounted.h"

namespace Kernel {

template <class Base>
using RefCounted = Common::RefCounted<Base>;

} // namespace Kernel
