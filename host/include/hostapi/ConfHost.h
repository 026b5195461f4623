// The configuration as the reference host sees it, beyond the client's interface.
#pragma once
#ifndef C2_HOST_INTERNAL
#error "a host-internal header: a module sees only the client's interface (sdk/include/host) and ext/"
#endif
#include "host/Conf.h"

namespace Host {

struct IConfValueHost : IConfValue {
    virtual void setDouble(double value) = 0;
};

struct IConfKeyHost : IConfKey {
    // setValue with its outcome: false when the store is read-only or cannot be written
    // (the previous value is then kept, in memory and on disk).
    virtual bool store(IConfValue* value) = 0;
    virtual XStringA getPath() = 0;
};

struct IConfManagerHost : IConfManager {
    // Why the last change to this manager's store was not saved, in the words the person is
    // shown ("数据目录只读"); empty when it was saved.
    virtual XStringW lastWriteFailure() = 0;
};

} // namespace Host
