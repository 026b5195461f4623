// Base of every host component: reference counting in the first two slots.
#pragma once
#include "common/XComPtr.h"
#include "common/XString.h"

namespace Common {

struct IXUnknown {
    virtual int addRef() = 0;
    virtual int release() = 0;
protected:
    // Components are destroyed by their own release, never through this interface.
    ~IXUnknown() = default;
};

} // namespace Common

using Common::IXUnknown;
using Common::XComPtr;
using Common::XStringA;
using Common::XStringW;
